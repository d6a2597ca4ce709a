// Uses each installed library once on points whose answers are known by hand,
// and exits with status 1 when one differs.
#include <formeval/methods/methods.h>
#include <formeval/pointset/pointset.h>
#include <formeval/profile/profile.h>
#include <formeval/statistics/statistics.h>
#include <formeval/tolerance/tolerance.h>
#include <formeval/uncertainty/uncertainty.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

bool near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * (1 + std::fabs(b));
}

} // namespace

int main() {
    // Eight points on a circle of radius 10 about (3, 4), alternately 0.01
    // outside and inside: a zone of 0.02 about radius 10.
    const double pi = std::acos(-1.0);
    std::vector<double> xy;
    for (int i = 0; i < 8; ++i) {
        const double r = 10 + (i % 2 ? -0.01 : 0.01);
        xy.push_back(3 + r * std::cos(i * pi / 4));
        xy.push_back(4 + r * std::sin(i * pi / 4));
    }
    using namespace formeval;
    const pointset::Points view{xy.data(), 8, 2, 2};
    const pointset::Reference mz =
        pointset::evaluate(view, pointset::Feature::circle, pointset::Criterion::minimumzone);
    expect(mz.found && near(mz.t, 0.02) && near(mz.radius, 10) && near(mz.point[0], 3),
           "pointset minimum-zone circle");
    if (pointset::exactreferences()) expect(mz.certificate.certified, "its certificate");

    const methods::Result own = methods::evaluate({xy.data(), 8, 2, 2}, pointset::Feature::circle,
                                                  pointset::Criterion::minimumzone, 1e-6);
    expect(own.evaluated && near(own.error, 0.02) && near(own.r, 10), "formeval's own circle");
    const methods::Result many =
        methods::evaluate({xy.data(), 4096, 2, 2}, pointset::Feature::circle,
                          pointset::Criterion::leastsquares, 1e-6);
    expect(!many.evaluated && many.failure == "4096 points exceed the limit of 2048",
           "the point limit");

    std::vector<double> x, y;
    for (int i = 0; i < 64; ++i) {
        x.push_back((10 + 0.01 * std::cos(3 * i * pi / 32)) * std::cos(i * pi / 32));
        y.push_back((10 + 0.01 * std::cos(3 * i * pi / 32)) * std::sin(i * pi / 32));
    }
    if (profile::spectral()) {
        const profile::Harmonics h = profile::harmonics(x, y, {0, 0, 10});
        expect(near(h.amplitude.at(3), 0.01), "profile harmonic 3");
    }
    const statistics::Statistics s = statistics::summarise({1, 2, 3, 4}, 9500);
    expect(s.count == 4 && near(s.mean, 2.5), "statistics summary");

    // A translation along x of standard deviation 0.001 moves the
    // least-squares centre with it and leaves the radius as it is.
    uncertainty::Options o;
    o.trials = 2000;
    o.threads = 2;
    o.gum = false;
    const uncertainty::Result u = uncertainty::propagate(
        view, pointset::Feature::circle, pointset::Criterion::leastsquares,
        {{"offset", uncertainty::Acts::offsetx, uncertainty::Distribution::gaussian, 0.001}}, o);
    expect(u.ok && u.trials == 2000, "uncertainty trials");
    double centre = -1, radius = -1;
    bool quoted = !u.quantities.empty();
    for (const uncertainty::Quantity& q : u.quantities) {
        if (q.name == "centre_x") centre = q.mc.sd;
        if (q.name == "radius") radius = q.mc.sd;
        quoted = quoted && q.quoted.y == q.mc.mean && q.quoted.U == q.U &&
                 q.bias == q.mc.mean - q.measured;
    }
    expect(std::fabs(centre / 0.001 - 1) < 0.1, "uncertainty of the centre");
    expect(radius >= 0 && radius < 1e-12, "uncertainty of the radius");
    expect(quoted, "the quoted estimate and the bias");

    // The law of propagation: the centre moves one for one with the offset.
    o.gum = true;
    o.trials = 200;
    const uncertainty::Result g = uncertainty::propagate(
        view, pointset::Feature::circle, pointset::Criterion::leastsquares,
        {{"offset", uncertainty::Acts::offsetx, uncertainty::Distribution::gaussian, 0.001}}, o);
    bool sensitivity = false;
    for (const uncertainty::Quantity& q : g.quantities)
        if (q.name == "centre_x")
            sensitivity = q.hasgum && q.sensitivity.size() == 1 &&
                          std::fabs(q.sensitivity[0] - 1) < 1e-6 &&
                          std::fabs(q.gumu / 0.001 - 1) < 1e-6;
    expect(g.ok && sensitivity, "uncertainty by the GUM");
    const uncertainty::Result refused = uncertainty::propagate(
        view, pointset::Feature::circle, pointset::Criterion::leastsquares, {}, o);
    expect(!refused.ok && !refused.failure.empty(), "uncertainty refuses an empty model");

    // A top face rising 0.01 over its length of 10, parallel to the base face A.
    std::vector<double> base, top;
    for (double x : {0.0, 5.0, 10.0})
        for (double y : {0.0, 4.0, 8.0}) {
            base.insert(base.end(), {x, y, 0});
            top.insert(top.end(), {x, y, 5 + 0.001 * x});
        }
    tolerance::Part part;
    part.features = {{"base", pointset::Feature::plane, {base.data(), 9, 3, 3}},
                     {"top", pointset::Feature::plane, {top.data(), 9, 3, 3}}};
    part.features[0].outward = tolerance::Vector{0, 0, -1};
    part.datums = {{"A", {"base"}}};
    tolerance::Frame frame;
    frame.characteristic = tolerance::Characteristic::parallelism;
    frame.feature = "top";
    frame.datums = {"A"};
    frame.tolerance = 0.02;
    part.frames = {frame};
    const tolerance::FrameValue v = tolerance::evaluate(part).front();
    expect(v.found && near(v.value, 0.01) && v.verdict == tolerance::Verdict::within,
           "parallelism to a datum");
    return failures ? 1 : 0;
}
