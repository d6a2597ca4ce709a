// The robust Gaussian, spline, 2RC and morphological filters, each against
// what defines it: the transmission of a pure wave (read back by a direct
// Fourier sum or a least-squares sine), a dense solve of the spline's
// equations, the Gaussian filter on a clean profile and a spike left out,
// a brute-force envelope of the rolled disk, and the areal filter against a
// brute force over every pair of points and a sine surface.
#include "profile/profile.h"
#include "profile/weightedgaussian.h"
#include "tests/harness/harness.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace formeval::profile {
namespace {

const double pi = std::acos(-1.0);

// n samples at equal angles of cos(k theta).
std::vector<double> harmonic(int k, int n) {
    std::vector<double> out(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) out[static_cast<std::size_t>(j)] = std::cos(k * 2 * pi * j / n);
    return out;
}

// Harmonic k of samples as a complex amplitude, by a direct Fourier sum:
// cos(k theta) reads 1, cos(k theta - phi) reads exp(i phi).
std::complex<double> readharmonic(const std::vector<double>& y, int k) {
    std::complex<double> s;
    const double n = static_cast<double>(y.size());
    for (std::size_t j = 0; j < y.size(); ++j)
        s += y[j] * std::polar(2 / n, k * 2 * pi * static_cast<double>(j) / n);
    return s;
}

// The amplitude of the sine of `wavelength` in y over positions [from, to],
// by least squares on sin and cos.
double readsine(const std::vector<double>& x, const std::vector<double>& y, double wavelength,
                double from, double to) {
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] < from || x[i] > to) continue;
        const double s = std::sin(2 * pi * x[i] / wavelength),
                     c = std::cos(2 * pi * x[i] / wavelength);
        ss += s * s, sc += s * c, cc += c * c, ys += y[i] * s, yc += y[i] * c;
    }
    const double det = ss * cc - sc * sc;
    return std::hypot((ys * cc - yc * sc) / det, (yc * ss - ys * sc) / det);
}

std::vector<double> uniform(double length, double step) {
    std::vector<double> x;
    for (int i = 0; i * step <= length + 1e-12; ++i) x.push_back(i * step);
    return x;
}

// A x = b by Gaussian elimination with partial pivoting on the full matrix.
std::vector<double> densesolve(std::vector<std::vector<double>> a, std::vector<double> b) {
    const std::size_t n = b.size();
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t p = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[p][c])) p = r;
        std::swap(a[c], a[p]);
        std::swap(b[c], b[p]);
        for (std::size_t r = c + 1; r < n; ++r) {
            const double m = a[r][c] / a[c][c];
            for (std::size_t k = c; k < n; ++k) a[r][k] -= m * a[c][k];
            b[r] -= m * b[c];
        }
    }
    std::vector<double> x(n);
    for (std::size_t r = n; r-- > 0;) {
        double s = b[r];
        for (std::size_t k = r + 1; k < n; ++k) s -= a[r][k] * x[k];
        x[r] = s / a[r][r];
    }
    return x;
}

double maxdifference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

double peaktovalley(const std::vector<double>& v) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return *hi - *lo;
}

// Transmission of a closed harmonic.

struct HarmonicCase {
    const char* name;
    int n;
    double cutoff;
    int k;
};

void PrintTo(const HarmonicCase& c, std::ostream* out) {
    *out << c.name;
}

const auto harmoniccases = ::testing::Values(
    HarmonicCase{"HalfTheCutOff", 3600, 50, 25}, HarmonicCase{"AtTheCutOff", 3600, 50, 50},
    HarmonicCase{"TwiceTheCutOff", 3600, 50, 100}, HarmonicCase{"FiveTimesTheCutOff", 3600, 15, 75},
    HarmonicCase{"OvalAtCoarseSampling", 512, 150, 2},
    HarmonicCase{"OddCountAtTheCutOff", 1001, 30, 30});
const auto harmonicnames = test::namedby([](const HarmonicCase& c) { return std::string(c.name); });

class SplineHarmonicTest : public ::testing::TestWithParam<HarmonicCase> {};

// The discrete transmission 1 / (1 + (sin(pi k / n) / sin(pi cutoff / n))^4)
// exactly, 1 / (1 + (k / cutoff)^4) where the samples are fine, half at the
// cut-off; and no shift of phase.
TEST_P(SplineHarmonicTest, PassesAHarmonicByTheSplineTransmission) {
    const HarmonicCase c = GetParam();
    const std::complex<double> got = readharmonic(splinefilter(harmonic(c.k, c.n), c.cutoff), c.k);
    const double ratio = std::sin(pi * c.k / c.n) / std::sin(pi * c.cutoff / c.n);
    EXPECT_NEAR(got.real(), 1 / (1 + std::pow(ratio, 4)), 1e-9);
    EXPECT_NEAR(got.imag(), 0, 1e-9);
    EXPECT_NEAR(got.real(), 1 / (1 + std::pow(c.k / c.cutoff, 4)), 5e-3);
    if (c.k == c.cutoff) { EXPECT_NEAR(got.real(), 0.5, 1e-9); }
}

