// The rules of a job record, read once: every refusal and every break, where
// reading stops, what is kept, and that nothing is written.
#include "base/record.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

// Words split from a text by blanks; the rest of the text stays for a check.
class Textwords : public wordsource {
  public:
    explicit Textwords(const std::string& text) : in_(text) {}
    std::string_view next() override {
        if (!(in_ >> word_)) word_.clear();
        return word_;
    }
    std::string rest() {
        std::string rest;
        std::getline(in_ >> std::ws, rest, '\0');
        return rest;
    }

  private:
    std::istringstream in_;
    std::string word_;
};

std::string manypoints(int count, const std::string& tail) {
    std::string text = std::to_string(count) + " 0.5";
    for (int i = 0; i < count; ++i) text += " 1 2";
    return text + " " + tail;
}

struct Case {
    const char* name;
    std::string text;
    pointform points;
    int minpt;
    recordstatus status;
    int numpt;
    bool hastolerance;
    double tolerance;
    recorditem item; // broken and outofrange: where
    int point;
    int coordinate;
    std::string word;
    std::string rest; // what is left of the text for the next job
};

using rs = recordstatus;
using ri = recorditem;
constexpr pointform xy = pointform::xy;

const Case cases[] = {
    {"Evaluable", "4 1e-6 1 0 0 1 -1 0 0 -1 2600", xy, 4, rs::evaluable, 4, true, 1e-6, ri::count,
     0, 0, "", "2600"},
    {"PlusSignedCount", "+3 0 1 0 0 1 -1 0", xy, 3, rs::evaluable, 3, true, 0, ri::count, 0, 0, "",
     ""},
    {"ThreeCoordinates", "5 2 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 x", pointform::xyz, 5,
     rs::evaluable, 5, true, 2, ri::count, 0, 0, "", "x"},
    {"UnderflowReadsAsZero", "1 1e-400 7 8 9", xy, 1, rs::evaluable, 1, true, 0, ri::count, 0, 0,
     "", "9"},
    {"TooFew", "3 1e-6 1 0 0 1 -1 0 2600", xy, 4, rs::toofew, 3, true, 1e-6, ri::count, 0, 0, "",
     "2600"},
    {"NoPointsAreTooFew", "0 1e-6 2600", xy, 3, rs::toofew, 0, true, 1e-6, ri::count, 0, 0, "",
     "2600"},
    // Read past to the next job, nothing kept.
    {"TooMany", manypoints(2049, "2600"), xy, 4, rs::toomany, 2049, true, 0.5, ri::coordinate, 2048,
     1, "", "2600"},
    {"AtCapacity", manypoints(2048, "2600"), xy, 4, rs::evaluable, 2048, true, 0.5, ri::coordinate,
     2047, 1, "", "2600"},
    // The first coordinate beyond the range, in record order; the bound
    // itself is within it. The record is read to its end all the same.
    {"OutOfRange", "3 0.5 1e100 1 -1.5e100 2 3e100 4 2600", xy, 3, rs::outofrange, 3, true, 0.5,
     ri::coordinate, 1, 0, "", "2600"},
    {"OutOfRangeBeforeTooFew", "2 0.5 1 -2e100 3 4 2600", xy, 3, rs::outofrange, 2, true, 0.5,
     ri::coordinate, 0, 1, "", "2600"},
    // A decimal word too large for a double is a coordinate out of range,
    // like 1e101: the record is refused and read to its end (it once broke
    // the stream, and the run ended).
    {"CoordinateBeyondDoubles", "3 0.5 1 1e400 -1e401 2 3 4 2600", xy, 3, rs::outofrange, 3, true,
     0.5, ri::coordinate, 0, 1, "1e400", "2600"},
    // A tolerance below 0 has no meaning, one beyond the range squares to
    // infinity: the record is refused and read past. -0 is 0.
    {"NegativeTolerance", "4 -1e-6 1 0 0 1 -1 0 0 -1 2600", xy, 4, rs::tolerance, 4, true, -1e-6,
     ri::tolerance, 0, 0, "", "2600"},
    {"ToleranceBeyondDoubles", "4 1e400 1 0 0 1 -1 0 0 -1 2600", xy, 4, rs::tolerance, 4, true,
     HUGE_VAL, ri::tolerance, 0, 0, "1e400", "2600"},
    {"ToleranceMinusZero", "4 -0 1 0 0 1 -1 0 0 -1 2600", xy, 4, rs::evaluable, 4, true, 0,
     ri::count, 0, 0, "", "2600"},
    // Breaks: reading stops at the item.
    // A word longer than any number is none, whatever it holds.
    {"WordLongerThanANumber", "2 0.5 1 0." + std::string(600, '0') + "1 3 4", xy, 2, rs::broken, 2,
     true, 0.5, ri::coordinate, 0, 1, "0." + std::string(600, '0') + "1", "3 4"},
    {"CountMissing", "", xy, 3, rs::broken, 0, false, 0, ri::count, 0, 0, "", ""},
    {"CountNotWhole", "4.0 0.5 1 2", xy, 3, rs::notwhole, 0, false, 0, ri::count, 0, 0, "4.0",
     "0.5 1 2"},
    {"CountBeyondInt", "99999999999 0.5", xy, 3, rs::notwhole, 0, false, 0, ri::count, 0, 0,
     "99999999999", "0.5"},
    {"NegativeCount", "-3 0.5 1 2", xy, 3, rs::negative, -3, true, 0.5, ri::count, 0, 0, "", "1 2"},
    {"NegativeCountWithoutTolerance", "-3", xy, 3, rs::broken, -3, false, 0, ri::tolerance, 0, 0,
     "", ""},
    {"ToleranceNotANumber", "2 inf 1 2", xy, 3, rs::broken, 2, false, 0, ri::tolerance, 0, 0, "inf",
     "1 2"},
    {"CoordinateMissing", "2 0.5 1 2 3", xy, 2, rs::broken, 2, true, 0.5, ri::coordinate, 1, 1, "",
     ""},
    {"CoordinateNotANumber", "2 0.5 1 2 3 1-2 4", xy, 2, rs::broken, 2, true, 0.5, ri::coordinate,
     1, 1, "1-2", "4"},
    // Reading past more than the capacity breaks where the item fails.
    {"TooManyBroken", "3000 0.5 1 2 x 4", xy, 2, rs::broken, 3000, true, 0.5, ri::coordinate, 1, 0,
     "x", "4"},
};

