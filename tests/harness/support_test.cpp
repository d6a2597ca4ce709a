// The shared test helpers whose mistakes would hide faults: the scan for
// numbers that are not finite, and the names CTest finds tests by.
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <gtest/gtest.h>
#include <string>

namespace formeval {
namespace {

struct Scan {
    const char* name;
    std::string text;
    bool nonfinite;
};

class NonFinite : public testing::TestWithParam<Scan> {};

TEST_P(NonFinite, FindsNanAndInfStandingApartFromLetters) {
    EXPECT_EQ(test::hasnonfinite(GetParam().text), GetParam().nonfinite);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NonFinite,
    testing::Values(Scan{"Nan", "0\tnan\t1", true}, Scan{"MinusInf", "r0=-inf", true},
                    Scan{"UpperCase", "x NAN", true}, Scan{"AtTheEnd", "1 2 inf", true},
                    Scan{"AtTheStart", "Inf\n", true}, Scan{"AfterADigit", "1.5inf", true},
                    Scan{"Finite", "0.5\t-1e-300\t1e+300", false}, Scan{"Empty", "", false},
                    Scan{"InWords", "Infinite information, financial nanometre", false},
                    Scan{"Cut", "na in", false}),
    test::namedby([](const Scan& s) { return s.name; }));

struct Name {
    std::string text;
    std::string name;
};

class TestName : public testing::TestWithParam<Name> {};

TEST_P(TestName, KeepsLettersAndDigitsAndSpellsTheMinus) {
    EXPECT_EQ(test::testname(GetParam().text), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Texts, TestName,
                         testing::Values(Name{"2600 -3 0.000001", "2600_minus3_0_000001"},
                                         Name{"--digits 0", "digits_0"}, Name{"  \n", "Blank"},
                                         Name{"Answer 5\n", "Answer_5"}, Name{"a-b", "a_b"}),
                         test::namedby([](const Name& n) { return n.name; }));

TEST(TestName, NumbersReadAsPrinted) {
    EXPECT_EQ(test::testname(0.003), "0_003");
    EXPECT_EQ(test::testname(-3000.0), "minus3000");
    EXPECT_EQ(test::testname(std::vector<double>{}), "None");
    EXPECT_EQ(test::testname(std::vector<double>{-0.5, 2}), "minus0_5_2");
}

} // namespace
} // namespace formeval
