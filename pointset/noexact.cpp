// Built without CGAL: no circumscribed feature and no hull to bound an
// inscribed centre; the references say so, the rest works. Whether points
// surround a centre is told by a test that may miss some that do.
#include "pointset/kernels.h"

#include <algorithm>
#include <cmath>

namespace formeval::pointset {

bool exactreferences() {
    return false;
}

namespace kernel {

Found pkradial(const Moments&, const Options&, bool) {
    return notfound("built without CGAL: no circumscribed feature");
}

std::vector<Facet> hull(const View&) {
    return {};
}

bool hullwidth(const View&, std::size_t, Vec&, double&) {
    return false;
}

namespace {

// A point strictly in every orthant of an invertible frame about the centre
// leaves no plane through the centre with all points on one side: the centre
// is inside.
bool everyorthant(const View& w, const Point& centre, const std::array<Vec, 3>& axes) {
    const std::size_t orthants = std::size_t{1} << w.dim;
    std::vector<bool> held(orthants, false);
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* p = w.data + i * w.stride;
        const Vec d = {p[0] - centre[0], p[1] - centre[1], w.dim == 3 ? p[2] - centre[2] : 0.0};
        // Beyond the rounding of d and of its coordinates along the axes.
        const double margin = 64 * eps * norm(d);
        std::size_t orthant = 0;
        bool clear = margin > 0;
        for (int k = 0; k < w.dim; ++k) {
            const double y = dot(axes[static_cast<std::size_t>(k)], d);
            clear = clear && std::fabs(y) > margin;
            if (y < 0) orthant |= std::size_t{1} << k;
        }
        if (clear) held[orthant] = true;
    }
    return std::find(held.begin(), held.end(), false) == held.end();
}

} // namespace

// The frames: the coordinate axes, and the points' principal axes.
bool surrounds(const View& w, const Point& centre) {
    if (everyorthant(w, centre, {Vec{1, 0, 0}, Vec{0, 1, 0}, Vec{0, 0, 1}})) return true;
    const Moments m = moments({w.data, w.n, w.dim, w.stride});
    std::array<Vec, 3> axes = m.vectors;
    if (w.dim == 2)
        axes = {Vec{m.vectors[2][0], m.vectors[2][1], 0},
                Vec{-m.vectors[2][1], m.vectors[2][0], 0}};
    if (w.dim == 3 && !(std::fabs(dot(axes[0], cross(axes[1], axes[2]))) > 0.5)) return false;
    return everyorthant(w, centre, axes);
}

} // namespace kernel

} // namespace formeval::pointset
