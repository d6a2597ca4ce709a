// A part of five features of 10^5 points each and eight tolerance frames
// (total run-out and a cylindrical position zone among them), against the
// peer a lab would run without datums: the five features' own minimum zones,
// each by the point-set library as its users call it.
#include "pointset/pointset.h"
#include "tolerance/tolerance.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <random>
#include <vector>

namespace {

using namespace formeval;
using pointset::Feature;
using tolerance::Characteristic;
using tolerance::Material;
constexpr double pi = 3.141592653589793;
constexpr int points = 100000;

struct Bench {
    std::deque<std::vector<double>> store;
    tolerance::Part part;

    void add(const char* name, Feature type, std::vector<double> xyz, Material m,
             std::optional<tolerance::Vector> outward = {}) {
        const std::vector<double>& p = store.emplace_back(std::move(xyz));
        tolerance::Measured f;
        f.name = name;
        f.type = type;
        f.points = {p.data(), p.size() / 3, 3, 3};
        f.material = m;
        f.outward = outward;
        part.features.push_back(f);
    }
    void frame(Characteristic c, const char* feature, std::vector<std::string> datums) {
        tolerance::Frame f;
        f.characteristic = c;
        f.feature = feature;
        f.datums = std::move(datums);
        f.tolerance = 0.01;
        part.frames.push_back(f);
    }
};

// A face z = height over a disc of the radius, noisy by 1 micrometre.
std::vector<double> face(double height, double radius, std::mt19937& rng) {
    std::normal_distribution<double> noise(0, 1e-3);
    std::vector<double> p;
    for (int i = 0; i < points; ++i) {
        const double r = radius * std::sqrt((i + 0.5) / points), a = 2.39996323 * i;
        p.insert(p.end(), {r * std::cos(a), r * std::sin(a), height + noise(rng)});
    }
    return p;
}

// A cylinder about the z axis measured in 100 circles from z0 to z1.
std::vector<double> cylinder(double radius, double z0, double z1, std::mt19937& rng) {
    std::normal_distribution<double> noise(0, 1e-3);
    std::vector<double> p;
    const int circles = 100, each = points / circles;
    for (int k = 0; k < circles; ++k)
        for (int i = 0; i < each; ++i) {
            const double a = 2 * pi * i / each, r = radius + noise(rng);
            p.insert(p.end(), {r * std::cos(a) + 1e-3 * std::sin(3 * a), r * std::sin(a),
                               z0 + (z1 - z0) * k / (circles - 1)});
        }
    return p;
}

Bench built() {
    std::mt19937 rng(11);
    Bench b;
    b.add("base", Feature::plane, face(0, 40, rng), Material::unstated,
          tolerance::Vector{0, 0, -1});
    b.add("shaft", Feature::cylinder, cylinder(20, 5, 40, rng), Material::shaft);
    b.add("bore", Feature::cylinder, cylinder(8, 5, 60, rng), Material::hole);
    b.add("face", Feature::plane, face(60, 20, rng), Material::unstated,
          tolerance::Vector{0, 0, 1});
    b.add("journal", Feature::cylinder, cylinder(12, 45, 58, rng), Material::shaft);
    b.part.datums = {{"A", {"base"}}, {"B", {"shaft"}}};
    b.frame(Characteristic::flatness, "base", {});
    b.frame(Characteristic::cylindricity, "shaft", {});
    b.frame(Characteristic::perpendicularity, "bore", {"A"});
    b.frame(Characteristic::position, "bore", {"A", "B"});
    b.frame(Characteristic::parallelism, "face", {"A"});
    b.frame(Characteristic::coaxiality, "journal", {"B"});
    b.frame(Characteristic::totalradialrunout, "journal", {"B"});
    b.frame(Characteristic::totalaxialrunout, "face", {"B"});
    return b;
}

void PartOfEightFrames(benchmark::State& state) {
    const Bench b = built();
    for (auto _ : state) {
        const auto values = tolerance::evaluate(b.part);
        for (const auto& v : values)
            if (!v.found) state.SkipWithError(v.failure.c_str());
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(PartOfEightFrames)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The peer: each feature's minimum zone alone.
void FiveFeaturesAlone(benchmark::State& state) {
    const Bench b = built();
    pointset::Options o;
    o.deviations = false;
    for (auto _ : state)
        for (const auto& f : b.part.features) {
            const auto r =
                pointset::evaluate(f.points, f.type, pointset::Criterion::minimumzone, o);
            benchmark::DoNotOptimize(r.t);
        }
}
BENCHMARK(FiveFeaturesAlone)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
