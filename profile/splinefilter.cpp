// The cubic spline filter: the smoothing spline whose weight of curvature
// passes a wave at the cut-off by half, from a banded system (cyclic for
// closed profiles).
#include "profile/openprofile.h"
#include "profile/profile.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace formeval::profile {

namespace detail {

Pentadiagonal::Pentadiagonal(std::vector<double> d, std::vector<double> e, std::vector<double> f)
    : d_(std::move(d)), l1_(d_.size(), 0.0), l2_(d_.size(), 0.0) {
    for (std::size_t i = 0; i < d_.size(); ++i) {
        if (i >= 2) l2_[i] = f[i - 2] / d_[i - 2];
        if (i >= 1)
            l1_[i] = (e[i - 1] - (i >= 2 ? l2_[i] * d_[i - 2] * l1_[i - 1] : 0.0)) / d_[i - 1];
        if (i >= 1) d_[i] -= l1_[i] * l1_[i] * d_[i - 1];
        if (i >= 2) d_[i] -= l2_[i] * l2_[i] * d_[i - 2];
    }
}

void Pentadiagonal::solve(std::vector<double>& b) const {
    const std::size_t n = d_.size();
    for (std::size_t i = 1; i < n; ++i)
        b[i] -= l1_[i] * b[i - 1] + (i >= 2 ? l2_[i] * b[i - 2] : 0.0);
    for (std::size_t i = n; i-- > 0;) {
        b[i] /= d_[i];
        if (i + 1 < n) b[i] -= l1_[i + 1] * b[i + 1];
        if (i + 2 < n) b[i] -= l2_[i + 2] * b[i + 2];
    }
}

} // namespace detail

namespace {

constexpr double pi = 3.14159265358979323846;

// The weight of the squared second differences of samples `step` apart that
// passes a wave of the cut-off wavelength by half: alpha^4, alpha =
// 1 / (2 sin(pi step / cut-off)); a cut-off shorter than two steps is taken
// as two (the shortest wave the samples hold).
double curvatureweight(double step, double cutoff) {
    const double alpha = 1 / (2 * std::sin(std::min(pi * step / cutoff, pi / 2)));
    return std::pow(alpha, 4);
}

// Adds weight * r r^T to the band (d, e, f), r having (a, b, c) at i, i+1, i+2.
void addrow(std::vector<double>& d, std::vector<double>& e, std::vector<double>& f, std::size_t i,
            const std::array<double, 3>& r, double weight) {
    for (std::size_t p = 0; p < 3; ++p) {
        d[i + p] += weight * r[p] * r[p];
        if (p < 2) e[i + p] += weight * r[p] * r[p + 1];
    }
    f[i] += weight * r[0] * r[2];
}

} // namespace

std::vector<double> splinefilter(const std::vector<double>& samples, double cutoff) {
    if (!(cutoff > 0) || !std::isfinite(cutoff))
        throw std::invalid_argument("spline filter: the cut-off must be above 0");
    const std::size_t n = samples.size();
    if (n < 3) return samples;
    const double beta = curvatureweight(1.0, static_cast<double>(n) / cutoff);
    // (I + beta D^T D) w = z, D the cyclic second difference: the band of
    // its n - 2 inner rows, plus the two rows that wrap round, u u^T each,
    // by the Sherman-Morrison-Woodbury identity.
    std::vector<double> d(n, 1.0), e(n - 1, 0.0), f(n - 2, 0.0);
    for (std::size_t j = 0; j + 2 < n; ++j) addrow(d, e, f, j, {1, -2, 1}, beta);
    const detail::Pentadiagonal band(std::move(d), std::move(e), std::move(f));
    const double root = std::sqrt(beta);
    std::array<std::vector<double>, 2> u{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    u[0][n - 2] += root, u[0][n - 1] += -2 * root, u[0][0] += root;
    u[1][n - 1] += root, u[1][0] += -2 * root, u[1][1] += root;
    std::vector<double> w = samples;
    band.solve(w);
    std::array<std::vector<double>, 2> y = u;
    for (auto& column : y) band.solve(column);
    // (I + u^T y) t = u^T w, then w -= y t.
    const auto dot = [n](const std::vector<double>& a, const std::vector<double>& b) {
        double s = 0;
        for (std::size_t i = 0; i < n; ++i) s += a[i] * b[i];
        return s;
    };
    const double m00 = 1 + dot(u[0], y[0]), m01 = dot(u[0], y[1]);
    const double m10 = dot(u[1], y[0]), m11 = 1 + dot(u[1], y[1]);
    const double r0 = dot(u[0], w), r1 = dot(u[1], w);
    const double det = m00 * m11 - m01 * m10;
    const double t0 = (m11 * r0 - m01 * r1) / det, t1 = (m00 * r1 - m10 * r0) / det;
    for (std::size_t i = 0; i < n; ++i) w[i] -= y[0][i] * t0 + y[1][i] * t1;
    return w;
}

std::vector<double> splineopenfilter(const std::vector<double>& position,
                                     const std::vector<double>& value, double cutoff) {
    detail::checkopen(position, value, cutoff, "spline filter");
    const std::size_t n = position.size();
    if (n < 3) return value;
    std::vector<double> h(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) h[i] = position[i + 1] - position[i];
    const double mean = (position.back() - position.front()) / static_cast<double>(n - 1);
    const double beta = std::pow(mean, 4) * curvatureweight(mean, cutoff);
    // Minimises sum m_i (z_i - w_i)^2 + beta sum m'_j s_j^2: m_i the length
    // each point stands for, s_j the second divided difference at j and m'_j
    // its length; at equal steps (I + alpha^4 Q) w = z with Q the natural
    // ends' fourth difference.
    std::vector<double> d(n), e(n - 1, 0.0), f(n - 2, 0.0), b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double m = i == 0 ? h[0] : i + 1 == n ? h[n - 2] : (h[i - 1] + h[i]) / 2;
        d[i] = m;
        b[i] = m * value[i];
    }
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const double a = h[j - 1], c = h[j], scale = 2 / (a + c);
        addrow(d, e, f, j - 1, {scale / a, -scale * (1 / a + 1 / c), scale / c},
               beta * (a + c) / 2);
    }
    detail::Pentadiagonal(std::move(d), std::move(e), std::move(f)).solve(b);
    return b;
}

} // namespace formeval::profile
