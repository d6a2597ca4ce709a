// What the pointset library does in every build: the exact references where
// it was built with CGAL and GLPK, a refusal that says why where not; the
// certificate's judgement and the scaling to unit size.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace formeval::pointset {
namespace {

// Four points of the unit circle about (3, 4): every reference is that circle.
const std::vector<Point> square = {{4, 4, 0}, {3, 5, 0}, {2, 4, 0}, {3, 3, 0}};

TEST(Pointset, ExactReferencesOrWhyNot) {
    if (!exactreferences()) {
        EXPECT_THROW(minzone(square, 2), Unavailable);
        EXPECT_THROW(enclosingcircle(square), Unavailable);
        EXPECT_THROW(inscribedcircle(square), Unavailable);
        EXPECT_THROW(chebyshevzone({{1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}}, {0, 1}, 2), Unavailable);
        return;
    }
    const RadialZone z = minzone(square, 2);
    ASSERT_TRUE(z.found);
    EXPECT_NEAR(z.centre[0], 3, 1e-12);
    EXPECT_NEAR(z.centre[1], 4, 1e-12);
    EXPECT_NEAR(z.zone, 0, 1e-12);
    for (const ExtremeCircle& c : {enclosingcircle(square), inscribedcircle(square)}) {
        ASSERT_TRUE(c.found);
        EXPECT_NEAR(c.r, 1, 1e-12);
        EXPECT_TRUE(c.certificate.certified) << c.certificate.why;
    }
}

struct JudgeCase {
    const char* name;
    double lower, upper, error, scale;
    bool certified;
};

void PrintTo(const JudgeCase& c, std::ostream* out) {
    *out << c.name;
}

class JudgeTest : public ::testing::TestWithParam<JudgeCase> {};

// Certified within 1e-9 of the error plus 64 rounding units of the scale.
TEST_P(JudgeTest, WithinTheGap) {
    const JudgeCase& c = GetParam();
    Certificate cert;
    cert.lower = c.lower;
    cert.upper = c.upper;
    EXPECT_EQ(judge(cert, c.error, c.scale, "too far apart"), c.certified);
    EXPECT_EQ(cert.certified, c.certified);
    EXPECT_EQ(cert.why, c.certified ? "" : "too far apart");
}

const double unit = std::numeric_limits<double>::epsilon();

INSTANTIATE_TEST_SUITE_P(
    Bounds, JudgeTest,
    ::testing::Values(JudgeCase{"Equal", 1, 1, 1, 0, true},
                      JudgeCase{"WithinTheRelativeGap", 1, 1 + 0.5e-9, 1, 0, true},
                      JudgeCase{"BeyondTheRelativeGap", 1, 1 + 2e-9, 1, 0, false},
                      JudgeCase{"NoErrorButRounding", 100, 100 + 32 * 100 * unit, 0, 100, true},
                      JudgeCase{"NoErrorBeyondRounding", 100, 100 + 128 * 100 * unit, 0, 100,
                                false}),
    [](const ::testing::TestParamInfo<JudgeCase>& info) { return info.param.name; });

// Scaling by a power of two is exact: a circle found at unit size comes back
// at the points' own size, its certificate too.
TEST(Atunitsize, ScalesTheCircleBack) {
    const std::vector<Point> big = {{1024, 0, 0}, {0, 1024, 0}};
    const ExtremeCircle c = atunitsize(big, [](const std::vector<Point>& p) {
        ExtremeCircle out;
        out.found = true;
        out.x = p[0][0];
        out.y = p[1][1];
        out.r = p[0][0] / 2;
        out.certificate.lower = out.certificate.upper = out.r;
        return out;
    });
    EXPECT_EQ(unitexponent(1024), 11);
    EXPECT_EQ(c.x, 1024);
    EXPECT_EQ(c.y, 1024);
    EXPECT_EQ(c.r, 512);
    EXPECT_EQ(c.certificate.lower, 512);
    EXPECT_EQ(c.certificate.upper, 512);
}

} // namespace
} // namespace formeval::pointset
