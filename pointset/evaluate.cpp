// The entry: checks the points against the feature, runs the reference's
// kernel in working coordinates, and measures every point against the feature
// in the caller's coordinates, so that t p v q and the deviations are what
// anyone recomputes from the reported fields.
#include "pointset/cylinder.h"

#include <cmath>
#include <string>

namespace formeval::pointset {

namespace {

using kernel::Vec;

// Circles and spheres: a centre, deviations along the radius.
bool radial(Feature f) {
    return traits(f).centre;
}

// Features with a radius: circles, spheres, cylinders and cones.
bool round(Feature f) {
    return traits(f).radius;
}

// Why the points cannot give the feature, or "" when they can.
std::string refusal(const Points& p, Feature f, Criterion c) {
    const std::string name = featurename(f);
    if (!applies(c, f))
        return std::string("a ") + name + " has no " + criterionname(c) + " reference";
    const int d = traits(f).dimension;
    if (p.dimension != d)
        return "a " + name + " needs points of " + std::to_string(d) + " coordinates, not " +
               std::to_string(p.dimension);
    if (p.stride < static_cast<std::size_t>(p.dimension))
        return "the stride between points (" + std::to_string(p.stride) +
               ") is smaller than their " + std::to_string(p.dimension) + " coordinates";
    if (p.count < traits(f).fewest || p.data == nullptr)
        return "too few points for a " + name + ": " + std::to_string(p.count) + ", at least " +
               std::to_string(traits(f).fewest) + " needed";
    return "";
}

// Why the spread of the points leaves the feature undetermined, or "".
// The spreads from the covariance decide where they lie far from the limits;
// near them, those measured on the points.
std::string undetermined(kernel::Moments& m, Feature f) {
    constexpr double ratio = 1e-8;
    constexpr double margin = 1e4;
    const int strong = 2 - (m.view.dim == 2);
    const bool solid = f == Feature::sphere || f == Feature::cylinder || f == Feature::cone;
    const double least = f == Feature::line ? m.spread[strong]
                         : solid            ? m.spread[0]
                                            : m.spread[strong - 1];
    if (!(m.spread[strong] > margin * 1e-13 * m.largest * m.view.scale &&
          least > margin * ratio * m.spread[strong]))
        kernel::measurespreads(m);
    const double strongest = m.spread[strong];
    if (!(strongest > 1e-13 * m.largest * m.view.scale)) return "the points all lie at one place";
    const double second = m.spread[1 - (m.view.dim == 2)];
    const double weakest = m.spread[0];
    if (f != Feature::line && second < ratio * strongest)
        return std::string("the points lie on one line, which determines no ") + featurename(f);
    if (f == Feature::sphere && weakest < ratio * strongest)
        return "the points lie on one plane or circle, which determines no sphere";
    if ((f == Feature::cylinder || f == Feature::cone) && weakest < ratio * strongest)
        return std::string("the points lie in one plane (a single section), which determines "
                           "no ") +
               featurename(f) + " axis";
    return "";
}

// Points the way of its largest component (the first of equal ones).
Vec oriented(Vec v) {
    int k = 0;
    for (int j = 1; j < 3; ++j)
        if (std::fabs(v[j]) > std::fabs(v[k])) k = j;
    return v[k] < 0 ? kernel::mul(-1, v) : v;
}

// The feature in the caller's coordinates, measured against every point.
void measure(const kernel::Moments& m, Feature f, Criterion c, const kernel::Found& k,
             const Options& options, Reference& r) {
    const kernel::View& w = m.view;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Vec normal = {nan, nan, nan};
    Vec d = {nan, nan, nan};
    const bool cone = f == Feature::cone;
    // A cone's slope and the factor from its radial distances to those across
    // its surface.
    const double slope = cone ? std::tan(k.angle) : 0, across = cone ? std::cos(k.angle) : 1;
    double radius = k.radius; // at the point reported, in working units
    if (radial(f)) {
        r.point = w.touser(k.point);
    } else {
        d = cone ? k.direction : oriented(k.direction);
        if (f == Feature::line) {
            d[2] = 0;
            d = kernel::mul(1 / kernel::norm(d), d);
            normal = {-d[1], d[0], 0};
        } else {
            d = kernel::mul(1 / kernel::norm(d), d);
            normal = d;
        }
        // The foot of the centroid (the working origin) on the feature.
        const bool axial = f == Feature::cylinder || cone;
        const Vec foot = axial ? kernel::sub(k.point, kernel::mul(kernel::dot(k.point, d), d))
                               : kernel::mul(kernel::dot(k.point, normal), normal);
        radius -= slope * kernel::dot(k.point, d);
        r.point = w.touser(foot);
        r.direction = d;
        if (f == Feature::line) r.direction[2] = nan;
    }
    const double* o = r.point.data();
    const int dim = w.dim;
    // One pass: deviations from a first estimate (a circle through the first
    // point, or the feature found), then the shift to the reference the
    // criterion fixes.
    double top = -kernel::inf, bottom = kernel::inf, sum = 0, squares = 0;
    double first = 0;
    // The shift where it is known before the pass (least squares, and no
    // shift for a line or plane but the minimum zone's), applied in it.
    const bool known = c == Criterion::leastsquares || (!round(f) && c != Criterion::minimumzone);
    // Distance from the centre or axis; for a cone across the surface of the
    // cone of radius 0 at the point.
    const auto distance = [&](const double* q) {
        if (f == Feature::cylinder) {
            const Vec v = {q[0] - o[0], q[1] - o[1], q[2] - o[2]};
            return kernel::norm(kernel::cross(v, d));
        }
        if (cone) {
            const Vec v = {q[0] - o[0], q[1] - o[1], q[2] - o[2]};
            return (kernel::norm(kernel::cross(v, d)) - slope * kernel::dot(v, d)) * across;
        }
        double e = 0;
        for (int j = 0; j < dim; ++j) e += (q[j] - o[j]) * (q[j] - o[j]);
        return std::sqrt(e);
    };
    const double early = known && round(f) ? radius * across / w.scale - distance(w.data) : 0;
    // Deviations stored by index: a call of push_back in the loop would keep
    // its sums in memory from point to point.
    if (options.deviations) r.deviations.resize(w.n);
    double* const deviations = options.deviations ? r.deviations.data() : nullptr;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* q = w.data + i * w.stride;
        double e = 0;
        if (round(f)) {
            e = distance(q);
            if (i == 0) first = e;
            e -= first;
        } else {
            for (int j = 0; j < dim; ++j) e += normal[j] * (q[j] - o[j]);
        }
        top = std::max(top, e);
        bottom = std::min(bottom, e);
        sum += e;
        squares += e * e;
        if (deviations) deviations[i] = known ? e - early : e;
    }
    double shift = 0;
    if (round(f)) {
        // The criterion fixes the radius from the distances themselves.
        const double ls = radius * across / w.scale;
        const double level = c == Criterion::minimumzone     ? first + (bottom + (top - bottom) / 2)
                             : c == Criterion::circumscribed ? first + top
                             : c == Criterion::inscribed     ? first + bottom
                                                             : ls;
        shift = level - first;
        r.radius = cone ? level / across : level;
        if (cone) r.angle = k.angle;
    } else if (c == Criterion::minimumzone) {
        // The feature mid-way in its zone.
        shift = bottom + (top - bottom) / 2;
        for (int j = 0; j < dim; ++j) r.point[j] += shift * normal[j];
    }
    const double n = static_cast<double>(w.n);
    if (options.deviations && !known)
        for (double& e : r.deviations) e -= shift;
    // The circumscribed feature has no point outside, the inscribed none inside.
    r.p = c == Criterion::circumscribed ? 0 : std::max(top - shift, 0.0);
    r.v = c == Criterion::inscribed ? 0 : std::max(shift - bottom, 0.0);
    r.t = r.p + r.v;
    r.q = std::sqrt(std::max(0.0, squares / n - 2 * shift * sum / n + shift * shift));
}

// The options with the nearby points left out where they do not fit.
Options fitted(const Options& o, const Points& p, Feature f, Criterion c) {
    Options out = o;
    const Nearby* n = o.nearby;
    if (n && !(n->reference.found && n->reference.feature == f && n->reference.criterion == c &&
               n->points.data && n->points.count == p.count && n->points.dimension == p.dimension &&
               n->points.stride >= static_cast<std::size_t>(p.dimension)))
        out.nearby = nullptr;
    return out;
}

kernel::Found run(const kernel::Moments& m, Feature f, Criterion c, const Options& o) {
    const bool cylinder = f == Feature::cylinder;
    if (f == Feature::cone)
        return c == Criterion::leastsquares ? kernel::lscone(m) : kernel::mzcone(m, o);
    switch (c) {
    case Criterion::leastsquares:
        return cylinder    ? kernel::lscylinder(m)
               : radial(f) ? kernel::lsradial(m)
                           : kernel::lslinear(m);
    case Criterion::minimumzone:
        return cylinder    ? kernel::mzcylinder(m, o)
               : radial(f) ? kernel::mzradial(m, o)
                           : kernel::mzlinear(m, o);
    case Criterion::circumscribed:
        return cylinder ? kernel::pkcylinder(m, o) : kernel::pkradial(m, o);
    case Criterion::inscribed:
        return cylinder ? kernel::vacylinder(m, o) : kernel::varadial(m, o);
    }
    return {};
}

} // namespace

