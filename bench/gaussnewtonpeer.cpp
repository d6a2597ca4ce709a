// The least-squares circle, sphere and cylinder as a textbook writes them: the
// algebraic (Kasa) fit for a start (for the cylinder about the axis of the
// points' largest spread), then Gauss-Newton on the orthogonal distances, the
// normal equations J^T J d = -J^T e solved each step, until the step is below
// a fixed tolerance; the form error from the deviations.
#include "bench/peers.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace formeval::bench {

namespace {

// Gaussian elimination with partial pivoting of the k x k system a x = b.
template <int k> bool gausssolve(double (&a)[k][k], double (&b)[k]) {
    for (int c = 0; c < k; ++c) {
        int p = c;
        for (int r = c + 1; r < k; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
        if (a[p][c] == 0) return false;
        std::swap(a[p], a[c]);
        std::swap(b[p], b[c]);
        for (int r = c + 1; r < k; ++r) {
            const double f = a[r][c] / a[c][c];
            for (int j = c; j < k; ++j) a[r][j] -= f * a[c][j];
            b[r] -= f * b[c];
        }
    }
    for (int c = k - 1; c >= 0; --c) {
        for (int j = c + 1; j < k; ++j) b[c] -= a[c][j] * b[j];
        b[c] /= a[c][c];
    }
    return true;
}

// d = dimension (2 or 3). Coordinates are taken about the first point so that
// the sums of the algebraic fit keep their digits.
template <int d> GaussNewtonFit gaussnewton(const std::vector<double>& p) {
    constexpr int k = d + 1; // centre and radius
    GaussNewtonFit fit;
    const std::size_t n = p.size() / d;
    double o[d];
    for (int j = 0; j < d; ++j) o[j] = p[j];
    // Algebraic fit: |x|^2 = 2 c.x + (r^2 - |c|^2), linear least squares.
    double a[k][k] = {}, b[k] = {};
    for (std::size_t i = 0; i < n; ++i) {
        double row[k], f = 0;
        for (int j = 0; j < d; ++j) {
            const double x = p[i * d + j] - o[j];
            row[j] = 2 * x;
            f += x * x;
        }
        row[d] = 1;
        for (int r = 0; r < k; ++r) {
            for (int s = 0; s < k; ++s) a[r][s] += row[r] * row[s];
            b[r] += row[r] * f;
        }
    }
    if (!gausssolve(a, b)) return fit;
    double c[d], radius = b[d];
    for (int j = 0; j < d; ++j) {
        c[j] = b[j];
        radius += c[j] * c[j];
    }
    radius = std::sqrt(radius);
    // Gauss-Newton: residual e_i = |x_i - c| - r, Jacobian row (-(x_i - c) / |x_i - c|, -1).
    constexpr double tolerance = 1e-12;
    for (fit.iterations = 1; fit.iterations <= 50; ++fit.iterations) {
        double jtj[k][k] = {}, jte[k] = {};
        for (std::size_t i = 0; i < n; ++i) {
            double u[d], len = 0;
            for (int j = 0; j < d; ++j) {
                u[j] = p[i * d + j] - o[j] - c[j];
                len += u[j] * u[j];
            }
            len = std::sqrt(len);
            double row[k];
            for (int j = 0; j < d; ++j) row[j] = -u[j] / len;
            row[d] = -1;
            const double e = len - radius;
            for (int r = 0; r < k; ++r) {
                for (int s = 0; s < k; ++s) jtj[r][s] += row[r] * row[s];
                jte[r] -= row[r] * e;
            }
        }
        if (!gausssolve(jtj, jte)) return fit;
        double step = 0;
        for (int j = 0; j < d; ++j) {
            c[j] += jte[j];
            step += jte[j] * jte[j];
        }
        radius += jte[d];
        step = std::sqrt(step + jte[d] * jte[d]);
        if (step <= tolerance * radius) break;
    }
    fit.radius = radius;
    for (int j = 0; j < d; ++j) fit.centre[j] = o[j] + c[j];
    fit.deviations.resize(n);
    double top = -HUGE_VAL, bottom = HUGE_VAL;
    for (std::size_t i = 0; i < n; ++i) {
        double len = 0;
        for (int j = 0; j < d; ++j)
            len += (p[i * d + j] - fit.centre[j]) * (p[i * d + j] - fit.centre[j]);
        const double e = std::sqrt(len) - radius;
        fit.deviations[i] = e;
        top = std::max(top, e);
        bottom = std::min(bottom, e);
    }
    fit.form = top - bottom;
    fit.found = true;
    return fit;
}

// Eigenvector of the largest eigenvalue of the symmetric 3 x 3 matrix a, by
// cyclic Jacobi rotations.
void largestvector(double (&a)[3][3], double (&v)[3]) {
    double q[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        if (off < 1e-30 * (a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2])) break;
        for (int p = 0; p < 2; ++p)
            for (int r = p + 1; r < 3; ++r) {
                if (a[p][r] == 0) continue;
                const double theta = (a[r][r] - a[p][p]) / (2 * a[p][r]);
                const double t =
                    (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double x = a[k][p], y = a[k][r];
                    a[k][p] = c * x - s * y, a[k][r] = s * x + c * y;
                }
                for (int k = 0; k < 3; ++k) {
                    const double x = a[p][k], y = a[r][k];
                    a[p][k] = c * x - s * y, a[r][k] = s * x + c * y;
                }
                for (int k = 0; k < 3; ++k) {
                    const double x = q[k][p], y = q[k][r];
                    q[k][p] = c * x - s * y, q[k][r] = s * x + c * y;
                }
            }
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (a[k][k] > a[best][best]) best = k;
    for (int k = 0; k < 3; ++k) v[k] = q[k][best];
}

double dot3(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// u and v completing the unit axis a to a right-handed frame, u as near the
// given one as the axis allows.
void complete(const double (&a)[3], double (&u)[3], double (&v)[3]) {
    const double along = dot3(u, a);
    for (int k = 0; k < 3; ++k) u[k] -= along * a[k];
    const double l = std::sqrt(dot3(u, u));
    for (double& x : u) x /= l;
    v[0] = a[1] * u[2] - a[2] * u[1];
    v[1] = a[2] * u[0] - a[0] * u[2];
    v[2] = a[0] * u[1] - a[1] * u[0];
}

} // namespace

CylinderFit gaussnewtoncylinder(const std::vector<double>& p) {
    CylinderFit fit;
    const std::size_t n = p.size() / 3;
    // Centroid and covariance, two passes.
    double o[3] = {0, 0, 0};
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k) o[k] += p[3 * i + k];
    for (double& x : o) x /= static_cast<double>(n);
    double c[3][3] = {};
    for (std::size_t i = 0; i < n; ++i) {
        const double d[3] = {p[3 * i] - o[0], p[3 * i + 1] - o[1], p[3 * i + 2] - o[2]};
        for (int r = 0; r < 3; ++r)
            for (int s = 0; s < 3; ++s) c[r][s] += d[r] * d[s];
    }
    double a[3];
    largestvector(c, a);
    double u[3] = {std::fabs(a[0]) < 0.9 ? 1.0 : 0.0, std::fabs(a[0]) < 0.9 ? 0.0 : 1.0, 0}, v[3];
    complete(a, u, v);
    // The algebraic circle of the points projected along the axis.
    double m[3][3] = {}, b[3] = {};
    for (std::size_t i = 0; i < n; ++i) {
        const double d[3] = {p[3 * i] - o[0], p[3 * i + 1] - o[1], p[3 * i + 2] - o[2]};
        const double x = dot3(d, u), y = dot3(d, v), row[3] = {2 * x, 2 * y, 1};
        for (int r = 0; r < 3; ++r) {
            for (int s = 0; s < 3; ++s) m[r][s] += row[r] * row[s];
            b[r] += row[r] * (x * x + y * y);
        }
    }
    if (!gausssolve(m, b)) return fit;
    double radius = std::sqrt(b[2] + b[0] * b[0] + b[1] * b[1]);
    for (int k = 0; k < 3; ++k) o[k] += b[0] * u[k] + b[1] * v[k];
    // Gauss-Newton on (shift along u, v; tilt towards u, v; radius).
    constexpr double tolerance = 1e-12;
    for (fit.iterations = 1; fit.iterations <= 50; ++fit.iterations) {
        double jtj[5][5] = {}, jte[5] = {};
        for (std::size_t i = 0; i < n; ++i) {
            const double d[3] = {p[3 * i] - o[0], p[3 * i + 1] - o[1], p[3 * i + 2] - o[2]};
            const double x = dot3(d, u), y = dot3(d, v), z = dot3(d, a);
            const double rho = std::sqrt(x * x + y * y);
            const double row[5] = {-x / rho, -y / rho, -x * z / rho, -y * z / rho, -1};
            const double e = rho - radius;
            for (int r = 0; r < 5; ++r) {
                for (int s = 0; s < 5; ++s) jtj[r][s] += row[r] * row[s];
                jte[r] -= row[r] * e;
            }
        }
        if (!gausssolve(jtj, jte)) return fit;
        for (int k = 0; k < 3; ++k) {
            o[k] += jte[0] * u[k] + jte[1] * v[k];
            a[k] += jte[2] * u[k] + jte[3] * v[k];
        }
        const double l = std::sqrt(dot3(a, a));
        for (double& x : a) x /= l;
        complete(a, u, v);
        radius += jte[4];
        const double step = std::sqrt(jte[0] * jte[0] + jte[1] * jte[1] + jte[4] * jte[4]) +
                            std::sqrt(jte[2] * jte[2] + jte[3] * jte[3]) * radius;
        if (step <= tolerance * radius) break;
    }
    fit.radius = radius;
    for (int k = 0; k < 3; ++k) fit.point[k] = o[k], fit.axis[k] = a[k];
    fit.deviations.resize(n);
    double top = -HUGE_VAL, bottom = HUGE_VAL;
    for (std::size_t i = 0; i < n; ++i) {
        const double d[3] = {p[3 * i] - o[0], p[3 * i + 1] - o[1], p[3 * i + 2] - o[2]};
        const double x = dot3(d, u), y = dot3(d, v);
        const double e = std::sqrt(x * x + y * y) - radius;
        fit.deviations[i] = e;
        top = std::max(top, e);
        bottom = std::min(bottom, e);
    }
    fit.form = top - bottom;
    fit.found = true;
    return fit;
}

GaussNewtonFit gaussnewtoncircle(const std::vector<double>& xy) {
    return gaussnewton<2>(xy);
}

GaussNewtonFit gaussnewtonsphere(const std::vector<double>& xyz) {
    return gaussnewton<3>(xyz);
}

} // namespace formeval::bench
