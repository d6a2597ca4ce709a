// Maximum inscribed circle and sphere: the centre c within the points' convex
// hull that maximises g(c) = min_i |p_i - c|, found globally.
//
// Ascent: since |p - c - delta| >= d - u.delta (u the unit vector from c to
// p), the linear program max t subject to t + u_i.delta <= d_i (and the hull's
// half-spaces, once known) gives a step that raises g to at least t; the dual
// simplex solves it over every point.
//
// Certificate. Near the centre found, with J the points nearest it and the
// hull's sides through it, g(c + delta) <= max_J d_j - sigma s + s^2 / (2 (d -
// s)) with sigma the least of max_J u_j.e over feasible unit directions e: at
// most max_J d_j within rho = 2 sigma d / (1 + 2 sigma). Elsewhere in the hull
// a branch and bound over cubes: g is 1-Lipschitz, and a subset of the points
// bounds it from above. The hull itself is built only when a cube outside the
// neighbourhood could beat the centre found (points not all round).
#include "pointset/kernels.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

namespace {

// The linear program of one ascent step about c, in y = (delta, t):
// constraint i < n: t + u_i.delta <= d_i; then the box |delta_k| <= reach;
// then the hull's half-spaces.
struct Step {
    const View& w;
    Vec c;
    double reach;
    const std::vector<Facet>& facets;
    int k;
    // Each point's offset from c and its length, measured once: the simplex
    // visits every point at each of its steps.
    std::vector<Vec> offset = {};
    std::vector<double> length = {};
    void measure() {
        offset.resize(w.n);
        length.resize(w.n);
        for (std::size_t i = 0; i < w.n; ++i) {
            offset[i] = sub(w[i], c);
            length[i] = norm(offset[i]);
        }
    }
    long boxes() const { return static_cast<long>(w.n); }
    long sides() const { return boxes() + 2 * w.dim; }
    void row(long id, double* r, double& b) const {
        for (int j = 0; j < k; ++j) r[j] = 0;
        if (id < boxes()) {
            const Vec& d = offset[static_cast<std::size_t>(id)];
            const double len = length[static_cast<std::size_t>(id)];
            for (int j = 0; j < w.dim; ++j) r[j] = len > 0 ? d[j] / len : 0.0;
            r[w.dim] = 1;
            b = len;
        } else if (id < sides()) {
            const long j = id - boxes();
            r[j / 2] = j % 2 == 0 ? 1 : -1;
            b = reach;
        } else {
            const Facet& f = facets[static_cast<std::size_t>(id - sides())];
            for (int j = 0; j < w.dim; ++j) r[j] = f.n[j];
            b = f.b - dot(f.n, c);
        }
    }
    long size() const { return sides() + static_cast<long>(facets.size()); }
    long worst(const double* y, double& excess) const { return worstof(*this, y, excess); }
    template <class F> void each(const double* y, F f) const {
        const Vec delta = {y[0], y[1], w.dim == 3 ? y[2] : 0.0};
        std::size_t i = 0;
#if defined(__SSE2__)
        // Two points' excesses at a time, each lane the operations below in
        // their order; handed on one by one, in the points' order.
        const __m128d dx = _mm_set1_pd(delta[0]), dy = _mm_set1_pd(delta[1]);
        const __m128d dz = _mm_set1_pd(delta[2]), t = _mm_set1_pd(y[w.dim]);
        for (; i + 2 <= w.n; i += 2) {
            const Vec& a = offset[i];
            const Vec& b = offset[i + 1];
            const __m128d ab = _mm_loadu_pd(a.data()), cd = _mm_loadu_pd(b.data());
            const __m128d x = _mm_unpacklo_pd(ab, cd), yy = _mm_unpackhi_pd(ab, cd);
            const __m128d z = _mm_set_pd(b[2], a[2]);
            const __m128d len = _mm_loadu_pd(&length[i]);
            const __m128d d =
                _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, dx), _mm_mul_pd(yy, dy)), _mm_mul_pd(z, dz));
            const __m128d along =
                _mm_and_pd(_mm_cmpgt_pd(len, _mm_setzero_pd()), _mm_div_pd(d, len));
            double e[2];
            _mm_storeu_pd(e, _mm_sub_pd(_mm_add_pd(t, along), len));
            f(static_cast<long>(i), e[0]);
            f(static_cast<long>(i + 1), e[1]);
        }
