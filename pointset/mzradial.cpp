// Minimum-zone circle and sphere: the centre c that minimises the zone
// F(c) = max_i |p_i - c| - min_i |p_i - c|, found globally.
//
// Descent: sequential linear programming. About c the distances are replaced
// by their tangents d_i - u_i.delta; the Chebyshev fit of that model (dual
// simplex, warm-started from the previous basis) gives a step, halved until F
// falls as promised.
//
// Certificate. Near the centre found: with O and I the points at the outer and
// inner edge, h their levels' gap and kappa the sharpness of the zone's growth
// (the least growth of max (u_b - u_a).delta over unit delta), F(c + delta)
// >= h + kappa s - s^2 / (2 (d_I - s)) for s = |delta|, at least h within
// rho = 2 kappa d_I / (1 + 2 kappa). Far away: along the direction v of the
// move, two points apart by the width W(v) give F >= (2 s W - (D^2 - d^2)) /
// (2 (s + D)), at least h beyond a radius fixed by a lower bound of the width
// (twice the spread of the points along their weakest direction). Between the
// two, a branch and bound over cubes of centres: F is 2-Lipschitz, and a subset
// of the points bounds F from below; a cube whose subset cannot exclude it is
// measured with every point, which either finds a better centre (then descended
// from, and certified in turn) or adds the points that bound it to the subset.
#include "pointset/pairbound.h"

#include <cmath>
#include <memory>

