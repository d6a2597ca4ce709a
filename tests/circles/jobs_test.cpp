// Jobs 2700 and 2800 end to end: the whole output of a small job, records
// that cannot be evaluated, and prompting cases run with a closed console,
// which must end.
#include "tests/circles/support.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>
#include <string>

namespace formeval {
namespace {

using test::count;

const std::string unitcircle = "4 0.000001 1 0 0 1 -1 0 0 -1\n";
const std::string listing = "\n1    0    0\n0    1    0\n-1    0    0\n0    -1    0";

// Four points on the unit circle: the least-squares start already fits, every
// deviation is exactly 0, so every scan takes the last of four equal points.
TEST(Pkcirco, UnitCircleWritesEveryItem) {
    test::Run setup;
    setup.jobs = "2700 " + unitcircle;
    const auto out = test::run(setup);
    const std::string lines = "\nPeak points4,3,2\nmccr0=1mccx0=0mccy0=0"
                              "\nMinimum Circumscribing Circle Circularity error= 0";
    EXPECT_EQ(out.console, "Started Peak circle circulatity calculation"
                           "\nStage Number = 1\nerlsq=0\nCurrent distance to centre=0" +
                               listing + lines + "\a");
    EXPECT_EQ(out.result, "\nStage Number = 1\nCurrent distance to centre=0"
                          "\nMinimum zone r0=1x0=0y0=0" +
                              listing +
                              "\np[0]=0\np[0]=0\np[0]=0\np[0]=0"
                              "\nMinimum zone peak circle r0=1mzpcx0=0mzpcy0=0"
                              "\np[1]=0\np[1]=0\np[1]=0\np[2]=0\np[2]=0"
                              "\n Minimum Zone Peak points4,3,2"
                              "\nPeakcr0=1Peakcrx0=0Peakcry0=0"
                              "\nerr[0]=0\nerr[1]=0\nerr[2]=0\nerr[3]=0" +
                              listing + lines);
    EXPECT_EQ(out.intres, "");
    EXPECT_EQ(out.status, 0);
}

TEST(Vacirco, UnitCircleWritesEveryItem) {
    test::Run setup;
    setup.jobs = "2800 " + unitcircle;
    const auto out = test::run(setup);
    const std::string lines = "\nValley points4,3,2\nmicr0=1micx0=0micy0=0"
                              "\nMaximum Inscribing Circle Circularity error= 0";
    EXPECT_EQ(out.console, "Started Valley circle calculation"
                           "\nStage Number = 1\nerlsq=0\nCurrent distance to centre=0" +
                               listing + lines + "\a");
    EXPECT_EQ(out.result, "\nStage Number = 1\nCurrent distance to centre=0"
                          "\nMinimum zone r0=1x0=0y0=0" +
                              listing +
                              "\nMinimum zone valley circle r0=1mzvcx0=0mzvcy0=0"
                              "\n Minimum Zone Valley points4,3,2"
                              "\nmicr0=1micx0=0micy0=0"
                              "\nerr[1]=0\nerr[2]=0\nerr[3]=0\nerr[4]=0" +
                              listing + lines);
    EXPECT_EQ(out.status, 0);
}

TEST(PeakAndValleyJobs, ThreePointsAreRejectedAndTheRunGoesOn) {
    test::Run setup;
    setup.jobs = "2700 3 0.000001 1 0 0 1 -1 0\n2800 3 0.000001 1 0 0 1 -1 0\n2600 " + unitcircle;
    const auto out = test::run(setup);
    const std::string why = " not evaluated: 3 points are too few; the evaluation needs at least 4";
    const std::string rejected = "\nJob 2700" + why + "\nJob 2800" + why + "\nStage Number = 1";
    EXPECT_EQ(out.result.substr(0, rejected.size()), rejected);
    EXPECT_NE(out.console.find("Started Peak circle circulatity calculation\nJob 2700" + why),
              std::string::npos);
    EXPECT_NE(out.console.find("Started Valley circle calculation\nJob 2800" + why),
              std::string::npos);
    EXPECT_NE(out.result.find("Least square circularity error= 0"), std::string::npos);
    EXPECT_EQ(count(out.result, "Circle Circularity error"), 0);
    EXPECT_EQ(out.status, 0);
}

// A short noisy arc whose centre wanders (both prompts of the peak circle),
// an arc that needs a sixth stage, and a circle with its outermost point
// measured twice (the minimum-zone exchange asks too).
const std::string shortarc = "7 0.000001 10.049 0.000 10.060 0.505 9.976 1.004 9.851 1.493 "
                             "9.885 2.009 9.681 2.479 9.601 2.978\n";
const std::string longarc = "7 0.000001 1000.0080 0.0000 996.1483 87.7089 984.6095 174.7406 "
                            "965.4914 260.4267 938.9264 344.1042 905.1120 425.1231 864.3738 "
                            "502.8925\n";
const std::string twice = "13 0.000001 10.05 0 8.661120 5.000500 4.999500 8.659388 0 10.002 "
                          "-4.999 8.658522 -8.660254 5 -10.001 0 -8.659388 -4.999500 -5.001 "
                          "-8.661986 0 -9.998 5 -8.660254 8.661120 -5.000500 10.05 0\n";

TEST(PeakAndValleyJobs, ClosedConsoleNeverHangs) {
    test::Run setup;
    setup.jobs = "2700 " + shortarc + "2700 " + longarc + "2700 " + twice + "2800 " + shortarc +
                 "2800 " + longarc + "2800 " + twice;
    setup.timeout = 120;
    const auto out = test::run(setup);
    ASSERT_FALSE(out.hung);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(count(out.result, "Minimum Circumscribing Circle Circularity error= "), 3);
    EXPECT_EQ(count(out.result, "Maximum Inscribing Circle Circularity error= "), 3);
    EXPECT_EQ(count(out.console, "Stage number>5. Do you want to continue?"), 2);
    EXPECT_EQ(count(out.console, "nfindcirc>10. Do you want to continue?"), 1);
    EXPECT_EQ(count(out.console, "No answer at the console: the stage loop ends"), 2);
    EXPECT_EQ(count(out.console, "No answer at the console: the search ends"), 1);
    EXPECT_EQ(out.console.find("nan"), std::string::npos);
    EXPECT_EQ(out.result.find("nan"), std::string::npos);
}

} // namespace
} // namespace formeval
