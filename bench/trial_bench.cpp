// The Monte Carlo trial of a minimum-zone reference: CPU time a trial of
// uncertainty::propagate (the trials alone: no GUM part, no bias correction)
// on a 3600-point lobed roundness trace and a 36 000-point lobed cylinder
// (100 sections of 360), 0.2 um Gaussian noise on every coordinate, on 1
// and 2 threads. The same source builds against any version of the library
// that has propagate, so that two builds run side by side
// (bench/sidebyside.sh). Counters: us_per_trial (CPU time of every thread
// over the trials) and the share of trials left uncertified.
#include "uncertainty/uncertainty.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <random>
#include <vector>

namespace formeval::uncertainty {
namespace {

constexpr double sigma = 0.0002; // mm

// Points with the noise of one measurement (a fixed seed).
std::vector<double> roundness() {
    std::mt19937_64 g(7);
    std::normal_distribution<double> noise(0, sigma);
    std::vector<double> p;
    const double pi = std::acos(-1.0);
    for (int k = 0; k < 3600; ++k) {
        const double a = 2 * pi * k / 3600;
        const double r = 25 + 0.002 * std::cos(3 * a) + 0.0005 * std::cos(15 * a);
        p.insert(p.end(), {r * std::cos(a) + noise(g), r * std::sin(a) + noise(g)});
    }
    return p;
}

std::vector<double> cylinder() {
    std::mt19937_64 g(7);
    std::normal_distribution<double> noise(0, sigma);
    std::vector<double> p;
    const double pi = std::acos(-1.0);
    for (int s = 0; s < 100; ++s)
        for (int k = 0; k < 360; ++k) {
            const double a = 2 * pi * k / 360, z = 0.5 * s;
            const double r = 10 + 0.002 * std::cos(3 * a) + 0.001 * std::cos(2 * a + z / 10);
            p.insert(p.end(),
                     {r * std::cos(a) + noise(g), r * std::sin(a) + noise(g), z + noise(g)});
        }
    return p;
}

double cpuseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void trials(benchmark::State& state, const std::vector<double>& points, int dimension,
            Feature feature, long count) {
    Options o;
    o.trials = count;
    o.threads = static_cast<int>(state.range(0));
    o.gum = false;
    o.correctbias = false;
    const std::vector<Contribution> model = {
        {"noise", Acts::coordinates, Distribution::gaussian, sigma}};
    const std::size_t n = points.size() / static_cast<std::size_t>(dimension);
    Result r;
    double cpu = 0;
    for (auto _ : state) {
        const double start = cpuseconds();
        r = propagate({points.data(), n, dimension, static_cast<std::size_t>(dimension)}, feature,
                      Criterion::minimumzone, model, o);
        cpu += cpuseconds() - start;
    }
    if (!r.ok) state.SkipWithError(r.failure.c_str());
    const double runs = static_cast<double>(state.iterations());
    state.counters["us_per_trial"] = cpu / runs / static_cast<double>(count) * 1e6;
    state.counters["uncertified"] = static_cast<double>(r.uncertified) / static_cast<double>(count);
}

const bool registered = [] {
    struct Part {
        const char* name;
        std::vector<double> (*points)();
        int dimension;
        Feature feature;
        long trials;
    };
    for (const Part& part : {Part{"BM_RoundnessTrial", roundness, 2, Feature::circle, 2000},
                             Part{"BM_CylinderTrial", cylinder, 3, Feature::cylinder, 200}})
        benchmark::RegisterBenchmark(part.name,
                                     [part, points = part.points()](benchmark::State& s) {
                                         trials(s, points, part.dimension, part.feature,
                                                part.trials);
                                     })
            ->ArgName("threads")
            ->Arg(1)
            ->Arg(2)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    return true;
}();

} // namespace
} // namespace formeval::uncertainty
