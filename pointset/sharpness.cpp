// min over feasible unit d of max over w of w.d. The minimum of a maximum of
// linear functions on the circle or sphere of directions lies at a direction
// where one function is least on its own, where two or three of them tie, or
// where the cone's boundary meets one of these; every such direction is tried.
#include "pointset/kernels.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

struct Search {
    const std::vector<Vec>& w;
    const std::vector<Vec>& cone;
    double best = inf;

    void tryd(Vec d) {
        const double length = norm(d);
        if (!(length > 0)) return;
        d = mul(1 / length, d);
        for (const Vec& n : cone)
            if (dot(n, d) > 1e-12 * norm(n)) return;
        double top = -inf;
        for (const Vec& v : w) top = std::max(top, dot(v, d));
        best = std::min(best, top);
    }
    void both(const Vec& d) {
        tryd(d);
        tryd(mul(-1, d));
    }
};

// Least of w.d over unit d of the plane perpendicular to n: minus the part of
// w in that plane.
Vec inplane(const Vec& v, const Vec& n) {
    const double nn = dot(n, n);
    if (!(nn > 0)) return mul(-1, v);
    return mul(-1, sub(v, mul(dot(v, n) / nn, n)));
}

} // namespace

double sharpness(const std::vector<Vec>& w, const std::vector<Vec>& cone, int dim) {
    if (w.empty()) return -inf;
    Search s{w, cone};
    if (dim == 1) {
        s.both({1, 0, 0});
        return s.best;
    }
    // Planes (lines in two dimensions) where the maximum may turn: ties of two
    // functions and the cone's sides.
    std::vector<Vec> planes;
    for (std::size_t i = 0; i < w.size(); ++i)
        for (std::size_t j = i + 1; j < w.size(); ++j) planes.push_back(sub(w[i], w[j]));
    for (const Vec& n : cone) planes.push_back(n);
    for (const Vec& v : w) s.tryd(mul(-1, v));
    if (dim == 2) {
        for (const Vec& n : planes) s.both({-n[1], n[0], 0});
        return s.best;
    }
    for (const Vec& n : planes)
        for (const Vec& v : w) s.tryd(inplane(v, n));
    for (std::size_t i = 0; i < planes.size(); ++i)
        for (std::size_t j = i + 1; j < planes.size(); ++j) s.both(cross(planes[i], planes[j]));
    return s.best;
}

} // namespace formeval::pointset::kernel