INSTANTIATE_TEST_SUITE_P(Harmonics, SplineHarmonicTest, harmoniccases, harmonicnames);

class RcHarmonicTest : public ::testing::TestWithParam<HarmonicCase> {};

// Each stage's high-pass i r / (1 + i r), r = sqrt(3) k / cutoff: the
// roughness passes by r^2 / (1 + r^2), 75 % at the cut-off, and the mean
// line is the profile less it, with its phase.
TEST_P(RcHarmonicTest, PassesAHarmonicByTheTwoStagesTransmission) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const HarmonicCase c = GetParam();
    const std::vector<double> z = harmonic(c.k, c.n);
    const std::vector<double> mean = rcfilter(z, c.cutoff);
    std::vector<double> rough(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) rough[i] = z[i] - mean[i];
    const double r = std::sqrt(3.0) * c.k / c.cutoff;
    const std::complex<double> stage(0, r);
    const std::complex<double> high = stage * stage / ((1.0 + stage) * (1.0 + stage));
    EXPECT_NEAR(std::abs(readharmonic(rough, c.k)), r * r / (1 + r * r), 1e-9);
    EXPECT_NEAR(std::abs(readharmonic(mean, c.k) - std::conj(1.0 - high)), 0, 1e-9);
    if (c.k == c.cutoff) { EXPECT_NEAR(std::abs(readharmonic(rough, c.k)), 0.75, 1e-9); }
}

INSTANTIATE_TEST_SUITE_P(Harmonics, RcHarmonicTest, harmoniccases, harmonicnames);

// Transmission of an open sine.

struct SineCase {
    const char* name;
    double wavelength; // in cut-offs
};

void PrintTo(const SineCase& c, std::ostream* out) {
    *out << c.name;
}

const auto sinecases = ::testing::Values(SineCase{"AtTheCutOff", 1}, SineCase{"HalfACutOff", 0.5},
                                         SineCase{"TwoCutOffs", 2}, SineCase{"ThreeCutOffs", 3},
                                         SineCase{"AThirdOfACutOff", 1.0 / 3});
const auto sinenames = test::namedby([](const SineCase& c) { return std::string(c.name); });

class SplineSineTest : public ::testing::TestWithParam<SineCase> {};

// Away from the ends a sine passes by 1 / (1 + (cutoff / wavelength)^4).
TEST_P(SplineSineTest, PassesASineByTheSplineTransmissionInside) {
    const double cutoff = 0.8, wavelength = GetParam().wavelength * cutoff;
    const std::vector<double> x = uniform(30 * cutoff, 0.002);
    std::vector<double> z;
    for (const double p : x) z.push_back(std::sin(2 * pi * p / wavelength));
    const std::vector<double> mean = splineopenfilter(x, z, cutoff);
    EXPECT_NEAR(readsine(x, mean, wavelength, 5 * cutoff, x.back() - 5 * cutoff),
                1 / (1 + std::pow(cutoff / wavelength, 4)), 2e-3);
}

INSTANTIATE_TEST_SUITE_P(Wavelengths, SplineSineTest, sinecases, sinenames);

class RcSineTest : public ::testing::TestWithParam<SineCase> {};

// Past the stages' transient, the roughness of a sine passes by
// r^2 / (1 + r^2), r = sqrt(3) cutoff / wavelength: 75 % at the cut-off.
TEST_P(RcSineTest, PassesTheRoughnessOfASineByTheTwoStagesTransmission) {
    const double cutoff = 0.8, wavelength = GetParam().wavelength * cutoff;
    const std::vector<double> x = uniform(40 * cutoff, 0.001);
    std::vector<double> z;
    for (const double p : x) z.push_back(std::sin(2 * pi * p / wavelength));
    const std::vector<double> mean = rcopenfilter(x, z, cutoff);
    std::vector<double> rough(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) rough[i] = z[i] - mean[i];
    const double r = std::sqrt(3.0) * cutoff / wavelength;
    EXPECT_NEAR(readsine(x, rough, wavelength, 20 * cutoff, x.back()), r * r / (1 + r * r), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Wavelengths, RcSineTest, sinecases, sinenames);

// The spline's equations solved densely.

// The dense matrix of (I + alpha^4 D^T D), D the second difference (cyclic
// or not) at equal steps.
std::vector<std::vector<double>> splinematrix(std::size_t n, double alpha, bool cyclic) {
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) a[i][i] = 1;
    const std::size_t rows = cyclic ? n : n - 2;
    for (std::size_t j = 0; j < rows; ++j) {
        const std::size_t p[3] = {j, (j + 1) % n, (j + 2) % n};
        const double d[3] = {1, -2, 1};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) a[p[r]][p[c]] += std::pow(alpha, 4) * d[r] * d[c];
    }
    return a;
}