class Readpoints : public testing::TestWithParam<Case> {};

TEST_P(Readpoints, FollowsTheRulesOfARecord) {
    const Case& c = GetParam();
    std::vector<double> store(3 * nsz, -7.25);
    double* const coords[3] = {&store[0], &store[nsz], &store[2 * nsz]};
    Textwords words(c.text);
    std::ostringstream said;
    std::streambuf* console = std::cout.rdbuf(said.rdbuf());
    const recordoutcome r = readpoints(words, c.points, c.minpt, coords);
    std::cout.rdbuf(console);
    EXPECT_EQ(said.str(), "");
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.breaks(),
              c.status == rs::broken || c.status == rs::notwhole || c.status == rs::negative);
    EXPECT_EQ(r.numpt, c.numpt);
    EXPECT_EQ(r.hastolerance, c.hastolerance);
    if (c.hastolerance) {
        EXPECT_EQ(r.tolerance, c.tolerance);
        EXPECT_EQ(std::signbit(r.tolerance), std::signbit(c.tolerance));
    }
    if (c.status == rs::tolerance || c.status == rs::outofrange) { EXPECT_EQ(r.word, c.word); }
    if (c.status == rs::broken || c.status == rs::notwhole) {
        EXPECT_EQ(r.item, c.item);
        EXPECT_EQ(r.word, c.word);
    }
    if (c.status == rs::outofrange || (c.status == rs::broken && c.item == ri::coordinate)) {
        EXPECT_EQ(r.point, c.point);
        EXPECT_EQ(r.coordinate, c.coordinate);
    }
    EXPECT_EQ(words.rest(), c.rest);
    // The points are kept in record order when there is room for them; a
    // record beyond the capacity leaves the arrays as they were.
    std::istringstream numbers(c.text);
    std::string word;
    numbers >> word >> word;
    const int dim = coordinates(c.points);
    const bool kept = c.status == rs::evaluable || c.status == rs::toofew ||
                      c.status == rs::outofrange || c.status == rs::tolerance;
    for (int i = 0; kept && i < c.numpt; ++i)
        for (int d = 0; d < dim; ++d) {
            ASSERT_TRUE(numbers >> word);
            const double value = overflows(word) ? std::copysign(HUGE_VAL, word[0] == '-' ? -1 : 1)
                                                 : *realvalue(word);
            EXPECT_EQ(coords[d][i], value) << i << " " << d;
        }
    if (c.status == rs::toomany) {
        for (const double x : store) ASSERT_EQ(x, -7.25);
    }
    if (c.status == rs::outofrange) { EXPECT_EQ(r.value, coords[c.coordinate][c.point]); }
}

INSTANTIATE_TEST_SUITE_P(Records, Readpoints, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

} // namespace
} // namespace formeval
