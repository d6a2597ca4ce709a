// Least-squares cylinder: the axis and radius that minimise the sum of squared
// orthogonal distances d_i - r, by Gauss-Newton steps on the linear model of
// the distances (cylinder.h), damped as Levenberg and Marquardt's. It starts
// from each of the moments' three axes (a long cylinder's axis is the one of
// largest spread, a short one's of least, a partial one's either) with the
// algebraic circle of the points projected along it, takes a few steps on a
// sample of the points, and finishes the best start on every point.
#include "pointset/cylinder.h"

#include <cmath>
#include <limits>

namespace formeval::pointset::kernel {

namespace {

constexpr int parameters = 5;

struct Squares {
    long double sum = 0;
    long double rho = 0; // sum of the distances from the axis
    double jtj[parameters][parameters] = {};
    double jte[parameters] = {};
};

// Sum of squared residuals about the axis and radius over every step-th
// point and of the distances, and the normal equations of the step when
// asked. The radius' column of the model is -1: its products are the sums of
// the others, the count and the sum of the residuals.
Squares squares(const View& w, const Frame& f, double L, double r, bool equations,
                std::size_t step) {
    long double sum = 0, rhos = 0;
    double aa[4][4] = {}, as[4] = {}, ae[4] = {}, residuals = 0, count = 0;
    for (std::size_t i = 0; i < w.n; i += step) {
        double a[4], rho;
        cylrow(f.local(w[i]), L, a, rho);
        const double e = rho - r;
        sum += static_cast<long double>(e) * e;
        rhos += rho;
        if (!equations) continue;
        const double J[4] = {-a[0], -a[1], -a[2], -a[3]};
        for (int j = 0; j < 4; ++j) {
            for (int k = j; k < 4; ++k) aa[j][k] += J[j] * J[k];
            as[j] += J[j];
            ae[j] += J[j] * e;
        }
        residuals += e;
        count += 1;
    }
    Squares s;
    s.sum = sum;
    s.rho = rhos;
    if (!equations) return s;
    for (int j = 0; j < 4; ++j) {
        for (int k = 0; k < 4; ++k) s.jtj[j][k] = k < j ? aa[k][j] : aa[j][k];
        s.jtj[j][4] = s.jtj[4][j] = -as[j];
        s.jte[j] = ae[j];
    }
    s.jtj[4][4] = count;
    s.jte[4] = -residuals;
    return s;
}

} // namespace

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

namespace {

// What a descent ends on: the sum of squares and the mean distance from the
// axis, NaN where no pass was made about the axis it ends on.
struct Descent {
    long double sum = 0;
    double distance = std::numeric_limits<double>::quiet_NaN();
};

// Damped Gauss-Newton from (f, r). A trial step's pass gives the normal
// equations for the next step as well once a step was taken (steps are then
// likely to be taken), and after a step refused the sum alone; the mean
// distance comes from the pass about the axis it ends on.
Descent levenberg(const View& w, Frame& f, double& r, std::size_t step, int iterations) {
    const double L = sampledextent(w, f, step);
    Squares s = squares(w, f, L, r, true, step);
    const double count = static_cast<double>((w.n + step - 1) / step);
    Descent out;
    out.sum = s.sum;
    out.distance = static_cast<double>(s.rho / count);
    bool current = true; // s holds the equations about f
    double lambda = 1e-6;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        if (!current) {
            s = squares(w, f, L, r, true, step);
            current = true;
        }
        double a[parameters * parameters], b[parameters];
        for (int j = 0; j < parameters; ++j) {
            for (int k = 0; k < parameters; ++k) a[j * parameters + k] = s.jtj[j][k];
            a[j * parameters + j] *= 1 + lambda;
            b[j] = -s.jte[j];
        }
        if (!solve(parameters, a, b)) break;
        const Frame g = moved(f, {b[0], b[1], b[2], b[3]}, L);
        const double rn = r + b[4];
        const double length = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2] + b[3] * b[3]);
        const bool last =
            length + std::fabs(b[4]) <= 1e-15 * (1 + std::fabs(rn)) || !(std::fabs(rn) < 1e9);
        // Near the optimum the sum changes by less than its rounding while the
        // step stays exact: a step that raises it only by rounding is taken.
        const bool equations = lambda <= 1e-6 && !last;
        const Squares trial = squares(w, g, L, rn, equations, step);
        if (!(trial.sum <= s.sum * (1 + 1e-12L))) {
            lambda *= 16;
            if (lambda > 1e12) break;
            continue;
        }
        lambda = std::max(lambda / 8, 1e-12);
        f = g;
        r = rn;
        out.distance = static_cast<double>(trial.rho / count);
        // The last step leaves the sum it was solved from as the descent's.
        if (last) break;
        s = trial;
        current = equations;
        out.sum = s.sum;
    }
    return out;
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
        const long double s = levenberg(w, g, r, step, 40).sum;
        if (s < best) best = s, f = g, radius = r;
    }
    if (std::isfinite(static_cast<double>(best))) radius = levenberg(w, f, radius, 1, 200).distance;
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
