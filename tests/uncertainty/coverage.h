// Coverage of the uncertainty statement by simulation: a known part with
// form, measured again and again with a stated noise, each measurement
// through the whole evaluation; how often the quoted interval holds the true
// value (the quantity of the part's points without noise), and how wide it
// is against the plain Monte Carlo interval of the same measurement.
// Shared by the suite's test and the coverage benchmark.
#pragma once

#include "uncertainty/uncertainty.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace formeval::uncertainty::coverage {

constexpr double twopi = 6.283185307179586;

// Parts in millimetres, their form of a few micrometres in lobes and waves.
struct Part {
    std::string name;
    Feature feature;
    std::vector<double> points; // without noise
};

inline Part lobedring() {
    Part p{"lobed ring", Feature::circle, {}};
    for (int i = 0; i < 360; ++i) {
        const double a = twopi * i / 360;
        const double r = 10 + 0.002 * std::cos(3 * a) + 0.001 * std::cos(7 * a + 0.5) +
                         0.0005 * std::cos(15 * a + 1);
        p.points.insert(p.points.end(), {r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

// A ring rounder than a probe's stated noise: three lobes of 0.3 um.
inline Part smoothring() {
    Part p{"smooth ring", Feature::circle, {}};
    for (int i = 0; i < 360; ++i) {
        const double a = twopi * i / 360;
        const double r = 10 + 0.0003 * std::cos(3 * a);
        p.points.insert(p.points.end(), {r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

inline Part wavyplane() {
    Part p{"wavy plane", Feature::plane, {}};
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) {
            const double x = 5.0 * i, y = 5.0 * j;
            const double z = 0.002 * std::sin(x / 15) * std::cos(y / 20) + 0.0008 * std::cos(x / 7);
            p.points.insert(p.points.end(), {x, y, z});
        }
    return p;
}

inline Part lobedcylinder() {
    Part p{"lobed cylinder", Feature::cylinder, {}};
    for (int k = 0; k < 10; ++k)
        for (int i = 0; i < 36; ++i) {
            const double a = twopi * i / 36, z = 4.0 * k;
            const double r = 8 + 0.002 * std::cos(2 * a) + 0.00005 * z + 0.0008 * std::cos(5 * a);
            p.points.insert(p.points.end(), {r * std::cos(a), r * std::sin(a), z});
        }
    return p;
}

inline Part lobedsphere() {
    Part p{"lobed sphere", Feature::sphere, {}};
    // Points of a Fibonacci lattice over the whole ball.
    const int n = 400;
    for (int i = 0; i < n; ++i) {
        const double z = 1 - (2.0 * i + 1) / n, s = std::sqrt(1 - z * z);
        const double a = i * 2.399963229728653;
        // Three lobes about z (s^3 cos 3a is smooth at the poles) and a
        // flattening.
        const double r = 12.5 + 0.002 * s * s * s * std::cos(3 * a) + 0.001 * z * z;
        p.points.insert(p.points.end(), {r * s * std::cos(a), r * s * std::sin(a), r * z});
    }
    return p;
}

struct Case {
    Part part;
    Criterion criterion;
    std::string quantity; // "t", "diameter" ...
    double sigma;         // of every coordinate, mm
    double model = 0;     // the sigma the model states, mm; 0: sigma itself
};

struct Outcome {
    long measurements = 0;
    long covered = 0;      // quoted interval held the true value
    long plaincovered = 0; // the plain Monte Carlo interval did
    double widthratio = 0; // mean quoted width / plain width
    double worstratio = 0; // largest of them
    long corrected = 0;    // statements that quoted a corrected estimate
    long undenoised = 0;   // of those, the points could not be denoised
    std::string failure;   // of the first evaluation that failed
};

inline double valueof(const std::vector<double>& points, Feature feature, Criterion criterion,
                      const std::string& quantity) {
    const int d = pointset::traits(feature).dimension;
    const pointset::Points view{points.data(), points.size() / d, d, static_cast<std::size_t>(d)};
    const pointset::Reference r = pointset::evaluate(view, feature, criterion, {});
    const std::vector<std::string> names = quantitynames(feature, criterion);
    const std::vector<double> values = quantityvalues(r);
    for (std::size_t k = 0; k < names.size(); ++k)
        if (names[k] == quantity) return values[k];
    return NAN;
}

// `measurements` measurements of the case's part, from `seed` on, each
// through propagate with `trials` trials.
inline Outcome simulate(const Case& c, long measurements, long trials, std::uint64_t seed,
                        int threads = 0) {
    Outcome out;
    const Feature f = c.part.feature;
    const int d = pointset::traits(f).dimension;
    const double truth = valueof(c.part.points, f, c.criterion, c.quantity);
    Options o;
    o.trials = trials;
    o.gum = false;
    o.threads = threads;
    const std::vector<Contribution> model = {
        {"probe", Acts::coordinates, Distribution::gaussian, c.model > 0 ? c.model : c.sigma}};
    double ratios = 0;
    for (long m = 0; m < measurements; ++m) {
        std::mt19937_64 gen(seed + static_cast<std::uint64_t>(m));
        std::normal_distribution<double> noise(0, c.sigma);
        std::vector<double> x = c.part.points;
        for (double& v : x) v += noise(gen);
        o.seed = seed + static_cast<std::uint64_t>(m);
        const Result r = propagate({x.data(), x.size() / d, d, static_cast<std::size_t>(d)}, f,
                                   c.criterion, model, o);
        if (!r.ok) {
            if (out.failure.empty()) out.failure = r.failure;
            continue;
        }
        for (const Quantity& q : r.quantities) {
            if (q.name != c.quantity) continue;
            ++out.measurements;
            out.covered += q.quoted.low <= truth && truth <= q.quoted.high;
            out.plaincovered += q.mc.low <= truth && truth <= q.mc.high;
            out.corrected += q.quoted.corrected;
            out.undenoised += q.quoted.corrected && !q.quoted.denoised;
            const double ratio = (q.quoted.high - q.quoted.low) / (q.mc.high - q.mc.low);
            ratios += ratio;
            out.worstratio = std::max(out.worstratio, ratio);
        }
    }
    if (out.measurements > 0) out.widthratio = ratios / static_cast<double>(out.measurements);
    return out;
}

inline std::vector<Case> cases() {
    const double sigma = 0.0002;
    std::vector<Case> all;
    for (const Criterion c : {Criterion::leastsquares, Criterion::minimumzone}) {
        all.push_back({lobedring(), c, "t", sigma});
        all.push_back({wavyplane(), c, "t", sigma});
        all.push_back({lobedcylinder(), c, "t", sigma});
        all.push_back({lobedsphere(), c, "t", sigma});
    }
    all.push_back({lobedring(), Criterion::leastsquares, "diameter", sigma});
    all.push_back({lobedring(), Criterion::circumscribed, "diameter", sigma});
    return all;
}

} // namespace formeval::uncertainty::coverage