namespace formeval::pointset::kernel {

namespace {

// The tangent model about c: rows (1, u_i), observations d_i; the residual
// d_i - rho - u_i.x is the deviation from the circle of radius rho about c + x.
struct Tangents {
    const View& w;
    Vec c;
    int dim;
    void operator()(std::size_t i, double* a, double& f) const {
        const Vec d = sub(w[i], c);
        const double len = norm(d);
        a[0] = 1;
        for (int k = 0; k < dim; ++k) a[k + 1] = len > 0 ? d[k] / len : 0.0;
        f = len;
    }
    // A plane's rows all at once, the same bits as one by one.
    bool fill(std::size_t n, int m, double* cache) const {
        if (dim != 2 || w.stride != 2 || m != 3 || c[2] != 0) return false;
        tangents2(w.data, n, w.origin.data(), w.scale, c.data(), cache);
        return true;
    }
};

std::vector<std::size_t> extremes(const View& w, const Vec& c) {
    const Spread s = spread(w, c);
    std::vector<std::size_t> out = {s.far, s.near};
    for (int k = 0; k < w.dim; ++k) {
        std::size_t lo = 0, hi = 0;
        for (std::size_t i = 1; i < w.n; ++i) {
            const double x = w.data[i * w.stride + k];
            if (x < w.data[lo * w.stride + k]) lo = i;
            if (x > w.data[hi * w.stride + k]) hi = i;
        }
        out.push_back(lo);
        out.push_back(hi);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

struct Descent {
    Vec c = {0, 0, 0};
    double F = inf;
    std::array<long, mostk> basis = {};
    bool warm = false;
    std::vector<long> set;           // the working set of the fits, kept from step to step
    double top = inf, bottom = -inf; // the largest and smallest distance from c
    std::vector<double> distances;   // from c, of every point, where the descent kept them
};

// The tangent model about a centre with its zone there, and for large sets
// the farthest and nearest points, the first working set of its fit.
struct Linearised {
    Tangents rows;
    Chebyshev<Tangents> lp;
    double F, top = -inf, bottom = inf;
    std::vector<long> far;
    Linearised(const View& w, const Vec& c, std::vector<double>& store)
        : rows{w, c, w.dim}, lp(rows, w.n, w.dim + 1, &store) {
        far = lp.levels(top, bottom);
        F = top - bottom;
    }
};

void descend(const View& w, Descent& s) {
    const int m = w.dim + 1;
    if (s.set.empty())
        for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 48))
            s.set.push_back(2 * static_cast<long>(i));
    double e[mostk] = {};
    e[m] = 1;
    std::vector<double> store; // the rows of one model at a time
    auto here = std::make_unique<Linearised>(w, s.c, store);
    s.F = here->F;
    s.top = here->top;
    s.bottom = here->bottom;
    s.set.insert(s.set.end(), here->far.begin(), here->far.end());
    for (int iteration = 0; iteration < 100; ++iteration) {
        const Tangents& rows = here->rows;
        std::vector<std::size_t> previous;
        for (int j = 0; j <= m && s.warm; ++j) previous.push_back(s.basis[j] / 2);
        std::vector<std::size_t> sample;
        for (std::size_t j = 0; j < s.set.size() && j < 12; ++j) sample.push_back(s.set[j] / 2);
        if (!(s.warm && startbasis(rows, m, previous, s.basis)) &&
            !startbasis(rows, m, sample, s.basis) &&
            !startbasis(rows, m, extremes(w, s.c), s.basis))
            return;
        const Simplex r = dualsimplexset(here->lp, e, s.basis, 8 * eps, 500, s.set);
        if (!r.ok) return;
        s.basis = r.basis;
        s.warm = true;
        const double promised = s.F - 2 * r.y[m];
        // A promise within rounding of the zone, or a step that has to be
        // halved past a few hundredths, ends the descent.
        if (!(promised > 16 * eps + 1e-13 * s.F)) return;
        // The model here is done with: one model's rows in memory at a time.
        here.reset();
        bool moved = false;
        for (double t = 1; t > 0.01 && !moved; t /= 2) {
            Vec next = s.c;
            for (int k = 0; k < w.dim; ++k) next[k] += t * r.y[k + 1];
            auto there = std::make_unique<Linearised>(w, next, store);
            if (there->F < s.F - 0.1 * t * promised) {
                s.c = next;
                s.F = there->F;
                s.top = there->top;
                s.bottom = there->bottom;
                s.set.insert(s.set.end(), there->far.begin(), there->far.end());
                here = std::move(there);
                moved = true;
            }
        }
        if (!moved) return;
    }
}

// The points' distances from c, and the `few` farthest and nearest.
struct Measured {
    std::vector<double> d;
    Spread s;
    std::vector<std::size_t> far, near;
};

// The distance of a point from c, its coordinates taken straight from the
// view's data: (p - o) scale with o the centre in the caller's coordinates.
template <int dim> struct Across {
    const View& w;
    Vec o;
    Across(const View& view, const Vec& c) : w(view) {
        for (int k = 0; k < 3; ++k) o[k] = w.origin[k] + c[k] / w.scale;
    }
    // The point's offset from the centre (working units) and its distance.
    double operator()(std::size_t i, double* q) const {
        const double* p = w.data + i * w.stride;
        double squares = 0;
        for (int k = 0; k < dim; ++k) {
            q[k] = (p[k] - o[k]) * w.scale;
            squares += q[k] * q[k];
        }
        return std::sqrt(squares);
    }
};

// With `edges`, the few farthest and nearest are found (a second pass over
// the distances); without, only the farthest and the nearest.
template <int dim>
void measureabout(const View& w, const Vec& c, std::size_t few, bool edges, Measured& out) {
    const Across<dim> across(w, c);
    out.d.resize(w.n);
    double* d = out.d.data();
    if (dim == 2 && w.stride == 2) {
        distances2(w.data, w.n, across.o.data(), w.scale, d);
    } else {
        for (std::size_t i = 0; i < w.n; ++i) {
            double q[dim];
            d[i] = across(i, q);
        }
    }
    // Four chains of the extremes, not one: each step waits on the last.
    double high[4] = {-inf, -inf, -inf, -inf}, low[4] = {inf, inf, inf, inf};
    std::size_t ih[4] = {0, 0, 0, 0}, il[4] = {0, 0, 0, 0};
    std::size_t i = 0;
    for (; i + 4 <= w.n; i += 4)
        for (std::size_t k = 0; k < 4; ++k) {
            if (d[i + k] > high[k]) high[k] = d[i + k], ih[k] = i + k;
            if (d[i + k] < low[k]) low[k] = d[i + k], il[k] = i + k;
        }
    for (; i < w.n; ++i) {
        if (d[i] > high[0]) high[0] = d[i], ih[0] = i;
        if (d[i] < low[0]) low[0] = d[i], il[0] = i;
    }
    out.s = Spread();
    for (int k = 0; k < 4; ++k) {
        if (high[k] > out.s.top) out.s.top = high[k], out.s.far = ih[k];
        if (low[k] < out.s.bottom) out.s.bottom = low[k], out.s.near = il[k];
    }
    out.far.assign(1, out.s.far);
    out.near.assign(1, out.s.near);
    if (!edges) return;
    // The few at either edge: those within a band of it, the band widened
    // until it holds them.
    const double top = out.s.top, bottom = out.s.bottom;
    for (double band = (top - bottom) / 64;; band *= 4) {
        out.far.clear();
        out.near.clear();
        const double over = top - band, under = bottom + band;
        // Copies of k pushed (here and below): k itself, whose address
        // push_back takes, would be stored and loaded again on every step.
        for (std::size_t k = 0; k < w.n; ++k) {
            if (d[k] >= over) out.far.push_back(std::size_t{k});
            if (d[k] <= under) out.near.push_back(std::size_t{k});
        }
        if ((out.far.size() >= few && out.near.size() >= few) || !(band < top - bottom)) break;
    }
    const auto keep = [&](std::vector<std::size_t>& v, auto order) {
        const std::size_t k = std::min(few, v.size());
        std::partial_sort(v.begin(), v.begin() + static_cast<long>(k), v.end(),
                          [&](std::size_t a, std::size_t b) { return order(d[a], d[b]); });
        v.resize(k);
    };
    keep(out.far, std::greater<>());
    keep(out.near, std::less<>());
}

// The constraints of every point the fit y about c violates, at most 32 of
// each side, the worst first: each residual from the distance measured and
// the point's direction (no square roots).
template <int dim>
std::vector<long> violated(const View& w, const Vec& c, const std::vector<double>& distances,
                           const double* y) {
    const Across<dim> across(w, c);
    Extremes worst{32, {}, {}};
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* p = w.data + i * w.stride;
        double along = 0;
        for (int k = 0; k < dim; ++k) along += (p[k] - across.o[k]) * w.scale * y[k + 1];
        const double d = distances[i];
        const double residual = d - y[0] - (d > 0 ? along / d : 0.0);
        if (std::fabs(residual) - y[dim + 1] > 8 * eps) worst.take(residual, i);
    }
    std::vector<long> out;
    for (const auto& h : worst.high)
        if (h.first > 0) out.push_back(2 * static_cast<long>(h.second));
    for (const auto& l : worst.low)
        if (l.first < 0) out.push_back(2 * static_cast<long>(l.second) + 1);
    return out;
}

// The Chebyshev fit's constraints over the tangent rows about a centre,
// computed for the members of a working set only.
struct TangentSource {
    const Tangents& rows;
    int m;
    int k = m + 1;
    void row(long id, double* c, double& b) const {
        double a[mostk] = {}, f = 0;
        rows(static_cast<std::size_t>(id / 2), a, f);
        const double side = id % 2 == 0 ? 1 : -1;
        for (int j = 0; j < m; ++j) c[j] = -side * a[j];
        c[m] = -1;
        b = -side * f;
    }
};

// From a centre near the optimum (the optimum of points close to these):
// each step the tangent model's Chebyshev fit on a working set, the points
// at the edges and those of the steps before, then the distances about the
// new centre. Where the zone there is wider than the fit promised beyond
// what the model can err by, the fit is checked against every point with the
// distances already measured (no square roots) and solved again. Near the
// optimum two steps are enough, about three passes over the points where
// the descent from afar takes ten or more. Ends where the step is below what
// could change the zone by a part in 10^11 (the certificate allows 10^-9),
// or does not narrow it.
template <int dim> void descendnear(const View& w, Descent& s) {
    constexpr int m = dim + 1;
    constexpr std::size_t few = 8;
    double e[mostk] = {};
    e[m] = 1;
    Measured here, there; // swapped from step to step, their storage kept
    measureabout<dim>(w, s.c, few, true, here);
    s.F = here.s.zone();
    s.top = here.s.top;
    s.bottom = here.s.bottom;
    std::vector<long> set;
    const auto join = [&](const Measured& at) {
        for (const std::size_t i : at.far) set.push_back(2 * static_cast<long>(i));
        for (const std::size_t i : at.near) set.push_back(2 * static_cast<long>(i) + 1);
    };
    join(here);
    for (int iteration = 0; iteration < 8; ++iteration) {
        const Tangents rows{w, s.c, w.dim};
        // The first basis among the edges, later the last fit's points.
        std::vector<std::size_t> edge;
        for (std::size_t k = 0; k < few; ++k) {
            if (k < here.far.size()) edge.push_back(here.far[k]);
            if (k < here.near.size()) edge.push_back(here.near[k]);
        }
        std::vector<std::size_t> previous;
        for (int j = 0; j <= m && s.warm; ++j) previous.push_back(s.basis[j] / 2);
        if (!(s.warm && startbasis(rows, m, previous, s.basis)) &&
            !startbasis(rows, m, edge, s.basis))
            break;
        const TangentSource source{rows, m};
        Simplex r;
        Vec next = s.c;
        bool checked = false;
        for (int round = 0; round < 50; ++round) {
            for (int j = 0; j <= m; ++j) set.push_back(s.basis[j]);
            std::sort(set.begin(), set.end());
            set.erase(std::unique(set.begin(), set.end()), set.end());
            r = dualsimplex(Restricted<TangentSource>(source, set), e, s.basis, 8 * eps, 500);
            if (!r.ok) break;
            s.basis = r.basis;
            double step = 0;
            next = s.c;
            for (int k = 0; k < dim; ++k) next[k] += r.y[k + 1], step += r.y[k + 1] * r.y[k + 1];
            if (!checked) {
                // The zone about the new centre within the model's error
                // of the fit's: no point outside the set was violated.
                measureabout<dim>(w, next, few, false, there);
                const double bottom = here.s.bottom - std::sqrt(step);
                const double err = bottom > 0 ? step / bottom : inf;
                if (there.s.zone() <= 2 * r.y[m] + err + 16 * eps) break;
            }
            const std::vector<long> more = violated<dim>(w, s.c, here.d, r.y.data());
            checked = true;
            if (more.empty()) {
                measureabout<dim>(w, next, few, false, there);
                break;
            }
            set.insert(set.end(), more.begin(), more.end());
        }
        if (!r.ok) break;
        s.warm = true;
        // As the descent from afar: a promise within rounding of the zone
        // ends it, a step is halved until the zone falls as promised.
        const double promised = s.F - 2 * r.y[m];
        if (!(promised > 16 * eps + 1e-13 * s.F)) break;
        double t = 1;
        while (!(there.s.zone() < s.F - 0.1 * t * promised) && t > 0.01) {
            t /= 2;
            next = s.c;
            for (int k = 0; k < dim; ++k) next[k] += t * r.y[k + 1];
            measureabout<dim>(w, next, few, false, there);
        }
        if (!(there.s.zone() < s.F - 0.1 * t * promised)) break;
        double step = 0;
        for (int k = 0; k < dim; ++k) step += t * t * r.y[k + 1] * r.y[k + 1];
        step = std::sqrt(step);
        s.c = next;
        s.F = there.s.zone();
        s.top = there.s.top;
        s.bottom = there.s.bottom;
        std::swap(here, there);
        join(here);
        // A full step whose tangent model erred by at most step^2 / (2 (d -
        // step)) a distance leaves no step nearby worth a part in 10^11.
        if (t == 1 && step < s.bottom / 2 && step * step / (s.bottom - step) <= 1e-11 * s.F) break;
    }
    s.distances = std::move(here.d);
}

// What the neighbourhood of a centre proves: F >= h within rho.
struct Local {
    double h = 0;
    double rho = 0;
    double top = 0;    // largest distance D
    double bottom = 0; // smallest distance d
    std::vector<std::size_t> active;
};

// The edges are the points within a quarter of the allowed gap of them, and
// the reference points of the descent's last fit (`basis`, with their sides).
Local local(const View& w, const Vec& c, double size, const Descent* basis) {
    Local out;
    Spread s;
    if (basis && basis->top - basis->bottom == basis->F && basis->c == c) {
        s.top = basis->top; // the descent measured it there
        s.bottom = basis->bottom;
    } else {
        s = spread(w, c);
    }
    out.top = s.top;
    out.bottom = s.bottom;
    const double near = certifiedgap(s.zone(), size) / 4;
    std::vector<std::size_t> outer, inner;
    for (int j = 0; basis && basis->warm && j <= w.dim + 1; ++j)
        (basis->basis[j] % 2 == 0 ? outer : inner).push_back(basis->basis[j] / 2);
    const bool kept = basis && basis->c == c && basis->distances.size() == w.n;
    const double over = s.top - near, under = s.bottom + near;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double d = kept ? basis->distances[i] : norm(sub(w[i], c));
        if (d >= over) outer.push_back(std::size_t{i});
        if (d <= under) inner.push_back(std::size_t{i});
    }
    for (auto* v : {&outer, &inner}) {
        std::sort(v->begin(), v->end());
        v->erase(std::unique(v->begin(), v->end()), v->end());
    }
    const std::size_t most = w.dim == 2 ? 6 : 5;
    outer = spreadout(w, c, outer, most);
    inner = spreadout(w, c, inner, most);
    double lowestouter = s.top, highestinner = s.bottom;
    std::vector<Vec> g;
    for (const std::size_t a : outer) {
        const Vec da = sub(w[a], c);
        lowestouter = std::min(lowestouter, norm(da));
        for (const std::size_t b : inner) {
            const Vec db = sub(w[b], c);
            g.push_back(sub(mul(1 / norm(db), db), mul(1 / norm(da), da)));
        }
    }
    for (const std::size_t b : inner) highestinner = std::max(highestinner, norm(sub(w[b], c)));
    out.h = std::max(0.0, lowestouter - highestinner);
    const double kappa = sharpness(g, {}, w.dim);
    out.rho = ballradius(kappa, s.bottom);
    out.active = outer;
    out.active.insert(out.active.end(), inner.begin(), inner.end());
    return out;
}

