#!/usr/bin/env python3
"""Evaluates a roundness trace from a CSV file with the formeval module: the
four reference circles with their certificates, formeval's own minimum-zone
circle beside them where the trace has at most 2048 points, the first
harmonics, and a polar chart of the deviations with matplotlib when it is
installed.

    examples/points/generate.sh /tmp/pts
    python3 examples/python/roundness.py /tmp/pts/roundness.csv

with the package installed (pip: docs/python.md), or PYTHONPATH=build/release/python
for the build's own package.

Options: --columns 1,2 (the x and y columns, from 1), --plot FILE (default
roundness.png beside the trace), --no-plot.
"""
import argparse
import math
import os
import sys

import numpy as np

import formeval


def read_trace(path, columns):
    """The x and y columns of a CSV (comment lines with '#', a header line allowed)."""
    rows = []
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.replace(";", ",").replace("\t", ",").split(",")
            try:
                rows.append([float(fields[c]) for c in columns])
            except (ValueError, IndexError):
                if rows:
                    sys.exit(f"{path}: not a number in line {line!r}")
                # the header
    return np.array(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("trace")
    parser.add_argument("--columns", default="1,2")
    parser.add_argument("--plot")
    parser.add_argument("--no-plot", action="store_true")
    args = parser.parse_args()
    columns = [int(c) - 1 for c in args.columns.split(",")]
    points = read_trace(args.trace, columns)
    print(f"{args.trace}: {len(points)} points")

    references = {}
    for method in formeval.METHODS:
        try:
            r = formeval.evaluate(points, "circle", method)
        except ValueError as e:
            print(f"  {method:22}  not evaluated: {e}")
            continue
        references[method] = r
        status = "certified" if r.certified else ("" if r.certified is None else "not certified")
        print(f"  {method:22}  centre ({r.centre[0]:.6f}, {r.centre[1]:.6f})  "
              f"radius {r.radius:.6f}  RONt {r.t:.6f}  {status}")
    if len(points) <= formeval.MAX_PROGRAM_POINTS:
        own = formeval.circle(points, "minimum zone")
        print(f"  formeval's own minimum zone (job {own.job}): RONt {own.error:.6f}")

    mz = references.get("minimum zone")
    if mz and formeval.spectral():
        h = formeval.harmonics(points, mz.centre[:2], mz.radius)
        top = np.argsort(h.amplitude[1:])[::-1][:3] + 1
        print("  largest harmonics: " + ", ".join(f"{k} UPR {h.amplitude[k]:.6f}" for k in top))

    if args.no_plot or not mz:
        return
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("  (matplotlib is not installed: no chart)")
        return
    cx, cy = mz.centre[:2]
    angle = np.arctan2(points[:, 1] - cy, points[:, 0] - cx)
    order = np.argsort(angle)
    scale = 0.4 / max(mz.t, 1e-300)  # the zone fills the outer half of the chart
    fig = plt.figure(figsize=(6, 6))
    ax = fig.add_subplot(projection="polar")
    ax.plot(angle[order], 1 + scale * mz.deviations[order], lw=0.6, label="profile")
    for value, name in ((mz.p, "zone"), (-mz.v, None)):
        ax.plot(np.linspace(0, 2 * math.pi, 361), np.full(361, 1 + scale * value), "k--",
                lw=0.6, label=name)
    ax.set_ylim(0, 1.25)
    ax.set_yticklabels([])
    ax.set_title(f"RONt {mz.t:.6g} (minimum zone)")
    ax.legend(loc="lower right")
    out = args.plot or os.path.splitext(args.trace)[0] + ".png"
    fig.savefig(out, dpi=120)
    print(f"  chart: {out}")


if __name__ == "__main__":
    main()
