#!/bin/sh
# Writes the part-file example into DIR (default: the current directory): a
# block 100 x 60 x 20 mm with a bore, measured on a machine, and its part
# file with the drawing's tolerance frames:
#   base.csv   the base (datum A), 11 x 7 points, 2 um of waviness
#   side.csv   the left side x = 0 (datum B), 11 x 3 points
#   front.csv  the front y = 0 (datum C), 11 x 3 points
#   top.csv    the top, rising 10 um over its 100 mm along x
#   bore.csv   the bore, 12 mm across at (50.01, 29.995), 5 circles of 24
#              points, its axis leaning 0.3 mrad towards x
#   sink.csv   the bore's countersink, 90 degrees, from 13 to 17 mm across
#              over the top 2 mm, 3 circles of 24 points
#   part.json  the features, the datums A, B, C, D and eight tolerance frames
# Deterministic (no random generator), so every awk writes the same files.
# Then:
#   formreport part DIR/part.json
set -eu
dir=${1:-.}
mkdir -p "$dir"

awk 'BEGIN {
    print "x,y,z"
    for (i = 0; i <= 10; i++)
        for (j = 0; j <= 6; j++)
            printf "%.6f,%.6f,%.6f\n", 10 * i, 10 * j, 0.001 * sin(0.9 * i + 1.7 * j)
}' > "$dir/base.csv"

awk 'BEGIN {
    print "x,y,z"
    for (i = 0; i <= 10; i++)
        for (k = 0; k <= 2; k++)
            printf "%.6f,%.6f,%.6f\n", 0.0008 * cos(1.3 * i + k), 6 * i, 2 + 8 * k
}' > "$dir/side.csv"

awk 'BEGIN {
    print "x,y,z"
    for (i = 0; i <= 10; i++)
        for (k = 0; k <= 2; k++)
            printf "%.6f,%.6f,%.6f\n", 10 * i, 0.0006 * sin(2.1 * i + k), 2 + 8 * k
}' > "$dir/front.csv"

awk 'BEGIN {
    print "x,y,z"
    for (i = 0; i <= 10; i++)
        for (j = 0; j <= 6; j++)
            printf "%.6f,%.6f,%.6f\n", 10 * i, 10 * j, 20 + 0.0001 * 10 * i + 0.0015 * cos(1.1 * i + 0.8 * j)
}' > "$dir/top.csv"

awk 'BEGIN {
    pi = atan2(0, -1); lean = 0.0003
    print "x,y,z"
    for (k = 0; k < 5; k++)
        for (i = 0; i < 24; i++) {
            t = 2 + 4 * k; a = 2 * pi * i / 24
            r = 6 + 0.002 * cos(2 * a + k) + 0.001 * sin(3 * a)
            u = r * cos(a); v = r * sin(a)
            printf "%.6f,%.6f,%.6f\n", 50.01 + t * sin(lean) + u * cos(lean), 29.995 + v, t * cos(lean) - u * sin(lean)
        }
}' > "$dir/bore.csv"

awk 'BEGIN {
    pi = atan2(0, -1)
    print "x,y,z"
    for (k = 0; k < 3; k++)
        for (i = 0; i < 24; i++) {
            z = 18.2 + 0.8 * k; a = 2 * pi * i / 24
            r = 6.5 + (z - 18) + 0.0015 * cos(2 * a + k)
            printf "%.6f,%.6f,%.6f\n", 50.01 + r * cos(a), 29.995 + r * sin(a), z
        }
}' > "$dir/sink.csv"

cat > "$dir/part.json" <<'JSON'
{
  "unit": "mm",
  "features": {
    "base": {"file": "base.csv", "type": "plane", "outward": [0, 0, -1]},
    "side": {"file": "side.csv", "type": "plane", "outward": [-1, 0, 0]},
    "front": {"file": "front.csv", "type": "plane", "outward": [0, -1, 0]},
    "top": {"file": "top.csv", "type": "plane", "outward": [0, 0, 1]},
    "bore": {"file": "bore.csv", "type": "cylinder", "material": "hole"},
    "sink": {"file": "sink.csv", "type": "cone", "material": "hole"}
  },
  "datums": {"A": "base", "B": "side", "C": "front", "D": "bore"},
  "tolerances": [
    {"characteristic": "flatness", "feature": "base", "tolerance": 0.005},
    {"characteristic": "perpendicularity", "feature": "side", "datums": ["A"], "tolerance": 0.01},
    {"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": "15um"},
    {"characteristic": "cylindricity", "feature": "bore", "tolerance": 0.005},
    {"characteristic": "perpendicularity", "feature": "bore", "datums": ["A"], "tolerance": 0.01},
    {"characteristic": "position", "feature": "bore", "datums": ["A", "B", "C"],
     "exact": [50, 30, 0], "tolerance": 0.05},
    {"characteristic": "conicity", "feature": "sink", "tolerance": 0.005},
    {"characteristic": "radial run-out", "feature": "sink", "datums": ["D"], "tolerance": 0.02}
  ]
}
JSON
