// The C++ peer of the Python module's benchmark (bench/python_bench.py, which
// runs this side by side with its own calls): pointset::evaluate on the very
// points the script evaluates, read from FORMEVAL_BENCH_POINTS/FEATURE_N.f64
// (N x 2 doubles, native byte order), so that the two sides compute the same
// numbers and their times differ only by the module's own cost. Without the
// variable, a wobbly circle or line is made here. Counters: t and the radius.
#include "pointset/pointset.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace formeval::pointset;

std::vector<double> points(Feature f, long n) {
    std::vector<double> p(static_cast<std::size_t>(2 * n));
    if (const char* dir = std::getenv("FORMEVAL_BENCH_POINTS")) {
        std::ifstream in(std::string(dir) + "/" + featurename(f) + "_" + std::to_string(n) + ".f64",
                         std::ios::binary);
        if (in.read(reinterpret_cast<char*>(p.data()),
                    static_cast<std::streamsize>(p.size() * sizeof(double))))
            return p;
    }
    const double pi = std::acos(-1.0);
    for (long i = 0; i < n; ++i) {
        const double t = 2 * pi * static_cast<double>(i) / static_cast<double>(n);
        const double r = 25 + 0.002 * std::sin(7 * t) + 0.001 * std::cos(3 * t);
        const bool line = f == Feature::line;
        p[static_cast<std::size_t>(2 * i)] =
            line ? 0.1 * static_cast<double>(i) : 40 + r * std::cos(t);
        p[static_cast<std::size_t>(2 * i + 1)] = line ? r - 25 : -12 + r * std::sin(t);
    }
    return p;
}

// One reference of n points of a circle or line by a criterion, with its
// deviations and certificate, as formeval.evaluate(points, feature, method)
// computes it.
void BM_Evaluate(benchmark::State& state) {
    const auto f = static_cast<Feature>(state.range(0));
    const long n = state.range(1);
    const auto c = static_cast<Criterion>(state.range(2));
    const std::vector<double> p = points(f, n);
    Reference r;
    for (auto _ : state) {
        r = evaluate({p.data(), static_cast<std::size_t>(n), 2, 2}, f, c);
        // The whole result: on a double alone, this Google Benchmark's
        // DoNotOptimize may let g++ keep the value in a general register and
        // hand back garbage.
        benchmark::DoNotOptimize(r);
    }
    if (!r.found) state.SkipWithError(r.failure.c_str());
    state.counters["t"] = r.t;
    state.counters["radius"] = r.radius;
}
BENCHMARK(BM_Evaluate)
    ->ArgNames({"feature", "n", "criterion"})
    ->Args({static_cast<int>(Feature::line), 500, 0})
    ->Args({static_cast<int>(Feature::circle), 500, 0})
    ->Args({static_cast<int>(Feature::circle), 500, 1})
    ->Args({static_cast<int>(Feature::circle), 1000000, 0})
    ->Args({static_cast<int>(Feature::circle), 1000000, 1})
    ->Unit(benchmark::kMicrosecond);

} // namespace
