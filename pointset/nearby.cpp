// Points close to points already evaluated: how far they moved, and the
// margin a minimum-zone cylinder's zone is proven to keep beyond a cone of
// axes about the reference's.
#include "pointset/cylinder.h"

#include <algorithm>
#include <cmath>

namespace formeval::pointset {

double displacement(const Points& now, const Points& before) {
    if (now.count != before.count || now.dimension != before.dimension || !now.data || !before.data)
        return kernel::inf;
    const int dim = now.dimension;
    const auto move = [&](std::size_t i, int k) {
        return now.data[i * now.stride + k] - before.data[i * before.stride + k];
    };
    double mean[3] = {0, 0, 0};
    for (std::size_t i = 0; i < now.count; ++i)
        for (int k = 0; k < dim; ++k) mean[k] += move(i, k);
    for (double& v : mean) v /= static_cast<double>(std::max<std::size_t>(now.count, 1));
    double most = 0, largest = 0;
    for (std::size_t i = 0; i < now.count; ++i) {
        double s = 0;
        for (int k = 0; k < dim; ++k) {
            s += (move(i, k) - mean[k]) * (move(i, k) - mean[k]);
            largest = std::max(largest, std::fabs(now.data[i * now.stride + k]));
        }
        most = std::max(most, s);
    }
    // Less than a part in 10^12 of it, and a few rounding units of the
    // coordinates, is lost to rounding.
    return std::sqrt(most) * (1 + 1e-12) + 16 * kernel::eps * largest;
}

Nearby nearby(const Points& points, const Reference& reference, double margin,
              const Options& options) {
    Nearby out;
    out.points = points;
    out.reference = reference;
    if (!reference.found || reference.feature != Feature::cylinder ||
        reference.criterion != Criterion::minimumzone || !(margin > 0) || points.dimension != 3 ||
        points.stride < 3 || !points.data)
        return out;
    kernel::Moments m = kernel::moments(points);
    if (!m.failure.empty()) return out;
    const kernel::View& w = m.view;
    const kernel::Cylinder best = kernel::mzfrom(w, reference);
    if (!best.ok) return out;
    // The zone grows with the tilt of the axis about as fast as the points'
    // length turns: the narrowest cone first, then wider ones.
    const double L = kernel::axialextent(w, best.f);
    const double slant = std::acos(std::min(
        1.0, std::fabs(kernel::dot(best.f.axis(), {reference.direction[0], reference.direction[1],
                                                   reference.direction[2]}))));
    for (double angle = 2 * margin * w.scale / L; angle < 0.25; angle *= 4) {
        if (!kernel::zonebeyond(w, best, margin * w.scale, angle, options.budget)) continue;
        // The zone proven, in the caller's unit, above the reference's; the
        // cone about the reference's axis, widened by its angle from the one
        // the proof was about.
        out.margin = (best.value / w.scale + margin - reference.t) * (1 - 1e-9);
        out.cone = angle + slant + 1e-12;
        if (!(out.margin > 0)) out.margin = out.cone = 0;
        return out;
    }
    return out;
}

} // namespace formeval::pointset
