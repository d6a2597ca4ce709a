// The outlier rule of point files: deviations from the least-squares feature
// judged against their median and a robust standard deviation.
#include "profile/profile.h"
#include "report/evaluation/evaluation.h"
#include "report/pointfiles/pointfiles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval::report {

namespace {

// The deviation of point p (dimension coordinates) from the reference r:
// normal to a line or plane, radial from a circle, sphere or cylinder,
// normal to a cone's surface.
double deviationfrom(const pointset::Reference& r, const double* p, int dimension) {
    double u[3] = {0, 0, 0};
    for (int c = 0; c < dimension; ++c) u[c] = p[c] - r.point[c];
    switch (r.feature) {
    case pointset::Feature::line:
        return -r.direction[1] * u[0] + r.direction[0] * u[1];
    case pointset::Feature::plane:
        return r.direction[0] * u[0] + r.direction[1] * u[1] + r.direction[2] * u[2];
    case pointset::Feature::cylinder:
    case pointset::Feature::cone: {
        const double along = r.direction[0] * u[0] + r.direction[1] * u[1] + r.direction[2] * u[2];
        for (int c = 0; c < 3; ++c) u[c] -= along * r.direction[c];
        const double rho = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        if (r.feature == pointset::Feature::cylinder) return rho - r.radius;
        // The radius grows by tan(angle) a unit along the axis; across the
        // surface the radial gap shrinks by cos(angle).
        return (rho - r.radius - along * std::tan(r.angle)) * std::cos(r.angle);
    }
    default:
        return std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]) - r.radius;
    }
}

// The least-squares feature of the points kept, its deviations at every
// point (NaN when it cannot be fitted).
std::vector<double> deviationsfrom(const pointset::Points& all, const std::vector<bool>& out,
                                   pointset::Feature feature) {
    std::vector<double> kept;
    for (std::size_t i = 0; i < all.count; ++i)
        if (!out[i])
            kept.insert(kept.end(), all.data + i * all.stride,
                        all.data + i * all.stride + all.dimension);
    pointset::Options options;
    options.certificate = false;
    options.deviations = false;
    const pointset::Reference ls =
        pointset::evaluate({kept.data(), kept.size() / static_cast<std::size_t>(all.dimension),
                            all.dimension, static_cast<std::size_t>(all.dimension)},
                           feature, pointset::Criterion::leastsquares, options);
    if (!ls.found) return {};
    std::vector<double> d(all.count);
    for (std::size_t i = 0; i < all.count; ++i)
        d[i] = deviationfrom(ls, all.data + i * all.stride, all.dimension);
    return d;
}

} // namespace

Outliers cutoutliers(const pointset::Points& points, pointset::Feature feature, double k) {
    Outliers o;
    double extent = 0;
    for (std::size_t i = 0; i < points.count; ++i)
        for (int c = 0; c < points.dimension; ++c)
            extent = std::max(extent, std::fabs(points.data[i * points.stride + c]));
    const double rounding = 64 * std::numeric_limits<double>::epsilon() * extent;
    std::vector<bool> out(points.count, false);
    std::vector<double> d;
    for (int round = 0; round < outlierrounds; ++round) {
        d = deviationsfrom(points, out, feature);
        if (d.empty()) {
            o.failure = "the least-squares " + std::string(pointset::featurename(feature)) +
                        " of the points could not be fitted";
            return o;
        }
        const double centre = profile::median(d);
        std::vector<double> spread(d.size());
        double sum = 0;
        for (std::size_t i = 0; i < d.size(); ++i) sum += spread[i] = std::fabs(d[i] - centre);
        // Over half the deviations alike (values at an instrument's
        // resolution) leave a median absolute deviation of nearly 0, which
        // would cast out every point a step of the resolution off: then the
        // mean absolute deviation sets the scale instead. For Gaussian
        // deviations the median one is 0.85 times the mean one.
        const double mad = profile::median(spread), mean = sum / static_cast<double>(d.size());
        o.alike = !(mad >= 0.1 * mean);
        double scale = o.alike ? 1.2533 * mean : 1.4826 * mad;
        // Few values a step off the alike ones make a small mean absolute
        // deviation, a limit within the step and every one of them cast
        // out. Where the nearest deviation off them is a level (held by a
        // fiftieth of the points, and two at least) it is a step of the
        // resolution, and the limit is kept one and a half steps out; a
        // spike's few points on values otherwise alike hold no level, and
        // still go.
        o.stepped = false;
        if (o.alike) {
            double step = std::numeric_limits<double>::infinity();
            for (const double s : spread)
                if (s > mean) step = std::min(step, s);
            const auto level = std::count_if(spread.begin(), spread.end(), [&](double s) {
                return s >= step && s <= 1.5 * step;
            });
            const double least = std::max(2.0, static_cast<double>(spread.size()) / 50);
            if (std::isfinite(step) && static_cast<double>(level) >= least &&
                1.5 * step > k * scale) {
                scale = 1.5 * step / k;
                o.stepped = true;
            }
        }
        o.scale = std::max(scale, rounding);
        std::vector<bool> now(points.count);
        for (std::size_t i = 0; i < d.size(); ++i) now[i] = spread[i] > k * o.scale;
        if (now == out) break;
        out = std::move(now);
    }
    for (std::size_t i = 0; i < points.count; ++i) {
        if (out[i]) {
            o.removed.push_back(i);
            o.deviations.push_back(d[i]);
            continue;
        }
        o.kept.insert(o.kept.end(), points.data + i * points.stride,
                      points.data + i * points.stride + points.dimension);
    }
    return o;
}

std::string outliernote(const Outliers& o, std::size_t count, pointset::Feature feature, double k,
                        int digits) {
    std::string text = std::to_string(o.removed.size()) + " of " + std::to_string(count) +
                       " points removed as outliers (deviation from the median beyond " +
                       formatnumber(k, 6) + " robust standard deviations, " +
                       formatnumber(k * o.scale, digits) + ", about the least-squares " +
                       pointset::featurename(feature) +
                       (o.stepped ? "; over half the deviations alike, the limit one and a "
                                    "half times the smallest step off them, so that a step of "
                                    "the resolution stays)"
                        : o.alike ? "; over half the deviations alike, the standard deviation "
                                    "1.2533 times their mean absolute deviation)"
                                  : ")");
    constexpr std::size_t named = 10;
    for (std::size_t j = 0; j < o.removed.size() && j < named; ++j)
        text += (j == 0 ? ": point " : ", point ") + std::to_string(o.removed[j] + 1) + " (" +
                (o.deviations[j] >= 0 ? "+" : "") + formatnumber(o.deviations[j], digits) + ")";
    if (o.removed.size() > named) text += ", ...";
    return text;
}

void removeoutliers(PointFile& file, Outliers&& cut) {
    file.coordinates = std::move(cut.kept);
    if (file.sections.empty()) return;
    std::vector<double> kept;
    std::size_t next = 0;
    for (std::size_t i = 0; i < file.sections.size(); ++i) {
        if (next < cut.removed.size() && cut.removed[next] == i) {
            ++next;
            continue;
        }
        kept.push_back(file.sections[i]);
    }
    file.sections = std::move(kept);
}

} // namespace formeval::report
