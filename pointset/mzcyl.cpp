// Minimum-zone cylinder (cylindricity): the axis that minimises the spread of
// the points' distances from it, F = max d_i - min d_i.
//
// Descent: sequential linear programming from the least-squares axis
// (zonedescent.h) on the linear model of the distances in the frame's moves
// (cylinder.h). At a zone held by six points the steps shrink quadratically.
//
// Certificate: the neighbourhood of the axis found and the search over axis
// directions (cylsearch.cpp).
#include "pointset/zonedescent.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

constexpr int columns = 5; // the radius and the four moves

// Rows (1, a) and observation rho about a frame.
struct Rows {
    const View& w;
    Frame f;
    double L;
    void operator()(std::size_t i, double* a, double& rho) const {
        a[0] = 1;
        cylrow(f.local(w[i]), L, a + 1, rho);
    }
};

// The model about a frame, the zone there, and for large sets the farthest
// and nearest points, the first working set of its fit.
struct Model {
    Rows rows;
    Chebyshev<Rows> lp;
    double top = -inf, bottom = inf;
    std::vector<long> far;
    Model(const View& w, const Frame& f, double L, std::vector<double>& store)
        : rows{w, f, L}, lp(rows, w.n, columns, &store) {
        far = lp.levels(top, bottom);
    }
    double zone() const { return top - bottom; }
};

} // namespace

std::vector<std::size_t> basiscandidates(const View& w, const Frame& f, double L) {
    constexpr int count = 12;
    const double dirs[count][3] = {{1, 0, 1},  {-1, 0, 1},  {0, 1, 1},  {0, -1, 1},
                                   {1, 0, -1}, {-1, 0, -1}, {0, 1, -1}, {0, -1, -1},
                                   {1, 1, 0},  {-1, 1, 0},  {1, -1, 0}, {-1, -1, 0}};
    std::array<std::size_t, count> pick{};
    std::array<double, count> value;
    value.fill(-inf);
    double R = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        R = std::max(R, across(q[0], q[1]));
    }
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        const double v[3] = {q[0] / R, q[1] / R, q[2] / L};
        for (int k = 0; k < count; ++k) {
            const double s = dirs[k][0] * v[0] + dirs[k][1] * v[1] + dirs[k][2] * v[2];
            if (s > value[k]) value[k] = s, pick[k] = i;
        }
    }
    std::vector<std::size_t> out(pick.begin(), pick.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

Cylinder mzdescent(const View& w, const Frame& start) {
    const double L = axialextent(w, start);
    const auto step = [L](const Frame& f, const double* y, double t) {
        return moved(f, {t * y[1], t * y[2], t * y[3], t * y[4]}, L);
    };
    const auto d = zonedescent<Model, columns>(w, start, L, step,
                                               [](const Frame& f) -> const Frame& { return f; });
    return {true, d.state, d.zone, d.top, d.bottom};
}

Cylinder mzfrom(const View& w, const Reference& start) {
    const Vec p = {(start.point[0] - w.origin[0]) * w.scale,
                   (start.point[1] - w.origin[1]) * w.scale,
                   (start.point[2] - w.origin[2]) * w.scale};
    return mzdescent(w, frameabout(p, start.direction));
}

Found mzcylinder(const Moments& m, const Options& options) {
    Found out;
    const Nearby* near = options.nearby;
    Cylinder best;
    if (near) {
        best = mzfrom(m.view, near->reference);
    } else {
        Frame ls;
        double radius = 0;
        if (!lsaxis(m, ls, radius, out.failure)) return out;
        best = mzdescent(m.view, ls);
    }
    Objective o;
    if (options.certificate) {
        // No axis beyond the nearby points' cone does better than the zone
        // found when their proven margin exceeds it by twice these points'
        // move (less rounding): each distance moves by at most that much.
        Cone skip;
        if (near && near->cone > 0) {
            const Reference& r = near->reference;
            const View& w = m.view;
            const double e = displacement({w.data, w.n, w.dim, w.stride}, near->points);
            const double zone = best.value / m.view.scale;
            if (zone + 2 * e + certifiedgap(r.t + near->margin, m.largest) <= r.t + near->margin)
                skip = {r.direction, near->cone, false};
        }
        out.certificate = certifycylinder(m.view, o, best, options.budget, skip);
    }
    out.found = true;
    out.point = best.f.origin;
    out.direction = best.f.axis();
    out.radius = (best.top + best.bottom) / 2;
    return out;
}

} // namespace formeval::pointset::kernel