#endif
        for (; i < w.n; ++i) {
            const double len = length[i];
            f(static_cast<long>(i), y[w.dim] + (len > 0 ? dot(offset[i], delta) / len : 0.0) - len);
        }
        for (int j = 0; j < w.dim; ++j) f(boxes() + 2 * j + (y[j] < 0), std::fabs(y[j]) - reach);
        for (std::size_t j = 0; j < facets.size(); ++j)
            f(sides() + static_cast<long>(j), dot(facets[j].n, add(c, delta)) - facets[j].b);
    }
};

// Raises g from c by linear programming steps; returns g at the end.
double ascend(const View& w, const std::vector<Facet>& facets, double reach, Vec& c) {
    Spread s = spread(w, c); // about c, measured once
    double g = s.bottom;
    Step lp{w, c, reach, facets, w.dim + 1};
    for (int iteration = 0; iteration < 100; ++iteration) {
        lp.c = c;
        lp.measure();
        // First basis: the nearest point and a side of the box per axis.
        const Vec u = sub(w[s.near], c);
        std::array<long, mostk> basis{};
        basis[0] = static_cast<long>(s.near);
        for (int j = 0; j < w.dim; ++j) basis[j + 1] = lp.boxes() + 2 * j + (u[j] > 0);
        double e[mostk] = {};
        e[w.dim] = -1;
        std::vector<long> set; // the working set's first members, if it needs one
        if (lp.size() > wholeset)
            for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 48))
                set.push_back(static_cast<long>(i));
        const Simplex r = dualsimplexset(lp, e, basis, 8 * eps, 500, set);
        if (!r.ok) break;
        Vec next = c;
        for (int j = 0; j < w.dim; ++j) next[j] += r.y[j];
        const Spread there = spread(w, next);
        const double h = there.bottom;
        if (!(h > g * (1 + 4 * eps) + 4 * eps)) break;
        c = next;
        g = h;
        s = there;
    }
    return g;
}

// The least distance from c of the points q (working coordinates): the
// square root of the least square, which is the least of spread()'s
// distances to the bit, with one root. In the plane two points at a time
// where SSE2 is; a lane's minimum keeps out values not numbers, as the
// comparison does.
double nearest(const std::vector<Vec>& q, const Vec& c, int dim) {
    double least = inf;
    std::size_t k = 0;
#if defined(__SSE2__)
    if (dim == 2 && c[2] == 0) {
        const __m128d cx = _mm_set1_pd(c[0]), cy = _mm_set1_pd(c[1]);
        __m128d low = _mm_set1_pd(inf);
        for (; k + 2 <= q.size(); k += 2) {
            const __m128d a = _mm_loadu_pd(q[k].data()), b = _mm_loadu_pd(q[k + 1].data());
            const __m128d x = _mm_sub_pd(_mm_unpacklo_pd(a, b), cx);
            const __m128d y = _mm_sub_pd(_mm_unpackhi_pd(a, b), cy);
            low = _mm_min_pd(_mm_add_pd(_mm_mul_pd(x, x), _mm_mul_pd(y, y)), low);
        }
        double lanes[2];
        _mm_storeu_pd(lanes, low);
        least = std::min(lanes[0], lanes[1]);
    }
#endif
    for (; k < q.size(); ++k) {
        const Vec d = sub(q[k], c);
        const double d2 = dot(d, d);
        if (d2 < least) least = d2;
    }
    return std::sqrt(least);
}

bool inhull(const std::vector<Facet>& facets, const Vec& c, double slack) {
    for (const Facet& f : facets)
        if (dot(f.n, c) > f.b + slack) return false;
    return true;
}

