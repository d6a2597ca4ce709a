// formreport's axis ticks, number parsing, the charts' value labels, the
// escaping of quoted input and the convergence verdict, against values
// worked out by hand.
#include "report/charts/canvas.h"
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace formeval::report {
namespace {

struct VerdictCase {
    const char* name;
    bool judged;
    long stableafter;
    double tolerance;
    long needed;
    const char* verdict;
};

void PrintTo(const VerdictCase& c, std::ostream* out) {
    *out << c.name;
}

class VerdictTest : public ::testing::TestWithParam<VerdictCase> {};

// A block of 1000 repetitions: stable, not stable with the study that would
// do, not stable beyond the largest study, and too short to judge.
TEST_P(VerdictTest, SaysWhetherTheRepetitionsWereEnough) {
    const VerdictCase& v = GetParam();
    Convergence c;
    c.judged = v.judged;
    c.stableafter = v.stableafter;
    c.tolerance = v.tolerance;
    c.needed = v.needed;
    EXPECT_EQ(convergenceverdict(c, 1000), v.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, VerdictTest,
    ::testing::Values(
        VerdictCase{"Stable", true, 200, 0.5, 0,
                    "stable after 200 of 1000 repetitions (delta 0.5)"},
        VerdictCase{"BeyondTheLargestStudy", true, 0, 0.5, 177778,
                    "not stable in 1000 repetitions (delta 0.5); about 177778 needed, more than "
                    "the largest study's 100000"},
        VerdictCase{"AStudyOfTenThousand", true, 0, 5, 1778,
                    "not stable in 1000 repetitions (delta 5); about 1778 needed: a study of "
                    "10000"},
        VerdictCase{"TooShort", false, 0, 0, 0,
                    "too few repetitions to judge: the check needs 10 batches of at least 100"}),
    [](const ::testing::TestParamInfo<VerdictCase>& info) { return info.param.name; });

TEST(Ticks, StepsOfOneTwoOrFive) {
    const Ticks t = ticks(0.0027, 0.0063, 6); // rough step 0.0006: 0.001
    EXPECT_DOUBLE_EQ(t.step, 0.001);
    ASSERT_EQ(t.values.size(), 4u);
    EXPECT_NEAR(t.values.front(), 0.003, 1e-15);
    EXPECT_NEAR(t.values.back(), 0.006, 1e-15);
    const Ticks u = ticks(-0.01, 0.01, 4); // rough 0.005
    EXPECT_DOUBLE_EQ(u.step, 0.005);
    EXPECT_EQ(u.values.size(), 5u);
    EXPECT_EQ(u.values[2], 0.0);
}

// Near 1e17 the doubles lie 16 apart: ticks every 10 cannot all be told
// apart, and the tick counter k ~ 1e16 no longer changes when 1 is added.
TEST(Ticks, CountedWhereTheDoublesAreCoarserThanTheStep) {
    const double low = 1e17;
    const double high = 1e17 + 48;
    const Ticks t = ticks(low, high, 6);
    EXPECT_DOUBLE_EQ(t.step, 10); // rough step 48 / 6
    ASSERT_FALSE(t.values.empty());
    EXPECT_LE(t.values.size(), 5u);
    for (std::size_t i = 0; i < t.values.size(); ++i) {
        EXPECT_GE(t.values[i], low);
        EXPECT_LE(t.values[i], high);
        if (i > 0) { EXPECT_GT(t.values[i], t.values[i - 1]); }
    }
    EXPECT_TRUE(ticks(-1e308, 1e308, 6).values.empty()); // the span overflows
}

TEST(Ticklabel, DigitsDownToTheStep) {
    EXPECT_EQ(ticklabel(100, 50), "100");
    EXPECT_EQ(ticklabel(100.0000012, 2e-7), "100.0000012");
    EXPECT_EQ(ticklabel(0.0025, 0.0005), "0.0025");
    EXPECT_EQ(ticklabel(-0.002, 0.002), "-0.002");
    EXPECT_EQ(ticklabel(25000, 5000), "25000");
    EXPECT_EQ(ticklabel(0, 0.1), "0");
}

TEST(Parsenumber, WholeTokensOfFiniteNumbers) {
    EXPECT_EQ(parsenumber("1.5"), 1.5);
    EXPECT_EQ(parsenumber("+2"), 2.0);
    EXPECT_EQ(parsenumber("-0.25e-3"), -0.25e-3);
    for (const char* bad : {"", "1e400", "inf", "nan", "1.5abc", "0x10", "+-1", "--1", "1,5"})
        EXPECT_FALSE(parsenumber(bad)) << bad;
    EXPECT_EQ(parseint("2600"), 2600);
    EXPECT_EQ(parseint("+5"), 5);
    EXPECT_EQ(parseint("-3"), -3);
    for (const char* bad : {"", "2600.0", "99999999999", "12a", "1e3"})
        EXPECT_FALSE(parseint(bad)) << bad;
}

struct LabelCase {
    const char* name;
    double value;
    int digits;
    double resolution;
    const char* shown;
};

void PrintTo(const LabelCase& c, std::ostream* out) {
    *out << c.name;
}

class LabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelTest, OneValuePrintedOneWay) {
    const LabelCase& c = GetParam();
    EXPECT_EQ(formatlabel(c.value, c.digits, c.resolution), c.shown);
}

// -1.175 as two computations leave it: either side of the decimal half, by
// a unit of the last binary digit; halves rounded away from zero.
constexpr double below = -1.1749999999999998, above = -1.1750000000000002;

INSTANTIATE_TEST_SUITE_P(
    Values, LabelTest,
    ::testing::Values(LabelCase{"HalfFromBelow", below, 3, 2.35e-6, "-1.18"},
                      LabelCase{"HalfFromAbove", above, 3, 2.35e-6, "-1.18"},
                      LabelCase{"PositiveHalf", -below, 3, 2.35e-6, "1.18"},
                      LabelCase{"WithoutAResolution", below, 3, 0, "-1.18"},
                      LabelCase{"ResolutionNotFinite", above, 3,
                                std::numeric_limits<double>::infinity(), "-1.18"},
                      LabelCase{"ExactBinaryHalf", 0.125, 2, 1e-9, "0.13"},
                      LabelCase{"FourDigits", 3.1333333333, 4, 3.1e-6, "3.133"},
                      LabelCase{"CarryIntoANewDigit", 9.9951, 3, 1e-6, "10"},
                      LabelCase{"CarryInExponentForm", -9.99951e-7, 4, 1e-13, "-1e-06"},
                      LabelCase{"ExponentForm", 1.2345e-7, 3, 1e-13, "1.23e-07"},
                      LabelCase{"Large", 123456.5, 3, 1e-3, "1.23e+05"},
                      LabelCase{"NoiseAboutZero", -4e-9, 3, 1e-6, "0"},
                      LabelCase{"NegativeZero", -0.0, 3, 1e-6, "0"},
                      LabelCase{"TinyBesideAHugeResolution", 1e-300, 3, 1e300, "0"},
                      LabelCase{"Huge", 1.23456e300, 3, 1e-300, "1.23e+300"}),
    test::namedby([](const LabelCase& c) { return std::string(c.name); }));

// Decimal values with four places computed two ways, as sums and as
// quotients, against their rounding to three digits worked out on the
// integer of tenths of thousandths: always one text.
TEST(Formatlabel, DecimalValuesAgainstIntegerRounding) {
    std::mt19937 random(11);
    std::uniform_int_distribution<long> tenths(-99999, 99999);
    for (int k = 0; k < 20000; ++k) {
        const long n = tenths(random);
        if (std::labs(n) < 1000) continue; // three digits of n need four of its own
        const double quotient = static_cast<double>(n) / 1e4;
        const double sum = static_cast<double>(n - 7) * 1e-4 + 7e-4;
        // Rounded by hand: n has 4 or 5 digits, three kept, a half away from zero.
        const long magnitude = std::labs(n);
        const long unit = magnitude >= 10000 ? 100 : 10;
        const long kept = (magnitude + unit / 2) / unit * unit;
        const std::string expected =
            formatnumber((n < 0 ? -1.0 : 1.0) * static_cast<double>(kept) / 1e4, 3);
        ASSERT_EQ(formatlabel(quotient, 3, 1e-7), expected) << n;
        ASSERT_EQ(formatlabel(sum, 3, 1e-7), expected) << n;
    }
}

// What a computation said, on one line: blanks squeezed; a message said
// again and again (an unended one runs into the next) given once with its
// count, where first said; without such a message the text as said.
TEST(Oneline, FoldsAMessageSaidAgain) {
    std::string thousand;
    for (int k = 0; k < 1000; ++k) thousand += "Coefficient matrix is singular";
    const std::pair<std::string, std::string> cases[] = {
        {"  The fit\n of stage 1 met\t a wall \n", "The fit of stage 1 met a wall"},
        // Said once each: as said.
        {"Coefficient matrix is singularThe fit of stage 1 met a wall",
         "Coefficient matrix is singularThe fit of stage 1 met a wall"},
        {thousand + "ntri=21\nContinue?Y/N\n",
         "Coefficient matrix is singular (1000 times) ntri=21 Continue?Y/N"},
        {"a\nb\na\n", "a (2 times) b"},
        {"", ""}};
    for (const auto& [said, line] : cases) EXPECT_EQ(oneline(said), line) << said;
    std::string long1;
    for (int k = 0; k < 100; ++k) long1 += "stage " + std::to_string(k) + "\n";
    EXPECT_EQ(oneline(long1).size(), 304u);
}

TEST(Withunit, NamesTheUnitOrSaysTheCoordinates) {
    EXPECT_EQ(withunit("x", "mm"), "x (mm)");
    EXPECT_EQ(withunit("position along the line", "\u00b5m"), "position along the line (\u00b5m)");
    EXPECT_EQ(withunit("x", defaultunit), "x (coordinate units)");
    EXPECT_EQ(subunit("mm", 0.002).coordinates, "mm");
    EXPECT_EQ(subunit(defaultunit, 0.002).coordinates, defaultunit);
}

struct FixedCase {
    double value;
    int decimals;
    const char* shown;
};

class FixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedTest, NoNegativeZero) {
    EXPECT_EQ(formatfixed(GetParam().value, GetParam().decimals), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Values, FixedTest,
                         ::testing::Values(FixedCase{-2.4e-15, 5, "0.00000"},
                                           FixedCase{-0.0, 2, "0.00"},
                                           FixedCase{-0.0004, 3, "0.000"}, FixedCase{-0.4, 0, "0"},
                                           FixedCase{-0.0006, 3, "-0.001"},
                                           FixedCase{-1.25, 1, "-1.2"}, FixedCase{-10.0, 0, "-10"},
                                           FixedCase{1e-9, 5, "0.00000"},
                                           FixedCase{-1e-30, 18, "-1.0000000000000001e-30"}),
                         test::namedby([](const FixedCase& c) {
                             return test::testname(c.value) + "_" + std::to_string(c.decimals);
                         }));

// The numbers formreport prints are printed by to_chars, and must read as
// printf prints them (%.*g, and %.*f but for negative zero): random values
// over every magnitude, at every precision, and the cases where the two
// could part: ties of the decimal rounding, the largest and smallest
// doubles, zeros, infinities and NaN.
TEST(Formatnumber, PrintsWhatPrintfPrints) {
    std::mt19937_64 gen(17);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> power(-320, 308);
    std::vector<double> values = {0.125,
                                  0.375,
                                  2.5,
                                  1e21,
                                  5e-324,
                                  1.7976931348623157e308,
                                  1e-310,
                                  0.0,
                                  1.0 / 3,
                                  1e15,
                                  123456789012345678.0,
                                  -0.0,
                                  9.99995,
                                  0.05,
                                  -1.25,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int k = 0; k < 3000; ++k) values.push_back(unit(gen) * std::pow(10.0, power(gen)));
    for (const double v : values)
        for (int precision = 0; precision <= 17; ++precision) {
            char text[400];
            std::snprintf(text, sizeof text, "%.*g", precision, v);
            ASSERT_EQ(formatnumber(v, precision), text) << v << " %." << precision << "g";
            std::snprintf(text, sizeof text, "%.*f", precision, v);
            const std::string fixed = formatfixed(v, precision);
            if (text[0] == '-' && fixed[0] != '-')
                ASSERT_EQ("-" + fixed, text) << v << " %." << precision << "f";
            else
                ASSERT_EQ(fixed, text) << v << " %." << precision << "f";
        }
}

struct PrintableCase {
    const char* name;
    std::string_view text;
    const char* shown;
};

void PrintTo(const PrintableCase& c, std::ostream* out) {
    *out << c.name;
}

class PrintableTest : public ::testing::TestWithParam<PrintableCase> {};

TEST_P(PrintableTest, EscapesWhatDoesNotPrint) {
    EXPECT_EQ(printable(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, PrintableTest,
    ::testing::Values(PrintableCase{"Ascii", "r0=1 'x' \\ ~", "r0=1 'x' \\ ~"},
                      PrintableCase{"Nul", std::string_view("a\0b", 3), "a\\x00b"},
                      PrintableCase{"Controls", "\t\n\r\x1b\x7f", "\\t\\n\\r\\x1b\\x7f"},
                      PrintableCase{"Micro", "\xc2\xb5m", "\xc2\xb5m"},               // U+00B5
                      PrintableCase{"Emoji", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"}, // U+1F600
                      PrintableCase{"Latin1", "\xb5m", "\\xb5m"},
                      PrintableCase{"C1Control", "\xc2\x85", "\\xc2\\x85"},
                      PrintableCase{"Overlong", "\xc0\xaf", "\\xc0\\xaf"},
                      PrintableCase{"OverlongThreeBytes", "\xe0\x80\xaf", "\\xe0\\x80\\xaf"},
                      PrintableCase{"Surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
                      PrintableCase{"BeyondUnicode", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                      PrintableCase{"CutSequenceThenAscii", "\xe2\x82x", "\\xe2\\x82x"}),
    [](const ::testing::TestParamInfo<PrintableCase>& info) { return info.param.name; });

} // namespace
} // namespace formeval::report
