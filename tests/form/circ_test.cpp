// The linearised minimum-zone circle fit about a trial centre.
#include "form/form.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace formeval {
namespace {

using test::pi;

TEST(Circ, AlternatingRadiiAboutTheTrialCentre) {
    test::Session session;
    oqt = 1;
    cri = 1e-9;
    // Eight points at 45 degree steps, radii 10.5 and 9.5 in turn: the
    // minimum-zone circle is centred on the trial centre with radius 10.
    double x[8], y[8];
    for (int i = 0; i < 8; ++i) {
        const double r = i % 2 ? 9.5 : 10.5;
        x[i] = r * std::cos(i * pi / 4);
        y[i] = r * std::sin(i * pi / 4);
    }
    double gs[5] = {};
    circ(x, y, gs, 8);
    EXPECT_NEAR(gs[0], 10, 1e-12);
    EXPECT_NEAR(gs[1], 0, 1e-12);
    EXPECT_NEAR(gs[2], 0, 1e-12);
    EXPECT_EQ(session.console(), "");
}

TEST(Circ, PointAtTheTrialCentreGivesAFiniteFit) {
    test::Session session;
    oqt = 1;
    cri = 1e-9;
    const double x[6] = {2.1, 0, -1.9, 0.1, 0, 1.4};
    const double y[6] = {0, 2, 0.1, -2.05, 0, 1.45};
    double gs[5] = {};
    circ(x, y, gs, 6);
    for (int j = 0; j < 3; ++j) EXPECT_TRUE(std::isfinite(gs[j]));
}

} // namespace
} // namespace formeval
