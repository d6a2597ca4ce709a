// The harmonic spectrum, the band-pass and the open-profile filter against
// profiles built from known waves: amplitudes and phases read back, each
// harmonic passed by its transmission, the mean line of sloping and wavy open
// profiles, refusals.
#include "profile/profile.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <thread>

namespace formeval::profile {
namespace {

const double pi = std::acos(-1.0);

struct Wave {
    int upr;
    double amplitude;
    double phase;
};

// n samples at equal angles from `start` of a sum of waves
// amplitude * cos(upr * theta - phase).
std::vector<double> profileof(const std::vector<Wave>& waves, int n, double start) {
    std::vector<double> out(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double theta = start + 2 * pi * j / n;
        for (const Wave& w : waves) out[j] += w.amplitude * std::cos(w.upr * theta - w.phase);
    }
    return out;
}

struct SpectrumCase {
    const char* name;
    int n;
    double start;
    std::vector<Wave> waves;
};

void PrintTo(const SpectrumCase& c, std::ostream* out) {
    *out << c.name;
}

class HarmonicSpectrumTest : public ::testing::TestWithParam<SpectrumCase> {};

// Every wave put in is read back with its amplitude and phase, and nothing
// else is there, up to the highest harmonic the samples resolve.
TEST_P(HarmonicSpectrumTest, ReadsBackEachWave) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const SpectrumCase c = GetParam();
    const std::vector<Harmonic> h =
        harmonicspectrum(profileof(c.waves, c.n, c.start), c.start, 0, c.n);
    ASSERT_EQ(h.size(), std::size_t(c.n / 2 + 1));
    for (const Harmonic& got : h) {
        const Wave* put = nullptr;
        for (const Wave& w : c.waves)
            if (w.upr == got.upr) put = &w;
        EXPECT_NEAR(got.amplitude, put ? put->amplitude : 0, 1e-12) << got.upr;
        if (put) {
            EXPECT_NEAR(std::remainder(got.phase - put->phase, 2 * pi), 0, 1e-9) << got.upr;
            EXPECT_GT(got.phase, -pi);
            EXPECT_LE(got.phase, pi);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, HarmonicSpectrumTest,
    ::testing::Values(
        SpectrumCase{"OvalAndChatterFromZero", 3600, 0, {{2, 0.002, 0.3}, {120, 0.0001, -2.5}}},
        SpectrumCase{"StartingAtAnAngle", 360, 1.1, {{3, 0.01, 1.0}, {15, 0.001, 3.0}}},
        SpectrumCase{"PhaseNearPi", 256, -0.4, {{7, 0.5, pi - 1e-6}, {1, 0.2, -pi + 1e-3}}},
        SpectrumCase{"HighestResolvedHarmonic", 64, 0, {{32, 0.25, 0}, {31, 0.125, 2.0}}},
        SpectrumCase{"OddCount", 101, 0.25, {{50, 0.3, -1.0}, {0, 0.7, 0}}}),
    test::namedby([](const SpectrumCase& c) { return std::string(c.name); }));

TEST(HarmonicSpectrum, ARangeListsOnlyItsHarmonicsAndAnEmptyOneIsRefused) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const std::vector<double> s = profileof({{5, 1, 0}}, 100, 0);
    const std::vector<Harmonic> h = harmonicspectrum(s, 0, 4, 6);
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h.front().upr, 4);
    EXPECT_NEAR(h[1].amplitude, 1, 1e-12);
    EXPECT_EQ(harmonicspectrum(s, 0, 60, 80).size(), 0u);
    EXPECT_THROW(harmonicspectrum(s, 0, 7, 6), std::invalid_argument);
}

struct BandCase {
    const char* name;
    double longwave;
    double shortwave;
};

void PrintTo(const BandCase& c, std::ostream* out) {
    *out << c.name;
}

class BandPassTest : public ::testing::TestWithParam<BandCase> {};

// Harmonic k comes out with the difference of the two Gaussian weights,
// 2^-(k/short)^2 - 2^-(k/long)^2: the form below the band and the roughness
// above it are gone.
TEST_P(BandPassTest, PassesEachHarmonicByTheDifferenceOfTheWeights) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const BandCase c = GetParam();
    const std::vector<Wave> waves = {{0, 3, 0},    {2, 1, 0.5},   {15, 1, 1},    {50, 1, 2},
                                     {150, 1, -1}, {500, 1, 0.2}, {1500, 1, 1.5}};
    const std::vector<Harmonic> h = harmonicspectrum(
        bandpassfilter(profileof(waves, 4096, 0.3), c.longwave, c.shortwave), 0.3, 0, 2048);
    for (const Wave& w : waves) {
        const double weight = [&](double k) {
            return std::pow(2.0, -std::pow(k / c.shortwave, 2)) -
                   std::pow(2.0, -std::pow(k / c.longwave, 2));
        }(w.upr);
        EXPECT_NEAR(h[w.upr].amplitude, w.amplitude * weight, 1e-12) << w.upr;
    }
}

INSTANTIATE_TEST_SUITE_P(Bands, BandPassTest,
                         ::testing::Values(BandCase{"WavinessFifteenToFiveHundred", 15, 500},
                                           BandCase{"OneToFifty", 1, 50},
                                           BandCase{"FiftyToFifteenHundred", 50, 1500}),
                         test::namedby([](const BandCase& c) { return std::string(c.name); }));

TEST(BandPass, CutOffsOutOfOrderAreRefused) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const std::vector<double> s(64, 1.0);
    EXPECT_THROW(bandpassfilter(s, 500, 15), std::invalid_argument);
    EXPECT_THROW(bandpassfilter(s, 0, 15), std::invalid_argument);
    EXPECT_THROW(bandpassfilter(s, 50, 50), std::invalid_argument);
}

