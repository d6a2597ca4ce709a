// Least-squares references in working coordinates. A line or plane through
// the centroid minimises the sum of squared orthogonal distances along the
// covariance's eigenvector of least spread (the normal) or most (a line's
// direction). A circle or sphere minimises the squared orthogonal distances
// by Gauss-Newton, halving steps that do not lower them, from the algebraic
// fit |q|^2 = 2 c.q + k.
//
// Each pass over the points gives both the sum of squares at a trial centre
// and radius and the normal equations there: a step is judged by the pass
// that then serves for the next step, and the mean distance, the radius, comes
// from the last one. The last step, below 1e-15 of the radius, is taken
// without a pass.
#include "pointset/kernels.h"

#include <cmath>

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
// e = |q - c| - r (summed by blocks, so that its rounding stays far below
// the 1e-12 by which a step near the optimum may raise it), the sum of the residuals
// (the mean distance is r plus their mean) and the normal equations of the
// Gauss-Newton step.
struct Squares {
    double sum = 0;
    double residuals = 0;
    double jtj[4][4] = {};
    double jte[4] = {};
};

template <int d> Squares squares(const View& w, const Vec& c, double r) {
    constexpr std::size_t block = 512;
    const double* data = w.data;
    const std::size_t count = w.n, stride = w.stride;
    const double scale = w.scale;
    double o[3], centre[3];
    for (int k = 0; k < 3; ++k) o[k] = w.origin[k], centre[k] = c[k];
    // The radius' row is -1: its products are the sums of the others, the
    // count and the sum of the residuals.
    double sum = 0, partial = 0, residuals = 0, uu[3][3] = {}, u[3] = {}, ue[3] = {};
    for (std::size_t i = 0; i < count; ++i) {
        if (i % block == 0) sum += partial, partial = 0;
        const double* p = data + i * stride;
        double v[3] = {0, 0, 0};
        for (int k = 0; k < d; ++k) v[k] = (p[k] - o[k]) * scale - centre[k];
        const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const double e = len - r;
        partial += e * e;
        residuals += e;
        double row[3];
        const double inverse = len > 0 ? -1 / len : 0;
        for (int k = 0; k < d; ++k) row[k] = v[k] * inverse;
        for (int a = 0; a < d; ++a) {
            for (int b = a; b < d; ++b) uu[a][b] += row[a] * row[b];
            u[a] += row[a];
            ue[a] += row[a] * e;
        }
    }
    Squares s;
    s.sum = sum + partial;
    s.residuals = residuals;
    for (int a = 0; a < d; ++a) {
        for (int b = 0; b < d; ++b) s.jtj[a][b] = b < a ? uu[b][a] : uu[a][b];
        s.jtj[a][d] = s.jtj[d][a] = -u[a];
        s.jte[a] = ue[a];
    }
    s.jtj[d][d] = static_cast<double>(count);
    s.jte[d] = -residuals;
    return s;
}

// The pass about (c, r) moved to the radius r + dr: the residuals less dr.
// False when the sum of squares it leaves has lost its digits.
bool shifted(Squares& s, double dr, int n, double count) {
    const double drop = count * dr * dr;
    if (!(drop <= 0.5 * s.sum)) return false;
    s.sum -= drop;
    s.residuals -= count * dr;
    for (int a = 0; a < n; ++a) s.jte[a] += dr * s.jtj[a][n - 1];
    return true;
}

template <int d> Found lsfit(const Moments& m) {
    constexpr int n = d + 1;
    const View& w = m.view;
    const double count = static_cast<double>(w.n);
    Vec c;
    double k = 0;
    if (!algebraic(m, c, k)) return notfound("the points determine no least-squares centre");
    Found f;
    // From the algebraic radius, the pass moved to the mean distance; afresh
    // at the mean distance where the move would cost the sum its digits.
    const double ra = std::sqrt(std::max(0.0, k + dot(c, c)));
    Squares s = squares<d>(w, c, ra);
    double r = ra + s.residuals / count;
    if (!shifted(s, r - ra, n, count)) s = squares<d>(w, c, r);
    double distance = r + s.residuals / count; // mean distance from c
    for (int iteration = 0; iteration < 200; ++iteration) {
        double a[16], b[4];
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) a[i * n + j] = s.jtj[i][j];
            b[i] = -s.jte[i];
        }
        if (!solve(n, a, b)) break;
        Vec next = c;
        for (int j = 0; j < d; ++j) next[j] += b[j];
        double rn = r + b[n - 1];
        if (norm(sub(next, c)) + std::fabs(rn - r) <= 1e-15 * (1 + std::fabs(rn))) {
            // The last step, taken without a pass: the mean distance moved
            // to first order (the rest is below 1e-30 of the radius).
            double along = 0;
            for (int j = 0; j < d; ++j) along += s.jtj[j][n - 1] * (next[j] - c[j]);
            distance -= along / count;
            c = next;
            r = rn;
            break;
        }
        double t = 1;
        bool accepted = false;
        Squares trial;
        for (int halving = 0; halving < 40 && !accepted; ++halving, t /= 2) {
            next = c;
            for (int j = 0; j < d; ++j) next[j] += t * b[j];
            rn = r + t * b[n - 1];
            // Near the optimum the sum changes by less than its rounding, while
            // the gradient (and so the step) stays exact: a step that raises
            // the sum only by rounding is taken.
            trial = squares<d>(w, next, rn);
            accepted = trial.sum <= s.sum * (1 + 1e-12);
        }
        if (!accepted) break;
        const double step = norm(sub(next, c)) + std::fabs(rn - r);
        c = next;
        r = rn;
        s = trial;
        distance = r + s.residuals / count;
        if (step <= 1e-15 * (1 + std::fabs(r))) break;
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
    f.radius = distance;
    return f;
}

} // namespace

// The algebraic circle or sphere: the least-squares solution of
// 2 c.q + k = |q|^2, false when it is singular.
bool algebraic(const View& w, Vec& c) {
    double k = 0;
    return passalgebraic(w, c, k);
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
