// The filtered profiles of `formreport results`: each harmonic of a closed
// profile kept as the Gaussian filter's transmission, written out here,
// says (low-pass and band-pass); open profiles (lines, arcs) losing their
// short waves and keeping their long ones; the result unchanged by the order
// and place of the points; refusals of filters a feature cannot take; and a
// job record's own rows unchanged by a filter.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

namespace formeval::report {
namespace {

const double pi = std::acos(-1.0);

// The Gaussian filter's transmission of a wave, 50 % at the cut-off (both in
// UPR, or both wavelengths inverted).
double gain(double upr, double cutoff) {
    const double alpha = std::sqrt(std::log(2.0) / pi);
    return std::exp(-pi * std::pow(alpha * upr / cutoff, 2));
}

// n points about (40, -12) at radius 25 plus `wave` of the angle, as CSV.
std::string circle(int n, const std::function<double(double)>& wave, double shift = 0) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int i = 0; i < n; ++i) {
        const double t = 2 * pi * i / n, r = 25 + wave(t);
        out << shift + 40 + r * std::cos(t) << "," << -12 + r * std::sin(t) << "\n";
    }
    return out.str();
}

nlohmann::json run(const std::vector<std::string>& args) {
    const test::ReportOutcome o = test::report(args);
    EXPECT_EQ(o.status, exitok) << o.err;
    return o.status == exitok ? nlohmann::json::parse(o.out) : nlohmann::json();
}

// The row of a criterion.
const nlohmann::json& row(const nlohmann::json& doc, const std::string& method) {
    for (const auto& r : doc["rows"])
        if (r["method"] == method) return r;
    static const nlohmann::json none;
    ADD_FAILURE() << "no " << method << " row";
    return none;
}

struct ClosedCase {
    int upr;          // of the wave
    double cutoff;    // low-pass, or 0
    double longwave;  // band-pass, or 0
    double shortwave; //
};

class ClosedFilterTest : public ::testing::TestWithParam<ClosedCase> {};

