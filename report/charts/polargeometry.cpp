// The geometry of a roundness plot. Everything is drawn as radial deviation
// about the minimum-zone centre: a profile point at distance d from that
// centre is drawn at d - r_mz, magnified; a reference circle is drawn
// through the same mapping, its distance from the minimum-zone centre along
// each direction minus r_mz. A circle about another centre thus becomes the
// slightly egg-shaped curve (a limacon) of a roundness chart, and a profile
// point that lies on a circle lies on its drawn curve.
#include "report/charts/charts.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

// 1, 2 or 5 times a power of ten, at most x (x > 0).
double nicefloor(double x) {
    const double decade = std::pow(10.0, std::floor(std::log10(x)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * decade <= x * (1 + 1e-6)) return step * decade;
    return decade;
}

} // namespace

double automagnification(double maxdeviation, double radius, const PolarLayout& layout) {
    if (!(maxdeviation > 0) || !(radius > 0)) return 1;
    // Deviations are drawn `magnification` times larger than the radius is:
    // radius -> baseradius * plotradius, so one unit of deviation takes
    // magnification * baseradius * plotradius / radius.
    return nicefloor(layout.reach * radius / (layout.baseradius * maxdeviation));
}

bool magnificationfits(double magnification, double lowest, double highest, double radius,
                       const PolarLayout& layout) {
    const double scale = magnification * layout.baseradius * layout.plotradius / radius;
    const double base = layout.baseradius * layout.plotradius;
    return base + scale * lowest >= 0.05 * layout.plotradius &&
           base + scale * highest <= layout.plotradius;
}

PolarData polardata(const XY& points, const Evaluated& evaluation) {
    PolarData data;
    // Drawn about the exact minimum-zone centre where formeval's is not it.
    const Fit& ours = evaluation.fit(Criterion::minimumzone);
    const Fit* exactzone = evaluation.find(Criterion::minimumzone, Source::exact);
    const Fit& mz = exactzone && ours.inexact ? *exactzone : ours;
    data.centre = mz;
    data.lowest = data.highest = 0;
    const auto extend = [&data](double deviation) {
        data.lowest = std::min(data.lowest, deviation);
        data.highest = std::max(data.highest, deviation);
    };

    data.profile = profile::profileabout(points.x, points.y, {mz.x, mz.y, mz.r});
    for (const PolarPoint& p : data.profile) extend(p.deviation);
    data.zoneinner = data.lowest;
    data.zoneouter = data.highest;

    const double pi = std::acos(-1.0);
    const profile::ProfileExtent extent = profile::profileextent(data.profile);
    data.closed = extent.closed;
    data.start = extent.closed ? -pi : extent.start;
    data.span = extent.span;
    if (!extent.closed) {
        // The arc from its start, its angles increasing past +-pi.
        const auto first =
            std::find_if(data.profile.begin(), data.profile.end(),
                         [&](const PolarPoint& p) { return p.angle >= extent.start; });
        std::rotate(data.profile.begin(), first, data.profile.end());
        for (PolarPoint& p : data.profile)
            if (p.angle < extent.start) p.angle += 2 * pi;
    }
    // A closed curve's last sample joins its first; an arc's ends on the arc's end.
    const int samples = extent.closed ? curvesamples : curvesamples + 1;
    const auto curveof = [&](const Fit& c) {
        std::vector<PolarPoint> curve;
        for (int s = 0; s < samples; ++s) {
            const double angle = data.start + data.span * s / curvesamples;
            const auto d = profile::distancealong({c.x, c.y, c.r}, mz.x, mz.y, angle);
            // A circle that does not surround the centre, or is not finite,
            // has no curve to draw.
            if (!d || !std::isfinite(*d)) return std::vector<PolarPoint>{};
            curve.push_back({angle, *d - mz.r});
        }
        for (const PolarPoint& p : curve) extend(p.deviation);
        return curve;
    };
    for (int k = 0; k < ncriteria; ++k) {
        const Fit& program = evaluation.fit(Criterion(k));
        data.curves[k] = curveof(program);
        const bool held = Criterion(k) == Criterion::minimumzone || data.holdscircles();
        if (const Fit* exact = evaluation.find(Criterion(k), Source::exact);
            exact && program.inexact && held)
            data.exactcurves[k] = curveof(*exact);
    }
    return data;
}

} // namespace formeval::report

namespace formeval::report {

std::vector<PolarPoint> decimated(const std::vector<PolarPoint>& profile, std::size_t most) {
    if (profile.size() <= most || most < 2) return profile;
    const double first = profile.front().angle;
    const double span = profile.back().angle - first;
    const std::size_t steps = most / 2;
    std::vector<PolarPoint> out;
    std::size_t i = 0;
    for (std::size_t s = 0; s < steps && i < profile.size(); ++s) {
        const double end =
            s + 1 == steps ? profile.back().angle
                           : first + span * static_cast<double>(s + 1) / static_cast<double>(steps);
        std::size_t low = i, high = i;
        for (; i < profile.size() && (profile[i].angle < end || s + 1 == steps); ++i) {
            if (profile[i].deviation < profile[low].deviation) low = i;
            if (profile[i].deviation > profile[high].deviation) high = i;
        }
        if (i == low && i == high) continue; // an empty step
        out.push_back(profile[std::min(low, high)]);
        if (low != high) out.push_back(profile[std::max(low, high)]);
    }
    return out;
}

void thinprofile(PolarData& data, PolarLabels& labels, std::size_t most) {
    labels.unfiltered = decimated(labels.unfiltered, most);
    if (data.profile.size() <= most) return;
    labels.measured = data.profile.size();
    data.profile = decimated(data.profile, most);
    labels.note += (labels.note.empty() ? "" : "; ") + std::string("profile drawn as ") +
                   std::to_string(data.profile.size()) + " of its " +
                   std::to_string(labels.measured) +
                   " points (the highest and lowest of each step of angle); every point evaluated";
}

} // namespace formeval::report