struct DenseCase {
    const char* name;
    std::size_t n;
    double cutoff; // UPR, or samples a cut-off for the open profile
};

void PrintTo(const DenseCase& c, std::ostream* out) {
    *out << c.name;
}

class SplineDenseTest : public ::testing::TestWithParam<DenseCase> {};

// The banded solves (the cyclic one through the identity for the corners)
// as the full system's, on random values.
TEST_P(SplineDenseTest, SolvesAsTheFullSystem) {
    const DenseCase c = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.n));
    std::normal_distribution<double> noise;
    std::vector<double> z(c.n), x(c.n);
    for (std::size_t i = 0; i < c.n; ++i) z[i] = noise(random), x[i] = 0.5 * static_cast<double>(i);
    const double n = static_cast<double>(c.n);
    const double closedalpha = 1 / (2 * std::sin(std::min(pi * c.cutoff / n, pi / 2)));
    EXPECT_LT(maxdifference(splinefilter(z, c.cutoff),
                            densesolve(splinematrix(c.n, closedalpha, true), z)),
              1e-9);
    const double openalpha = 1 / (2 * std::sin(std::min(pi / c.cutoff, pi / 2)));
    EXPECT_LT(maxdifference(splineopenfilter(x, z, 0.5 * c.cutoff),
                            densesolve(splinematrix(c.n, openalpha, false), z)),
              1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SplineDenseTest,
                         ::testing::Values(DenseCase{"Three", 3, 1.5}, DenseCase{"Five", 5, 2},
                                           DenseCase{"SixtyFourAtEight", 64, 8},
                                           DenseCase{"OddAtAQuarter", 101, 25},
                                           DenseCase{"CutOffBelowTwoSamples", 40, 39},
                                           DenseCase{"LongCutOff", 200, 3}),
                         test::namedby([](const DenseCase& c) { return std::string(c.name); }));

// At any spacing the open spline minimises its weighted sum: its solution
// against the dense normal equations built from the sum's terms; and a
// straight line is kept to the very ends.
TEST(SplineFilter, MinimisesItsSumAtAnySpacingAndKeepsALine) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> step(0.01, 0.05);
    std::normal_distribution<double> noise;
    std::vector<double> x = {0}, z, line;
    while (x.size() < 60) x.push_back(x.back() + step(random));
    for (const double p : x) z.push_back(noise(random)), line.push_back(1.5 - 2 * p);
    const std::size_t n = x.size();
    const double cutoff = 0.4, mean = x.back() / static_cast<double>(n - 1);
    const double beta = std::pow(mean / (2 * std::sin(pi * mean / cutoff)), 4);
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    std::vector<double> b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double m = i == 0       ? x[1] - x[0]
                         : i + 1 == n ? x[n - 1] - x[n - 2]
                                      : (x[i + 1] - x[i - 1]) / 2;
        a[i][i] = m;
        b[i] = m * z[i];
    }
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const double h0 = x[j] - x[j - 1], h1 = x[j + 1] - x[j];
        const double s[3] = {2 / (h0 * (h0 + h1)), -2 / (h0 * h1), 2 / (h1 * (h0 + h1))};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                a[j - 1 + r][j - 1 + c] += beta * (h0 + h1) / 2 * s[r] * s[c];
    }
    EXPECT_LT(maxdifference(splineopenfilter(x, z, cutoff), densesolve(a, b)), 1e-9);
    EXPECT_LT(maxdifference(splineopenfilter(x, line, cutoff), line), 1e-9);
}

// Robust Gaussian.

struct RobustCase {
    const char* name;
    bool closed;
    double spike; // the spike's height in the form's amplitudes
};

void PrintTo(const RobustCase& c, std::ostream* out) {
    *out << c.name;
}

// A form of amplitude 1 (an oval and a trefoil) with fine waves of 0.05
// below the cut-off's reach, and a spike at one point; closed: 3600 samples
// filtered at 50 UPR; open: the same along 50 cut-offs.
struct Trace {
    std::vector<double> position, value;
};
Trace formtrace(bool closed, double spike, int n = 3600) {
    Trace t;
    for (int j = 0; j < n; ++j) {
        const double theta = 2 * pi * j / n;
        t.position.push_back(closed ? theta : 0.01 * j);
        t.value.push_back(0.6 * std::cos(2 * theta) + 0.4 * std::sin(3 * theta + 1) +
                          0.05 * std::cos(400 * theta));
    }
    // At the form's peak (or valley), where the Gaussian's spread of it
    // raises (or lowers) the peak-to-valley most.
    const auto at = spike > 0 ? std::max_element(t.value.begin(), t.value.end())
                              : std::min_element(t.value.begin(), t.value.end());
    *at += spike;
    return t;
}
std::vector<double> robustof(const Trace& t, bool closed) {
    return closed ? robustfilter(t.value, 50) : robustopenfilter(t.position, t.value, 0.72);
}
std::vector<double> gaussianof(const Trace& t, bool closed) {
    return closed ? gaussianfilter(t.value, 50) : openfilter(t.position, t.value, 0.72);
}

