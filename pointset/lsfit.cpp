// Least-squares references in working coordinates. A line or plane through
// the centroid minimises the sum of squared orthogonal distances along the
// covariance's eigenvector of least spread (the normal) or most (a line's
// direction). A circle or sphere minimises the squared orthogonal distances
// by Gauss-Newton, halving steps that do not lower them, from the algebraic
// fit |q|^2 = 2 c.q + k.
//
// The pass that judges a full step gives the normal equations of the next
// one and, for the last, the mean distance (the radius): a step costs one
// pass. The algebraic fit's sums come with the moments.
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
// e = |q - c| - r and of the distances |q - c| (in long double: the sum of
// squares decides the steps near the optimum, where they change it by little
// more than its rounding), and the normal equations of the Gauss-Newton step
// when asked.
struct Squares {
    long double sum = 0;
    long double distances = 0;
    double jtj[4][4] = {};
    double jte[4] = {};
};

template <int d> Squares squares(const View& w, const Vec& c, double r, bool equations) {
    const double* data = w.data;
    const std::size_t count = w.n, stride = w.stride;
    const double scale = w.scale;
    double o[3], centre[3];
    for (int k = 0; k < 3; ++k) o[k] = w.origin[k], centre[k] = c[k];
    long double sum = 0, distances = 0;
    // The radius' row is -1: its products are the sums of the others, the
    // count and the sum of the residuals.
    double uu[3][3] = {}, u[3] = {}, ue[3] = {}, residuals = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double* p = data + i * stride;
        double v[3] = {0, 0, 0};
        for (int k = 0; k < d; ++k) v[k] = (p[k] - o[k]) * scale - centre[k];
        const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const double e = len - r;
        sum += static_cast<long double>(e) * e;
        distances += len;
        if (!equations) continue;
        double row[3];
        for (int k = 0; k < d; ++k) row[k] = len > 0 ? -v[k] / len : 0;
        for (int a = 0; a < d; ++a) {
            for (int b = a; b < d; ++b) uu[a][b] += row[a] * row[b];
            u[a] += row[a];
            ue[a] += row[a] * e;
        }
        residuals += e;
    }
    Squares s;
    s.sum = sum;
    s.distances = distances;
    if (!equations) return s;
    for (int a = 0; a < d; ++a) {
        for (int b = 0; b < d; ++b) s.jtj[a][b] = b < a ? uu[b][a] : uu[a][b];
        s.jtj[a][d] = s.jtj[d][a] = -u[a];
        s.jte[a] = ue[a];
    }
    s.jtj[d][d] = static_cast<double>(count);
    s.jte[d] = -residuals;
    return s;
}

// The mean distance of the points from c of a pass about c.
double meandistance(const Squares& s, std::size_t count) {
    return static_cast<double>(s.distances / count);
}

template <int d> Found lsfit(const Moments& m) {
    constexpr int n = d + 1;
    const View& w = m.view;
    Vec c;
    if (!algebraic(m, c)) return notfound("the points determine no least-squares centre");
    Found f;
    double r = meandistance(squares<d>(w, c, 0, false), w.n);
    Squares s = squares<d>(w, c, r, true);
    for (int iteration = 0; iteration < 200; ++iteration) {
        double a[16], b[4];
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) a[i * n + j] = s.jtj[i][j];
            b[i] = -s.jte[i];
        }
        if (!solve(n, a, b)) break;
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
            accepted = trial.sum <= s.sum * (1 + 1e-12L);
        }
        if (!accepted) break;
        const bool full = t == 0.5; // taken whole: its pass has the equations
        const double step = norm(sub(next, c)) + std::fabs(rn - r);
        c = next;
        r = rn;
        const bool last = step <= 1e-15 * (1 + std::fabs(r));
        s = full || last ? trial : squares<d>(w, c, r, true);
        if (last) break;
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
    f.radius = meandistance(s, w.n);
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
    if (!m.hasalgebraic) return passalgebraic(m.view, c, k);
    return m.view.dim == 3 ? algebraicsolve<3>(m.algebraic, c, k)
                           : algebraicsolve<2>(m.algebraic, c, k);
}

Found lsradial(const Moments& m) {
    return m.view.dim == 3 ? lsfit<3>(m) : lsfit<2>(m);
}

} // namespace formeval::pointset::kernel
