// polar's filters and harmonics beyond the usual: any cut-off, the band
// between two, harmonics of a chosen range with amplitude and phase, and the
// dominant ones named; each against a profile made by hand of known waves.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

const double pi = std::acos(-1.0);

struct Wave {
    int upr;
    double amplitude; // mm
    double phase;     // radians: amplitude cos(upr theta - phase)
};

// A job 2500 record of n points about (0, 0) at radius 25 with the waves.
std::string record(int n, const std::vector<Wave>& waves) {
    std::ostringstream s;
    s.precision(17);
    s << "2500 " << n << " 0.000001\n";
    for (int i = 0; i < n; ++i) {
        const double t = 2 * pi * i / n;
        double r = 25;
        for (const Wave& w : waves) r += w.amplitude * std::cos(w.upr * t - w.phase);
        s << r * std::cos(t) << ' ' << r * std::sin(t) << '\n';
    }
    return s.str();
}

double gain(double upr, double cutoff) {
    const double alpha = std::sqrt(std::log(2.0) / pi);
    return std::exp(-pi * std::pow(alpha * upr / cutoff, 2));
}

// The cells of the first line that starts with `start`; none without one.
std::vector<std::string> cellsof(const std::string& out, const std::string& start) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(start, 0) == 0) {
            std::istringstream cells(line);
            std::vector<std::string> c;
            for (std::string cell; cells >> cell;) c.push_back(cell);
            return c;
        }
    return {};
}

// Chatter at 120 UPR, beyond the usual 50, with its amplitude and phase;
// and the dominant harmonics named, largest first, where their crests lie.
TEST(PolarHarmonics, ARangeListsAmplitudeAndPhase) {
    test::Workdir dir;
    dir.write("jobs.txt", record(720, {{3, 0.002, 0.6}, {120, 0.0005, -1.2}, {150, 0.0003, 2.5}}));
    const test::ReportOutcome o = test::report(
        {"polar", "jobs.txt", "--harmonics", "--harmonics-range", "100,360", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.out.find("jobs-job1-2500: Harmonic amplitudes about the least-squares circle, "
                         "in \u00b5m; 720 points at equal angles; UPR 100 to 360 with their "
                         "phases\n"),
              std::string::npos)
        << o.out;
    const std::vector<std::string> c120 = cellsof(o.out, "   120 ");
    ASSERT_EQ(c120.size(), 3u) << o.out;
    EXPECT_NEAR(std::stod(c120[1]), 0.5, 0.001);
    EXPECT_NEAR(std::stod(c120[2]), -1.2 * 180 / pi, 0.1);
    const std::vector<std::string> c150 = cellsof(o.out, "   150 ");
    ASSERT_EQ(c150.size(), 3u);
    EXPECT_NEAR(std::stod(c150[1]), 0.3, 0.001);
    EXPECT_NEAR(std::stod(c150[2]), 2.5 * 180 / pi, 0.1);
    EXPECT_NEAR(std::stod(cellsof(o.out, "   360 ").at(1)), 0, 0.001);
    // The crest of 120 UPR at -1.2 rad lies at -1.2 / 120 rad.
    EXPECT_NE(o.out.find("dominant: 120 UPR 0.5 \u00b5m (first crest at " +
                         formatnumber(-1.2 / 120 * 180 / pi, 4) + " degrees), 150 UPR 0.3 \u00b5m"),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("   UPR  amplitude  phase (degrees)\n   100 "), std::string::npos)
        << "the range from its first harmonic";
    const test::Svg bars = test::parsesvg(dir.path() / "jobs-job1-2500-harmonics.svg");
    EXPECT_TRUE(bars.wellformed) << bars.error;
}

// The usual table keeps its five columns and names the dominant harmonics.
TEST(PolarHarmonics, TheUsualTableNamesTheDominantOnes) {
    test::Workdir dir;
    dir.write("jobs.txt", record(360, {{3, 0.001, 0.9}, {15, 0.0002, 0}}));
    const test::ReportOutcome o =
        test::report({"polar", "jobs.txt", "--harmonics", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.out.find("\n  3  1.000"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\ndominant: 3 UPR 1 \u00b5m (first crest at " +
                         formatnumber(0.9 / 3 * 180 / pi, 4) + " degrees), 15 UPR 0.2 \u00b5m"),
              std::string::npos)
        << o.out;
}

struct BandCase {
    std::vector<std::string> args;
    std::string heading; // of the table's first line
    double lobes;        // the transmission of 4 UPR
    double chatter;      // and of 100 UPR
};

class PolarFilterTest : public ::testing::TestWithParam<BandCase> {};

// Lobes of 4 UPR and chatter of 100 UPR, crests together at 0 and valleys
// together at 45 degrees, both on the 720 samples: each filter keeps each
// wave at its transmission, and the minimum zone (centred by the profile's
// fourfold symmetry) is twice the sum of what is left.
TEST_P(PolarFilterTest, KeepsEachWaveAtItsTransmission) {
    const BandCase c = GetParam();
    test::Workdir dir;
    dir.write("jobs.txt", record(720, {{4, 0.002, 0}, {100, 0.001, 0}}));
    std::vector<std::string> args = {"polar", "jobs.txt", "--unit", "mm"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "jobs.txt: 1 circle record plotted; circularity error against each circle, of the "
              "profiles filtered (" +
                  c.heading + ")");
    const std::vector<std::string> row = cellsof(o.out, "jobs-job1-2500.svg");
    ASSERT_EQ(row.size(), 10u) << o.out;
    EXPECT_NEAR(std::stod(row[7]), 2 * (0.002 * c.lobes + 0.001 * c.chatter), 2e-6) << "MZCI";
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-2500.svg");
    EXPECT_TRUE(svg.wellformed) << svg.error;
}

BandCase lowpass(double cutoff) {
    const std::string text = formatnumber(cutoff, 6);
    return {{"--filter", text},
            "Gaussian, cut-off " + text + " UPR",
            gain(4, cutoff),
            gain(100, cutoff)};
}

BandCase bandpass(double low, double high) {
    const std::string a = formatnumber(low, 6), b = formatnumber(high, 6);
    return {{"--filter-band", a + "," + b},
            "Gaussian band-pass, " + a + " to " + b + " UPR",
            gain(4, high) - gain(4, low),
            gain(100, high) - gain(100, low)};
}

INSTANTIATE_TEST_SUITE_P(Filters, PolarFilterTest,
                         ::testing::Values(lowpass(1500), lowpass(40), lowpass(150),
                                           bandpass(15, 500), bandpass(50, 150)),
                         test::namedby([](const BandCase& c) {
                             return c.args[0] + " " + c.args[1];
                         }));

} // namespace
} // namespace formeval::report
