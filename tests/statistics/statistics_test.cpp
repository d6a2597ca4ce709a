// Statistics, coverage intervals, the convergence check and histogram bins,
// against values worked out by hand.
#include "statistics/statistics.h"
#include "tests/harness/harness.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace formeval::statistics {
namespace {

struct RanksCase {
    long count;
    Basispoints coverage;
    bool defined;
    long low, high;
};

void PrintTo(const RanksCase& c, std::ostream* out) {
    *out << c.count << " values at " << c.coverage << " basis points";
}

class CoverageRanksTest : public ::testing::TestWithParam<RanksCase> {};

// q = pM rounded half up, r = ceil((M - q) / 2), interval [y(r), y(r + q)].
TEST_P(CoverageRanksTest, FollowsTheProbabilisticallySymmetricRule) {
    const RanksCase c = GetParam();
    const CoverageRanks r = coverageranks(c.count, c.coverage);
    EXPECT_EQ(r.defined, c.defined);
    if (c.defined) {
        EXPECT_EQ(r.low, c.low);
        EXPECT_EQ(r.high, c.high);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoverageRanksTest,
    ::testing::Values(RanksCase{1000, 9500, true, 25, 975},       // q 950, r 25
                      RanksCase{10000, 9500, true, 250, 9750},    // q 9500, r 250
                      RanksCase{100000, 9500, true, 2500, 97500}, // q 95000, r 2500
                      RanksCase{101, 9500, true, 3, 99},          // pM 95.95: q 96, r 3
                      RanksCase{40, 9500, true, 1, 39},           // q 38, M - q = 2, r 1
                      RanksCase{20, 9500, true, 1, 20},           // q 19, r 1
                      RanksCase{11, 9500, true, 1, 11},           // pM 10.45: q 10, r 1
                      RanksCase{10, 9500, false, 0, 0},           // pM 9.5: q 10 = M
                      RanksCase{0, 9500, false, 0, 0},
                      RanksCase{1000, 9900, true, 5, 995},   // q 990, r 5
                      RanksCase{1000, 6827, true, 159, 842}, // pM 682.7: q 683, r 159
                      // Coverages outside (0, 100 %) have no interval, not ranks
                      // outside 1..M.
                      RanksCase{1000, 10000, false, 0, 0}, RanksCase{1000, 0, false, 0, 0},
                      RanksCase{1000, -9500, false, 0, 0}),
    [](const ::testing::TestParamInfo<RanksCase>& info) {
        const auto coverage = info.param.coverage;
        return "Of" + std::to_string(info.param.count) + "At" +
               (coverage < 0 ? "Minus" + std::to_string(-coverage) : std::to_string(coverage));
    });

TEST(Summarise, SmallBlockByHand) {
    const Statistics s = summarise({4, 1, 3, 2}, defaultcoverage);
    EXPECT_EQ(s.count, 4);
    EXPECT_DOUBLE_EQ(s.mean, 2.5);
    ASSERT_TRUE(s.hassd);
    EXPECT_DOUBLE_EQ(s.sd, std::sqrt(5.0 / 3.0)); // squares 2.25 + 0.25 + 0.25 + 2.25 over 3
    EXPECT_EQ(s.min, 1);
    EXPECT_EQ(s.max, 4);
    EXPECT_FALSE(s.hasinterval);
}

TEST(Summarise, OneValueHasNoSpread) {
    const Statistics s = summarise({7.5}, defaultcoverage);
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.mean, 7.5);
    EXPECT_FALSE(s.hassd);
    EXPECT_EQ(s.min, 7.5);
    EXPECT_EQ(s.max, 7.5);
    EXPECT_EQ(summarise({}, defaultcoverage).count, 0);
}

// 1..1000 in any order: mean 500.5, variance n(n + 1)/12, interval ends are
// the 25th and 975th values.
TEST(Summarise, ThousandValuesGiveTheQuantilesOfTheirRanks) {
    std::vector<double> values(1000);
    std::iota(values.begin(), values.end(), 1.0);
    std::shuffle(values.begin(), values.end(), std::mt19937(7));
    const Statistics s = summarise(values, defaultcoverage);
    EXPECT_DOUBLE_EQ(s.mean, 500.5);
    EXPECT_NEAR(s.sd, std::sqrt(1000.0 * 1001.0 / 12.0), 1e-9);
    ASSERT_TRUE(s.hasinterval);
    EXPECT_EQ(s.low, 25);
    EXPECT_EQ(s.high, 975);
    const Statistics wide = summarise(values, 9900);
    EXPECT_EQ(wide.low, 5);
    EXPECT_EQ(wide.high, 995);
}

struct ShortestCase {
    const char* name;
    double (*value)(double i); // of i = 1..1000
    double low, high;          // y(r*) and y(r* + 950)
};

void PrintTo(const ShortestCase& c, std::ostream* out) {
    *out << c.name;
}

class ShortestIntervalTest : public ::testing::TestWithParam<ShortestCase> {};

// q = 950 of 1000: the window of 951 consecutive sorted values that is
// narrowest. Values growing ever faster put it at the low end, ever slower
// at the high end; a symmetric spread puts it in the middle, where the
// probabilistically symmetric interval is.
TEST_P(ShortestIntervalTest, TheNarrowestWindowOfTheSortedValues) {
    const ShortestCase c = GetParam();
    std::vector<double> values;
    for (int i = 1; i <= 1000; ++i) values.push_back(c.value(i));
    std::shuffle(values.begin(), values.end(), std::mt19937(3));
    const Statistics s = summarise(values, defaultcoverage);
    ASSERT_TRUE(s.hasinterval);
    EXPECT_DOUBLE_EQ(s.shortlow, c.low);
    EXPECT_DOUBLE_EQ(s.shorthigh, c.high);
    EXPECT_LE(s.shorthigh - s.shortlow, s.high - s.low);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShortestIntervalTest,
    ::testing::Values(ShortestCase{"Convex", [](double i) { return i * i; }, 1, 951 * 951},
                      ShortestCase{"Concave", [](double i) { return std::sqrt(i); },
                                   std::sqrt(50.0), std::sqrt(1000.0)},
                      // Cubes about the middle: the window centred on 500.5
                      // is [y(25), y(975)], 475.5 either side.
                      ShortestCase{"Symmetric", [](double i) { return std::pow(i - 500.5, 3); },
                                   std::pow(-475.5, 3), std::pow(474.5, 3)}),
    [](const ::testing::TestParamInfo<ShortestCase>& info) { return info.param.name; });

// Ten batches of 100, each the values -49.5 .. 49.5 shifted by `shift(b)`.
std::vector<double> batches(double (*shift)(int b)) {
    std::vector<double> values;
    for (int b = 0; b < convergencebatches; ++b)
        for (int j = 99; j >= 0; --j) values.push_back(j - 49.5 + shift(b));
    return values;
}

// Batches alike in every statistic agree from the second on.
TEST(Convergence, BatchesThatAgreeAreStableAtOnce) {
    const std::vector<double> values = batches([](int) { return 0.0; });
    const Convergence c = convergence(values, defaultcoverage, 2);
    ASSERT_TRUE(c.judged);
    EXPECT_EQ(c.batch, 100);
    EXPECT_EQ(c.stableafter, 200);
    EXPECT_EQ(c.spread, (std::array<double, 4>{0, 0, 0, 0}));
    // u = 28.88 (variance 100 * 101 / 12 over 999 / 1000): delta 0.5.
    EXPECT_DOUBLE_EQ(c.tolerance, 0.5);
    // The running mean and interval at the end are the block's own.
    const Statistics s = summarise(values, defaultcoverage);
    ASSERT_FALSE(c.running.empty());
    EXPECT_EQ(c.running.back().n, 1000);
    EXPECT_NEAR(c.running.back().mean, s.mean, 1e-12);
    EXPECT_EQ(c.running.back().low, s.low);
    EXPECT_EQ(c.running.back().high, s.high);
    EXPECT_EQ(c.running.front().n, 10);
    EXPECT_DOUBLE_EQ(c.running.front().mean, 45); // 49.5 down to 40.5
}

// Batches shifted by -10 and +10 in turn: their means, low and high ends
// scatter with a standard deviation of sqrt(10 * 100 / 9) = 10.54, whose
// average over ten batches has 10 / 3; twice that, 6.67, is far above delta.
// u = 30.5 (the batch spread and the shifts): delta 0.5, and the repetitions
// that bring 6.67 down to 0.5 are 1000 (6.67 / 0.5)^2 = 177 778.
TEST(Convergence, BatchesThatDriftAreNotStable) {
    const std::vector<double> values = batches([](int b) { return b % 2 ? 10.0 : -10.0; });
    const Convergence c = convergence(values, defaultcoverage, 2);
    ASSERT_TRUE(c.judged);
    EXPECT_EQ(c.stableafter, 0);
    EXPECT_DOUBLE_EQ(c.tolerance, 0.5);
    EXPECT_NEAR(c.spread[0], 20.0 / 3, 1e-12);
    EXPECT_NEAR(c.spread[1], 0, 1e-12);
    EXPECT_NEAR(c.spread[2], 20.0 / 3, 1e-12);
    EXPECT_NEAR(c.spread[3], 20.0 / 3, 1e-12);
    EXPECT_EQ(c.needed, 177778);
    // One significant digit: delta 5, 6.67 needs 1000 (6.67 / 5)^2 = 1778.
    const Convergence rough = convergence(values, defaultcoverage, 1);
    EXPECT_EQ(rough.needed, 1778);
    EXPECT_FALSE(convergence(std::vector<double>(999, 1.0), defaultcoverage, 2).judged);
}

// The numerical tolerance of JCGM 101 7.9.2: u = 0.028 to two digits is
// 28 x 10^-3, delta = 0.0005 (its own example); to one digit 3 x 10^-2.
TEST(Numericaltolerance, HalfAUnitInTheLastDigit) {
    EXPECT_DOUBLE_EQ(numericaltolerance(0.028, 2), 0.0005);
    EXPECT_DOUBLE_EQ(numericaltolerance(0.028, 1), 0.005);
    EXPECT_DOUBLE_EQ(numericaltolerance(1234, 2), 50); // 12 x 10^2
    EXPECT_DOUBLE_EQ(numericaltolerance(1e-7, 3), 5e-10);
    EXPECT_EQ(numericaltolerance(0, 2), 0);
    EXPECT_EQ(numericaltolerance(std::nan(""), 2), 0);
}

// A built sequence of batches whose means are 10, 10.4, 10.2, 10.2 and
// whose other values agree: twice the standard deviation of the average of
// the means over h batches is 0.4, 0.2309, 0.1633 (by hand: 2 sqrt(0.08 /
// (h (h - 1)))); the adaptive stop at delta 0.25 comes after three batches,
// at delta 0.2 after four.
TEST(Batchspreads, FollowTheAdaptiveRule) {
    const std::vector<BatchValues> sequence = {
        {10, 1, 8, 12}, {10.4, 1, 8, 12}, {10.2, 1, 8, 12}, {10.2, 1, 8, 12}};
    const std::vector<double> expected = {0.4, 2 * std::sqrt(0.08 / 6), 2 * std::sqrt(0.08 / 12)};
    EXPECT_EQ(batchspreads({sequence.front()}), (BatchValues{0, 0, 0, 0}));
    const auto stopsafter = [&](double delta) {
        for (std::size_t h = 2; h <= sequence.size(); ++h) {
            const BatchValues s = batchspreads({sequence.begin(), sequence.begin() + h});
            EXPECT_NEAR(s[0], expected[h - 2], 1e-12) << h;
            for (int k = 1; k < 4; ++k) EXPECT_EQ(s[k], 0) << h;
            if (std::all_of(s.begin(), s.end(), [&](double x) { return x <= delta; })) return h;
        }
        return std::size_t(0);
    };
    EXPECT_EQ(stopsafter(0.25), 3u);
    EXPECT_EQ(stopsafter(0.2), 4u);
    EXPECT_EQ(stopsafter(0.1), 0u);
}

// Guards against sums of squares about zero, which lose every digit of a
// spread of 0.1 on values of 1e8.
TEST(Summarise, KeepsTheDigitsOfLargeNearlyEqualValues) {
    const Statistics s = summarise({1e8 + 0.1, 1e8 + 0.2, 1e8 + 0.3}, defaultcoverage);
    EXPECT_NEAR(s.mean, 1e8 + 0.2, 1e-7);
    EXPECT_NEAR(s.sd, 0.1, 1e-7);
}

// Their sum and their squares overflow: deviations 2/3, -4/3, 2/3 of 1e308
// about the mean 1e308 / 3, variance (4 + 16 + 4) / 9 / 2 = 4/3 of 1e616.
TEST(Summarise, ValuesWhoseSumsOverflow) {
    const Statistics s = summarise({1e308, -1e308, 1e308}, defaultcoverage);
    EXPECT_NEAR(s.mean, 1e308 / 3, 1e294);
    EXPECT_NEAR(s.sd, std::sqrt(4.0 / 3.0) * 1e308, 1e294);
    EXPECT_EQ(makehistogram({1e308, -1e308, 1e308, 0}, 4).counts, (std::vector<long>{1, 0, 1, 2}));
}

TEST(Coveragetext, WholeAndFractionalPercentages) {
    EXPECT_EQ(coveragetext(9500), "95 %");
    EXPECT_EQ(coveragetext(9973), "99.73 %");
    EXPECT_EQ(coveragetext(9950), "99.5 %");
    EXPECT_EQ(coveragetext(9505), "95.05 %");
}

TEST(Makehistogram, CountsEachValueInItsBin) {
    const Histogram h = makehistogram({3, 1, 2, 3, 2, 3}, 3);
    EXPECT_EQ(h.low, 1);
    EXPECT_EQ(h.high, 3);
    EXPECT_EQ(h.counts, (std::vector<long>{1, 2, 3}));
    // Bins [0,1) [1,2) [2,3) [3,4]: the largest value falls in the last.
    EXPECT_EQ(makehistogram({0, 1, 2, 3, 4}, 4).counts, (std::vector<long>{1, 1, 1, 2}));
}

TEST(Makehistogram, EqualValuesMakeOneBarAboutThem) {
    const Histogram h = makehistogram({5, 5, 5}, 10);
    EXPECT_EQ(h.counts, std::vector<long>{3});
    EXPECT_LT(h.low, 5);
    EXPECT_GT(h.high, 5);
}

std::vector<double> withoutlier(double outlier) {
    std::vector<double> v(999);
    std::iota(v.begin(), v.end(), 1.0);
    v.push_back(outlier);
    return v;
}

// 1..999 and one more: quartiles 250.75 and 750.25, so the Freedman-Diaconis
// width is 2 * 499.5 / 1000^(1/3) = 99.9.
TEST(Autobins, FreedmanDiaconisWithinItsBounds) {
    EXPECT_EQ(autobins(withoutlier(5000)), 51); // 4999 / 99.9 = 50.04
    EXPECT_EQ(autobins(withoutlier(1e6)), maxbins);
    std::vector<double> ties(100, 0.0);
    ties.push_back(1);
    EXPECT_EQ(autobins(ties), 11); // quartiles equal: sqrt(101) = 10.05
    EXPECT_EQ(autobins({2, 2, 2}), 1);
    EXPECT_EQ(autobins({1, 2, 3, 4}), minbins);
}

} // namespace
} // namespace formeval::statistics