// Positions 0 .. length at the given spacing.
std::vector<double> positions(double length, double spacing) {
    std::vector<double> out;
    for (int i = 0; i * spacing <= length + 1e-12; ++i) out.push_back(i * spacing);
    return out;
}

struct OpenWaveCase {
    const char* name;
    double wavelength; // in cut-offs
};

void PrintTo(const OpenWaveCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenFilterTest : public ::testing::TestWithParam<OpenWaveCase> {};

// A cut-off or more from the ends, a sine passes with the Gaussian weight of
// its wavelength, exp(-pi (alpha cutoff / wavelength)^2): half at the cut-off.
TEST_P(OpenFilterTest, PassesAWaveByItsGaussianWeightInside) {
    const double cutoff = 0.8, spacing = 0.002;
    const double wavelength = GetParam().wavelength * cutoff;
    const std::vector<double> x = positions(20 * cutoff, spacing);
    std::vector<double> v;
    for (const double p : x) v.push_back(std::sin(2 * pi * p / wavelength));
    const std::vector<double> mean = openfilter(x, v, cutoff);
    const double alpha = std::sqrt(std::log(2.0) / pi);
    const double weight = std::exp(-pi * std::pow(alpha * cutoff / wavelength, 2));
    double worst = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] >= cutoff && x[i] <= x.back() - cutoff)
            worst = std::max(worst, std::fabs(mean[i] - weight * v[i]));
    EXPECT_LT(worst, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Wavelengths, OpenFilterTest,
                         ::testing::Values(OpenWaveCase{"AtTheCutOff", 1},
                                           OpenWaveCase{"ThreeCutOffs", 3},
                                           OpenWaveCase{"AThirdOfACutOff", 1.0 / 3}),
                         test::namedby([](const OpenWaveCase& c) { return std::string(c.name); }));

// A straight profile is its own mean line to the very ends, at any spacing;
// a renormalised Gaussian would bend towards the inside near each end.
TEST(OpenFilter, KeepsASlopingLineToTheEndsAtAnySpacing) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> step(0.001, 0.02);
    std::vector<double> x = {0}, v;
    while (x.back() < 5) x.push_back(x.back() + step(random));
    for (const double p : x) v.push_back(2.5 - 0.3 * p);
    const std::vector<double> mean = openfilter(x, v, 0.8);
    for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(mean[i], v[i], 1e-12) << x[i];
}

TEST(OpenFilter, ASinglePositionIsItsOwnLevel) {
    EXPECT_EQ(openfilter({1.5}, {0.25}, 0.8), std::vector<double>{0.25});
    EXPECT_EQ(openfilter({}, {}, 0.8), std::vector<double>{});
}

struct RefusalCase {
    const char* name;
    std::vector<double> x;
    std::vector<double> v;
    double cutoff;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenFilterRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(OpenFilterRefusalTest, RefusesWithAReason) {
    const RefusalCase c = GetParam();
    EXPECT_THROW(openfilter(c.x, c.v, c.cutoff), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Inputs, OpenFilterRefusalTest,
                         ::testing::Values(RefusalCase{"SizesDiffer", {0, 1}, {0}, 0.8},
                                           RefusalCase{
                                               "PositionsRepeat", {0, 1, 1}, {0, 0, 0}, 0.8},
                                           RefusalCase{"PositionsFall", {0, 2, 1}, {0, 0, 0}, 0.8},
                                           RefusalCase{"ValueNotFinite", {0, 1}, {0, NAN}, 0.8},
                                           RefusalCase{"ZeroCutOff", {0, 1}, {0, 0}, 0},
                                           RefusalCase{"InfiniteCutOff", {0, 1}, {0, 0}, INFINITY}),
                         test::namedby([](const RefusalCase& c) { return std::string(c.name); }));

// Filters of many sizes from several threads at once, each size's plan made
// by whichever thread comes first and used by all: every result as the one
// computed alone, and the profile's wave where the filter passes it.
TEST(Filters, SeveralThreadsShareThePlans) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const std::vector<int> sizes = {360, 720, 1000, 3600, 3601, 4096, 97};
    std::vector<std::vector<double>> alone;
    for (const int n : sizes)
        alone.push_back(gaussianfilter(profileof({{3, 1.0, 0.2}, {120, 0.5, 0}}, n, 0.1), 50));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round)
                for (std::size_t k = 0; k < sizes.size(); ++k) {
                    const std::size_t s = (k + static_cast<std::size_t>(t)) % sizes.size();
                    const std::vector<double> x =
                        profileof({{3, 1.0, 0.2}, {120, 0.5, 0}}, sizes[s], 0.1);
                    mismatches[static_cast<std::size_t>(t)] += gaussianfilter(x, 50) != alone[s];
                    bandpassfilter(x, 15, 500);
                }
        });
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << t;
    // 3 UPR passes at its weight; 120 UPR (above the 97 samples' 48) only where resolved.
    const std::vector<double>& f = alone[3];
    const double weight = transmission(3, 50);
    for (int j = 0; j < 3600; j += 97)
        EXPECT_NEAR(f[static_cast<std::size_t>(j)],
                    weight * std::cos(3 * (0.1 + 2 * pi * j / 3600) - 0.2) +
                        transmission(120, 50) * 0.5 * std::cos(120 * (0.1 + 2 * pi * j / 3600)),
                    1e-12);
}

} // namespace
} // namespace formeval::profile
