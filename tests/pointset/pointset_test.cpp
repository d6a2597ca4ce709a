// What the pointset library does in every build: every reference where it
// was built with CGAL, a refusal that says why where not; the certificate's
// judgement.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace formeval::pointset {
namespace {

// Four points of the unit circle about (3, 4): every reference is that circle.
const std::vector<double> square = {4, 4, 3, 5, 2, 4, 3, 3};

TEST(Pointset, ExactReferencesOrWhyNot) {
    const Points points{square.data(), 4, 2, 2};
    for (const Criterion c : {Criterion::minimumzone, Criterion::circumscribed,
                              Criterion::inscribed}) {
        const Reference r = evaluate(points, Feature::circle, c);
        if (!exactreferences() && c == Criterion::circumscribed) {
            EXPECT_FALSE(r.found);
            EXPECT_EQ(r.failure, "built without CGAL: no circumscribed feature");
            continue;
        }
        ASSERT_TRUE(r.found) << r.failure;
        EXPECT_NEAR(r.point[0], 3, 1e-12);
        EXPECT_NEAR(r.point[1], 4, 1e-12);
        EXPECT_NEAR(r.radius, 1, 1e-12);
        EXPECT_NEAR(r.t, 0, 1e-12);
        EXPECT_TRUE(r.certificate.certified) << r.certificate.why;
        EXPECT_FALSE(r.onhull);
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

} // namespace
} // namespace formeval::pointset
