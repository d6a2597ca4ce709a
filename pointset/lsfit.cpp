// Least-squares references in working coordinates. A line or plane through
// the centroid minimises the sum of squared orthogonal distances along the
// covariance's eigenvector of least spread (the normal) or most (a line's
// direction). A circle or sphere minimises the squared orthogonal distances
// by Gauss-Newton, halving steps that do not lower them, from the algebraic
// fit |q|^2 = 2 c.q + k.
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

// The algebraic circle or sphere: the least-squares solution of
// 2 c.q + k = |q|^2, false when it is singular.
bool algebraic(const View& w, Vec& c) {
    const int n = w.dim + 1;
    double a[4][5] = {};
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        const double row[4] = {2 * q[0], 2 * q[1], w.dim == 3 ? 2 * q[2] : 1.0, 1.0};
        const double f = dot(q, q);
        for (int r = 0; r < n; ++r) {
            for (int s = 0; s < n; ++s) a[r][s] += row[r] * row[s];
            a[r][n] += row[r] * f;
        }
    }
    double m[16], b[4];
    for (int r = 0; r < n; ++r) {
        for (int s = 0; s < n; ++s) m[r * n + s] = a[r][s];
        b[r] = a[r][n];
    }
    if (!solve(n, m, b)) return false;
    c = {b[0], b[1], w.dim == 3 ? b[2] : 0.0};
    return std::isfinite(norm(c));
}

namespace {

struct Squares {
    long double sum = 0;
    double jtj[4][4] = {};
    double jte[4] = {};
};

// Sum of squared residuals |q - c| - r, and the normal equations of the step.
Squares squares(const View& w, const Vec& c, double r, bool equations) {
    Squares s;
    const int n = w.dim + 1;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec d = sub(w[i], c);
        const double len = norm(d);
        const double e = len - r;
        s.sum += static_cast<long double>(e) * e;
        if (!equations) continue;
        const double row[4] = {len > 0 ? -d[0] / len : 0, len > 0 ? -d[1] / len : 0,
                               w.dim == 3 ? (len > 0 ? -d[2] / len : 0) : -1.0, -1.0};
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) s.jtj[a][b] += row[a] * row[b];
            s.jte[a] += row[a] * e;
        }
    }
    return s;
}

double meandistance(const View& w, const Vec& c) {
    long double s = 0;
    for (std::size_t i = 0; i < w.n; ++i) s += norm(sub(w[i], c));
    return static_cast<double>(s / w.n);
}

} // namespace

Found lsradial(const Moments& m) {
    const View& w = m.view;
    Vec c;
    if (!algebraic(w, c)) return notfound("the points determine no least-squares centre");
    Found f;
    double r = meandistance(w, c);
    const int n = w.dim + 1;
    Squares s = squares(w, c, r, true);
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
        for (int halving = 0; halving < 40 && !accepted; ++halving, t /= 2) {
            next = c;
            for (int k = 0; k < w.dim; ++k) next[k] += t * b[k];
            rn = r + t * b[n - 1];
            // Near the optimum the sum changes by less than its rounding, while
            // the gradient (and so the step) stays exact: a step that raises
            // the sum only by rounding is taken.
            accepted = squares(w, next, rn, false).sum <= s.sum * (1 + 1e-12L);
        }
        if (!accepted) break;
        const double step = norm(sub(next, c)) + std::fabs(rn - r);
        c = next;
        r = rn;
        if (step <= 1e-15 * (1 + std::fabs(r))) break;
        s = squares(w, c, r, true);
        if (!(norm(c) < 1e12)) break;
    }
    if (!(norm(c) < 1e12) || !std::isfinite(r)) {
        f.failure = std::string("the least-squares ") + (w.dim == 2 ? "circle" : "sphere") +
                    " runs off to infinity: the points lie too close to a straight " +
                    (w.dim == 2 ? "line" : "plane");
        return f;
    }
    f.found = true;
    f.point = c;
    f.radius = meandistance(w, c);
    return f;
}

} // namespace formeval::pointset::kernel
