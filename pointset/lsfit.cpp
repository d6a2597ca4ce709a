// Least-squares references in working coordinates. A line or plane through
// the centroid minimises the sum of squared orthogonal distances along the
// covariance's eigenvector of least spread (the normal) or most (a line's
// direction). A circle or sphere minimises the squared orthogonal distances
// by Gauss-Newton, halving steps that do not lower them, from the algebraic
// fit |q|^2 = 2 c.q + k.
//
// The algebraic fit's sums come with the moments, and its radius starts the
// descent. The pass that judges a full step gives the normal equations of
// the next one: a step costs one pass, and the last (too small to change the
// result but by rounding) none.
#include "pointset/kernels.h"
#include "pointset/steps.h"

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

Found lslinear(const Moments& m) {
    Found f;
    f.found = true;
    f.point = {0, 0, 0};
    f.direction = m.view.dim == 2 ? m.vectors[1] : m.vectors[0];
    return f;
}

namespace {

// The point i of the view, as View::operator[] gives it, less c.
template <int d> inline void fromcentre(const View& w, std::size_t i, const Vec& c, double* v) {
    const double* p = w.data + i * w.stride;
    for (int k = 0; k < d; ++k) v[k] = (p[k] - w.origin[k]) * w.scale - c[k];
}

// The normal equations of 2 c.q + k = |q|^2, a pass over the points.
template <int d> void algebraicsums(const View& w, double (&a)[4][5]) {
    constexpr int n = d + 1;
    constexpr Vec zero = {0, 0, 0};
    for (std::size_t i = 0; i < w.n; ++i) {
        double q[3] = {0, 0, 0};
        fromcentre<d>(w, i, zero, q);
        double row[4];
        for (int j = 0; j < d; ++j) row[j] = 2 * q[j];
        row[d] = 1;
        const double f = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
        for (int r = 0; r < n; ++r) {
            for (int s = r; s < n; ++s) a[r][s] += row[r] * row[s];
            a[r][n] += row[r] * f;
        }
    }
}

// The least-squares solution (c, k) of the normal equations a; false when
// singular.
template <int d> bool algebraicsolve(const double (&a)[4][5], Vec& c, double& k) {
    constexpr int n = d + 1;
    double m[16], b[4];
    for (int r = 0; r < n; ++r) {
        for (int s = 0; s < n; ++s) m[r * n + s] = s < r ? a[s][r] : a[r][s];
        b[r] = a[r][n];
    }
    if (!solve(n, m, b)) return false;
    c = {b[0], b[1], d == 3 ? b[2] : 0.0};
    k = b[d];
    return std::isfinite(norm(c));
}

// The algebraic fit by a pass over the points.
bool passalgebraic(const View& w, Vec& c, double& k) {
    double a[4][5] = {};
    if (w.dim == 3) return algebraicsums<3>(w, a), algebraicsolve<3>(a, c, k);
    return algebraicsums<2>(w, a), algebraicsolve<2>(a, c, k);
}

// One pass about the centre c and radius r: the sum of squared residuals
// e = |q - c| - r (by blocks of points, in long double across them: near the
// optimum a step changes the sum by little more than its rounding) and the
// normal equations of the Gauss-Newton step when asked. The radius' row of
// the Jacobian is -1: its products are the sums of the others, the count and
// the sum of the residuals.
struct Squares {
    long double sum = 0;
    double jtj[4][4] = {};
    double jte[4] = {};
};

// The sums of a pass in working units: w = (q - c) / |q - c| (0 at the
// centre), which is minus the Jacobian's row.
struct PassSums {
    double ww[3][3] = {};
    double w[3] = {};
    double we[3] = {};
    double e = 0;
    long double ee = 0;
};

template <int d> Squares fromsums(const PassSums& p, std::size_t count, bool equations) {
    Squares s;
    s.sum = p.ee;
    if (!equations) return s;
    for (int a = 0; a < d; ++a) {
        for (int b = 0; b < d; ++b) s.jtj[a][b] = b < a ? p.ww[b][a] : p.ww[a][b];
        s.jtj[a][d] = s.jtj[d][a] = p.w[a];
        s.jte[a] = -p.we[a];
    }
    s.jtj[d][d] = static_cast<double>(count);
    s.jte[d] = -p.e;
    return s;
}

#ifdef __SSE2__
// Two points at a time, one a lane; keep masks a lane out (an odd count's
// last pair).
template <int d> struct TwoLanes {
    __m128d o[3], c[3], scale, radius;
    __m128d ww[3][3], w[3], we[3], e, ee;

    TwoLanes(const View& view, const Vec& centre, double r) {
        for (int k = 0; k < 3; ++k) {
            o[k] = _mm_set1_pd(view.origin[k]);
            c[k] = _mm_set1_pd(centre[k]);
            w[k] = we[k] = _mm_setzero_pd();
            for (int j = 0; j < 3; ++j) ww[k][j] = _mm_setzero_pd();
        }
        scale = _mm_set1_pd(view.scale);
        radius = _mm_set1_pd(r);
        e = ee = _mm_setzero_pd();
    }
    template <bool equations> void add(const double* p, const double* q, __m128d keep) {
        __m128d v[3], length = _mm_setzero_pd();
        for (int k = 0; k < d; ++k) {
            v[k] = _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(_mm_set_pd(q[k], p[k]), o[k]), scale), c[k]);
            length = _mm_add_pd(length, _mm_mul_pd(v[k], v[k]));
        }
        length = _mm_sqrt_pd(length);
        const __m128d r = _mm_and_pd(keep, _mm_sub_pd(length, radius));
        ee = _mm_add_pd(ee, _mm_mul_pd(r, r));
        if (!equations) return;
        const __m128d positive = _mm_and_pd(keep, _mm_cmpgt_pd(length, _mm_setzero_pd()));
        const __m128d inverse = _mm_and_pd(positive, _mm_div_pd(_mm_set1_pd(1), length));
        for (int a = 0; a < d; ++a) v[a] = _mm_mul_pd(v[a], inverse);
        for (int a = 0; a < d; ++a) {
            for (int b = a; b < d; ++b) ww[a][b] = _mm_add_pd(ww[a][b], _mm_mul_pd(v[a], v[b]));
            w[a] = _mm_add_pd(w[a], v[a]);
            we[a] = _mm_add_pd(we[a], _mm_mul_pd(v[a], r));
        }
        e = _mm_add_pd(e, r);
    }
    long double squares() {
        const double s = lanesum(ee);
        ee = _mm_setzero_pd();
        return s;
    }
    void into(PassSums& p) const {
        for (int a = 0; a < d; ++a) {
            for (int b = a; b < d; ++b) p.ww[a][b] = lanesum(ww[a][b]);
            p.w[a] = lanesum(w[a]);
            p.we[a] = lanesum(we[a]);
        }
        p.e = lanesum(e);
    }
};

