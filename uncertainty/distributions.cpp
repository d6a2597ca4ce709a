// The input distributions' standard uncertainties, the Gaussian coverage
// factor, and the names of the model's parts.
#include "uncertainty/uncertainty.h"

#include <array>
#include <cmath>

namespace formeval::uncertainty {

namespace {

// The standard normal quantile of p in (0.5, 1): Acklam's rational
// approximation (relative error below 1.2e-9), refined by two Halley steps
// on the complementary error function to full double precision.
double normalquantile(double p) {
    constexpr std::array<double, 6> a = {-3.969683028665376e+01, 2.209460984245205e+02,
                                         -2.759285104469687e+02, 1.383577518672690e+02,
                                         -3.066479806614716e+01, 2.506628277459239e+00};
    constexpr std::array<double, 5> b = {-5.447609879822406e+01, 1.615858368580409e+02,
                                         -1.556989798598866e+02, 6.680131188771972e+01,
                                         -1.328068155288572e+01};
    constexpr std::array<double, 6> c = {-7.784894002430293e-03, -3.223964580411365e-01,
                                         -2.400758277161838e+00, -2.549732539343734e+00,
                                         4.374664141464968e+00,  2.938163982698783e+00};
    constexpr std::array<double, 4> d = {7.784695709041462e-03, 3.224671290700398e-01,
                                         2.445134137142996e+00, 3.754408661907416e+00};
    double x = 0;
    if (p <= 1 - 0.02425) {
        const double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
    } else {
        const double q = std::sqrt(-2 * std::log(1 - p));
        x = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    }
    const double root2pi = std::sqrt(2 * std::acos(-1.0));
    for (int step = 0; step < 2; ++step) {
        // Phi(x) - p as the difference of the upper tails, which keeps its
        // digits near 1.
        const double e = (1 - p) - 0.5 * std::erfc(x / std::sqrt(2.0));
        const double u = e * root2pi * std::exp(x * x / 2);
        x -= u / (1 + x * u / 2);
    }
    return x;
}

} // namespace

double standarduncertainty(Distribution d, double width) {
    switch (d) {
    case Distribution::gaussian:
        return width;
    case Distribution::rectangular:
        return width / std::sqrt(3.0);
    case Distribution::triangular:
        return width / std::sqrt(6.0);
    case Distribution::arcsine:
        return width / std::sqrt(2.0);
    }
    return width;
}

double gaussianfactor(Basispoints coverage) {
    if (coverage <= 0 || coverage >= 10000) return 0;
    return normalquantile(0.5 + static_cast<double>(coverage) / 20000);
}

const char* distributionname(Distribution d) {
    constexpr std::array<const char*, 4> names = {"gaussian", "rectangular", "triangular",
                                                  "arcsine"};
    return names[static_cast<std::size_t>(d)];
}

const char* actsname(Acts a) {
    constexpr std::array<const char*, 15> names = {"coordinates",
                                                   "x",
                                                   "y",
                                                   "z",
                                                   "normal",
                                                   "scale",
                                                   "scale-x",
                                                   "scale-y",
                                                   "scale-z",
                                                   "offset-x",
                                                   "offset-y",
                                                   "offset-z",
                                                   "squareness-xy",
                                                   "squareness-xz",
                                                   "squareness-yz"};
    return names[static_cast<std::size_t>(a)];
}

const char* verdictname(Verdict v) {
    constexpr std::array<const char*, 5> names = {"conformance proven", "non-conformance proven",
                                                  "undecided", "accepted", "rejected"};
    return names[static_cast<std::size_t>(v)];
}

} // namespace formeval::uncertainty