Reference evaluate(const Points& points, Feature feature, Criterion criterion,
                   const Options& options) {
    Reference r;
    r.feature = feature;
    r.criterion = criterion;
    r.failure = refusal(points, feature, criterion);
    if (!r.failure.empty()) return r;
    kernel::Moments m = kernel::moments(points);
    r.failure = m.failure.empty() ? undetermined(m, feature) : m.failure;
    if (!r.failure.empty()) return r;
    const kernel::Found k = run(m, feature, criterion, fitted(options, points, feature, criterion));
    if (!k.found) {
        r.failure = k.failure;
        return r;
    }
    measure(m, feature, criterion, k, options, r);
    r.onhull = k.onhull;
    r.found = std::isfinite(r.t) && (!round(feature) || std::isfinite(r.radius));
    if (!r.found) {
        r.failure = "the " + std::string(featurename(feature)) + " found is not finite";
        return r;
    }
    Certificate& cert = r.certificate;
    if (criterion == Criterion::leastsquares) {
        cert.lower = cert.upper = std::numeric_limits<double>::quiet_NaN();
        cert.why = "a least-squares feature carries no certificate";
    } else if (!options.certificate) {
        cert.why = "no certificate was asked for";
    } else {
        // The bounds in the caller's unit; the upper one is what the result
        // reaches, measured afresh.
        cert = k.certificate;
        const double upper = criterion == Criterion::minimumzone ? r.t : r.radius;
        const double lower = std::min(k.certificate.lower / m.view.scale, upper);
        cert.lower = criterion == Criterion::circumscribed ? lower
                     : criterion == Criterion::inscribed   ? upper
                                                           : lower;
        cert.upper = criterion == Criterion::inscribed
                         ? std::max(upper, k.certificate.upper / m.view.scale)
                         : upper;
        const double gap = certifiedgap(r.t, m.largest);
        const bool certified = k.certificate.certified && cert.upper - cert.lower <= gap;
        if (k.certificate.certified && !certified)
            cert.why = "the bounds differ by more than 1e-9 of the form error";
        cert.certified = certified;
        if (certified) cert.why.clear();
    }
    return r;
}

} // namespace formeval::pointset
