// formreport results on the largest circle record: 2048 noisy points of a
// circle of radius 25 (2 um radial noise), evaluated with formeval's four
// circle computations, the three exact references and the ISO parameters;
// and each exact reference alone.
#include "report/commands/commands.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace formeval::report {
namespace {

constexpr int most = 2048;

JobRecord circlerecord(int numpt) {
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 0.002);
    JobRecord r;
    r.ordinal = 1;
    r.job = 2500;
    r.line = 1;
    r.numpt = numpt;
    r.cri = 1e-9;
    for (int i = 0; i < numpt; ++i) {
        const double t = 2 * std::acos(-1.0) * i / numpt;
        r.c[0].push_back(40 + (25 + noise(gen)) * std::cos(t));
        r.c[1].push_back(-15 + (25 + noise(gen)) * std::sin(t));
    }
    return r;
}

std::vector<double> points(const JobRecord& r) {
    std::vector<double> p;
    for (std::size_t i = 0; i < r.c[0].size(); ++i) p.insert(p.end(), {r.c[0][i], r.c[1][i]});
    return p;
}

// The exact reference of `criterion` of the record's circle.
double exactcircle(const std::vector<double>& p, pointset::Criterion criterion) {
    const pointset::Points view{p.data(), p.size() / 2, 2, 2};
    return pointset::evaluate(view, pointset::Feature::circle, criterion).radius;
}

void everyreference(benchmark::State& state) {
    const JobRecord record = circlerecord(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const Evaluated e = evaluaterecord(record);
        benchmark::DoNotOptimize(e.fits.data());
    }
}
BENCHMARK(everyreference)->Arg(360)->Arg(most)->Unit(benchmark::kMillisecond);

void exactminimumzone(benchmark::State& state) {
    const std::vector<double> p = points(circlerecord(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(exactcircle(p, pointset::Criterion::minimumzone));
}
BENCHMARK(exactminimumzone)->Arg(360)->Arg(most)->Unit(benchmark::kMillisecond);

void exactenclosing(benchmark::State& state) {
    const std::vector<double> p = points(circlerecord(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(exactcircle(p, pointset::Criterion::circumscribed));
}
BENCHMARK(exactenclosing)->Arg(360)->Arg(most)->Unit(benchmark::kMillisecond);

void exactinscribed(benchmark::State& state) {
    const std::vector<double> p = points(circlerecord(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(exactcircle(p, pointset::Criterion::inscribed));
}
BENCHMARK(exactinscribed)->Arg(360)->Arg(most)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace formeval::report
