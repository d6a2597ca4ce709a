// The statement's rounding, the decision rules, the coverage factor of a
// Gaussian and the adaptive batch, against values worked out by hand.
#include "tests/harness/harness.h"
#include "uncertainty/uncertainty.h"

#include <cmath>
#include <gtest/gtest.h>

namespace formeval::uncertainty {
namespace {

struct RoundCase {
    double y, U, low, high;
    int digits;
    Rounded expected;
};

class Rounding : public ::testing::TestWithParam<RoundCase> {};

TEST_P(Rounding, KeepsTwoDigitsOfUAndRoundsTheIntervalOutwards) {
    const RoundCase c = GetParam();
    const Rounded r = roundstatement(c.y, c.U, c.low, c.high, c.digits);
    EXPECT_EQ(r.decimals, c.expected.decimals);
    EXPECT_DOUBLE_EQ(r.U, c.expected.U);
    EXPECT_DOUBLE_EQ(r.y, c.expected.y);
    EXPECT_DOUBLE_EQ(r.low, c.expected.low);
    EXPECT_DOUBLE_EQ(r.high, c.expected.high);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Rounding,
    ::testing::Values(
        // 0.0000517 mm: two digits at the sixth place.
        RoundCase{25.0000486,
                  0.0000517,
                  24.9999972,
                  25.0001003,
                  2,
                  {25.000049, 0.000052, 24.999997, 25.000101, 6}},
        // 0.0996 rounds to 0.100: the second digit is one place higher.
        RoundCase{3.14159, 0.0996, 3.04, 3.241, 2, {3.14, 0.10, 3.04, 3.25, 2}},
        // Above the unit: U 1234 keeps 1200, y to the hundreds.
        RoundCase{98765.4, 1234, 97531.1, 99999.9, 2, {98800, 1200, 97500, 100000, -2}},
        // One digit: 0.14 would fall to 0.1, by 29 %: upwards, 0.2 (EA-4/02).
        RoundCase{1.234, 0.14, 1.09, 1.38, 1, {1.2, 0.2, 1.0, 1.4, 1}},
        // One digit: 0.104 falls by 3.8 %: 0.1.
        RoundCase{-2.0437, 0.104, -2.15, -1.94, 1, {-2.0, 0.1, -2.2, -1.9, 1}},
        // No uncertainty: nothing rounded.
        RoundCase{7.123456789, 0, 7.1, 7.2, 2, {7.123456789, 0, 7.1, 7.2, 0}}),
    test::namedby([](const RoundCase& c) {
        return test::testname(std::vector<double>{c.U, double(c.digits)});
    }));

struct VerdictCase {
    double y, U;
    Limits limits;
    Rule rule;
    Verdict expected;
};

class Decision : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Decision, FollowsTheRule) {
    const VerdictCase c = GetParam();
    EXPECT_EQ(decide(c.y, c.U, c.limits, c.rule), c.expected)
        << verdictname(decide(c.y, c.U, c.limits, c.rule));
}

constexpr double none = -std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, Decision,
    ::testing::Values(
        // A form error against its upper limit 10.
        VerdictCase{7, 2, {none, 10}, Rule::guarded, Verdict::conformance},
        VerdictCase{8, 2, {none, 10}, Rule::guarded, Verdict::conformance}, // y + U at the limit
        VerdictCase{9, 2, {none, 10}, Rule::guarded, Verdict::undecided},
        VerdictCase{12, 2, {none, 10}, Rule::guarded, Verdict::undecided}, // y - U at the limit
        VerdictCase{12.5, 2, {none, 10}, Rule::guarded, Verdict::nonconformance},
        VerdictCase{9, 2, {none, 10}, Rule::simple, Verdict::accepted},
        VerdictCase{10.5, 2, {none, 10}, Rule::simple, Verdict::rejected},
        // A diameter between 24.99 and 25.01.
        VerdictCase{25.002, 0.005, {24.99, 25.01}, Rule::guarded, Verdict::conformance},
        VerdictCase{24.993, 0.005, {24.99, 25.01}, Rule::guarded, Verdict::undecided},
        VerdictCase{24.984, 0.005, {24.99, 25.01}, Rule::guarded, Verdict::nonconformance},
        VerdictCase{24.989, 0.005, {24.99, 25.01}, Rule::simple, Verdict::rejected}),
    test::namedby([](const VerdictCase& c) {
        return test::testname(std::vector<double>{c.y, c.U, c.limits.low, c.limits.high}) +
               (c.rule == Rule::simple ? "_simple" : "_guarded");
    }));

// k of a Gaussian: erf(k / sqrt 2) is the coverage probability, to rounding.
TEST(GaussianFactor, IsTheNormalQuantile) {
    EXPECT_NEAR(gaussianfactor(9500), 1.959963984540054, 1e-14);
    EXPECT_NEAR(gaussianfactor(9900), 2.5758293035489004, 1e-13);
    for (const Basispoints p : {1, 5000, 6827, 9545, 9973, 9999}) {
        const double k = gaussianfactor(p);
        EXPECT_NEAR(std::erf(k / std::sqrt(2.0)), p / 10000.0, 4e-16) << p;
    }
    EXPECT_EQ(gaussianfactor(0), 0);
    EXPECT_EQ(gaussianfactor(10000), 0);
}

// max(J, 10^4), J the least whole number >= 100 / (1 - p).
TEST(AdaptiveBatch, IsTheLargerOfJAndTenThousand) {
    EXPECT_EQ(adaptivebatch(9500), 10000);   // J = 2000
    EXPECT_EQ(adaptivebatch(9900), 10000);   // J = 10000
    EXPECT_EQ(adaptivebatch(9973), 37038);   // J = 37037.04.. rounded up
    EXPECT_EQ(adaptivebatch(9999), 1000000); // J = 10^6
}

} // namespace
} // namespace formeval::uncertainty
