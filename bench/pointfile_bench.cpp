// Reading a point file of a million lines (x,y,z with a header, 34 MB), from
// disk, by formreport's point-file reader and, side by side in the same run,
// by the plainest peer: std::getline and strtod on each field. Run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true for
// medians and their spread.
#include "report/pointfiles/pointfiles.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

// The file, written once per run into the temporary directory.
const std::string& millionlines() {
    static const std::string path = [] {
        const fs::path p = fs::temp_directory_path() / "formeval-pointfile-bench.csv";
        std::ofstream out(p, std::ios::binary);
        out << "x_mm,y_mm,z_mm\n";
        char line[96];
        for (int i = 0; i < 1000000; ++i) {
            const double u = (i % 1000) * 0.2 - 100, v = (i / 1000) * 0.15 - 75;
            std::snprintf(line, sizeof line, "%.7f,%.7f,%.7f\n", u, v,
                          20 + 0.003 * std::sin(u * v) + 1e-4 * std::cos(7.0 * i));
            out << line;
        }
        return p.string();
    }();
    return path;
}

void readpoints(benchmark::State& state) {
    millionlines(); // written before the clock runs
    for (auto _ : state) {
        std::ifstream in(millionlines(), std::ios::binary);
        const PointFile f = readpointfile(in, millionlines(), {{}, 3});
        benchmark::DoNotOptimize(f.coordinates.data());
        if (f.count() != 1000000) state.SkipWithError("not every point was read");
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(readpoints)->Unit(benchmark::kMillisecond);

// The peer: a line at a time, strtod on each comma-separated field.
void getlinestrtod(benchmark::State& state) {
    millionlines();
    for (auto _ : state) {
        std::ifstream in(millionlines(), std::ios::binary);
        std::vector<double> coordinates;
        std::string line;
        std::getline(in, line); // the header
        while (std::getline(in, line)) {
            const char* at = line.c_str();
            for (int k = 0; k < 3; ++k) {
                char* end = nullptr;
                coordinates.push_back(std::strtod(at, &end));
                at = *end == ',' ? end + 1 : end;
            }
        }
        benchmark::DoNotOptimize(coordinates.data());
        if (coordinates.size() != 3000000) state.SkipWithError("not every point was read");
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(getlinestrtod)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace formeval::report
