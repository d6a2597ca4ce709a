// The batch workflow's cost per part: one 3600-point roundness trace
// evaluated by every criterion as `results --feature circle` does, without a
// filter and at 50 UPR (the filter and the evaluation of the filtered
// profile), and the verdict of the part; beside it an arc of 200 degrees
// through the regression filter. 500 parts take 500 times a part's time, so
// the workflow's goal of 10 s for 500 filtered parts is 20 ms a part; the
// ratio filtered / unfiltered says what the filter adds.
#include "report/tables/tables.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace formeval::report {
namespace {

std::vector<double> trace(int n, double degrees) {
    std::mt19937 gen(3);
    std::normal_distribution<double> noise(0, 0.0005);
    std::vector<double> c;
    const double pi = std::acos(-1.0);
    for (int i = 0; i < n; ++i) {
        const double t = degrees / 180 * pi * i / n;
        const double r = 25 + 0.002 * std::cos(3 * t) + 0.0005 * std::cos(120 * t) + noise(gen);
        c.insert(c.end(), {40 + r * std::cos(t), -12 + r * std::sin(t)});
    }
    return c;
}

pointset::Points view(const std::vector<double>& c) {
    return {c.data(), c.size() / 2, 2, 2};
}

void unfiltered(benchmark::State& state) {
    const std::vector<double> c = trace(3600, 360);
    for (auto _ : state) {
        const Evaluated e = evaluatepoints(view(c), pointset::Feature::circle);
        benchmark::DoNotOptimize(e.fits.data());
    }
}
BENCHMARK(unfiltered)->Unit(benchmark::kMillisecond);

void filtered(benchmark::State& state) {
    const std::vector<double> c = trace(3600, 360);
    ProfileFilter f;
    f.cutoff = 50;
    ResultsOptions o;
    o.feature = pointset::Feature::circle;
    o.filter = f;
    o.tolerance = 0.004;
    for (auto _ : state) {
        const FilteredPoints p = filterpoints(view(c), pointset::Feature::circle, f);
        Evaluated e = evaluatepoints(view(p.coordinates), pointset::Feature::circle);
        e.filter = "filtered";
        benchmark::DoNotOptimize(verdictof("part.csv", e, o));
    }
}
BENCHMARK(filtered)->Unit(benchmark::kMillisecond);

void arcfilter(benchmark::State& state) {
    const std::vector<double> c = trace(2000, 200);
    ProfileFilter f;
    f.wavelength = 2.5;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            filterpoints(view(c), pointset::Feature::circle, f).coordinates.data());
}
BENCHMARK(arcfilter)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace formeval::report