// The branch and bound's problem: F over cubes of centres.
struct Search {
    const View& w;
    double size;  // of the working coordinates, for the rounding allowance
    double width; // a lower bound on the points' width in any direction
    Descent best; // the incumbent
    double T = 0; // to prove: F >= T outside the balls
    std::vector<Neighbourhood> balls;
    Vec farcentre = {0, 0, 0};
    double far = inf; // F >= T beyond this distance from farcentre
    std::vector<std::size_t> subset;

    double threshold() const { return T; }

    // To prove: F >= T, the incumbent's zone less half the allowed gap. Its
    // neighbourhood proves that within rho only when its points' levels are
    // that far apart (a descent that stopped short leaves them closer).
    void adopt(const Local& l) {
        T = std::min(T, best.F - certifiedgap(best.F, size) / 2);
        balls.push_back({best.c, l.h >= T ? l.rho : 0});
        subset.insert(subset.end(), l.active.begin(), l.active.end());
    }

    double bound(const Vec& mid, double half) const {
        const double r = half * std::sqrt(static_cast<double>(w.dim));
        for (const Neighbourhood& b : balls)
            if (norm(sub(mid, b.c)) + r <= b.radius) return inf;
        if (norm(sub(mid, farcentre)) - r >= far) return inf;
        return pairbound<3>(
                   subset.size(), [&](std::size_t k) { return w[subset[k]]; }, mid, r) -
               8 * eps * size;
    }

