// How deep the origin lies inside the convex hull of a few vectors:
// min over unit v of max over w of w.v. It is the sharpness of a minimax
// optimum when the vectors are the differences of the active gradients, and
// positive exactly when every direction of change makes some active
// deviation worse.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace formeval::pointset {

namespace {

constexpr double unset = -1; // an origin outside the hull, or no hull at all
constexpr std::size_t mostin3d = 40;

double cross(const Vector& o, const Vector& a, const Vector& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

double inradius1(const std::vector<Vector>& w, Vector& direction) {
    double up = -std::numeric_limits<double>::infinity();
    double down = up;
    for (const Vector& v : w) {
        up = std::max(up, v[0]);
        down = std::max(down, -v[0]);
    }
    direction = {up <= down ? 1.0 : -1.0, 0, 0};
    return std::min(up, down);
}

// Convex hull counterclockwise (Andrew's monotone chain), then the signed
// distance from the origin to each edge's line, positive inside.
double inradius2(std::vector<Vector> w, Vector& direction) {
    std::sort(w.begin(), w.end(), [](const Vector& a, const Vector& b) {
        return a[0] < b[0] || (a[0] == b[0] && a[1] < b[1]);
    });
    w.erase(
        std::unique(w.begin(), w.end(),
                    [](const Vector& a, const Vector& b) { return a[0] == b[0] && a[1] == b[1]; }),
        w.end());
    std::vector<Vector> hull(2 * w.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], w[i]) <= 0) --k;
        hull[k++] = w[i];
    }
    for (std::size_t i = w.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], w[i]) <= 0) --k;
        hull[k++] = w[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    const Vector origin = {0, 0, 0};
    if (hull.size() < 3) {
        // A point or a segment: the origin at best on it.
        if (hull.size() == 1) return hull[0][0] == 0 && hull[0][1] == 0 ? 0 : unset;
        if (hull.size() != 2) return unset;
        const Vector& a = hull[0];
        const Vector& b = hull[1];
        const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
        const bool online = std::fabs(cross(a, b, origin)) <= 1e-12 * length * length;
        const bool between = a[0] * b[0] + a[1] * b[1] <= 0;
        return online && between ? 0 : unset;
    }
    double depth = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < hull.size(); ++i) {
        const Vector& a = hull[i];
        const Vector& b = hull[(i + 1) % hull.size()];
        const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
        const double d = cross(a, b, origin) / length;
        if (d < depth) {
            depth = d;
            direction = {(b[1] - a[1]) / length, -(b[0] - a[0]) / length, 0}; // outward
        }
    }
    return depth;
}

Vector minus(const Vector& a, const Vector& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Vector& a, const Vector& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vector crossed(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Every facet of the hull is the plane of some triple with all vectors on one
// side of it; few vectors, so every triple is tried.
double inradius3(const std::vector<Vector>& w, Vector& direction) {
    if (w.size() > mostin3d) throw std::invalid_argument("inradius: too many vectors");
    double size = 0;
    for (const Vector& v : w) size = std::max(size, std::sqrt(dot(v, v)));
    const double flat = 1e-12 * size * size;
    double depth = std::numeric_limits<double>::infinity();
    bool facet = false;
    for (std::size_t i = 0; i < w.size(); ++i)
        for (std::size_t j = i + 1; j < w.size(); ++j)
            for (std::size_t k = j + 1; k < w.size(); ++k) {
                Vector n = crossed(minus(w[j], w[i]), minus(w[k], w[i]));
                const double length = std::sqrt(dot(n, n));
                if (length <= flat) continue;
                for (double& c : n) c /= length;
                bool above = false;
                bool below = false;
                for (const Vector& v : w) {
                    const double side = dot(n, minus(v, w[i]));
                    above = above || side > 1e-12 * size;
                    below = below || side < -1e-12 * size;
                }
                if (above && below) continue;
                facet = true;
                const double offset = dot(n, w[i]);
                // Outward normal n or -n; a flat hull has no inside.
                const double d = !above && !below ? -std::fabs(offset) : above ? -offset : offset;
                if (d < depth) {
                    depth = d;
                    direction = n;
                    if (above || (!below && offset > 0)) direction = {-n[0], -n[1], -n[2]};
                }
            }
    return facet ? depth : unset;
}

} // namespace

double inradius(const std::vector<Vector>& w, int dimension, Vector* direction) {
    Vector ignored = {0, 0, 0};
    Vector& v = direction ? *direction : ignored;
    v = {0, 0, 0};
    if (w.empty()) return unset;
    switch (dimension) {
    case 1:
        return inradius1(w, v);
    case 2:
        return inradius2(w, v);
    case 3:
        return inradius3(w, v);
    default:
        throw std::invalid_argument("inradius: dimension must be 1, 2 or 3");
    }
}

} // namespace formeval::pointset