class RobustFilterTest : public ::testing::TestWithParam<RobustCase> {};

// The spike moves the robust mean line's peak-to-valley by less than 5 %
// where the Gaussian's moves by more; without it the two mean lines agree
// to 2 % of the fine waves they both take out.
TEST_P(RobustFilterTest, LeavesASpikeOutAndFollowsTheGaussianOnACleanProfile) {
    const RobustCase c = GetParam();
    if (c.closed && !spectral()) GTEST_SKIP() << "built without FFTW";
    const Trace clean = formtrace(c.closed, 0), spiked = formtrace(c.closed, c.spike);
    const std::vector<double> robustclean = robustof(clean, c.closed);
    const double pv = peaktovalley(robustclean);
    EXPECT_LT(std::abs(peaktovalley(robustof(spiked, c.closed)) - pv), 0.05 * pv);
    EXPECT_GT(std::abs(peaktovalley(gaussianof(spiked, c.closed)) - pv), 0.05 * pv);
    EXPECT_LT(maxdifference(robustclean, gaussianof(clean, c.closed)), 0.02 * 0.05);
}

// One reweighting pass by its definition, summed directly: c from the
// median residual, Tukey's biweights, and at each point the weighted
// Gaussian mean of the window (closed: round the period, zeroth order) or the
// weighted Gaussian line through it (open: first order, within a cut-off).
std::vector<double> reweighted(const Trace& t, bool closed, const std::vector<double>& mean,
                               double& c) {
    const std::size_t n = t.value.size();
    std::vector<double> r(n), w(n);
    for (std::size_t j = 0; j < n; ++j) r[j] = std::abs(t.value[j] - mean[j]);
    std::vector<double> sorted = r;
    std::sort(sorted.begin(), sorted.end());
    c = 4.4478 * (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    for (std::size_t j = 0; j < n; ++j)
        w[j] = r[j] < c ? std::pow(1 - (r[j] / c) * (r[j] / c), 2) : 0;
    const double alpha = std::sqrt(std::log(2.0) / pi);
    const double width = closed ? alpha * static_cast<double>(n) / 50 : alpha * 0.72;
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const double gap = static_cast<double>(std::max(i, j) - std::min(i, j));
            const double d = closed ? std::min(gap, static_cast<double>(n) - gap)
                                    : t.position[j] - t.position[i];
            // Beyond eight widths the weight is below 1e-87.
            if (closed ? d > 8 * width : std::abs(d) > 0.72 + 1e-9) continue;
            const double g = w[j] * std::exp(-pi * (d / width) * (d / width));
            s0 += g, s1 += g * d, s2 += g * d * d, t0 += g * t.value[j], t1 += g * d * t.value[j];
        }
        out[i] = closed ? t0 / s0 : (t0 * s2 - t1 * s1) / (s0 * s2 - s1 * s1);
    }
    return out;
}

// The mean line stands still under one more pass by the definition (the
// passes stop at a change of 1e-5 c, each shrinking it about threefold),
// where the plain Gaussian's line, the passes' start, moves by far more.
TEST_P(RobustFilterTest, IsTheFixedPointOfItsReweighting) {
    const RobustCase k = GetParam();
    if (k.closed && !spectral()) GTEST_SKIP() << "built without FFTW";
    Trace t = formtrace(k.closed, k.spike);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.02);
    for (double& v : t.value) v += noise(random);
    double c = 0;
    const std::vector<double> robust = robustof(t, k.closed);
    if (k.closed) {
        bool firstpass = true;
        robustfilter(t.value, 50, &firstpass);
        EXPECT_FALSE(firstpass) << "the passes converged, and their mean line is given";
    }
    const double moved = maxdifference(reweighted(t, k.closed, robust, c), robust);
    EXPECT_LT(moved, 1e-5 * c);
    const std::vector<double> gaussian = gaussianof(t, k.closed);
    const double movedfromstart = maxdifference(reweighted(t, k.closed, gaussian, c), gaussian);
    EXPECT_GT(movedfromstart, 1e-2 * c);
}