// The side of the hull farthest beyond the cube's middle (its excess over
// the side's plane), or none when the middle is inside; whether a side
// excludes every point of the cube.
struct Beyond {
    const Facet* side = nullptr;
    double excess = 0;
    bool excluded = false;
};
Beyond beyond(const std::vector<Facet>& facets, const Vec& mid, double half, int dim) {
    Beyond out;
    for (const Facet& f : facets) {
        const double e = dot(f.n, mid) - f.b;
        if (!(e > out.excess)) continue;
        double reach = 0;
        for (int k = 0; k < dim; ++k) reach += half * std::fabs(f.n[k]);
        out = {&f, e, e > reach};
        if (out.excluded) break;
    }
    return out;
}

struct Local {
    double top = 0; // max_J d_j: g is at most this within rho
    double rho = 0;
    std::size_t near = 0; // the point nearest the centre
};

Local local(const View& w, const std::vector<Facet>& facets, const Vec& c, double size) {
    Local out;
    const Spread s = spread(w, c);
    out.near = s.near;
    const double near = certifiedgap(s.zone(), size) / 4;
    std::vector<std::size_t> nearest;
    out.top = s.bottom;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double len = norm(sub(w[i], c));
        if (len > s.bottom + near) continue;
        out.top = std::max(out.top, len);
        nearest.push_back(i);
    }
    std::vector<Vec> u;
    for (const std::size_t i : spreadout(w, c, nearest, 40)) {
        const Vec d = sub(w[i], c);
        u.push_back(mul(1 / norm(d), d));
    }
    std::vector<Vec> cone;
    for (const Facet& f : facets)
        if (dot(f.n, c) >= f.b - 1e-12 * size) cone.push_back(f.n);
    const double sigma = sharpness(u, cone, w.dim);
    out.rho = ballradius(sigma, s.bottom);
    return out;
}

// The branch and bound's problem: -g over cubes, to prove -g >= -G.
struct Search {
    const View& w;
    double size;
    double reach;
    std::vector<Facet> facets;
    bool hullbuilt = false;
    bool blind = false;
    Vec best = {0, 0, 0};
    double g = 0; // the incumbent's radius
    double G = 0; // to prove: g <= G outside the balls
    std::vector<Neighbourhood> balls;
    std::vector<Vec> subset; // points that bound g from above, as w[i]

    double threshold() const { return -G; }

    // A new incumbent c, g(c) = value, and its neighbourhood l (local()).
    void adopt(const Vec& c, double value, const Local& l) {
        best = c;
        g = value;
        G = std::max(G, l.top);
        balls.push_back({c, l.rho});
        subset.push_back(w[l.near]);
    }

    // A local optimum as good as the incumbent (points symmetric about a line
    // have two): the neighbourhood it holds is excluded as the incumbent's is.
    // Its nearest points surround it, so it lies in the hull.
    bool tied(const Vec& c) {
        for (const Neighbourhood& b : balls)
            if (norm(sub(c, b.c)) <= b.radius) return false;
        const Local l = local(w, facets, c, size);
        if (!(l.rho > 0)) return false;
        G = std::max(G, l.top);
        balls.push_back({c, l.rho});
        subset.push_back(w[l.near]);
        return true;
    }

    double bound(const Vec& mid, double half) const {
        const double r = half * std::sqrt(static_cast<double>(w.dim));
        for (const Neighbourhood& b : balls)
            if (norm(sub(mid, b.c)) + r <= b.radius) return inf;
        const double g = -(nearest(subset, mid, w.dim) + r + 8 * eps * size);
        if (g >= -G || !hullbuilt) return g >= -G ? inf : g;
        // Only the part of the cube inside the side farthest beyond its middle
        // may hold a centre: it lies within sqrt(r^2 - e^2) of the middle's
        // foot on that side.
        const Beyond out = beyond(facets, mid, half, w.dim);
        if (out.excluded) return inf;
        if (!out.side) return g;
        const Vec foot = sub(mid, mul(out.excess, out.side->n));
        const double reach = std::sqrt(std::max(0.0, r * r - out.excess * out.excess));
        const double clipped = -(nearest(subset, foot, w.dim) + reach + 8 * eps * size);
        return clipped >= -G ? inf : std::max(g, clipped);
    }

