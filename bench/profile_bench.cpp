// The profile filters of a 3600-point closed roundness trace at 50 UPR, side
// by side: the Gaussian (one transform there and back) beside the robust
// Gaussian (reweighted passes of it), the spline (a banded solve), the 2RC
// and the morphological closing with a disk of 0.2 on a radius of 10.
// Run them interleaved:
//     profile_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
#include "profile/profile.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

using namespace formeval::profile;

constexpr int points = 3600;
constexpr double cutoff = 50;

// An oval and a trefoil with chatter, noise and one spike, in millimetres.
const std::vector<double>& trace() {
    static const std::vector<double> samples = [] {
        std::mt19937 random(3600);
        std::normal_distribution<double> noise(0, 0.0002);
        const double pi = std::acos(-1.0);
        std::vector<double> out;
        for (int j = 0; j < points; ++j) {
            const double t = 2 * pi * j / points;
            out.push_back(0.004 * std::cos(2 * t) + 0.002 * std::sin(3 * t + 1) +
                          0.0005 * std::cos(150 * t) + noise(random));
        }
        out[1234] += 0.08;
        return out;
    }();
    return samples;
}

template <class Filter> void run(benchmark::State& state, Filter filter) {
    const std::vector<double>& z = trace();
    for (auto _ : state) benchmark::DoNotOptimize(filter(z).data());
}

void BM_Gaussian(benchmark::State& state) {
    run(state, [](const std::vector<double>& z) { return gaussianfilter(z, cutoff); });
}
void BM_Robust(benchmark::State& state) {
    run(state, [](const std::vector<double>& z) { return robustfilter(z, cutoff); });
}
void BM_Spline(benchmark::State& state) {
    run(state, [](const std::vector<double>& z) { return splinefilter(z, cutoff); });
}
void BM_TwoRc(benchmark::State& state) {
    run(state, [](const std::vector<double>& z) { return rcfilter(z, cutoff); });
}
void BM_Closing(benchmark::State& state) {
    const double circumference = 2 * std::acos(-1.0) * 10;
    std::vector<double> position;
    for (int j = 0; j < points; ++j) position.push_back(circumference * j / points);
    run(state, [&](const std::vector<double>& z) {
        return closingfilter(position, z, 0.2, circumference);
    });
}

BENCHMARK(BM_Gaussian)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Robust)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Spline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TwoRc)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Closing)->Unit(benchmark::kMicrosecond);

} // namespace