INSTANTIATE_TEST_SUITE_P(Profiles, RobustFilterTest,
                         ::testing::Values(RobustCase{"ClosedSpikeUp", true, 40},
                                           RobustCase{"ClosedSpikeDown", true, -40},
                                           RobustCase{"OpenSpikeUp", false, 40},
                                           RobustCase{"OpenSpikeDown", false, -40}),
                         test::namedby([](const RobustCase& c) { return std::string(c.name); }));

// Where the samples barely resolve the cut-off (a window of a few samples)
// each point of the closed mean line is still a weighted mean of the values
// its window weighs, within their range: the transmission cut off at the
// highest harmonic the samples hold would weigh some of them below 0, and
// its weighted means once left the profile by a hundred times its height.
TEST(RobustFilter, StaysWithinTheValuesOfItsWindowAtFewSamplesAWave) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    struct Case {
        int points;
        double cutoff, spike;
    };
    for (const Case k : {Case{3600, 500, 40}, Case{3600, 1000, -40}, Case{360, 150, -40},
                         Case{360, 50, 40}, Case{360, 300, 0}}) {
        Trace t = formtrace(true, k.spike, k.points);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0, 0.02);
        for (double& v : t.value) v += noise(random);
        const std::vector<double> mean = robustfilter(t.value, k.cutoff);
        const int n = k.points;
        const int reach = static_cast<int>(std::ceil(8 * 0.4697 * n / k.cutoff));
        for (int i = 0; i < n; ++i) {
            double low = 1e300, high = -1e300;
            for (int d = -reach; d <= reach; ++d) {
                const double v = t.value[static_cast<std::size_t>(((i + d) % n + n) % n)];
                low = std::min(low, v), high = std::max(high, v);
            }
            ASSERT_GE(mean[static_cast<std::size_t>(i)], low - 1e-9)
                << n << " samples at " << k.cutoff << " UPR, point " << i;
            ASSERT_LE(mean[static_cast<std::size_t>(i)], high + 1e-9)
                << n << " samples at " << k.cutoff << " UPR, point " << i;
        }
    }
}

// Wherever the profile is its own Gaussian mean line (a constant closed, a
// line open) the robust one keeps it, spikes and all points else.
TEST(RobustFilter, KeepsAProfileTheGaussianPassesWhole) {
    std::vector<double> x, line;
    for (int i = 0; i < 500; ++i) x.push_back(0.01 * i), line.push_back(0.3 - 0.2 * 0.01 * i);
    std::vector<double> spiked = line;
    spiked[250] += 5;
    const std::vector<double> mean = robustopenfilter(x, spiked, 0.8);
    EXPECT_LT(maxdifference(mean, line), 1e-12);
    if (!spectral()) return;
    // At 0 and 0.5 the Gaussian line lies exactly on most points, so the
    // median residual and c are 0 (the spike was once left spread through it).
    for (const double height : {0.0, 0.5, 0.7}) {
        std::vector<double> level(720, height);
        level[0] = height + 9;
        EXPECT_LT(maxdifference(robustfilter(level, 50), std::vector<double>(720, height)), 1e-9)
            << height;
    }
}

// A smooth closed form without noise, which the Gaussian passes within a
// few per cent: a trefoil, an oval, a trefoil with a pentafoil, and a
// trefoil read at a resolution of a twentieth of its height.
struct SmoothCase {
    const char* name;
    int points;
    double cutoff;
    double (*form)(double theta);
};

void PrintTo(const SmoothCase& c, std::ostream* out) {
    *out << c.name;
}

class SmoothRobustTest : public ::testing::TestWithParam<SmoothCase> {};

// Its residuals from the Gaussian mean line are the filter's own smooth
// bias, and the robust scale collapses to them: the passes once pulled the
// mean line up to half the form's height off the profile, where the
// windows lost their weights. The robust mean line stays within 1 % of the
// form's height of the Gaussian's.
TEST_P(SmoothRobustTest, LeavesANoiseFreeFormAsTheGaussianDoes) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const SmoothCase c = GetParam();
    std::vector<double> value(static_cast<std::size_t>(c.points));
    for (std::size_t i = 0; i < value.size(); ++i)
        value[i] = c.form(2 * pi * static_cast<double>(i) / c.points);
    const double height = peaktovalley(value);
    const std::vector<double> gaussian = gaussianfilter(value, c.cutoff);
    ASSERT_LT(maxdifference(gaussian, value), 0.03 * height);
    bool firstpass = false;
    EXPECT_LT(maxdifference(robustfilter(value, c.cutoff, &firstpass), gaussian), 0.01 * height);
    EXPECT_TRUE(firstpass);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, SmoothRobustTest,
    ::testing::Values(
        SmoothCase{"Trefoil360At50", 360, 50, [](double t) { return std::cos(3 * t); }},
        SmoothCase{"Trefoil3600At150", 3600, 150, [](double t) { return std::cos(3 * t); }},
        SmoothCase{"Oval1000At50", 1000, 50, [](double t) { return 2 * std::cos(2 * t); }},
        SmoothCase{"Oval3600At150", 3600, 150, [](double t) { return 2 * std::cos(2 * t); }},
        SmoothCase{"Lobes3600At50", 3600, 50,
                   [](double t) { return std::cos(3 * t) + 0.5 * std::cos(5 * t + 1); }},
        SmoothCase{"Lobes720At150", 720, 150,
                   [](double t) { return std::cos(3 * t) + 0.5 * std::cos(5 * t + 1); }},
        SmoothCase{"QuantisedTrefoil1000At150", 1000, 150,
                   [](double t) { return std::round(20 * std::cos(3 * t)) / 20; }}),
    test::namedby([](const SmoothCase& c) { return std::string(c.name); }));

