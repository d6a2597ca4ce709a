// The tolerance library's vector helpers.
#include "tolerance/geometry.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace formeval::tolerance::detail {

pointset::Reference reference(const pointset::Points& p, pointset::Feature f, pointset::Criterion c,
                              bool certified) {
    pointset::Options o;
    o.deviations = false;
    o.certificate = certified;
    return pointset::evaluate(p, f, c, o);
}

const Measured* named(const std::vector<Measured>& features, const std::string& name) {
    for (const Measured& m : features)
        if (m.name == name) return &m;
    return nullptr;
}

std::string degrees(double angle) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", angle);
    return text;
}

void basis(const Vector& z, Vector& x, Vector& y) {
    // Start from the coordinate axis least along z, so the cross product is well conditioned.
    Vector e = {0, 0, 0};
    int k = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(z[i]) < std::fabs(z[k])) k = i;
    e[k] = 1;
    x = unit(across(e, z));
    y = cross(z, x);
}

std::string unreadable(const Measured& m) {
    const pointset::Points& p = m.points;
    const pointset::FeatureTraits& t = pointset::traits(m.type);
    const bool spatial = t.dimension == 2 && p.dimension == 3;
    if (p.dimension != t.dimension && !spatial)
        return std::string("a ") + t.name + " has points of " + std::to_string(t.dimension) +
               (t.dimension == 2 ? " or 3" : "") + " coordinates, not " +
               std::to_string(p.dimension);
    if (p.stride < static_cast<std::size_t>(p.dimension))
        return "the stride between its points is smaller than their coordinates";
    if (p.count < t.fewest || (p.count > 0 && p.data == nullptr))
        return "too few points for a " + std::string(t.name) + ": " + std::to_string(p.count) +
               ", at least " + std::to_string(t.fewest) + " needed";
    for (std::size_t i = 0; i < p.count; ++i)
        for (int k = 0; k < p.dimension; ++k) {
            const double c = p.data[i * p.stride + static_cast<std::size_t>(k)];
            if (!(std::fabs(c) <= 1e150))
                return "point " + std::to_string(i + 1) +
                       " has a coordinate that is not a finite number within +-1e150";
        }
    return "";
}

std::vector<Point> points(const pointset::Points& p) {
    std::vector<Point> out(p.count);
    for (std::size_t i = 0; i < p.count; ++i) {
        const double* c = p.data + i * p.stride;
        out[i] = {c[0], c[1], p.dimension > 2 ? c[2] : 0.0};
    }
    return out;
}

std::vector<double> projected(const std::vector<Point>& p, const Vector& d) {
    Vector x, y;
    basis(d, x, y);
    std::vector<double> out;
    out.reserve(2 * p.size());
    for (const Point& q : p) {
        out.push_back(dot(q, x));
        out.push_back(dot(q, y));
    }
    return out;
}

double scale(const std::vector<Point>& p) {
    double s = 0;
    for (const Point& q : p)
        for (double c : q) s = std::max(s, std::fabs(c));
    return s;
}

double spread(const std::vector<Point>& p, const Vector& d) {
    if (p.empty()) return 0;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (const Point& q : p) {
        const double t = dot(q, d);
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    return hi - lo;
}

} // namespace formeval::tolerance::detail
