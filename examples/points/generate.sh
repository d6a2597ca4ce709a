#!/bin/sh
# Writes the point-file examples into DIR (default: the current directory):
#   roundness.csv  a 3600-point roundness trace of a 25 mm ring, CSV with a header
#   spike.csv      the same trace with a dust particle: 5 points 0.05 mm high
#   polar.csv      the same kind of trace as a roundness instrument exports it:
#                  angle_deg, radius_mm about its spindle, the ring 3 um off it
#   stack.csv      20 sections of 3600 points as angle_deg, radius_mm, z_mm about
#                  the spindle: a shaft tapering 2 um over 95 mm, its axis bent
#   line.csv       a 2000-point straightness trace along a 45-degree line
#   plane.txt      a 1000 x 1000 scan of a plane tilted 30 degrees, blank-separated
#   cylinder.csv   36 000 points in 100 sections of a shaft whose axis leans off z
# The form is made of lobes, a saddle, a taper and deterministic
# pseudo-random noise (no random generator), so every awk writes the same
# files. Then, for example:
#   formreport results DIR/roundness.csv --feature circle --unit mm
#   formreport results DIR/spike.csv --feature circle --unit mm --filter 50 --filter-type robust
#   formreport results DIR/polar.csv --feature circle --columns angle,radius --unit mm
#   formreport results DIR/stack.csv --feature cylinder --sections --columns angle,radius,z
#   formreport polar DIR/cylinder.csv --feature cylinder --unit mm -o plots
set -eu
dir=${1:-.}
mkdir -p "$dir"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    pi = atan2(0, -1)
    print "# roundness trace, 3600 points, mm"
    print "x_mm,y_mm"
    for (i = 0; i < 3600; i++) {
        t = 2 * pi * i / 3600
        r = 25 + 0.001 * cos(3 * t + 0.4) + 0.0002 * sin(15 * t) + 0.0003 * (noise(i) - 0.5)
        printf "%.7f,%.7f\n", 40 + r * cos(t), -12 + r * sin(t)
    }
}' > "$dir/roundness.csv"

awk -F, 'NR <= 2 || FNR < 1003 || FNR > 1007 { print; next }
{
    # 0.05 mm outward from the ring centre (40, -12), radius 25
    x = $1 - 40; y = $2 + 12; r = sqrt(x * x + y * y)
    printf "%.7f,%.7f\n", 40 + x * (r + 0.05) / r, -12 + y * (r + 0.05) / r
}' "$dir/roundness.csv" > "$dir/spike.csv"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    pi = atan2(0, -1)
    print "# roundness trace as angle and radius about the spindle, 3600 points"
    print "angle_deg,radius_mm"
    for (i = 0; i < 3600; i++) {
        t = 2 * pi * i / 3600
        r = 25 + 0.003 * cos(t - 0.5) + 0.001 * cos(3 * t + 0.4) + 0.0002 * sin(15 * t) \
            + 0.0003 * (noise(i) - 0.5)
        printf "%.1f,%.7f\n", i / 10, r
    }
}' > "$dir/polar.csv"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    pi = atan2(0, -1)
    print "# 20 sections of a shaft, angle and radius about the spindle, z, mm"
    print "angle_deg,radius_mm,z_mm"
    for (k = 0; k < 20; k++) {
        z = 5 * k
        # the offset of the section centre from the spindle: the axis bent in x
        e = 0.002 + 0.001 * sin(pi * k / 19)
        for (i = 0; i < 3600; i++) {
            t = 2 * pi * i / 3600
            r = 12 + 0.001 * k / 19 + e * cos(t) + 0.0008 * cos(2 * t + 0.1 * k) \
                + 0.0003 * (noise(i + 3600 * k) - 0.5)
            printf "%.1f,%.7f,%d\n", i / 10, r, z
        }
    }
}' > "$dir/stack.csv"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    print "position_mm,x_mm,y_mm"
    for (i = 0; i < 2000; i++) {
        s = 0.05 * i
        d = 0.002 * sin(s / 100 * 6.2832 * 2) + 0.0005 * (noise(i) - 0.5)
        printf "%d,%.7f,%.7f\n", i, 10 + (s - d) * 0.70710678, 5 + (s + d) * 0.70710678
    }
}' > "$dir/line.csv"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    print "# x y z, a plane tilted 30 degrees about y, 10^6 points"
    c = cos(atan2(0, -1) / 6); s = sin(atan2(0, -1) / 6)
    for (j = 0; j < 1000; j++)
        for (i = 0; i < 1000; i++) {
            u = -100 + 0.2 * i; v = -75 + 0.15 * j
            w = 0.003 * (u * v) / 7500 + 0.0004 * (noise(j * 1000 + i) - 0.5)
            printf "%.7f %.7f %.7f\n", u * c + w * s, v, -u * s + w * c + 20
        }
}' > "$dir/plane.txt"

awk 'function noise(i,  n) { n = sin(i * 12.9898 + 78.233) * 43758.5453; return n - int(n) }
BEGIN {
    pi = atan2(0, -1)
    ax = 1; ay = 2; az = 5; n = sqrt(ax * ax + ay * ay + az * az); ax /= n; ay /= n; az /= n
    # e1 normal to the axis, e2 = axis x e1
    ex = az; ey = 0; ez = -ax; m = sqrt(ex * ex + ez * ez); ex /= m; ez /= m
    fx = ay * ez - az * ey; fy = az * ex - ax * ez; fz = ax * ey - ay * ex
    print "x,y,z"
    for (k = 0; k < 100; k++)
        for (i = 0; i < 360; i++) {
            h = 60 * k / 99; t = 2 * pi * i / 360; q = k * 360 + i
            r = 10 + 0.002 * h / 60 + 0.001 * cos(2 * t) + 0.0004 * (noise(q) - 0.5)
            printf "%.7f,%.7f,%.7f\n", 5 + h * ax + r * (cos(t) * ex + sin(t) * fx),
                -3 + h * ay + r * (cos(t) * ey + sin(t) * fy), 7 + h * az + r * (cos(t) * ez + sin(t) * fz)
        }
}' > "$dir/cylinder.csv"