    bool settle(const Vec& mid, double) {
        // Within this of the incumbent a centre is as good: a tie.
        const double tie = 1e-9 * g + 64 * eps * size;
        if (nearest(subset, mid, w.dim) <= G - tie) return false;
        const Spread all = spread(w, mid);
        if (all.bottom > g - tie && !hullbuilt) {
            // A centre here might beat or tie the one found: whether it may, the
            // hull says.
            facets = hull(w);
            hullbuilt = true;
            blind = facets.empty(); // built without CGAL: no hull to tell
            return true;
        }
        if (!blind && all.bottom > g - tie && inhull(facets, mid, 0)) {
            Vec c = mid;
            const double h = ascend(w, facets, reach, c);
            if (h > g + certifiedgap(all.zone(), size)) {
                adopt(c, h, local(w, facets, c, size));
                return true;
            }
            if (h >= g - tie && tied(c)) return true;
        }
        subset.push_back(w[all.near]);
        return true;
    }
};

} // namespace

Found varadial(const Moments& mo, const Options& options) {
    const View& w = mo.view;
    Vec c;
    if (!algebraic(mo, c)) return notfound("the points determine no centre");
    Found out;
    double lo[3] = {inf, inf, inf}, hi[3] = {-inf, -inf, -inf};
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        for (int k = 0; k < w.dim; ++k)
            lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
    }
    Vec middle = {0, 0, 0};
    double half = 0;
    for (int k = 0; k < w.dim; ++k) {
        middle[k] = (lo[k] + hi[k]) / 2;
        half = std::max(half, (hi[k] - lo[k]) / 2);
    }
    // Start inside the box of the points.
    for (int k = 0; k < w.dim; ++k) c[k] = std::min(std::max(c[k], lo[k]), hi[k]);
    const double size = 1 + norm(middle);
    Search s{w, size, 2 * half, {}, false, false, c, 0, 0, {}, {}};
    // A centre whose nearest points do not surround it may lie outside the
    // hull: then the hull is needed from the start.
    double g = ascend(w, s.facets, s.reach, c);
    Local l = local(w, s.facets, c, size);
    if (l.rho <= 0) {
        s.facets = hull(w);
        s.hullbuilt = true;
        if (s.facets.empty()) {
            out.failure = exactreferences()
                              ? "the points span no hull to hold a centre"
                              : "built without CGAL: no hull to hold the centre of points not "
                                "all round";
            return out;
        }
        if (!inhull(s.facets, c, 0)) c = middle;
        if (!inhull(s.facets, c, 0)) {
            c = {0, 0, 0}; // the centroid lies in the hull
        }
        g = ascend(w, s.facets, s.reach, c);
        l = local(w, s.facets, c, size);
    }
    s.adopt(c, g, l);
    out.found = true;
    if (options.certificate) {
        for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 32))
            s.subset.push_back(w[i]);
        long used = 0;
        const double left = branchbound(s, middle, half * (1 + 1e-9), w.dim, options.budget, used);
        Certificate& cert = out.certificate;
        cert.lower = s.g;
        cert.upper = std::isfinite(left) ? std::max(s.G, -left) : s.G;
        // A search cut short whose bracket is closed all the same proves it.
        const bool closed = cert.upper - cert.lower <= certifiedgap(spread(w, s.best).zone(), size);
        if (std::isfinite(left) && !closed)
            cert.why = s.blind ? "built without CGAL: no hull to bound the centre"
                               : "the global search ran out of its budget of " +
                                     std::to_string(options.budget) + " cells";
        else if (s.balls.front().radius <= 0 && s.balls.back().radius <= 0)
            cert.why = "the points nearest the centre do not hold it from every side";
        cert.certified = cert.why.empty();
    }
    out.point = s.best;
    out.radius = s.g;
    // Only a centre the points do not surround can lie on the hull, and the
    // search builds the hull for every such centre.
    if (s.hullbuilt) out.onhull = !inhull(s.facets, s.best, -1e-9 * std::max(s.g, 1e-300));
    return out;
}

} // namespace formeval::pointset::kernel
