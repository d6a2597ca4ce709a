#!/usr/bin/env python3
"""The Python module's cost beside the C++ library's, measured side by side in
one run: formeval.evaluate(points, feature, method) against the C++ benchmark
arraycall_bench on the very same points (written here, read there): 500
points of a line and a circle (the module's own cost per call: conversion
and the result object) and 10^6 points of a circle (the time and the numbers
of a large circle).

    PYTHONPATH=build/release/python python3 bench/python_bench.py [build/release/bench/arraycall_bench] [--rounds 5]

Each round runs the C++ benchmark (5 repetitions of each case) and then the
Python calls (5 timed batches of each case), each timed in CPU time (the
process's own, less disturbed by other work than the wall clock; both sides
compute on one thread). The table gives, over all
repetitions of all rounds, each side's median and its noise (the spread of
the middle half, over the median), the ratio of the medians Python / C++,
the difference of the medians and of the minima per call (the minimum is the
least disturbed by other work on the machine), and whether both sides
computed the same t and radius to the last bit.
"""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import formeval

FEATURES = {0: "line", 2: "circle"}
METHODS = {0: "least squares", 1: "minimum zone"}
CASES = [(0, 500, 0), (2, 500, 0), (2, 500, 1), (2, 1000000, 0), (2, 1000000, 1)]


def make(feature, n):
    t = 2 * math.pi * np.arange(n) / n
    r = 25 + 0.002 * np.sin(7 * t) + 0.001 * np.cos(3 * t)
    if feature == "line":
        return np.column_stack([0.1 * np.arange(n), r - 25])
    return np.column_stack([40 + r * np.cos(t), -12 + r * np.sin(t)])


def cpp_round(exe, pointsdir):
    """Seconds per call of each repetition, and t and the radius, per case."""
    env = dict(os.environ, FORMEVAL_BENCH_POINTS=pointsdir)
    out = subprocess.run([exe, "--benchmark_format=json", "--benchmark_repetitions=5"],
                         env=env, capture_output=True, text=True, check=True)
    got = {}
    for b in json.loads(out.stdout)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        case = tuple(int(part.split(":")[1]) for part in b["run_name"].split("/")[1:4])
        times, numbers = got.setdefault(case, ([], None))
        times.append(b["cpu_time"] * 1e-6)
        got[case] = (times, (b["t"], b["radius"]))
    return got


def python_round(points, feature, method):
    start = time.process_time()
    formeval.evaluate(points, feature, method)
    calls = max(1, int(0.2 / max(1e-6, time.process_time() - start)))
    times = []
    for _ in range(5):
        start = time.process_time()
        for _ in range(calls):
            r = formeval.evaluate(points, feature, method)
        times.append((time.process_time() - start) / calls)
    return times, (r.t, r.radius if r.radius is not None else math.nan)


def noise(values):
    q = statistics.quantiles(values, n=4)
    return (q[2] - q[0]) / statistics.median(values)


def same(a, b):
    return all(x == y or (math.isnan(x) and math.isnan(y)) for x, y in zip(a, b))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe", nargs="?", default="build/release/bench/arraycall_bench")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    cpp = {case: [] for case in CASES}
    py = {case: [] for case in CASES}
    equal = {case: True for case in CASES}
    with tempfile.TemporaryDirectory() as pointsdir:
        points = {}
        for f, n, _ in CASES:
            points[(f, n)] = make(FEATURES[f], n)
            points[(f, n)].tofile(os.path.join(pointsdir, f"{FEATURES[f]}_{n}.f64"))
        for _ in range(args.rounds):
            ours = cpp_round(args.exe, pointsdir)
            for case in CASES:
                f, n, c = case
                times, numbers = python_round(points[(f, n)], FEATURES[f], METHODS[c])
                cpp[case] += ours[case][0]
                py[case] += times
                equal[case] = equal[case] and same(numbers, ours[case][1])
    print(f"{'case':32} {'C++ median':>12} {'noise':>6} {'Python median':>14} {'noise':>6}"
          f" {'ratio':>6} {'diff median':>12} {'diff min':>10}  same numbers")
    for case in CASES:
        f, n, c = case
        cm, pm = statistics.median(cpp[case]), statistics.median(py[case])
        print(f"{METHODS[c] + ' ' + FEATURES[f] + ', n=' + str(n):32}"
              f" {cm * 1e6:10.1f}us {noise(cpp[case]):6.1%} {pm * 1e6:12.1f}us"
              f" {noise(py[case]):6.1%} {pm / cm:6.3f} {(pm - cm) * 1e6:10.2f}us"
              f" {(min(py[case]) - min(cpp[case])) * 1e6:8.2f}us"
              f"  {'yes' if equal[case] else 'NO'}")
    return 0 if all(equal.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
