// Coverage of the uncertainty statement, by simulation: for each known part
// and criterion, 200 measurements with a stated noise, each through the whole
// evaluation (propagate with its bias correction); the counters give the
// share of quoted intervals that held the true value, the same for the plain
// Monte Carlo interval, and the quoted interval's width against the plain
// one (mean and largest). Run with --benchmark_filter to pick cases.
#include "tests/uncertainty/coverage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace formeval::uncertainty::coverage {
namespace {

long measurements() {
    const char* given = std::getenv("FORMEVAL_COVERAGE_MEASUREMENTS");
    return given ? std::atol(given) : 200;
}

void coverage(benchmark::State& state, const Case& c) {
    Outcome o;
    for (auto _ : state) o = simulate(c, measurements(), 1000, 1);
    if (!o.failure.empty()) state.SkipWithError(o.failure.c_str());
    const double n = static_cast<double>(o.measurements);
    state.counters["coverage"] = o.covered / n;
    state.counters["plain_coverage"] = o.plaincovered / n;
    state.counters["width_ratio"] = o.widthratio;
    state.counters["worst_ratio"] = o.worstratio;
    state.counters["corrected"] = o.corrected / n;
    state.counters["undenoised"] = o.undenoised / n;
}

const bool registered = [] {
    for (const Case& c : cases())
        benchmark::RegisterBenchmark(
            (c.part.name + "/" + pointset::criterionname(c.criterion) + "/" + c.quantity).c_str(),
            [c](benchmark::State& s) { coverage(s, c); })
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    return true;
}();

} // namespace
} // namespace formeval::uncertainty::coverage
