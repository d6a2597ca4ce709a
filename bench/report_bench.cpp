// formreport on the largest study output: the summary of a block of 100 000
// repetition lines (job 2512), and the roundness plot data of 2048 points.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <sstream>

namespace formeval::report {
namespace {

std::string hundredthousandlines() {
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 0.001);
    std::ostringstream text;
    text.precision(12);
    for (int ii = 0; ii < 100000; ++ii)
        text << ii << '\t' << 40 + noise(gen) << '\t' << -15 + noise(gen) << '\t' << 25 + noise(gen)
             << '\t' << 0.004 + std::fabs(noise(gen)) << '\n';
    return text.str();
}

void summary100k(benchmark::State& state) {
    const std::string text = hundredthousandlines();
    std::ostringstream warnings;
    for (auto _ : state) {
        std::istringstream in(text);
        const auto blocks = scanresults(in, "result.txt", ScanOptions{}, warnings);
        benchmark::DoNotOptimize(blocks.data());
    }
}
BENCHMARK(summary100k)->Unit(benchmark::kMillisecond);

void polar2048(benchmark::State& state) {
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 0.002);
    XY points;
    for (int i = 0; i < 2048; ++i) {
        const double t = 2 * std::acos(-1.0) * i / 2048;
        points.x.push_back(40 + (25 + noise(gen)) * std::cos(t));
        points.y.push_back(-15 + (25 + noise(gen)) * std::sin(t));
    }
    for (auto _ : state) {
        const Evaluated e = evaluatecircle(points, 1e-9);
        const PolarData d = polardata(points, e);
        benchmark::DoNotOptimize(d.profile.data());
    }
}
BENCHMARK(polar2048)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace formeval::report
