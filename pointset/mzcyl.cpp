// Minimum-zone cylinder (cylindricity): the axis that minimises the spread of
// the points' distances from it, F = max d_i - min d_i.
//
// Descent: sequential linear programming from the least-squares axis. About
// the current axis the distances are replaced by their linear model (the
// frame's moves, cylinder.h); the Chebyshev fit of that model over every point
// (dual simplex on a working set, warm-started from the previous basis) gives
// a move, halved until F falls as promised. At a zone held by six points the
// steps shrink quadratically.
//
// Certificate: the neighbourhood of the axis found and the search over axis
// directions (cylsearch.cpp).
#include "pointset/cylinder.h"

#include <cmath>
#include <memory>

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
    Model(const View& w, const Frame& f, double L) : rows{w, f, L}, lp(rows, w.n, columns) {
        far = lp.levels(top, bottom);
    }
    double zone() const { return top - bottom; }
};

// Candidates for a first basis: the points farthest along a few directions of
// (x, y, z) in the frame, both ends and all round.
std::vector<std::size_t> candidates(const View& w, const Frame& f, double L) {
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

} // namespace

Cylinder mzdescent(const View& w, const Frame& start) {
    Cylinder out;
    Frame f = start;
    const double L = axialextent(w, f);
    std::vector<long> set;
    for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 48))
        set.push_back(2 * static_cast<long>(i));
    auto here = std::make_unique<Model>(w, f, L);
    set.insert(set.end(), here->far.begin(), here->far.end());
    double F = here->zone();
    out = {true, f, F, here->top, here->bottom};
    std::array<long, mostk> basis{};
    bool warm = false;
    double e[mostk] = {};
    e[columns] = 1;
    for (int iteration = 0; iteration < 100; ++iteration) {
        std::vector<std::size_t> previous;
        for (int j = 0; j <= columns && warm; ++j) previous.push_back(basis[j] / 2);
        if (!(warm && startbasis(here->rows, columns, previous, basis)) &&
            !startbasis(here->rows, columns, candidates(w, f, L), basis))
            break;
        const Simplex r = dualsimplexset(here->lp, e, basis, 8 * eps, 500, set);
        if (!r.ok) break;
        basis = r.basis;
        warm = true;
        const double promised = F - 2 * r.y[columns];
        if (!(promised > 16 * eps + 1e-13 * F)) break;
        here.reset(); // one model's rows in memory at a time
        bool moved_ = false;
        for (double t = 1; t > 0.01 && !moved_; t /= 2) {
            const Frame g = moved(f, {t * r.y[1], t * r.y[2], t * r.y[3], t * r.y[4]}, L);
            auto there = std::make_unique<Model>(w, g, L);
            if (there->zone() < F - 0.1 * t * promised) {
                f = g;
                F = there->zone();
                out = {true, f, F, there->top, there->bottom};
                set.insert(set.end(), there->far.begin(), there->far.end());
                here = std::move(there);
                moved_ = true;
            }
        }
        if (!moved_) break;
    }
    return out;
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