// A wave of k UPR comes out at its transmission: its root mean square about
// the least-squares circle is A g / sqrt 2.
TEST_P(ClosedFilterTest, EachHarmonicKeepsItsTransmission) {
    const ClosedCase c = GetParam();
    const double amplitude = 0.002;
    test::Workdir dir;
    dir.write("c.csv",
              circle(1800, [&](double t) { return amplitude * std::cos(c.upr * t + 0.3); }));
    std::vector<std::string> args = {"results", "c.csv", "--feature", "circle", "--json"};
    double g = 0;
    std::string name;
    if (c.cutoff > 0) {
        args.insert(args.end(), {"--filter", formatnumber(c.cutoff, 12)});
        g = gain(c.upr, c.cutoff);
        name = "Gaussian, cut-off " + formatnumber(c.cutoff, 6) + " UPR";
    } else {
        args.insert(args.end(), {"--filter-band", formatnumber(c.longwave, 12) + "," +
                                                      formatnumber(c.shortwave, 12)});
        g = gain(c.upr, c.shortwave) - gain(c.upr, c.longwave);
        name = "Gaussian band-pass, " + formatnumber(c.longwave, 6) + " to " +
               formatnumber(c.shortwave, 6) + " UPR";
    }
    const nlohmann::json doc = run(args);
    ASSERT_FALSE(doc.is_null());
    EXPECT_EQ(doc["filter"], name);
    const auto& ls = row(doc, "least squares");
    EXPECT_EQ(ls["filter"], name);
    EXPECT_NEAR(ls["q"].get<double>(), amplitude * g / std::sqrt(2.0), 2e-3 * amplitude + 1e-9);
    // The minimum zone of a filtered wave is no wider than the wave itself.
    EXPECT_LE(row(doc, "minimum zone")["t"].get<double>(), 2 * amplitude * g + 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Cutoffs, ClosedFilterTest,
                         ::testing::Values(ClosedCase{5, 50, 0, 0}, ClosedCase{60, 50, 0, 0},
                                           ClosedCase{120, 150, 0, 0}, ClosedCase{120, 1500, 0, 0},
                                           ClosedCase{400, 1500, 0, 0}, ClosedCase{37, 15, 0, 0},
                                           ClosedCase{8, 0, 15, 500}, ClosedCase{120, 0, 15, 500},
                                           ClosedCase{600, 0, 50, 500}),
                         test::namedby([](const ClosedCase& c) {
                             return "k" + std::to_string(c.upr) + "_" +
                                    test::testname(
                                        std::vector<double>{c.cutoff, c.longwave, c.shortwave});
                         }));

struct TypeCase {
    const char* name;
    std::vector<std::string> args;
    int upr;            // of the wave
    std::string filter; // as named
    double gain;        // the wave's transmission
    double tolerance;   // of the root mean square, in the wave's amplitudes
};

void PrintTo(const TypeCase& c, std::ostream* out) {
    *out << c.name;
}

// The 2RC mean line's transmission of a wave k UPR at the cut-off c: the
// profile less two RC high-pass stages, each i r / (1 + i r), r = sqrt 3 k / c.
double rcgain(double k, double c) {
    const std::complex<double> stage(0, std::sqrt(3.0) * k / c);
    const std::complex<double> high = stage / (1.0 + stage);
    return std::abs(1.0 - high * high);
}

// The spline's transmission of a wave k UPR at the cut-off c, 1800 samples
// a revolution: 1 / (1 + (sin(pi k / n) / sin(pi c / n))^4).
double splinegain(double k, double c) {
    return 1 / (1 + std::pow(std::sin(pi * k / 1800) / std::sin(pi * c / 1800), 4));
}

class FilterTypeTest : public ::testing::TestWithParam<TypeCase> {};

// Each filter type named as the option says, and a wave through it at its
// transmission: the root mean square about the least-squares circle is
// A g / sqrt 2 (the robust filter's reweighting moves a clean wave's by up
// to 2 %).
TEST_P(FilterTypeTest, NamesTheFilterAndPassesAWaveByItsTransmission) {
    const TypeCase c = GetParam();
    const double amplitude = 0.002;
    test::Workdir dir;
    dir.write("c.csv",
              circle(1800, [&](double t) { return amplitude * std::cos(c.upr * t + 0.3); }));
    std::vector<std::string> args = {"results", "c.csv", "--feature", "circle", "--json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const nlohmann::json doc = run(args);
    ASSERT_FALSE(doc.is_null());
    EXPECT_EQ(doc["filter"], c.filter);
    EXPECT_EQ(row(doc, "least squares")["filter"], c.filter);
    EXPECT_NEAR(row(doc, "least squares")["q"].get<double>(), amplitude * c.gain / std::sqrt(2.0),
                c.tolerance * amplitude);
    std::vector<std::string> tableargs = {"results", "c.csv", "--feature", "circle"};
    tableargs.insert(tableargs.end(), c.args.begin(), c.args.end());
    const test::ReportOutcome table = test::report(tableargs);
    EXPECT_NE(table.out.find("Filter: " + c.filter + ".\n"), std::string::npos) << table.out;
}

// The closing of a wave by a disk far wider than its crests: the disk rests
// on the crests, its sag between two of them (2 pi r / k apart) all that is
// left.
double sag(double radius, double spacing) {
    return radius - std::sqrt(radius * radius - spacing * spacing / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Types, FilterTypeTest,
    ::testing::Values(TypeCase{"Spline",
                               {"--filter", "50", "--filter-type", "spline"},
                               60,
                               "spline (ISO 16610-22), cut-off 50 UPR",
                               splinegain(60, 50),
                               1e-3},
                      TypeCase{"SplineLongWave",
                               {"--filter", "150", "--filter-type", "spline"},
                               120,
                               "spline (ISO 16610-22), cut-off 150 UPR",
                               splinegain(120, 150),
                               1e-3},
                      TypeCase{"TwoRc",
                               {"--filter", "50", "--filter-type", "2rc"},
                               50,
                               "2RC, cut-off 50 UPR",
                               rcgain(50, 50),
                               2e-3},
                      TypeCase{"TwoRcShortWave",
                               {"--filter", "15", "--filter-type", "2rc"},
                               60,
                               "2RC, cut-off 15 UPR",
                               rcgain(60, 15),
                               2e-3},
                      TypeCase{"RobustLongWave",
                               {"--filter", "50", "--filter-type", "robust"},
                               5,
                               "robust Gaussian (ISO 16610-31), cut-off 50 UPR",
                               gain(5, 50),
                               2e-2},
                      TypeCase{"RobustWavelength",
                               {"--filter-wavelength", "3.14159265358979", "--filter-type",
                                "robust", "--unit", "mm"},
                               10,
                               "robust Gaussian (ISO 16610-31), cut-off wavelength 3.14159 mm",
                               gain(10, 50),
                               2e-2},
                      TypeCase{"ClosingADiskThatFits",
                               {"--filter-type", "closing", "--disk-radius", "1"},
                               5,
                               "morphological closing, disk radius 1",
                               1,
                               1e-3},
                      TypeCase{"OpeningADiskThatFits",
                               {"--filter-type", "opening", "--disk-radius", "1"},
                               5,
                               "morphological opening, disk radius 1",
                               1,
                               1e-3},
                      TypeCase{
                          "ClosingOverTheCrests",
                          {"--filter-type", "closing", "--disk-radius", "1000", "--unit", "mm"},
                          120,
                          "morphological closing, disk radius 1000 mm",
                          0,
                          sag(1000, 2 * pi * 25 / 120) / 0.002}),
    test::namedby([](const TypeCase& c) { return std::string(c.name); }));

struct SurfaceCase {
    const char* feature;
    double wavelength; // of the wave, in cut-offs
    double tolerance;  // of the root mean square, in the wave's amplitudes
};

void PrintTo(const SurfaceCase& c, std::ostream* out) {
    *out << c.feature << " " << c.wavelength;
}

class SurfaceFilterTest : public ::testing::TestWithParam<SurfaceCase> {};

// A wave across a plane (along x) or round a cylinder (k UPR, constant along
// the axis) through the areal filter at its Gaussian transmission: the root
// mean square about the least-squares feature is A g / sqrt 2. The cylinder
// has no edge across the wave; the plane's edges keep a little more.
TEST_P(SurfaceFilterTest, PassesAWaveByTheGaussianTransmission) {
    const SurfaceCase c = GetParam();
    const double amplitude = 0.002, cutoff = 1.0, radius = 10;
    const bool cylinder = std::string(c.feature) == "cylinder";
    std::ostringstream file;
    file.precision(17);
    file << "x,y,z\n";
    if (cylinder) {
        const double k = std::round(2 * pi * radius / (c.wavelength * cutoff));
        for (int i = 0; i < 360; ++i)
            for (int j = 0; j < 8; ++j) {
                const double t = 2 * pi * i / 360, r = radius + amplitude * std::cos(k * t);
                file << r * std::cos(t) << "," << r * std::sin(t) << "," << 0.25 * j << "\n";
            }
    } else {
        // Even about the middle, so that the least-squares plane takes no
        // tilt from the wave.
        for (int i = -80; i <= 80; ++i)
            for (int j = 0; j <= 40; ++j) {
                const double x = 0.05 * i, y = 0.05 * j;
                file << x << "," << y << ","
                     << 3 + 0.01 * x + amplitude * std::cos(2 * pi * x / (c.wavelength * cutoff))
                     << "\n";
            }
    }
    test::Workdir dir;
    dir.write("s.csv", file.str());
    const nlohmann::json doc = run({"results", "s.csv", "--feature", c.feature,
                                    "--filter-wavelength", formatnumber(cutoff, 6), "--json"});
    ASSERT_FALSE(doc.is_null());
    EXPECT_EQ(doc["filter"], "areal Gaussian (ISO 16610-61), cut-off wavelength 1");
    const double wavelength =
        cylinder ? 2 * pi * radius / std::round(2 * pi * radius / (c.wavelength * cutoff))
                 : c.wavelength * cutoff;
    EXPECT_NEAR(row(doc, "least squares")["q"].get<double>(),
                amplitude * gain(1 / wavelength, 1 / cutoff) / std::sqrt(2.0),
                c.tolerance * amplitude);
}

INSTANTIATE_TEST_SUITE_P(Surfaces, SurfaceFilterTest,
                         ::testing::Values(SurfaceCase{"cylinder", 4, 1e-3},
                                           SurfaceCase{"cylinder", 1, 1e-3},
                                           SurfaceCase{"cylinder", 0.5, 1e-3},
                                           SurfaceCase{"plane", 4, 0.1},
                                           SurfaceCase{"plane", 0.5, 0.1}),
                         test::namedby([](const SurfaceCase& c) {
                             return std::string(c.feature) + "_" + test::testname(c.wavelength);
                         }));

// Neither the order of the points nor where the part lies changes the
// filtered parameters.
// A cut-off whose windows hold most of a large scan would keep an unattended
// batch for hours: 160 000 points under a cut-off of 3 over a 4 x 4 plane
// are 2.6e10 pairs, refused with the count before any is weighed.
TEST(FilterPoints, AnArealCutOffThatWouldTakeHoursIsRefused) {
    std::ostringstream file;
    file << "x,y,z\n";
    for (int i = 0; i < 400; ++i)
        for (int j = 0; j < 400; ++j) file << 0.01 * i << "," << 0.01 * j << ",0\n";
    test::Workdir dir;
    dir.write("scan.csv", file.str());
    const test::ReportOutcome o =
        test::report({"results", "scan.csv", "--feature", "plane", "--filter-wavelength", "3"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_NE(o.err.find("the areal filter at the cut-off wavelength 3 would weigh 2.6e+10 "
                         "pairs of points, more than 2e+10"),
              std::string::npos)
        << o.err;
}

TEST(FilterPoints, TheOrderAndPlaceOfThePointsChangeNothing) {
    const auto wave = [](double t) {
        return 0.003 * std::cos(2 * t) + 0.001 * std::sin(17 * t) + 0.0005 * std::cos(90 * t);
    };
    const std::string text = circle(720, wave);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::shuffle(lines.begin() + 1, lines.end(), std::mt19937(7));
    std::string shuffled;
    for (const std::string& l : lines) shuffled += l + "\n";
    test::Workdir dir;
    dir.write("a.csv", text);
    dir.write("b.csv", shuffled);
    dir.write("c.csv", circle(720, wave, 1000));
    std::vector<nlohmann::json> docs;
    for (const char* f : {"a.csv", "b.csv", "c.csv"})
        docs.push_back(run({"results", f, "--feature", "circle", "--json", "--filter", "50"}));
    for (const char* method :
         {"least squares", "minimum zone", "minimum circumscribing", "maximum inscribing"})
        for (const char* p : {"t", "p", "v", "q"})
            for (std::size_t k = 1; k < docs.size(); ++k)
                EXPECT_NEAR(row(docs[k], method)[p].get<double>(),
                            row(docs[0], method)[p].get<double>(), 1e-9)
                    << method << " " << p << " of input " << k;
}

struct OpenCase {
    std::string feature; // line or arc
    double wavelength;   // of the wave, with a cut-off of 2.5
    bool upr;            // the arc's cut-off given in UPR
};

// A line of 400 points along 30 degrees, or an arc of 120 degrees of radius
// 25, each with a sine wave along its length.
std::string openprofile(const OpenCase& c, double amplitude) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int i = 0; i < 400; ++i) {
        if (c.feature == "line") {
            const double s = 0.25 * i, d = amplitude * std::sin(2 * pi * s / c.wavelength);
            const double cs = std::cos(pi / 6), sn = std::sin(pi / 6);
            out << 3 + s * cs - d * sn << "," << 7 + s * sn + d * cs << "\n";
        } else {
            const double t = 0.3 + (2 * pi / 3) * i / 399, s = 25 * (t - 0.3);
            const double r = 25 + amplitude * std::sin(2 * pi * s / c.wavelength);
            out << 40 + r * std::cos(t) << "," << -12 + r * std::sin(t) << "\n";
        }
    }
    return out.str();
}

class OpenFilterTest : public ::testing::TestWithParam<OpenCase> {};

// At a cut-off of 2.5, a wave of 0.7 is gone (the filter passes 1.5e-4 of
// it; the ends, where the regression has half its weights, leave a little
// more) and one of 50 stays, ends and all.
TEST_P(OpenFilterTest, ShortWavesGoLongWavesStay) {
    const OpenCase c = GetParam();
    const double amplitude = 0.004;
    test::Workdir dir;
    dir.write("p.csv", openprofile(c, amplitude));
    const std::string feature = c.feature == "line" ? "line" : "circle";
    const nlohmann::json raw = run({"results", "p.csv", "--feature", feature, "--json"});
    std::vector<std::string> args = {"results", "p.csv", "--feature", feature, "--json"};
    if (c.upr)
        args.insert(args.end(), {"--filter", formatnumber(2 * pi * 25 / 2.5, 17)});
    else
        args.insert(args.end(), {"--filter-wavelength", "2.5"});
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    if (c.feature == "arc") {
        EXPECT_NE(o.err.find("filtered: an arc, filtered along its length at the cut-off "
                             "wavelength 2.5"),
                  std::string::npos)
            << o.err;
    }
    const nlohmann::json doc = nlohmann::json::parse(o.out);
    const double before = row(raw, "least squares")["q"];
    const double after = row(doc, "least squares")["q"];
    if (c.wavelength < 2.5)
        EXPECT_LT(after, 0.05 * amplitude) << "the short wave is filtered out";
    else
        EXPECT_NEAR(after, before, 0.03 * before) << "the long wave stays";
    EXPECT_GT(before, 0.3 * amplitude) << "the wave is there to filter";
}

INSTANTIATE_TEST_SUITE_P(Profiles, OpenFilterTest,
                         ::testing::Values(OpenCase{"line", 0.7, false},
                                           OpenCase{"line", 50, false}, OpenCase{"arc", 0.7, false},
                                           OpenCase{"arc", 50, false}, OpenCase{"arc", 0.7, true}),
                         test::namedby([](const OpenCase& c) {
                             return c.feature + "_" + test::testname(c.wavelength) +
                                    (c.upr ? "_upr" : "");
                         }));

struct UnresolvedCase {
    const char* name;
    std::vector<std::string> args;
    std::string said; // the note on standard error
};

class UnresolvedCutOffTest : public ::testing::TestWithParam<UnresolvedCase> {};

// A cut-off finer than the points resolve (a wavelength shorter than two of
// their steps) is said, with what the filter did: the spline filter takes
// two steps, the others filter at it. c.csv: 360 points at equal angles
// (180 UPR at most); l.csv: a line of 100 points a step of 1 apart; j.txt:
// a job record of a circle of 12 points.
TEST_P(UnresolvedCutOffTest, IsSaidWithWhatWasDone) {
    const UnresolvedCase& c = GetParam();
    test::Workdir dir;
    dir.write("c.csv", circle(360, [](double t) { return 0.001 * std::cos(3 * t); }));
    std::ostringstream line, jobs;
    line << "x,y\n";
    for (int i = 0; i < 100; ++i) line << i << "," << 0.001 * std::sin(i) << "\n";
    dir.write("l.csv", line.str());
    jobs << "2500 12 0.000001\n";
    for (int i = 0; i < 12; ++i)
        jobs << 25 * std::cos(2 * pi * i / 12) << " "
             << (25 + 0.001 * (i % 3)) * std::sin(2 * pi * i / 12) << "\n";
    dir.write("j.txt", jobs.str());
    const test::ReportOutcome o = test::report(c.args);
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.err.find(c.said), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cutoffs, UnresolvedCutOffTest,
    ::testing::Values(
        UnresolvedCase{"Gaussian",
                       {"results", "c.csv", "--feature", "circle", "--filter", "500"},
                       "formreport: c.csv: the cut-off 500 UPR is finer than the 360 samples "
                       "resolve (180 UPR at most, two samples a wavelength): filtered at it as "
                       "given, every wave they hold being longer than it\n"},
        UnresolvedCase{"Spline",
                       {"results", "c.csv", "--feature", "circle", "--filter", "500",
                        "--filter-type", "spline"},
                       "formreport: c.csv: the cut-off 500 UPR is finer than the 360 samples "
                       "resolve (180 UPR at most, two samples a wavelength): the spline filter "
                       "takes it as 180 UPR\n"},
        UnresolvedCase{"Band",
                       {"results", "c.csv", "--feature", "circle", "--filter-band", "15,200"},
                       "formreport: c.csv: the cut-off 200 UPR is finer than the 360 samples "
                       "resolve"},
        UnresolvedCase{"Wavelength",
                       {"results", "c.csv", "--feature", "circle", "--filter-wavelength", "0.5"},
                       "formreport: c.csv: the cut-off 314.159 UPR is finer than the 360 samples "
                       "resolve"},
        UnresolvedCase{"OpenSpline",
                       {"polar", "l.csv", "--feature", "line", "--filter-wavelength", "1.5",
                        "--filter-type", "spline", "-o", "out"},
                       "formreport: l.csv: the cut-off wavelength 1.5 is shorter than the 100 "
                       "points resolve (two of their mean steps, 2): the spline filter takes it "
                       "as 2\n"},
        UnresolvedCase{"JobRecord",
                       {"results", "j.txt", "--filter", "50"},
                       "formreport: j.txt: job 2500 (job 1 of the stream, line 1): the cut-off 50 "
                       "UPR is finer than the 12 samples resolve (6 UPR at most, two samples a "
                       "wavelength): filtered at it as given, every wave they hold being longer "
                       "than it\n"},
        UnresolvedCase{"JobRecordChart",
                       {"polar", "j.txt", "--filter", "50", "--filter-type", "robust", "-o", "out"},
                       "formreport: j.txt: job 2500 (job 1 of the stream, line 1): the cut-off 50 "
                       "UPR is finer than the 12 samples resolve"}),
    [](const ::testing::TestParamInfo<UnresolvedCase>& info) {
        return std::string(info.param.name);
    });

struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

class FilterRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(FilterRefusalTest, IsAUsageError) {
    const Refusal r = GetParam();
    test::Workdir dir;
    dir.write("p.csv", "x,y,z\n0,0,0\n1,0,0\n0,1,0\n1,1,0.1\n");
    std::vector<std::string> args = {"results", "p.csv"};
    args.insert(args.end(), r.args.begin(), r.args.end());
    const test::ReportOutcome o = test::report(args);
    EXPECT_EQ(o.status, exitusage);
    EXPECT_NE(o.err.find(r.message), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterRefusalTest,
    ::testing::Values(
        Refusal{{"--feature", "plane", "--filter", "50"},
                "a plane is filtered by the areal Gaussian filter at a cut-off wavelength in its "
                "length unit: --filter-wavelength alone"},
        Refusal{{"--feature", "cylinder", "--filter-wavelength", "2", "--filter-type", "spline"},
                "a cylinder is filtered by the areal Gaussian filter"},
        Refusal{{"--feature", "sphere", "--filter-wavelength", "2"},
                "the profiles of circles and lines and the surfaces of planes and cylinders are "
                "filtered, not those of a sphere"},
        Refusal{{"--feature", "line", "--filter", "50"},
                "a line is filtered at a cut-off wavelength in its length unit: "
                "--filter-wavelength"},
        Refusal{{"--feature", "circle", "--filter-band", "500,15"},
                "give the long-wave and the short-wave cut-off in UPR, the first below the "
                "second: LOW,HIGH (15,500)"},
        Refusal{{"--feature", "circle", "--filter-band", "15"}, "LOW,HIGH (15,500)"},
        Refusal{{"--feature", "circle", "--filter", "0"}, "is not a positive number"},
        Refusal{{"--feature", "circle", "--filter", "nan"}, "is not a finite number"},
        Refusal{{"--feature", "circle", "--outliers", "nan"}, "is not a finite number"},
        // Text that is no number is named so, not "not in range".
        Refusal{{"--feature", "circle", "--outliers", "4x"},
                "--outliers: Value 4x is not a number\n"},
        Refusal{{"--feature", "cylinder", "--sections", "--filter-wavelength", "5"},
                "--sections: a stack's sections and cylinder are evaluated unfiltered: leave out "
                "the filter, or filter the cylinder's points without --sections"},
        Refusal{{"--feature", "circle", "--filter-wavelength", "-2"}, "is not a positive number"},
        Refusal{{"--feature", "circle", "--filter", "50", "--filter-band", "15,500"}, "excludes"},
        Refusal{{"--feature", "circle", "--filter", "0.5"}, "is below 1 UPR"},
        Refusal{{"--feature", "circle", "--filter-band", "0.2,0.5"},
                "a short-wave cut-off below 1 UPR leaves no undulation"},
        Refusal{{"--feature", "circle", "--filter", "0x10"}, "0x10 is not a decimal number"},
        Refusal{{"--feature", "circle", "--digits", "0x5"},
                "0x5 is not a whole number in decimal digits"},
        Refusal{{"--feature", "circle", "--filter", "50", "--filter-wavelength", "2"},
                "a closed circle takes --filter in UPR or --filter-wavelength, not both"},
        Refusal{{"--feature", "circle", "--filter-band", "15,500", "--filter-wavelength", "2"},
                "a circle takes --filter-band or --filter-wavelength, not both"},
        Refusal{{"--feature", "circle", "--filter-type", "closing"},
                "--filter-type closing: give the radius of the disk rolled over the profile"},
        Refusal{{"--feature", "circle", "--filter-type", "opening", "--disk-radius", "1",
                 "--filter", "50"},
                "a disk is rolled over the profile, with no cut-off"},
        Refusal{{"--feature", "circle", "--filter", "50", "--disk-radius", "1"},
                "--disk-radius: the disk goes with --filter-type closing or opening"},
        Refusal{{"--feature", "circle", "--filter-type", "spline"},
                "--filter-type spline: give the cut-off: --filter in UPR or --filter-wavelength"},
        Refusal{{"--feature", "circle", "--filter-type", "robust", "--filter-band", "15,500"},
                "--filter-band is the Gaussian band-pass"},
        Refusal{{"--feature", "circle", "--filter-type", "median", "--filter", "50"},
                "the filter type is gaussian, robust, spline, 2rc, closing or opening, not "
                "'median'"},
        Refusal{{"--feature", "circle", "--filter-type", "closing", "--disk-radius", "-1"},
                "is not a positive number"},
        Refusal{{"--feature", "plane", "--filter-type", "closing", "--disk-radius", "1"},
                "a plane is filtered by the areal Gaussian filter"},
        Refusal{{"--criterion", "mean"},
                "the criterion is least-squares, minimum-zone, circumscribed or inscribed, not "
                "'mean'"}),
    test::namedby([](const Refusal& r) {
        std::string name;
        for (const std::string& a : r.args) name += a + " ";
        return name;
    }));

// A filter adds the filtered profile's pointset rows to a circle record and
// leaves formeval's rows and the exact ones as they were; a line record
// without a wavelength is said not to be filtered.
TEST(FilterPoints, JobRecordsKeepTheirOwnRows) {
    test::Workdir dir;
    std::ostringstream line;
    line << "1000 30 0.000001\n";
    for (int i = 0; i < 30; ++i) line << i << " " << 0.01 * std::sin(3.0 * i) << "\n";
    dir.write("cir1.txt", "2500 " + test::alternating(72) + line.str());
    const nlohmann::json raw = run({"results", "cir1.txt", "--json"});
    const test::ReportOutcome o = test::report({"results", "cir1.txt", "--json", "--filter", "15"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.err.find("job 1000 (job 2 of the stream, line 74): not filtered: a line is "
                         "filtered at a cut-off wavelength, not in UPR"),
              std::string::npos)
        << o.err;
    const nlohmann::json doc = nlohmann::json::parse(o.out);
    nlohmann::json own = nlohmann::json::array(), filtered = nlohmann::json::array();
    for (auto r : doc["rows"]) {
        if (r["computed_by"] == "pointset") {
            EXPECT_EQ(r["filter"], "Gaussian, cut-off 15 UPR");
            EXPECT_EQ(r["code"], 2500);
            filtered.push_back(r);
            continue;
        }
        EXPECT_EQ(r["filter"], "none");
        for (const char* k : {"filter", "feature", "point_x", "point_y", "point_z", "direction_x",
                              "direction_y", "direction_z"})
            r.erase(k);
        own.push_back(r);
    }
    EXPECT_EQ(own, raw["rows"]);
    ASSERT_EQ(filtered.size(), 4u);
    // The alternating radii are the 36th harmonic, of amplitude 0.01: at 15
    // UPR it keeps its transmission, the same zone about every reference.
    for (const auto& r : filtered)
        EXPECT_NEAR(r["t"].get<double>(), 0.02 * gain(36, 15), 1e-5) << r["method"];
}

} // namespace
} // namespace formeval::report
