// The batch's trend chart: one mark a part at its form error, in the order
// of the batch, the failing part above the tolerance line and the others
// below it, and the texts that say what it shows.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace formeval::report {
namespace {

constexpr Rgb tcolour = {0.12, 0.47, 0.71};
constexpr Rgb failcolour = {0.84, 0.15, 0.16};

// The middle of an element's path along x (axis 0) or y (axis 1).
double middle(const test::Element* e, int axis) {
    double low = 1e300, high = -1e300;
    for (const auto& v : test::vertices(e->attributes.at("d"))) {
        const double c = axis == 0 ? v.first : v.second;
        low = std::min(low, c);
        high = std::max(high, c);
    }
    return (low + high) / 2;
}

// Errors 0.04, 0.02 and 0.06 mm against 0.05 mm: the third part fails.
TEST(Trend, EachPartAtItsErrorAboutTheTolerance) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(8, 0.02) + "2500 " +
                              test::alternating(8, 0.01) + "2500 " + test::alternating(8, 0.03));
    const test::ReportOutcome o = test::report(
        {"results", "cir1.txt", "--tolerance", "0.05", "--unit", "mm", "--trend", "trend.svg"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "trend.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    const std::vector<std::string> texts = svg.texts();
    for (const char* t :
         {"Trend of 3 parts, minimum zone", "Filter: none; 2 pass, 1 fail, 0 undecided",
          "RONt, RONp, RONv, RONq (\u00b5m)", "tolerance 50 \u00b5m",
          "part, in the order of the batch"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
    const auto passes = test::fills(svg, tcolour);
    const auto fails = test::fills(svg, failcolour);
    ASSERT_EQ(passes.size(), 2u);
    ASSERT_EQ(fails.size(), 1u);
    const auto tolerance = test::strokes(svg, failcolour, 1.2);
    ASSERT_EQ(tolerance.size(), 1u);
    const double line = middle(tolerance[0], 1);
    // SVG's y grows downwards: above the line is a smaller y.
    EXPECT_LT(middle(fails[0], 1), line);
    for (const auto* p : passes) EXPECT_GT(middle(p, 1), line);
    // In order: the second part lowest, the failing third rightmost.
    EXPECT_GT(middle(passes[1], 1), middle(passes[0], 1));
    EXPECT_GT(middle(fails[0], 0), middle(passes[1], 0));
    EXPECT_GT(middle(passes[1], 0), middle(passes[0], 0));
}

// A name ending in .png gets a PNG picture, anything else SVG.
TEST(Trend, APngWhenTheNameSaysSo) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(8) + "2500 " + test::alternating(8, 0.02));
    for (const char* name : {"trend.png", "trend.svg", "trend"}) {
        const test::ReportOutcome o = test::report({"results", "cir1.txt", "--trend", name});
        ASSERT_EQ(o.status, exitok) << o.err;
        const std::string head = test::readfile(dir.path() / name).substr(0, 8);
        EXPECT_EQ(head == "\x89PNG\r\n\x1a\n", std::string(name) == "trend.png") << name;
    }
}

TEST(Trend, AFileThatCannotBeWrittenIsAnError) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(8));
    const test::ReportOutcome o =
        test::report({"results", "cir1.txt", "--trend", "missing/dir/trend.svg"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_NE(o.err.find("missing/dir/trend.svg"), std::string::npos) << o.err;
}

} // namespace
} // namespace formeval::report
