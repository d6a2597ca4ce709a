// Medians of the circle computations on noisy circles of 360 and 2048 points,
// as the uncertainty studies call them (trace level 1: silent).
#include "base/base.h"
#include "circles/circles.h"
#include "form/form.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <vector>

namespace formeval {
namespace {

struct NoisyCircle {
    std::vector<double> u, v;
};

// Points at equal angles on a circle of radius 25 about (40, -15), with
// normal radial noise of 2 micrometres in millimetre units.
NoisyCircle noisycircle(int numpt) {
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 0.002);
    NoisyCircle c;
    for (int i = 0; i < numpt; ++i) {
        const double t = 2 * std::acos(-1.0) * i / numpt;
        const double r = 25 + noise(gen);
        c.u.push_back(40 + r * std::cos(t));
        c.v.push_back(-15 + r * std::sin(t));
    }
    return c;
}

template <circlefunction cal> void circlecal(benchmark::State& state) {
    const int numpt = static_cast<int>(state.range(0));
    const NoisyCircle c = noisycircle(numpt);
    oqt = 1;
    cri = 1e-9;
    Circlefit ans;
    for (auto _ : state) {
        cal(c.u.data(), c.v.data(), numpt, ans);
        benchmark::DoNotOptimize(ans);
    }
}

BENCHMARK_TEMPLATE(circlecal, lscircocal)
    ->Name("lscircocal")
    ->Arg(360)
    ->Arg(2048)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_TEMPLATE(circlecal, mzcircocal)
    ->Name("mzcircocal")
    ->Arg(360)
    ->Arg(2048)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_TEMPLATE(circlecal, pkcircocal)
    ->Name("pkcircocal")
    ->Arg(360)
    ->Arg(2048)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_TEMPLATE(circlecal, vacircocal)
    ->Name("vacircocal")
    ->Arg(360)
    ->Arg(2048)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace formeval
