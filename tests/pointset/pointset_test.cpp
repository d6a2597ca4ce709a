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
    for (const Criterion c :
         {Criterion::minimumzone, Criterion::circumscribed, Criterion::inscribed}) {
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

// The vocabulary every front end reads: a feature by its name, with the
// coordinates of its points, its fewest points and its ISO stem; a criterion
// by any of the names the tools give it; which criteria a feature has.
TEST(Pointset, FeaturesAndCriteriaByName) {
    struct Named {
        const char* name;
        int dimension;
        std::size_t fewest;
        const char* stem;
        bool radius;
    };
    const std::vector<Named> named = {{"line", 2, 2, "STR", false},
                                      {"plane", 3, 3, "FLT", false},
                                      {"circle", 2, 3, "RON", true},
                                      {"sphere", 3, 4, "SPH", true},
                                      {"cylinder", 3, 5, "CYL", true}};
    ASSERT_GE(features.size(), named.size()); // a later feature comes after these
    for (const Named& n : named) {
        const std::optional<Feature> f = featurenamed(n.name);
        ASSERT_TRUE(f) << n.name;
        EXPECT_STREQ(featurename(*f), n.name);
        EXPECT_EQ(traits(*f).dimension, n.dimension) << n.name;
        EXPECT_EQ(traits(*f).fewest, n.fewest) << n.name;
        EXPECT_STREQ(isostem(*f), n.stem);
        EXPECT_EQ(applies(Criterion::inscribed, *f), n.radius) << n.name;
        EXPECT_TRUE(applies(Criterion::minimumzone, *f)) << n.name;
    }
    EXPECT_FALSE(featurenamed("Circle"));
    EXPECT_FALSE(featurenamed("torus"));
    for (const char* name :
         {"circumscribed", "minimum circumscribing", "minimum circumscribed", "peak"})
        EXPECT_EQ(criterionnamed(name), Criterion::circumscribed) << name;
    for (const char* name : {"inscribed", "maximum inscribing", "maximum inscribed", "valley"})
        EXPECT_EQ(criterionnamed(name), Criterion::inscribed) << name;
    EXPECT_EQ(criterionnamed("least squares"), Criterion::leastsquares);
    EXPECT_EQ(criterionnamed("minimum zone"), Criterion::minimumzone);
    EXPECT_FALSE(criterionnamed("minimum-zone"));
    // Every feature's fewest points are what evaluate takes: one fewer is refused.
    for (const FeatureTraits& t : features) {
        const std::vector<double> few((t.fewest - 1) * t.dimension, 1.0);
        const Points p{few.data(), t.fewest - 1, t.dimension,
                       static_cast<std::size_t>(t.dimension)};
        EXPECT_NE(evaluate(p, t.feature, Criterion::leastsquares).failure.find("too few points"),
                  std::string::npos)
            << t.name;
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
