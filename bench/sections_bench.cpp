// formreport results of a stack of 20 sections of 3600 points (the stack
// the example generator writes: a tapered shaft, its axis bent) against its
// sections evaluated alone: `results --sections` on the stack's file, and
// `results --feature circle` on 20 files of one section each; beside them
// the cylinder of every point alone (`results --feature cylinder`), which
// the stack evaluates too. Files in the temporary directory, written once.
#include "report/commands/commands.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

constexpr int sections = 20;
constexpr int traced = 3600;

double radius(int k, int i) {
    const double pi = std::acos(-1.0), t = 2 * pi * i / traced;
    const double n = std::sin(i * 12.9898 + 78.233 * (k + 1)) * 43758.5453;
    return 12 + 0.001 * k / (sections - 1) + 0.0008 * std::cos(2 * t + 0.1 * k) +
           0.0003 * (n - std::floor(n) - 0.5);
}

// The point of section k at i: the section's centre bent off the z axis.
void point(int k, int i, double& x, double& y) {
    const double pi = std::acos(-1.0), t = 2 * pi * i / traced;
    const double e = 0.002 + 0.001 * std::sin(pi * k / (sections - 1));
    x = e + radius(k, i) * std::cos(t);
    y = radius(k, i) * std::sin(t);
}

std::vector<double> stackpoints() {
    std::vector<double> xyz;
    for (int k = 0; k < sections; ++k)
        for (int i = 0; i < traced; ++i) {
            double x = 0, y = 0;
            point(k, i, x, y);
            xyz.insert(xyz.end(), {x, y, 5.0 * k});
        }
    return xyz;
}

struct Files {
    std::string stack;
    std::vector<std::string> alone;
};

const Files& files() {
    static const Files f = [] {
        Files out;
        const fs::path dir = fs::temp_directory_path();
        out.stack = (dir / "formeval-sections-bench.csv").string();
        std::ofstream all(out.stack, std::ios::binary);
        all << "x,y,z\n";
        char line[96];
        for (int k = 0; k < sections; ++k) {
            out.alone.push_back(
                (dir / ("formeval-section-bench-" + std::to_string(k) + ".csv")).string());
            std::ofstream one(out.alone.back(), std::ios::binary);
            one << "x,y\n";
            for (int i = 0; i < traced; ++i) {
                double x = 0, y = 0;
                point(k, i, x, y);
                std::snprintf(line, sizeof line, "%.9f,%.9f", x, y);
                one << line << "\n";
                all << line << "," << 5 * k << "\n";
            }
        }
        return out;
    }();
    return f;
}

void run(benchmark::State& state, const ResultsOptions& o) {
    for (auto _ : state) {
        std::ostringstream out, err;
        if (results(o, out, err) != exitok) state.SkipWithError(err.str().c_str());
        benchmark::DoNotOptimize(out.str().data());
    }
}

ResultsOptions options(std::vector<std::string> inputs, pointset::Feature feature) {
    ResultsOptions o;
    o.inputs = std::move(inputs);
    o.feature = feature;
    o.columns.dimension = pointset::traits(feature).dimension;
    o.progress = ProgressMode::never;
    return o;
}

void stack(benchmark::State& state) {
    ResultsOptions o = options({files().stack}, pointset::Feature::cylinder);
    o.sections = true;
    run(state, o);
}
BENCHMARK(stack)->Unit(benchmark::kMillisecond);

void sectionsalone(benchmark::State& state) {
    run(state, options(files().alone, pointset::Feature::circle));
}
BENCHMARK(sectionsalone)->Unit(benchmark::kMillisecond);

void cylinderalone(benchmark::State& state) {
    run(state, options({files().stack}, pointset::Feature::cylinder));
}
BENCHMARK(cylinderalone)->Unit(benchmark::kMillisecond);

// The cylinder of every point by one criterion (0 least squares, 1 minimum
// zone, 2 circumscribed, 3 inscribed): where the stack's time goes.
void cylindercriterion(benchmark::State& state) {
    const std::vector<double> xyz = stackpoints();
    const auto c = static_cast<pointset::Criterion>(state.range(0));
    for (auto _ : state) {
        const pointset::Reference r =
            pointset::evaluate({xyz.data(), xyz.size() / 3, 3, 3}, pointset::Feature::cylinder, c);
        benchmark::DoNotOptimize(r.t);
    }
}
BENCHMARK(cylindercriterion)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The charts: `polar --sections` of the stack against `polar --feature
// circle` of the 20 sections alone, into the temporary directory.
void chart(benchmark::State& state, std::vector<std::string> inputs, pointset::Feature feature,
           bool sections) {
    PolarOptions o;
    o.output = (fs::temp_directory_path() / "formeval-sections-bench-charts").string();
    o.feature = feature;
    o.columns.dimension = pointset::traits(feature).dimension;
    o.sections = sections;
    o.progress = ProgressMode::never;
    for (auto _ : state)
        for (const std::string& input : inputs) {
            o.input = input;
            std::ostringstream out, err;
            if (pointpolar(o, out, err, nullptr) != exitok) state.SkipWithError(err.str().c_str());
        }
}

void stackchart(benchmark::State& state) {
    chart(state, {files().stack}, pointset::Feature::cylinder, true);
}
BENCHMARK(stackchart)->Unit(benchmark::kMillisecond);

void sectionchartsalone(benchmark::State& state) {
    chart(state, files().alone, pointset::Feature::circle, false);
}
BENCHMARK(sectionchartsalone)->Unit(benchmark::kMillisecond);

// The stack's own evaluation without the command: grouping, the sections'
// circles, the cylinder and the measures.
void evaluatestackonly(benchmark::State& state) {
    const std::vector<double> xyz = stackpoints();
    for (auto _ : state) {
        const Stack s = evaluatestack({xyz.data(), xyz.size() / 3, 3, 3});
        benchmark::DoNotOptimize(s.measures.axis);
    }
}
BENCHMARK(evaluatestackonly)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace formeval::report