template <int d, bool equations> PassSums passsums(const View& w, const Vec& c, double r) {
    TwoLanes<d> lanes(w, c, r);
    const __m128d all = _mm_castsi128_pd(_mm_set1_epi64x(-1));
    PassSums out;
    std::size_t i = 0;
    while (i + 1 < w.n) {
        const std::size_t end = std::min(w.n - 1, i + squaresblock);
        for (; i < end; i += 2) {
            const double* p = w.data + i * w.stride;
            lanes.template add<equations>(p, p + w.stride, all);
        }
        out.ee += lanes.squares();
    }
    if (i < w.n) {
        const double* p = w.data + i * w.stride;
        lanes.template add<equations>(p, p, _mm_castsi128_pd(_mm_set_epi64x(0, -1)));
        out.ee += lanes.squares();
    }
    lanes.into(out);
    return out;
}
#else
template <int d, bool equations> PassSums passsums(const View& w, const Vec& c, double r) {
    PassSums out;
    double ee = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* p = w.data + i * w.stride;
        double v[3] = {0, 0, 0}, length = 0;
        for (int k = 0; k < d; ++k) {
            v[k] = (p[k] - w.origin[k]) * w.scale - c[k];
            length += v[k] * v[k];
        }
        length = std::sqrt(length);
        const double e = length - r;
        ee += e * e;
        if ((i + 1) % squaresblock == 0) out.ee += ee, ee = 0;
        if (!equations) continue;
        const double inverse = length > 0 ? 1 / length : 0;
        for (int a = 0; a < d; ++a) v[a] *= inverse;
        for (int a = 0; a < d; ++a) {
            for (int b = a; b < d; ++b) out.ww[a][b] += v[a] * v[b];
            out.w[a] += v[a];
            out.we[a] += v[a] * e;
        }
        out.e += e;
    }
    out.ee += ee;
    return out;
}
#endif