// Morphological.

// The closing by its definition, over every pair of points with the
// distance taken round the period: the disk's centre resting above each
// position, the lowest of the disks' undersides at each point.
std::vector<double> bruteclosing(const std::vector<double>& x, const std::vector<double>& z,
                                 double radius, double period) {
    const std::size_t n = x.size();
    const auto distance = [&](std::size_t i, std::size_t j) {
        double d = std::abs(x[i] - x[j]);
        if (period > 0) d = std::min(d, period - d);
        return d;
    };
    std::vector<double> centre(n, -1e300), out(n, 1e300);
    for (std::size_t j = 0; j < n; ++j)
        for (std::size_t k = 0; k < n; ++k)
            if (distance(j, k) <= radius)
                centre[j] = std::max(
                    centre[j], z[k] + std::sqrt(radius * radius - distance(j, k) * distance(j, k)));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            if (distance(i, j) <= radius)
                out[i] = std::min(out[i], centre[j] - std::sqrt(radius * radius -
                                                                distance(i, j) * distance(i, j)));
    return out;
}

struct MorphCase {
    const char* name;
    double period; // 0: open
    double radius;
    bool uneven;
};

void PrintTo(const MorphCase& c, std::ostream* out) {
    *out << c.name;
}

class MorphFilterTest : public ::testing::TestWithParam<MorphCase> {};

