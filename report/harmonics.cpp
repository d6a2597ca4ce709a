// Harmonic analysis and Gaussian filtering of closed roundness profiles, by
// FFTW's real transforms of the deviations at equal angles.
#include "report/report.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>

namespace formeval::report {

namespace {

const double pi = std::acos(-1.0);

// The half spectrum X_0 .. X_{n/2} of n real samples.
std::vector<std::complex<double>> spectrum(std::vector<double> samples) {
    const int n = static_cast<int>(samples.size());
    std::vector<std::complex<double>> out(static_cast<std::size_t>(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(
        n, samples.data(), reinterpret_cast<fftw_complex*>(out.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    fftw_cleanup();
    return out;
}

std::vector<double> samplesof(std::vector<std::complex<double>> half, int n) {
    std::vector<double> out(static_cast<std::size_t>(n));
    fftw_plan plan = fftw_plan_dft_c2r_1d(n, reinterpret_cast<fftw_complex*>(half.data()),
                                          out.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    fftw_cleanup();
    for (double& v : out) v /= n;
    return out;
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

ProfileExtent profileextent(const std::vector<PolarPoint>& sorted) {
    ProfileExtent e;
    e.span = 2 * pi;
    if (sorted.size() < 2) return e;
    std::vector<double> gaps;
    std::size_t widest = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double next = i + 1 < sorted.size() ? sorted[i + 1].angle : sorted[0].angle + 2 * pi;
        gaps.push_back(next - sorted[i].angle);
        if (gaps.back() > gaps[widest]) widest = i;
    }
    const double largest = gaps[widest];
    if (largest <= std::max(2 * median(gaps), pi / 6)) return e;
    e.closed = false;
    e.start = sorted[(widest + 1) % sorted.size()].angle;
    e.span = 2 * pi - largest;
    return e;
}

EqualAngles equalangles(const std::vector<PolarPoint>& sorted) {
    EqualAngles e;
    const std::size_t n = sorted.size();
    if (n == 0) return e;
    e.start = sorted[0].angle;
    const double step = 2 * pi / static_cast<double>(n);
    bool equal = true;
    for (std::size_t i = 0; i < n && equal; ++i)
        equal = std::fabs(sorted[i].angle - (e.start + step * static_cast<double>(i))) <=
                equalangletolerance * step;
    if (equal) {
        for (const PolarPoint& p : sorted) e.deviation.push_back(p.deviation);
        return e;
    }
    e.resampled = true;
    std::size_t below = 0; // the last point at or before the sample's angle
    for (std::size_t k = 0; k < n; ++k) {
        const double angle = e.start + step * static_cast<double>(k);
        while (below + 1 < n && sorted[below + 1].angle <= angle) ++below;
        const PolarPoint& a = sorted[below];
        const PolarPoint& b = sorted[(below + 1) % n];
        const double bangle = below + 1 < n ? b.angle : b.angle + 2 * pi;
        const double t = bangle > a.angle ? (angle - a.angle) / (bangle - a.angle) : 0;
        e.deviation.push_back(a.deviation + t * (b.deviation - a.deviation));
    }
    return e;
}

std::vector<double> harmonicamplitudes(const std::vector<double>& samples, int upto) {
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    const std::vector<std::complex<double>> x = spectrum(samples);
    const int last = std::min(upto, (n - 1) / 2);
    std::vector<double> out;
    for (int k = 0; k <= last; ++k)
        out.push_back(std::abs(x[static_cast<std::size_t>(k)]) * (k == 0 ? 1.0 : 2.0) / n);
    return out;
}

double transmission(double upr, double cutoff) {
    const double alpha = std::sqrt(std::log(2.0) / pi);
    const double ratio = alpha * upr / cutoff;
    return std::exp(-pi * ratio * ratio);
}

std::vector<double> gaussianfilter(const std::vector<double>& samples, double cutoff) {
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    std::vector<std::complex<double>> x = spectrum(samples);
    for (std::size_t k = 0; k < x.size(); ++k) x[k] *= transmission(static_cast<double>(k), cutoff);
    return samplesof(std::move(x), n);
}

} // namespace formeval::report