template <int d> Squares squares(const View& w, const Vec& c, double r, bool equations) {
    return fromsums<d>(equations ? passsums<d, true>(w, c, r) : passsums<d, false>(w, c, r), w.n,
                       equations);
}

// The mean distance of the points from c.
template <int d> double meandistance(const View& w, const Vec& c) {
    long double sum = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        double v[3] = {0, 0, 0};
        fromcentre<d>(w, i, c, v);
        sum += std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    }
    return static_cast<double>(sum / w.n);
}

template <int d> Found lsfit(const Moments& m) {
    constexpr int n = d + 1;
    const View& w = m.view;
    Vec c;
    double k = 0;
    if (!algebraic(m, c, k)) return notfound("the points determine no least-squares centre");
    Found f;
    // The algebraic radius, |q - c|^2 = k + |c|^2; the mean distance where
    // that is no square.
    const double square = k + dot(c, c);
    double r = square > 0 ? std::sqrt(square) : meandistance<d>(w, c);
    Squares s = squares<d>(w, c, r, true);
    Steps steps;
    for (int iteration = 0; iteration < 200; ++iteration) {
        double a[16], b[4];
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) a[i * n + j] = s.jtj[i][j];
            b[i] = -s.jte[i];
        }
        if (!solve(n, a, b)) break;
        const double length =
            std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2] * (d == 3)) + std::fabs(b[n - 1]);
        if (steps.last(length, r)) {
            for (int j = 0; j < d; ++j) c[j] += b[j];
            r += b[n - 1];
            break;
        }
        const long double noise = sumrounding(1 + std::fabs(r) + norm(c), w.n, s.sum);
        double t = 1;
        bool accepted = false;
        Vec next = c;
        double rn = r;
        Squares trial;
        for (int halving = 0; halving < 40 && !accepted; ++halving, t /= 2) {
            next = c;
            for (int j = 0; j < d; ++j) next[j] += t * b[j];
            rn = r + t * b[n - 1];
            // Near the optimum the sum changes by less than its rounding, while
            // the gradient (and so the step) stays exact: a step that raises
            // the sum only by rounding is taken. The full step's pass gives the
            // next step's equations as well; a halved one's only the sum.
            trial = squares<d>(w, next, rn, halving == 0);
            accepted = trial.sum <= s.sum * (1 + 1e-12L) + noise;
        }
        if (!accepted) break;
        const bool full = t == 0.5; // taken whole: its pass has the equations
        const double taken = norm(sub(next, c)) + std::fabs(rn - r);
        const double move[4] = {next[0] - c[0], next[1] - c[1], next[2] - c[2], rn - r};
        const bool wandering = steps.wandering(move, 4, taken, full && trial.sum >= s.sum - noise);
        c = next;
        r = rn;
        // A step halved to nothing: no step lowers the sum beyond its rounding.
        if (wandering || taken <= 1e-15 * (1 + std::fabs(r))) break;
        s = full ? trial : squares<d>(w, c, r, true);
        if (!(norm(c) < 1e12)) break;
    }
    if (!(norm(c) < 1e12) || !std::isfinite(r)) {
        f.failure = std::string("the least-squares ") + (d == 2 ? "circle" : "sphere") +
                    " runs off to infinity: the points lie too close to a straight " +
                    (d == 2 ? "line" : "plane");
        return f;
    }
    f.found = true;
    f.point = c;
    f.radius = r;
    return f;
}

} // namespace

// The algebraic circle or sphere: the least-squares solution of
// 2 c.q + k = |q|^2, false when it is singular.
bool algebraic(const View& w, Vec& c) {
    double k = 0;
    return passalgebraic(w, c, k);
}

bool algebraic(const Moments& m, Vec& c) {
    double k = 0;
    return algebraic(m, c, k);
}

bool algebraic(const Moments& m, Vec& c, double& k) {
    if (!m.hasalgebraic) return passalgebraic(m.view, c, k);
    return m.view.dim == 3 ? algebraicsolve<3>(m.algebraic, c, k)
                           : algebraicsolve<2>(m.algebraic, c, k);
}

Found lsradial(const Moments& m) {
    return m.view.dim == 3 ? lsfit<3>(m) : lsfit<2>(m);
}

} // namespace formeval::pointset::kernel