// Against the brute-force envelope (the opening as the closing of the
// profile upside down), closing >= profile >= opening, and each idempotent.
TEST_P(MorphFilterTest, RollsTheDiskAsTheBruteForceEnvelope) {
    const MorphCase c = GetParam();
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(0.005, 0.03), noise(-0.05, 0.05);
    std::vector<double> x, z, turned;
    const double length = c.period > 0 ? c.period : 3.0;
    for (double p = 0; p < length - 0.03; p += c.uneven ? step(random) : 0.01) {
        x.push_back(p);
        z.push_back(0.2 * std::sin(2 * pi * p / length * 3) + noise(random));
        turned.push_back(-z.back());
    }
    const std::vector<double> closing = closingfilter(x, z, c.radius, c.period);
    const std::vector<double> opening = openingfilter(x, z, c.radius, c.period);
    EXPECT_LT(maxdifference(closing, bruteclosing(x, z, c.radius, c.period)), 1e-12);
    std::vector<double> bruteopening = bruteclosing(x, turned, c.radius, c.period);
    for (double& v : bruteopening) v = -v;
    EXPECT_LT(maxdifference(opening, bruteopening), 1e-12);
    for (std::size_t i = 0; i < z.size(); ++i) {
        EXPECT_GE(closing[i], z[i]) << i;
        EXPECT_LE(opening[i], z[i]) << i;
    }
    EXPECT_LT(maxdifference(closingfilter(x, closing, c.radius, c.period), closing), 1e-12);
    EXPECT_LT(maxdifference(openingfilter(x, opening, c.radius, c.period), opening), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Profiles, MorphFilterTest,
                         ::testing::Values(MorphCase{"OpenEven", 0, 0.1, false},
                                           MorphCase{"OpenUneven", 0, 0.25, true},
                                           MorphCase{"PeriodicEven", 3.0, 0.1, false},
                                           MorphCase{"PeriodicUneven", 2.0, 0.3, true},
                                           MorphCase{"PeriodicDiskOverAPeriod", 1.0, 1.5, false}),
                         test::namedby([](const MorphCase& c) { return std::string(c.name); }));

// A groove narrower than the disk is filled to within the disk's sag over
// it (at the seam of a periodic profile too); a wave whose curvature the
// disk fits everywhere is kept.
TEST(MorphFilter, FillsANarrowGrooveAndKeepsWhatTheDiskFits) {
    const double radius = 0.5, width = 0.1;
    const double sag = radius - std::sqrt(radius * radius - width * width / 4);
    for (const double period : {0.0, 4.0}) {
        std::vector<double> x, z;
        for (int i = 0; i < 400; ++i) {
            x.push_back(0.01 * i);
            const double centre = period > 0 ? 0 : 2;
            const double d = std::min(std::abs(x.back() - centre), 4 - std::abs(x.back() - centre));
            z.push_back(d < width / 2 ? -1 : 0);
        }
        const std::vector<double> closing = closingfilter(x, z, radius, period);
        for (std::size_t i = 0; i < z.size(); ++i) EXPECT_GE(closing[i], -sag - 1e-12) << period;
        EXPECT_LT(*std::max_element(closing.begin(), closing.end()), 1e-12);
    }
    // Curvature 0.05 pi^2 ~ 0.49 below the disk's 2, all round a period.
    std::vector<double> x, z;
    for (int i = 0; i < 800; ++i)
        x.push_back(0.005 * i), z.push_back(0.05 * std::sin(pi * x.back()));
    EXPECT_LT(maxdifference(closingfilter(x, z, radius, 4), z), 1e-4);
    EXPECT_LT(maxdifference(openingfilter(x, z, radius, 4), z), 1e-4);
}

TEST(FilterKinds, RefuseWhatTheyCannotFilterAndTakeNothing) {
    EXPECT_THROW(closingfilter({0, 1}, {0}, 0.1), std::invalid_argument);
    EXPECT_THROW(closingfilter({0, 1}, {0, 0}, 0), std::invalid_argument);
    EXPECT_THROW(closingfilter({0, 0}, {0, 0}, 0.1), std::invalid_argument);
    EXPECT_THROW(closingfilter({0, 1}, {0, NAN}, 0.1), std::invalid_argument);
    EXPECT_THROW(closingfilter({0, 1}, {0, 0}, 0.1, 1), std::invalid_argument);
    EXPECT_THROW(splinefilter({0, 1, 2}, 0), std::invalid_argument);
    EXPECT_THROW(splineopenfilter({0, 1, 1}, {0, 1, 2}, 1), std::invalid_argument);
    EXPECT_THROW(rcopenfilter({0, 1}, {0, 1}, -1), std::invalid_argument);
    EXPECT_THROW(robustopenfilter({0, 1}, {0}, 1), std::invalid_argument);
    // Nothing in, nothing out.
    EXPECT_EQ(robustopenfilter({}, {}, 1), std::vector<double>{});
    EXPECT_EQ(splineopenfilter({}, {}, 1), std::vector<double>{});
    EXPECT_EQ(rcopenfilter({}, {}, 1), std::vector<double>{});
    EXPECT_EQ(closingfilter({}, {}, 1, 2), std::vector<double>{});
    EXPECT_EQ(arealfilter({}, {}, {}, 1), std::vector<double>{});
    if (spectral()) { EXPECT_EQ(robustfilter({}, 50), std::vector<double>{}); }
}

// Areal.

// The areal filter by its definition, every pair of points looked at: the
// plane fitted with the Gaussian weights within a cut-off, by a dense solve.
std::vector<double> brutearea(const std::vector<double>& u, const std::vector<double>& v,
                              const std::vector<double>& z, double cutoff, double period) {
    const double width = std::sqrt(std::log(2.0) / pi) * cutoff;
    std::vector<double> out;
    for (std::size_t i = 0; i < z.size(); ++i) {
        std::vector<std::vector<double>> a(3, std::vector<double>(3, 0.0));
        std::vector<double> b(3, 0.0);
        for (std::size_t j = 0; j < z.size(); ++j) {
            double du = u[j] - u[i];
            if (period > 0) du -= period * std::round(du / period);
            const double dv = v[j] - v[i];
            if (du * du + dv * dv > cutoff * cutoff) continue;
            const double w = std::exp(-pi * (du * du + dv * dv) / (width * width));
            const double r[3] = {1, du, dv};
            for (int p = 0; p < 3; ++p) {
                for (int q = 0; q < 3; ++q) a[p][q] += w * r[p] * r[q];
                b[p] += w * r[p] * z[j];
            }
        }
        out.push_back(densesolve(a, b)[0]);
    }
    return out;
}

struct ArealCase {
    const char* name;
    double period; // of u; 0: none
    double cutoff;
};

void PrintTo(const ArealCase& c, std::ostream* out) {
    *out << c.name;
}

class ArealFilterTest : public ::testing::TestWithParam<ArealCase> {};

// Scattered points of a wavy surface: the grid finds every neighbour the
// brute force does.
TEST_P(ArealFilterTest, FiltersAsTheBruteForce) {
    const ArealCase c = GetParam();
    std::mt19937 random(17);
    std::uniform_real_distribution<double> along(0, c.period > 0 ? c.period : 4), across(0, 3);
    std::normal_distribution<double> noise(0, 0.01);
    std::vector<double> u, v, z;
    for (int i = 0; i < 700; ++i) {
        u.push_back(along(random)), v.push_back(across(random));
        z.push_back(0.1 * std::sin(3 * u.back()) * std::cos(2 * v.back()) + 0.2 * v.back() +
                    noise(random));
    }
    EXPECT_LT(maxdifference(arealfilter(u, v, z, c.cutoff, c.period),
                            brutearea(u, v, z, c.cutoff, c.period)),
              1e-10);
    // The work it states holds every pair within a cut-off, and no more
    // than all pairs.
    double within = 0;
    for (std::size_t i = 0; i < u.size(); ++i)
        for (std::size_t j = 0; j < u.size(); ++j) {
            double du = u[j] - u[i];
            if (c.period > 0) du -= c.period * std::round(du / c.period);
            within += du * du + (v[j] - v[i]) * (v[j] - v[i]) <= c.cutoff * c.cutoff;
        }
    const double pairs = arealpairs(u, v, c.cutoff, c.period);
    EXPECT_GE(pairs, within);
    EXPECT_LE(pairs, static_cast<double>(u.size() * u.size()));
}

INSTANTIATE_TEST_SUITE_P(Surfaces, ArealFilterTest,
                         ::testing::Values(ArealCase{"Plane", 0, 0.5},
                                           ArealCase{"PlaneCutOffOverTheWidth", 0, 5},
                                           ArealCase{"Cylinder", 6.28, 0.5},
                                           ArealCase{"CylinderFewColumns", 1.3, 0.6},
                                           ArealCase{"CylinderCutOffOverThePeriod", 1.0, 1.5}),
                         test::namedby([](const ArealCase& c) { return std::string(c.name); }));

// A sine surface on a fine grid passes inside by the Gaussian's
// exp(-pi (alpha cutoff / wavelength)^2): most of a long wave, little of a
// short one, half at the cut-off; a tilted plane is kept to its edges.
TEST(ArealFilter, PassesASineByTheGaussianTransmissionAndKeepsATilt) {
    const double cutoff = 0.8, alpha = std::sqrt(std::log(2.0) / pi);
    for (const double wavelength : {3 * cutoff, cutoff, cutoff / 2}) {
        std::vector<double> u, v, z, tilt;
        for (int i = 0; i <= 120; ++i)
            for (int j = 0; j <= 50; ++j) {
                u.push_back(0.05 * i), v.push_back(0.05 * j);
                z.push_back(std::sin(2 * pi * u.back() / wavelength));
                tilt.push_back(0.3 * u.back() - 0.1 * v.back() + 2);
            }
        const std::vector<double> mean = arealfilter(u, v, z, cutoff);
        const double gain = std::exp(-pi * std::pow(alpha * cutoff / wavelength, 2));
        double worst = 0;
        for (std::size_t k = 0; k < z.size(); ++k)
            if (u[k] > cutoff && u[k] < 6 - cutoff && v[k] > cutoff && v[k] < 2.5 - cutoff)
                worst = std::max(worst, std::abs(mean[k] - gain * z[k]));
        EXPECT_LT(worst, 1e-3) << wavelength;
        if (wavelength == cutoff) { EXPECT_NEAR(gain, 0.5, 1e-12); }
        EXPECT_LT(maxdifference(arealfilter(u, v, tilt, cutoff), tilt), 1e-9);
    }
}

// The passes' median, found near the last pass's, is median()'s to the bit:
// odd and even counts, many ties, values not numbers, and guesses at the
// median, near it, far from it, and of no use (0, negative, infinite, NaN).
TEST(RobustFilter, MedianNearAGuessIsTheMedian) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> level(0, 30);
    std::vector<double> window;
    for (int trial = 0; trial < 3000; ++trial) {
        const std::size_t n = trial % 50 == 0 ? 3600 : static_cast<std::size_t>(trial % 41);
        std::vector<double> values(n);
        for (double& v : values)
            v = trial % 3 == 0 ? 0.001 * level(random) : std::exp(0.05 * level(random) - 0.3);
        if (trial % 17 == 0 && n > 0) values[static_cast<std::size_t>(trial) % n] = std::nan("");
        const double m = median(values);
        for (const double guess :
             {m, m * 1.04, m * 0.97, m * 1.3, m * 0.6, 0.0, -m, HUGE_VAL, std::nan("")}) {
            const double near = detail::mediannear(values, guess, window);
            if (std::isnan(m)) {
                EXPECT_TRUE(std::isnan(near));
                continue;
            }
            ASSERT_EQ(std::memcmp(&near, &m, sizeof m), 0)
                << "trial " << trial << " n " << n << " guess " << guess << ": " << near
                << " against " << m;
        }
    }
}

} // namespace
} // namespace formeval::profile
