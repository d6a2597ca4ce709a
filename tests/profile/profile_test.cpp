// Profile analysis against hand computations: the distance to a circle along
// a direction, the harmonics of lobed forms, the filter's transmission of
// pure harmonics, the resampling at equal angles.
#include "profile/profile.h"
#include "tests/harness/harness.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace formeval::profile {
namespace {

const double pi = std::acos(-1.0);

TEST(Distancealong, ToACircleAboutAnotherCentre) {
    const Circle centred{0, 0, 10};
    EXPECT_NEAR(*distancealong(centred, 0, 0, 1.234), 10, 1e-12);
    const Circle shifted{1, 0, 10};
    EXPECT_NEAR(*distancealong(shifted, 0, 0, 0), 11, 1e-12);
    EXPECT_NEAR(*distancealong(shifted, 0, 0, pi), 9, 1e-12);
    EXPECT_NEAR(*distancealong(shifted, 0, 0, pi / 2), std::sqrt(99.0), 1e-12);
    EXPECT_FALSE(distancealong(shifted, 20, 0, 0)); // from outside the circle
}

struct LobingCase {
    const char* name;
    int lobes;
    double amplitude;
    int points;
};

void PrintTo(const LobingCase& c, std::ostream* out) {
    *out << c.name;
}

class HarmonicsTest : public ::testing::TestWithParam<LobingCase> {};

// A k-lobe form about (100, 20), radius 25, at equal angles: about that
// circle, its harmonic k has the form's amplitude, every other nothing.
TEST_P(HarmonicsTest, TheAmplitudeOfTheLobing) {
    const LobingCase c = GetParam();
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    std::vector<double> x, y;
    for (int i = 0; i < c.points; ++i) {
        const double a = 2 * pi * i / c.points;
        const double r = 25 + c.amplitude * std::cos(c.lobes * a + 0.4);
        x.push_back(100 + r * std::cos(a));
        y.push_back(20 + r * std::sin(a));
    }
    const Harmonics h = harmonics(x, y, {100, 20, 25});
    EXPECT_FALSE(h.resampled);
    ASSERT_EQ(h.amplitude.size(), std::size_t(maxharmonic + 1));
    for (int k = 1; k <= maxharmonic; ++k)
        EXPECT_NEAR(h.amplitude[k], k == c.lobes ? c.amplitude : 0, 1e-9 * c.amplitude) << k;
}

INSTANTIATE_TEST_SUITE_P(Forms, HarmonicsTest,
                         ::testing::Values(LobingCase{"ThreeLobes", 3, 0.002, 360},
                                           LobingCase{"FifteenLobes", 15, 0.0005, 360},
                                           LobingCase{"ThreeLobesOn128", 3, 0.01, 128}),
                         [](const ::testing::TestParamInfo<LobingCase>& info) {
                             return info.param.name;
                         });

// Unit sinusoids at equal angles.
std::vector<double> waves(const std::vector<int>& uprs, int n) {
    std::vector<double> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        for (const int k : uprs) out[i] += std::cos(2 * pi * k * i / n + 0.7);
    return out;
}

struct FilterCase {
    const char* name;
    std::vector<int> uprs;
    int cutoff;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
    *out << c.name;
}

class GaussianFilterTest : public ::testing::TestWithParam<FilterCase> {};

// ISO 16610-21: harmonic k passes with 2^-(k/cut-off)^2, half at the cut-off.
TEST_P(GaussianFilterTest, TransmitsEachHarmonicByItsWeight) {
    if (!spectral()) GTEST_SKIP() << "built without FFTW";
    const FilterCase c = GetParam();
    const std::vector<double> mean = gaussianfilter(waves(c.uprs, 1024), c.cutoff);
    const std::vector<double> a = harmonicamplitudes(mean, 511);
    for (std::size_t k = 1; k < a.size(); ++k) {
        const bool present = std::find(c.uprs.begin(), c.uprs.end(), int(k)) != c.uprs.end();
        const double ratio = double(k) / c.cutoff;
        EXPECT_NEAR(a[k], present ? std::pow(2.0, -ratio * ratio) : 0, 1e-12) << k;
    }
    EXPECT_DOUBLE_EQ(transmission(c.cutoff, c.cutoff), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Profiles, GaussianFilterTest,
                         ::testing::Values(FilterCase{"AtTheCutOff", {50}, 50},
                                           FilterCase{"BelowAndAbove", {5, 200}, 50},
                                           FilterCase{"AroundFifteen", {3, 15, 45}, 15},
                                           FilterCase{"AtFiveHundred", {150, 500}, 500}),
                         [](const ::testing::TestParamInfo<FilterCase>& info) {
                             return info.param.name;
                         });

// Points at unequal angles: the samples at equal angles from the first are
// read off the straight lines between neighbours, across the wrap too.
TEST(Equalangles, ResamplesUnequalAnglesAndSaysSo) {
    const std::vector<PolarPoint> points = {{-pi + 0.1, 1}, {-1, 2}, {0.2, 3}, {1.5, 4}};
    const EqualAngles e = equalangles(points);
    EXPECT_TRUE(e.resampled);
    ASSERT_EQ(e.deviation.size(), 4u);
    const double a1 = -pi + 0.1 + pi / 2;
    const double a3 = -pi + 0.1 + 1.5 * pi;
    EXPECT_NEAR(e.deviation[0], 1, 1e-15);
    EXPECT_NEAR(e.deviation[1], 1 + (a1 - (-pi + 0.1)) / (-1 - (-pi + 0.1)), 1e-15);
    EXPECT_NEAR(e.deviation[2], 2 + (0.1 - -1) / (0.2 - -1), 1e-15);
    EXPECT_NEAR(e.deviation[3], 4 - 3 * (a3 - 1.5) / (pi + 0.1 - 1.5), 1e-14);
    const std::vector<PolarPoint> even = {{-pi, 1}, {-pi / 2, 2}, {0, 3}, {pi / 2, 4}};
    EXPECT_FALSE(equalangles(even).resampled);
    // A trace closed by its first point again (at 360 degrees, the same
    // point) holds four samples, equally spaced, not five resampled.
    const std::vector<PolarPoint> closed = {{-pi, 1}, {-pi, 1}, {-pi / 2, 2}, {0, 3}, {pi / 2, 4}};
    const EqualAngles once = equalangles(closed);
    EXPECT_FALSE(once.resampled);
    EXPECT_EQ(once.deviation, std::vector<double>({1, 2, 3, 4}));
}

// Without FFTW the analysis says so instead of returning nothing.
TEST(Spectral, AvailableOrSaysWhyNot) {
    const std::vector<double> samples = {1, 2, 3, 4};
    if (spectral()) {
        EXPECT_EQ(harmonicamplitudes(samples, 1).size(), 2u);
        EXPECT_EQ(gaussianfilter(samples, 15).size(), 4u);
    } else {
        EXPECT_THROW(harmonicamplitudes(samples, 1), Unavailable);
        EXPECT_THROW(gaussianfilter(samples, 15), Unavailable);
    }
}

} // namespace
} // namespace formeval::profile
