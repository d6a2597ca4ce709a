// Least-squares cylinder: the axis and radius that minimise the sum of squared
// orthogonal distances d_i - r, by Gauss-Newton steps on the linear model of
// the distances (cylinder.h), damped as Levenberg and Marquardt's. It starts
// from each of the moments' three axes (a long cylinder's axis is the one of
// largest spread, a short one's of least, a partial one's either) with the
// algebraic circle of the points projected along it, takes a few steps on a
// sample of the points, and finishes the best start on every point.
#include "pointset/cylinder.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

constexpr int parameters = 5;

struct Squares {
    long double sum = 0;
    double jtj[parameters][parameters] = {};
    double jte[parameters] = {};
};

// Sum of squared residuals about the axis and radius over every step-th
// point, and the normal equations of the step when asked.
Squares squares(const View& w, const Frame& f, double L, double r, bool equations,
                std::size_t step) {
    Squares s;
    for (std::size_t i = 0; i < w.n; i += step) {
        double a[4], rho;
        cylrow(f.local(w[i]), L, a, rho);
        const double e = rho - r;
        s.sum += static_cast<long double>(e) * e;
        if (!equations) continue;
        const double J[parameters] = {-a[0], -a[1], -a[2], -a[3], -1};
        for (int j = 0; j < parameters; ++j) {
            for (int k = j; k < parameters; ++k) s.jtj[j][k] += J[j] * J[k];
            s.jte[j] += J[j] * e;
        }
    }
    for (int j = 0; j < parameters; ++j)
        for (int k = 0; k < j; ++k) s.jtj[j][k] = s.jtj[k][j];
    return s;
}

// The algebraic circle of the points projected along the frame's axis (the
// least-squares solution of x^2 + y^2 = 2 a x + 2 b y + k): the frame moved to
// its centre, and its radius.
bool circlestart(const View& w, Frame& f, double& r, std::size_t step) {
    double m[3][4] = {};
    for (std::size_t i = 0; i < w.n; i += step) {
        const Vec q = f.local(w[i]);
        const double row[3] = {2 * q[0], 2 * q[1], 1}, o = q[0] * q[0] + q[1] * q[1];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) m[j][k] += row[j] * row[k];
            m[j][3] += row[j] * o;
        }
    }
    double a[9], b[3];
    for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 3; ++k) a[j * 3 + k] = m[j][k];
        b[j] = m[j][3];
    }
    if (!solve(3, a, b)) return false;
    r = std::sqrt(std::max(0.0, b[2] + b[0] * b[0] + b[1] * b[1]));
    f = moved(f, {b[0], b[1], 0, 0}, 1);
    return std::isfinite(r) && r > 0;
}

double sampledextent(const View& w, const Frame& f, std::size_t step) {
    double L = 0;
    for (std::size_t i = 0; i < w.n; i += step) L = std::max(L, std::fabs(f.local(w[i])[2]));
    return std::max(L, 1e-300);
}

// Damped Gauss-Newton from (f, r); returns the sum of squares it ends on.
long double levenberg(const View& w, Frame& f, double& r, std::size_t step, int iterations) {
    const double L = sampledextent(w, f, step);
    Squares s = squares(w, f, L, r, true, step);
    double lambda = 1e-6;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        double a[parameters * parameters], b[parameters];
        for (int j = 0; j < parameters; ++j) {
            for (int k = 0; k < parameters; ++k) a[j * parameters + k] = s.jtj[j][k];
            a[j * parameters + j] *= 1 + lambda;
            b[j] = -s.jte[j];
        }
        if (!solve(parameters, a, b)) break;
        const Frame g = moved(f, {b[0], b[1], b[2], b[3]}, L);
        const double rn = r + b[4];
        // Near the optimum the sum changes by less than its rounding while the
        // step stays exact: a step that raises it only by rounding is taken.
        const long double next = squares(w, g, L, rn, false, step).sum;
        if (!(next <= s.sum * (1 + 1e-12L))) {
            lambda *= 16;
            if (lambda > 1e12) break;
            continue;
        }
        lambda = std::max(lambda / 8, 1e-12);
        const double length = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2] + b[3] * b[3]);
        f = g;
        r = rn;
        if (length + std::fabs(b[4]) <= 1e-15 * (1 + std::fabs(r)) || !(std::fabs(r) < 1e9)) break;
        s = squares(w, f, L, r, true, step);
    }
    return s.sum;
}

} // namespace

bool lsaxis(const Moments& m, Frame& f, double& radius, std::string& failure) {
    const View& w = m.view;
    const std::size_t step = std::max<std::size_t>(1, w.n / 4096);
    long double best = inf;
    for (int k = 0; k < 3; ++k) {
        Frame g = frameabout({0, 0, 0}, m.vectors[k]);
        double r = 0;
        if (!circlestart(w, g, r, step)) continue;
        const long double s = levenberg(w, g, r, step, 40);
        if (s < best) best = s, f = g, radius = r;
    }
    if (std::isfinite(static_cast<double>(best))) levenberg(w, f, radius, 1, 200);
    long double sum = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        sum += across(q[0], q[1]);
    }
    radius = static_cast<double>(sum / w.n);
    if (!std::isfinite(static_cast<double>(best)) || !(radius < 1e6) || !(norm(f.origin) < 1e6)) {
        failure = "the least-squares cylinder runs off to infinity: the points lie too close to "
                  "a plane";
        return false;
    }
    return true;
}

Found lscylinder(const Moments& m) {
    Found out;
    Frame f;
    double r = 0;
    if (!lsaxis(m, f, r, out.failure)) return out;
    out.found = true;
    out.point = f.origin;
    out.direction = f.axis();
    out.radius = r;
    return out;
}

} // namespace formeval::pointset::kernel
