"""The checks of report_browser_test.sh, on what the browser made.

  parts N                 writes N roundness traces part1.csv ...
  values REPORT DOM       every table cell and verdict of REPORT is in DOM's text
  charts REPORT           writes each inline SVG of REPORT alone as chart-K.html
  drawn PNG...            each screenshot has ink on at least 1 % of it
  pages PDF N             the PDF has N pages
"""
import html
import math
import re
import struct
import sys
import zlib


def parts(n):
    for i in range(1, n + 1):
        with open(f"part{i}.csv", "w") as out:
            out.write("x,y\n")
            for k in range(3600):
                t = 2 * math.pi * k / 3600
                r = 25 + 0.001 * i * math.cos(3 * t) + 0.0004 * math.cos(120 * t)
                out.write(f"{40 + r * math.cos(t)!r},{-12 + r * math.sin(t)!r}\n")


def texts(page):
    return [html.unescape(t) for t in re.findall(r"<(?:td|p)[^>]*>([^<]+)</(?:td|p)>", page)]


def values(report, dom):
    page = open(report, encoding="utf-8").read()
    shown = html.unescape(re.sub(r"<[^>]+>", " ", open(dom, encoding="utf-8").read()))
    missing = [t for t in texts(page) if t.strip() and t not in shown]
    if missing or not texts(page):
        sys.exit(f"not in the browser's text: {missing[:5]}")


def charts(report):
    page = open(report, encoding="utf-8").read()
    svgs = re.findall(r"<svg .*?</svg>", page, re.S)
    if not svgs:
        sys.exit("no chart in the report")
    for k, svg in enumerate(svgs):
        with open(f"chart-{k}.html", "w", encoding="utf-8") as out:
            out.write('<!DOCTYPE html><html><head><meta charset="utf-8"><style>'
                      "body{margin:0} svg{width:900px;height:auto}</style></head>"
                      f"<body>{svg}</body></html>")


def pixels(path):
    """Width, height and RGB rows of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    pos, idat, head = 8, b"", None
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + size]
        if kind == b"IHDR":
            head = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + size
    width, height, depth, colour = head
    if depth != 8 or colour not in (2, 6):
        sys.exit(f"{path}: a PNG of depth {depth}, colour type {colour}")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, step)])
        previous = line
    return width, height, rows


def drawn(paths):
    for path in paths:
        width, height, rows = pixels(path)
        ink = sum(1 for row in rows for p in row if p != (255, 255, 255))
        if ink < 0.01 * width * height:
            sys.exit(f"{path}: blank ({ink} of {width * height} pixels drawn)")


def pages(pdf, expected):
    count = len(re.findall(rb"/Type\s*/Page(?![s\w])", open(pdf, "rb").read()))
    if count != int(expected):
        sys.exit(f"{pdf}: {count} pages, not {expected}")


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    {"parts": lambda: parts(int(arguments[0])),
     "values": lambda: values(*arguments),
     "charts": lambda: charts(*arguments),
     "drawn": lambda: drawn(arguments),
     "pages": lambda: pages(*arguments)}[command]()
