// Minimum circumscribed and maximum inscribed cylinders: the axis that
// minimises the largest distance of the points from it (a shaft's mating
// size), or maximises the smallest (a bore's), from the least-squares axis.
//
// Descent: about the current axis the distances are replaced by their linear
// model (cylinder.h) and the linear program min t subject to rho_i - a_i.theta
// <= t (or max t subject to t <= rho_i - a_i.theta), within a box of moves,
// gives a move, halved until the objective falls as promised. The inscribed
// cylinder's axis runs along the points: within the angle their length and
// the least-squares radius allow of the least-squares axis (tan = 2 r /
// length), and within that radius of its middle; a move that leaves that set
// is halved too.
//
// Certificate: the neighbourhood of the axis found and the search over axis
// directions (cylsearch.cpp).
#include "pointset/cylinder.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace formeval::pointset::kernel {

namespace {

// The linear program of one step about a frame, in y = (theta, t):
// constraint i < n: (-a_i, -1).y <= -rho_i (circumscribed) or (a_i, 1).y <=
// rho_i (inscribed); then the box |theta_j| <= reach.
struct Step {
    const View& w;
    Frame f;
    double L;
    double reach;
    bool outer;
    int k = 5;
    long points() const { return static_cast<long>(w.n); }
    long size() const { return points() + 8; }
    void row(long id, double* c, double& b) const {
        for (int j = 0; j < k; ++j) c[j] = 0;
        if (id < points()) {
            double a[4], rho;
            cylrow(f.local(w[static_cast<std::size_t>(id)]), L, a, rho);
            const double s = outer ? -1 : 1;
            for (int j = 0; j < 4; ++j) c[j] = s * a[j];
            c[4] = s;
            b = s * rho;
        } else {
            const long j = id - points();
            c[j / 2] = j % 2 == 0 ? 1 : -1;
            b = reach;
        }
    }
    template <class F> void each(const double* y, F f) const {
        const double s = outer ? -1 : 1;
        constexpr std::size_t block = 128;
        double rows[5 * block];
        for (std::size_t first = 0; first < w.n; first += block) {
            const std::size_t count = std::min(block, w.n - first);
            cylrows(w, this->f, L, first, count, rows);
            for (std::size_t j = 0; j < count; ++j) {
                const double* a = rows + 5 * j;
                const double v = a[0] * y[0] + a[1] * y[1] + a[2] * y[2] + a[3] * y[3] + y[4];
                f(static_cast<long>(first + j), s * (v - a[4]));
            }
        }
        for (int j = 0; j < 4; ++j) f(points() + 2 * j + (y[j] < 0), std::fabs(y[j]) - reach);
    }
    long worst(const double* y, double& excess) const { return worstof(*this, y, excess); }
};

} // namespace

Cylinder measured(const View& w, const Frame& f, int kind) {
    const Spread s = radial(w, f);
    Cylinder c{true, f, 0, s.top, s.bottom, s.far, s.near};
    c.value = kind == 0 ? s.top - s.bottom : kind == 1 ? s.top : -s.bottom;
    return c;
}

bool admissible(const Objective& o, const Frame& f) {
    if (!o.bounded) return true;
    const double angle = std::acos(std::min(1.0, std::fabs(dot(f.axis(), o.along))));
    const Vec d = sub(o.through, f.origin);
    const Vec across = sub(d, mul(dot(d, f.axis()), f.axis()));
    return angle <= o.cone && norm(across) <= o.radius;
}

