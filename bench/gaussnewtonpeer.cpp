// The least-squares circle and sphere as a textbook writes them: the
// algebraic (Kasa) fit for a start, then Gauss-Newton on the orthogonal
// distances, the normal equations J^T J d = -J^T e solved each step, until the
// step is below a fixed tolerance; the form error from the deviations.
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

} // namespace

GaussNewtonFit gaussnewtoncircle(const std::vector<double>& xy) {
    return gaussnewton<2>(xy);
}

GaussNewtonFit gaussnewtonsphere(const std::vector<double>& xyz) {
    return gaussnewton<3>(xyz);
}

} // namespace formeval::bench