    bool settle(const Vec& mid, double) {
        if (spread(w, subset, mid).zone() >= T) return false;
        const Spread all = spread(w, mid);
        if (all.zone() < best.F - certifiedgap(best.F, size)) {
            Descent d;
            d.c = mid;
            descend(w, d);
            if (d.F < best.F) {
                best = d;
                adopt(local(w, best.c, size, &best));
                return true;
            }
        }
        subset.push_back(all.far);
        subset.push_back(all.near);
        return true;
    }
};

// The radius beyond which F >= T, from a lower bound `width` on the points'
// width in any direction; inf when the width does not exceed T.
double farradius(double T, double width, double top, double bottom) {
    if (!(width > T)) return inf;
    return (2 * T * top + (top - bottom) * (top + bottom)) / (2 * (width - T));
}

} // namespace

Found mzradial(const Moments& mo, const Options& options) {
    const View& w = mo.view;
    Descent d;
    if (const Nearby* near = options.nearby) {
        for (int k = 0; k < w.dim; ++k) d.c[k] = (near->reference.point[k] - w.origin[k]) * w.scale;
        if (w.dim == 2)
            descendnear<2>(w, d);
        else
            descendnear<3>(w, d);
    } else {
        if (!algebraic(mo, d.c)) return notfound("the points determine no centre");
        descend(w, d);
    }
    if (!std::isfinite(d.F)) return notfound("the minimum-zone centre could not be found");
    Found out;
    out.found = true;
    out.point = d.c;
    if (!options.certificate) return out;

    const double size = 1 + norm(d.c);
    const Local l = local(w, d.c, size, &d);
    d.distances = {};
    Search s{w, size, 2 * std::sqrt(mo.values[0]) * (1 - 1e-9), d, inf, {}, d.c, inf, {}};
    s.T = inf;
    s.adopt(l);
    s.farcentre = d.c;
    if (!(s.width > s.T)) {
        // The spread understates the width of an arc: the minimum-zone line
        // or plane bounds it from below exactly.
        const Found straight = mzlinear(mo, options);
        if (straight.found) s.width = std::max(s.width, straight.certificate.lower * (1 - 1e-9));
    }
    s.far = farradius(s.T, s.width, l.top, l.bottom);
    Certificate& c = out.certificate;
    double lower = s.T;
    std::string why = "the points at the edges of the zone do not hold the centre from every side";
    if (!(s.balls.front().radius >= s.far)) {
        // Between the neighbourhood and the far region: the search. Without a
        // far bound it still looks for better centres within a wide cube, and
        // what lies beyond is bounded by the limit of the far estimate there.
        const double extent = 1 + std::sqrt(mo.values[2]) * 8;
        const double half = std::isfinite(s.far) ? s.far : 64 * extent;
        for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 32))
            s.subset.push_back(i);
        long used = 0;
        const double left = branchbound(s, d.c, half, w.dim, options.budget, used);
        lower = std::min(s.T, left);
        if (std::isfinite(left))
            why = "the global search ran out of its budget of " + std::to_string(options.budget) +
                  " cells";
        if (!std::isfinite(s.far)) {
            const double k = (l.top - l.bottom) * (l.top + l.bottom);
            const double beyond = (2 * half * s.width - k) / (2 * (half + l.top));
            why = "the points are too close to a straight line (a short arc or a shallow cap) "
                  "to exclude a distant centre: a circle of ever larger radius may do better";
            lower = std::min(lower, beyond);
        }
    }
    c.certified = s.best.F - std::max(0.0, lower) <= certifiedgap(s.best.F, size);
    if (!c.certified) {
        // Unproven: at least never wider than about the least-squares centre.
        const Found ls = lsradial(mo);
        if (ls.found) {
            Descent e;
            e.c = ls.point;
            descend(w, e);
            if (e.F < s.best.F) s.best = e;
        }
        c.why = why;
    }
    out.point = s.best.c;
    c.upper = s.best.F;
    c.lower = std::max(0.0, std::min(lower, c.upper));
    return out;
}

} // namespace formeval::pointset::kernel