Cylinder exdescent(const View& w, const Frame& start, const Objective& o) {
    const bool outer = o.kind == 1;
    Frame f = start;
    const double L = axialextent(w, f);
    Cylinder out = measured(w, f, o.kind);
    double reach = out.top / 2;
    double e[mostk] = {};
    e[4] = outer ? 1 : -1;
    for (int iteration = 0; iteration < 100; ++iteration) {
        const Step lp{w, f, L, reach, outer};
        // First basis: the point that fixes the objective and a side of the
        // box per move, which keeps every multiplier positive (out was
        // measured about f).
        const std::size_t p = outer ? out.far : out.near;
        double a[4], rho;
        cylrow(f.local(w[p]), L, a, rho);
        std::array<long, mostk> basis{};
        basis[0] = static_cast<long>(p);
        for (int j = 0; j < 4; ++j) basis[j + 1] = lp.points() + 2 * j + ((a[j] < 0) == outer);
        std::vector<long> set; // the working set's first members, if it needs one
        if (lp.size() > wholeset)
            for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 48))
                set.push_back(static_cast<long>(i));
        const Simplex r = dualsimplexset(lp, e, basis, 8 * eps, 500, set);
        if (!r.ok) break;
        const double promised = outer ? out.value - r.y[4] : r.y[4] + out.value;
        if (!(promised > 16 * eps + 1e-13 * out.top)) break;
        bool moved_ = false;
        for (double t = 1; t > 1e-3 && !moved_; t /= 2) {
            const Frame g = moved(f, {t * r.y[0], t * r.y[1], t * r.y[2], t * r.y[3]}, L);
            if (!admissible(o, g)) continue;
            const Cylinder there = measured(w, g, o.kind);
            if (there.value < out.value - 0.1 * t * promised) {
                f = g;
                out = there;
                moved_ = true;
            }
        }
        if (!moved_) break;
    }
    return out;
}

Cylinder descend(const View& w, const Frame& start, const Objective& o) {
    return o.kind == 0 ? mzdescent(w, start) : exdescent(w, start, o);
}

namespace {

// Why the inscribed cylinder about the frame is no result, or "". Points that
// leave a gap of half a turn or more about the axis do not hold it: it may
// move away from them, growing, to wherever its bounds stop it. Points all
// round bound its radius by the circle holding their projections; one wider
// than the least-squares cylinder is measured against the circumscribed
// cylinder, and one wider than that is held by too few points to mean the
// part.
std::string unheldinscribed(const View& w, const Frame& ls, double lsradius, const Cylinder& c,
                            long budget) {
    std::vector<Point> across(w.n);
    for (std::size_t i = 0; i < w.n; ++i) across[i] = c.f.local(w[i]), across[i][2] = 0;
    if (largestgap(across, 0, 0) >= std::acos(-1.0))
        return "the points do not go round the axis (a gap of 180 degrees or more about it), "
               "which holds no inscribed cylinder";
    if (c.bottom <= lsradius) return "";
    Objective holding;
    holding.kind = 1;
    Cylinder outer = exdescent(w, ls, holding);
    certifycylinder(w, holding, outer, budget); // which may meet a narrower one
    if (c.bottom > outer.top * (1 + 1e-9))
        return "the largest cylinder clear of the points is wider than the smallest holding "
               "them: too few points, or too sparse, to hold an inscribed cylinder";
    return "";
}

// The circumscribed (kind 1) or inscribed (kind 2) cylinder and its
// certificate, on the radius.
Found extreme(const Moments& m, const Options& options, int kind) {
    Found out;
    const View& w = m.view;
    Frame ls;
    double radius = 0;
    if (!lsaxis(m, ls, radius, out.failure)) return out;
    Objective o;
    o.kind = kind;
    if (kind == 2) {
        double low = inf, high = -inf;
        for (std::size_t i = 0; i < w.n; ++i) {
            const double z = dot(sub(w[i], ls.origin), ls.axis());
            low = std::min(low, z), high = std::max(high, z);
        }
        o.bounded = true;
        o.along = ls.axis();
        o.through = add(ls.origin, mul((low + high) / 2, ls.axis()));
        o.cone = std::atan2(2 * radius, high - low);
        o.radius = radius;
    }
    Cylinder best = exdescent(w, ls, o);
    // Before the search, which such points keep busy, and after, about the
    // axis it ends with.
    if (kind == 2) {
        const std::string why = unheldinscribed(w, ls, radius, best, options.budget);
        if (!why.empty()) return notfound(why);
    }
    if (options.certificate) {
        Certificate c = certifycylinder(w, o, best, options.budget);
        if (kind == 2) {
            const std::string why = unheldinscribed(w, ls, radius, best, options.budget);
            if (!why.empty()) return notfound(why);
            // On the radius: the cylinder found reaches the lower bound.
            c = {c.certified, -c.upper, -c.lower, c.why};
        }
        out.certificate = c;
    }
    out.found = true;
    out.point = best.f.origin;
    out.direction = best.f.axis();
    out.radius = kind == 1 ? best.top : best.bottom;
    return out;
}

} // namespace

Found pkcylinder(const Moments& m, const Options& options) {
    return extreme(m, options, 1);
}

Found vacylinder(const Moments& m, const Options& options) {
    return extreme(m, options, 2);
}

} // namespace formeval::pointset::kernel
