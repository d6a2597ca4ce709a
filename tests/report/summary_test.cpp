// formreport summary on result files: one made by formeval itself from an
// earlier run, an evaluation, a Monte Carlo and a perturbation study, and
// small ones written by hand for the histograms and the faults.
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, by);) out.push_back(item);
    return out;
}

// An earlier run's Monte Carlo study without noise (1000 equal lines), then
// in one run: job 2600, job 2610 with noise and the perturbation job 2520,
// all on 36 points of alternating radii about (100, 20).
const std::string& mixedresults() {
    static const std::string result = [] {
        test::Run earlier;
        earlier.jobs = "2610 " + test::alternating(36);
        earlier.instructions = "0 4 0 3 0 0\n";
        test::Run run;
        run.jobs = "2600 " + test::alternating(36) + "2610 " + test::alternating(36) + "2520 " +
                   test::alternating(36);
        run.instructions = "0 4 0.001 3 0 0\n";
        run.result_before = test::run(earlier).result;
        return test::run(run).result;
    }();
    return result;
}

TEST(Summary, FindsTheStudiesOfAResultFileAmongItsOtherOutput) {
    test::Workdir dir;
    const std::vector<std::string> lines = split(mixedresults(), '\n');
    const long n = static_cast<long>(lines.size());
    ASSERT_GT(n, 2000);
    dir.write("result.txt", mixedresults());
    const test::ReportOutcome o = test::report({"summary", "result.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const std::vector<std::string> rows = split(o.out, '\n');
    ASSERT_EQ(rows.size(), 13u);

    // The earlier run's block fills lines 1-1000 with the circle itself.
    const double circle[nquantities] = {100, 20, 10, 0.02};
    for (int q = 0; q < nquantities; ++q) {
        const auto f = split(rows[1 + q], ',');
        ASSERT_EQ(f.size(), 21u);
        EXPECT_EQ(f[0] + " " + f[1] + " " + f[2] + " " + f[3] + " " + f[4],
                  "1 repetitions 1 1000 1000");
        EXPECT_EQ(f[7], "1000");
        EXPECT_NEAR(std::stod(f[8]), circle[q], 1e-9);
        EXPECT_EQ(std::stod(f[9]), 0);
    }

    // The noisy block ends on the line before the perturbation line, which is
    // the last. Its statistics, recomputed here from the raw lines.
    for (int q = 0; q < nquantities; ++q) {
        std::vector<double> values;
        for (long line = n - 1000; line <= n - 1; ++line)
            values.push_back(std::stod(split(lines[line - 1], '\t').at(q + 1)));
        double sum = 0;
        for (const double v : values) sum += v;
        const double mean = sum / 1000;
        double squares = 0;
        for (const double v : values) squares += (v - mean) * (v - mean);
        std::sort(values.begin(), values.end());

        const auto f = split(rows[5 + q], ',');
        EXPECT_EQ(f[0] + " " + f[1] + " " + f[2] + " " + f[3],
                  "2 repetitions " + std::to_string(n - 1000) + " " + std::to_string(n - 1));
        EXPECT_EQ(f[6], quantitynames[q]);
        EXPECT_EQ(f[7], "1000");
        EXPECT_NEAR(std::stod(f[8]), mean, 1e-12 * std::fabs(mean));
        EXPECT_NEAR(std::stod(f[9]), std::sqrt(squares / 999), 1e-9 * std::sqrt(squares / 999));
        EXPECT_EQ(std::stod(f[10]), values.front());
        EXPECT_EQ(std::stod(f[11]), values.back());
        EXPECT_EQ(std::stod(f[12]), values[24]);  // y(25)
        EXPECT_EQ(std::stod(f[13]), values[974]); // y(975)
    }

    // The perturbation intervals are centred on the unperturbed circle.
    for (int q = 0; q < nquantities; ++q) {
        const auto f = split(rows[9 + q], ',');
        EXPECT_EQ(f[0] + " " + f[1] + " " + f[2], "3 perturbation " + std::to_string(n));
        EXPECT_NEAR((std::stod(f[12]) + std::stod(f[13])) / 2, circle[q], 1e-9);
        EXPECT_LT(std::stod(f[12]), std::stod(f[13]));
    }
}

TEST(Summary, TablesThroughTheBuiltExecutable) {
    test::Workdir dir;
    dir.write("result.txt", mixedresults());
    const test::ReportOutcome o = test::runreport({"summary", "result.txt"}, dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    const auto lines = split(o.out, '\n');
    ASSERT_GT(lines.size(), 12u);
    EXPECT_EQ(lines[0], "result.txt: 3 blocks");
    EXPECT_EQ(lines[2], "Block 1: repetitions 0-999 on lines 1-1000 (1000 lines)");
    EXPECT_EQ(lines[3], "                       centre x     centre y       radius  circularity");
    EXPECT_EQ(lines[5], "mean                        100           20           10         0.02");
    EXPECT_EQ(lines[4].substr(0, 18), "count             ");
}

TEST(Summary, OneWellFormedHistogramPerBlockAndQuantity) {
    test::Workdir dir;
    dir.write("result.txt", mixedresults());
    const test::ReportOutcome o =
        test::report({"summary", "result.txt", "--histograms", "hist", "--png", "--unit", "mm"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "formreport: 8 histograms written to hist\n");
    for (const int block : {1, 2})
        for (const char* quantity : quantityslugs) {
            const fs::path svg =
                dir.path() / "hist" / ("block" + std::to_string(block) + "-" + quantity + ".svg");
            const test::Svg parsed = test::parsesvg(svg);
            EXPECT_TRUE(parsed.wellformed) << svg << ": " << parsed.error;
            ASSERT_FALSE(parsed.elements.empty());
            EXPECT_EQ(parsed.elements[0].name, "svg");
            EXPECT_EQ(parsed.elements[0].attributes.at("width"), "800px");
            EXPECT_EQ(test::strokes(parsed, meancolour, 2).size(), 1u) << svg;
            const auto bars = test::fills(parsed, barcolour);
            // Equal values make one bar; 1000 noisy values several.
            if (block == 1) {
                EXPECT_EQ(bars.size(), 1u) << svg;
            } else {
                EXPECT_GE(bars.size(), 5u) << svg;
            }
            EXPECT_GT(fs::file_size(fs::path(svg).replace_extension(".png")), 1000u);
        }
    EXPECT_FALSE(fs::exists(dir.path() / "hist" / "block3-radius.svg"));
}

// A Monte Carlo study (2510) and a perturbation study (2620) of 36 points of
// alternating radii, run twice into one result file: every block is named by
// its job, the run's second pair again by the first pair's jobs, and the
// Monte Carlo blocks show the minimum-zone circle of the points without
// noise, (100, 20), radius 10, error 0.02, beside their statistics.
TEST(Summary, EachBlockBesideItsJobAndItsValueWithoutNoise) {
    test::Run run;
    run.jobs = "2510 " + test::alternating(36) + "2620 " + test::alternating(36);
    run.instructions = "0 4 0.001 3 0 0\n";
    run.result_before = test::run(run).result;
    test::Workdir dir;
    dir.write("result.txt", test::run(run).result);
    dir.write("cir1.txt", *run.jobs);
    const test::ReportOutcome o =
        test::report({"summary", "result.txt", "--jobs", "cir1.txt", "--csv"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.err, "");
    const std::vector<std::string> rows = split(o.out, '\n');
    ASSERT_EQ(rows.size(), 17u);
    const double circle[nquantities] = {100, 20, 10, 0.02};
    for (std::size_t row = 1; row < rows.size(); ++row) {
        const auto f = split(rows[row] + ",", ',');
        ASSERT_GE(f.size(), 19u) << rows[row];
        const bool perturbation = f[1] == "perturbation";
        EXPECT_EQ(f[17], perturbation ? "2620" : "2510") << rows[row];
        if (perturbation) continue;
        EXPECT_NEAR(std::stod(f[18]), circle[(row - 1) % 4], 1e-9) << rows[row];
    }
    const test::ReportOutcome table = test::report({"summary", "result.txt", "--jobs", "cir1.txt"});
    const std::vector<std::string> lines = split(table.out, '\n');
    const auto csv = [&](std::size_t block, int q) { return split(rows[1 + 4 * block + q], ','); };
    for (std::size_t block : {0, 2}) {
        const auto heading = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind("Block " + std::to_string(block + 1) + ":", 0) == 0;
        });
        ASSERT_NE(heading, lines.end());
        EXPECT_NE(heading->find(", job 2510 (job 1 of cir1.txt, line 1)"), std::string::npos)
            << *heading;
        // Whether each interval holds the value without noise, worked out from the CSV.
        std::string holds = "interval holds measured";
        for (int q = 0; q < nquantities; ++q) {
            const auto f = csv(block, q);
            const double measured = std::stod(f[18]);
            holds += std::string(q ? "  " : "  ") +
                     (std::stod(f[12]) <= measured && measured <= std::stod(f[13]) ? "yes" : "no");
        }
        const auto row = std::find_if(heading, lines.end(), [](const std::string& l) {
            return l.rfind("interval holds measured", 0) == 0;
        });
        ASSERT_NE(row, lines.end());
        std::istringstream cells(row->substr(23));
        std::string expected = "interval holds measured";
        for (std::string cell; cells >> cell;) expected += "  " + cell;
        EXPECT_EQ(expected, holds);
    }
    for (const char* block : {"Block 2: ", "Block 4: "}) {
        const auto heading = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind(block, 0) == 0;
        });
        ASSERT_NE(heading, lines.end());
        EXPECT_NE(heading->find("perturbation study on line "), std::string::npos) << *heading;
        EXPECT_NE(heading->find(", job 2620 (job 2 of cir1.txt, line 38)"), std::string::npos)
            << *heading;
    }
}

// The earlier run's block, its last line cut inside its last number as a
// full disk leaves it: it must not pass for a repetition of its own.
TEST(Summary, AStudyLineCutShortIsNotTakenForAWholeOne) {
    test::Workdir dir;
    const std::string& whole = mixedresults();
    std::size_t end = 0;
    for (int line = 0; line < 1000; ++line) end = whole.find('\n', end) + 1;
    const std::string block = whole.substr(0, end - 1); // without its line break
    ASSERT_EQ(block.substr(block.rfind('\n') + 1, 4), "999\t");
    dir.write("result.txt", block.substr(0, block.size() - 2));
    const std::string why =
        "formreport: result.txt:1000: the file ends inside this study line, which has no line "
        "break: it was cut short (a full disk, a killed run)";
    test::ReportOutcome o = test::report({"summary", "result.txt"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, why + "\nformreport: nothing summarised; --skip-malformed leaves such lines "
                           "out with a warning\n");
    o = test::report({"summary", "result.txt", "--skip-malformed"});
    EXPECT_EQ(o.status, exitok);
    EXPECT_EQ(o.err, why + "; line left out\n");
    const auto lines = split(o.out, '\n');
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[2], "Block 1: repetitions 0-998 on lines 1-999 (999 lines)");
    EXPECT_EQ(lines[13], "The block holds 999 repetition lines, not the 1000, 10 000 or 100 000 "
                         "of a whole study: it was cut short, lines are missing, or the lines of "
                         "two runs are interleaved.");
    // As CSV, the note goes to standard error.
    o = test::report({"summary", "result.txt", "--skip-malformed", "--csv"});
    EXPECT_EQ(o.err, why + "; line left out\nformreport: result.txt: block 1 (lines 1-999) holds "
                           "999 repetition lines, not the 1000, 10 000 or 100 000 of a whole "
                           "study: it was cut short, lines are missing, or the lines of two runs "
                           "are interleaved.\n");
}

// A sampling study whose sample size is asked for at the console: the answer
// 36 serves repetition 0, the answer 3 is too small for repetition 1, then
// the console has ended and all 36 points are used.
TEST(Summary, ARepetitionFormevalDidNotEvaluateCountsWithoutNumbers) {
    test::Run run;
    run.jobs = "2570 " + test::alternating(36);
    run.instructions = "0 0 0 3 0 0\n";
    run.input = "36\n3\n";
    const test::Outcome made = test::run(run);
    ASSERT_EQ(made.status, 0) << made.errors;
    ASSERT_NE(made.result.find("\nRepetition 1 not evaluated: "), std::string::npos);
    test::Workdir dir;
    dir.write("result.txt", made.result);
    const test::ReportOutcome o = test::report({"summary", "result.txt"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.err, "");
    const auto lines = split(o.out, '\n');
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[0], "result.txt: 1 block");
    EXPECT_EQ(lines[2], "Block 1: repetitions 0-9999 on lines 1-10000 (10000 lines)");
    std::istringstream count(lines[4]);
    const std::vector<std::string> cells{std::istream_iterator<std::string>(count), {}};
    EXPECT_EQ(cells, (std::vector<std::string>{"count", "9999", "9999", "9999", "9999"}));
    EXPECT_EQ(lines[13], "formeval did not evaluate 1 of the 10000 repetitions; they are not "
                         "counted.");
    const double circle[nquantities] = {100, 20, 10, 0.02};
    std::istringstream mean(lines[5].substr(std::string("mean").size()));
    for (const double expected : circle) {
        double value = 0;
        mean >> value;
        EXPECT_NEAR(value, expected, 1e-9);
    }
}

// Repetition lines with these circularity errors (the other columns 1).
std::string block(const std::vector<double>& errors) {
    std::ostringstream text;
    for (std::size_t i = 0; i < errors.size(); ++i) text << i << "\t1\t1\t1\t" << errors[i] << "\n";
    return text.str();
}

struct Bar {
    double left, right, height;
};

std::vector<Bar> bars(const test::Svg& svg) {
    std::vector<Bar> out;
    for (const test::Element* e : test::fills(svg, barcolour)) {
        const auto v = test::vertices(e->attributes.at("d"));
        double l = 1e9, r = -1e9, top = 1e9, bottom = -1e9;
        for (const auto& [x, y] : v) {
            l = std::min(l, x);
            r = std::max(r, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        out.push_back({l, r, bottom - top});
    }
    std::sort(out.begin(), out.end(), [](const Bar& a, const Bar& b) { return a.left < b.left; });
    return out;
}

// 1, 2, 2, 3, 3, 3 in three bins: bars of 1, 2 and 3; the mean 14/6 two
// thirds of the way across; six values give no 95 % interval.
TEST(Summary, HistogramBarsAndMeanWhereTheCountsPutThem) {
    test::Workdir dir;
    dir.write("r.txt", block({1, 2, 2, 3, 3, 3}));
    ASSERT_EQ(test::report({"summary", "r.txt", "--histograms", ".", "--bins", "3", "-q"}).status,
              0);
    const test::Svg svg = test::parsesvg(dir.path() / "block1-circularity.svg");
    const std::vector<Bar> b = bars(svg);
    ASSERT_EQ(b.size(), 3u);
    // Drawing coordinates are kept to 1/256 of a unit.
    EXPECT_NEAR(b[1].height / b[0].height, 2, 1e-3);
    EXPECT_NEAR(b[2].height / b[0].height, 3, 1e-3);
    const auto mean = test::strokes(svg, meancolour, 2);
    ASSERT_EQ(mean.size(), 1u);
    const double x = test::vertices(mean[0]->attributes.at("d")).at(0).first;
    EXPECT_NEAR((x - b[0].left) / (b[2].right - b[0].left), (14.0 / 6 - 1) / 2, 1e-4);
    EXPECT_TRUE(test::strokes(svg, intervalcolour, 1.5).empty());
}

// Twenty values: the 95 % interval is [y(1), y(20)], the outer bar edges.
TEST(Summary, HistogramIntervalMarksAtItsEnds) {
    test::Workdir dir;
    std::vector<double> errors;
    for (int i = 1; i <= 20; ++i) errors.push_back(i);
    dir.write("r.txt", block(errors));
    ASSERT_EQ(test::report({"summary", "r.txt", "--histograms", ".", "-q"}).status, 0);
    const test::Svg svg = test::parsesvg(dir.path() / "block1-circularity.svg");
    const std::vector<Bar> b = bars(svg);
    ASSERT_FALSE(b.empty());
    std::vector<double> ends;
    for (const test::Element* e : test::strokes(svg, intervalcolour, 1.5)) {
        const auto v = test::vertices(e->attributes.at("d"));
        if (v.size() == 2 && v[0].first == v[1].first) ends.push_back(v[0].first);
    }
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_NEAR(ends[0], b.front().left, 0.01);
    EXPECT_NEAR(ends[1], b.back().right, 0.01);
}

// Circularity errors of 11 to 30 um in a block cut short, matched to the
// job 2510 that comes first: the histogram is in um, its title names the job,
// and the measured value, the 20 um of the points without noise, stands at
// nine nineteenths of the way across the bars.
TEST(Summary, HistogramInTheSubunitWithTheMeasuredValueMarked) {
    test::Workdir dir;
    std::vector<double> errors;
    for (int i = 1; i <= 20; ++i) errors.push_back(0.010 + i / 1000.0);
    dir.write("r.txt", block(errors));
    dir.write("cir1.txt", "2510 " + test::alternating(36));
    const test::ReportOutcome o = test::report(
        {"summary", "r.txt", "--jobs", "cir1.txt", "--unit", "mm", "--histograms", ".", "-q"});
    ASSERT_EQ(o.status, 0) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "block1-circularity.svg");
    const std::vector<Bar> b = bars(svg);
    ASSERT_FALSE(b.empty());
    const auto measured = test::strokes(svg, measuredcolour, 2);
    ASSERT_EQ(measured.size(), 1u);
    const double x = test::vertices(measured[0]->attributes.at("d")).at(0).first;
    EXPECT_NEAR((x - b.front().left) / (b.back().right - b.front().left), 9.0 / 19, 1e-4);
    const auto texts = svg.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "circularity error (\u00b5m)"), texts.end());
    EXPECT_NE(std::find_if(texts.begin(), texts.end(),
                           [](const std::string& t) {
                               return t.find("; job 2510 (job 1 of cir1.txt, line 1)") !=
                                      std::string::npos;
                           }),
              texts.end());
}

// Near 1e17 neighbouring doubles are 16 apart: the axis ticks, 10 apart,
// cannot all be told apart, and low end + offset loses a bar's offset. The
// circularity errors 1e17 + 0, 16, 32, 48, ten of each, make four bars of
// ten, side by side. Centres y of +-1e308 span more than the largest double:
// two bars at the ends.
TEST(Summary, HistogramsOfValuesWhereTheDoublesAreCoarse) {
    test::Workdir dir;
    std::ostringstream text;
    text.precision(17);
    for (int i = 0; i < 40; ++i)
        text << i << "\t" << 1e17 + 16 * (i % 3) << "\t" << (i % 2 ? -1e308 : 1e308) << "\t1\t"
             << 1e17 + 16 * (i % 4) << "\n";
    dir.write("r.txt", text.str());
    const test::ReportOutcome o =
        test::report({"summary", "r.txt", "--histograms", ".", "--bins", "4", "-q"});
    ASSERT_EQ(o.status, exitok) << o.err;
    for (const char* quantity : quantityslugs) {
        const test::Svg svg =
            test::parsesvg(dir.path() / (std::string("block1-") + quantity + ".svg"));
        EXPECT_TRUE(svg.wellformed) << quantity << ": " << svg.error;
        EXPECT_FALSE(bars(svg).empty()) << quantity;
    }
    const std::vector<Bar> b = bars(test::parsesvg(dir.path() / "block1-circularity.svg"));
    ASSERT_EQ(b.size(), 4u);
    const double across = b[3].right - b[0].left;
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(b[k].height, b[0].height, 0.01);
        EXPECT_NEAR(b[k].right - b[k].left, across / 4, 0.01);
        EXPECT_NEAR(b[k].left - b[0].left, across * static_cast<double>(k) / 4, 0.01);
    }
    const std::vector<Bar> y = bars(test::parsesvg(dir.path() / "block1-centre-y.svg"));
    ASSERT_EQ(y.size(), 2u);
    EXPECT_NEAR(y[1].right - y[0].left, across, 0.01);
    EXPECT_NEAR(y[0].height, y[1].height, 0.01);
}

// cairo refuses text that is not UTF-8, and with it the picture: a unit
// written in Latin-1 (micro sign 0xb5) is drawn escaped instead.
TEST(Summary, HistogramsWithAUnitInAnotherEncoding) {
    test::Workdir dir;
    dir.write("r.txt", block({1, 2, 3}));
    const test::ReportOutcome o =
        test::report({"summary", "r.txt", "--histograms", ".", "--unit", "\xb5m", "-q"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.err, "");
    const test::Svg svg = test::parsesvg(dir.path() / "block1-radius.svg");
    EXPECT_TRUE(svg.wellformed) << svg.error;
}

TEST(Summary, AMalformedLineStopsItUnlessSkipped) {
    test::Workdir dir;
    dir.write("bad.txt", "0\t1\t1\t1\t1\n1\t1\t1\t1\t1\n2\t1\t1\tx\t1\n");
    test::ReportOutcome o = test::report({"summary", "bad.txt"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "formreport: bad.txt:3: radius 'x' is not a number\n"
                     "formreport: nothing summarised; --skip-malformed leaves such lines out with "
                     "a warning\n");
    o = test::report({"summary", "bad.txt", "--skip-malformed", "--digits", "3"});
    EXPECT_EQ(o.status, exitok);
    EXPECT_EQ(o.err, "formreport: bad.txt:3: radius 'x' is not a number; line left out\n");
    EXPECT_EQ(split(o.out, '\n').at(2), "Block 1: repetitions 0-1 on lines 1-2 (2 lines)");
    // The same through the built executable.
    EXPECT_EQ(test::runreport({"summary", "bad.txt"}, dir.path()).status, exitinput);
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* err; // start of the message
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CommandFailureTest, ExitsWithItsStatusAndSaysWhy) {
    const FailureCase c = GetParam();
    test::Workdir dir;
    fs::create_directory(dir.path() / "folder");
    dir.write("r.txt", block({1, 2, 3}));
    const test::ReportOutcome o = test::report(c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err.substr(0, std::string(c.err).size()), c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandFailureTest,
    ::testing::Values(
        FailureCase{"SummaryOfAMissingFile",
                    {"summary", "missing.txt"},
                    exitinput,
                    "formreport: cannot read missing.txt: No such file or directory\n"},
        FailureCase{"PolarOfAMissingFile",
                    {"polar", "missing.txt"},
                    exitinput,
                    "formreport: cannot read missing.txt: No such file or directory\n"},
        FailureCase{"SummaryOfADirectory",
                    {"summary", "folder"},
                    exitinput,
                    "formreport: folder: is a directory"},
        FailureCase{"PlotsIntoAFile",
                    {"polar", FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt", "-o",
                     FORMEVAL_SOURCE_DIR "/README.md"},
                    exitinput,
                    "formreport: " FORMEVAL_SOURCE_DIR "/README.md: is a file, not a directory"},
        FailureCase{"NoResultFile", {"summary"}, exitusage, "result is required"},
        FailureCase{"NoCommand", {}, exitusage, "A subcommand is required"},
        FailureCase{"UnknownCommand", {"average", "x"}, exitusage, "A subcommand is required"},
        FailureCase{"SummaryOfAMissingJobStream",
                    {"summary", "r.txt", "--jobs", "missing.txt"},
                    exitinput,
                    "formreport: cannot read missing.txt: No such file or directory\n"},
        FailureCase{"NoToleranceDigits",
                    {"summary", "r.txt", "--tolerance-digits", "0"},
                    exitusage,
                    "--tolerance-digits: Value 0 not in range"},
        // Any cut-off above 0 is offered.
        FailureCase{"FilterCutOffNotPositive",
                    {"polar", "j.txt", "--filter", "0"},
                    exitusage,
                    "--filter: Value 0 is not a positive number\n"},
        FailureCase{"FilterCutOffNotANumber",
                    {"polar", "j.txt", "--filter", "fifty"},
                    exitusage,
                    "--filter: Value fifty is not a positive number\n"},
        FailureCase{"FilterBandReversed",
                    {"polar", "j.txt", "--filter-band", "500,15"},
                    exitusage,
                    "--filter-band: give the long-wave and the short-wave cut-off in UPR, the "
                    "first below the second: LOW,HIGH (15,500)\n"},
        FailureCase{"HarmonicsRangeReversed",
                    {"polar", "j.txt", "--harmonics", "--harmonics-range", "50,10"},
                    exitusage,
                    "--harmonics-range: give the first and the last harmonic in UPR, from 1, the "
                    "first not above the last: FROM,TO (1,500)\n"},
        FailureCase{"NoDigits",
                    {"summary", "r.txt", "--digits", "0"},
                    exitusage,
                    "--digits: Value 0 not in range"},
        FailureCase{"DigitsNotANumber",
                    {"summary", "r.txt", "--digits", "4x"},
                    exitusage,
                    "--digits: Value 4x is not a number\n"},
        FailureCase{"DigitsNotWhole",
                    {"summary", "r.txt", "--digits", "4.5"},
                    exitusage,
                    "--digits: Value 4.5 is not a whole number\n"},
        FailureCase{"TrialsNotWhole",
                    {"uncertainty", "j.txt", "--sigma", "0.001", "--trials", "1000.5"},
                    exitusage,
                    "--trials: Value 1000.5 is not a whole number\n"},
        FailureCase{"BinsNotWhole",
                    {"summary", "r.txt", "--bins", "12.5"},
                    exitusage,
                    "--bins: Value 12.5 is not a whole number\n"},
        FailureCase{"CoverageNotANumber",
                    {"summary", "r.txt", "--coverage", "95%"},
                    exitusage,
                    "--coverage: Value 95% is not a number\n"},
        FailureCase{"CoverageWithThreeDecimals",
                    {"summary", "r.txt", "--coverage", "95.125"},
                    exitusage,
                    "--coverage: give the percentage with at most two decimals"},
        // NaN passed the range check and indexed past the sorted values.
        FailureCase{"CoverageNaN",
                    {"summary", "r.txt", "--coverage", "nan"},
                    exitusage,
                    "--coverage: Value nan is not a finite number\n"},
        FailureCase{"SigmaNaNNamesItsOption",
                    {"results", "j.txt", "--sigma-x", "nan"},
                    exitusage,
                    "--sigma-x: 'nan' is not a finite number"},
        FailureCase{"CoverageInfinite",
                    {"summary", "r.txt", "--coverage", "1e400"},
                    exitusage,
                    "--coverage: Value 1e400 is not a finite number\n"},
        FailureCase{"NegativeMagnification",
                    {"polar", "j.txt", "--magnification", "-2"},
                    exitusage,
                    "--magnification: Value -2 is not a positive number\n"},
        FailureCase{"MagnificationNaN",
                    {"polar", "j.txt", "--magnification", "nan"},
                    exitusage,
                    "--magnification: Value nan is not a finite number\n"},
        FailureCase{"MagnificationInfinite",
                    {"polar", "j.txt", "--magnification", "inf"},
                    exitusage,
                    "--magnification: Value inf is not a finite number\n"},
        FailureCase{"ProgressAndQuiet",
                    {"summary", "r.txt", "--progress", "--quiet"},
                    exitusage,
                    "--progress excludes"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

struct UnwritableCase {
    const char* name;
    std::vector<std::string> args;
    const char* output; // where standard output goes; "-": closed
    const char* why;
};

void PrintTo(const UnwritableCase& c, std::ostream* out) {
    *out << c.name;
}

class UnwritableOutputTest : public ::testing::TestWithParam<UnwritableCase> {};

// The tables are lost, so the run has failed, and says why.
TEST_P(UnwritableOutputTest, FailsAndSaysSo) {
    const UnwritableCase c = GetParam();
    test::Workdir dir;
    dir.write("r.txt", block({1, 2, 3}));
    dir.write("j.txt", "2600 " + test::alternating(8));
    const test::ReportOutcome o = test::runreport(c.args, dir.path(), c.output);
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.err,
              std::string("formreport: the standard output could not be written: ") + c.why + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, UnwritableOutputTest,
    ::testing::Values(
        UnwritableCase{
            "SummaryToAFullDevice", {"summary", "r.txt"}, "/dev/full", "No space left on device"},
        UnwritableCase{"SummaryClosed", {"summary", "r.txt"}, "-", "Bad file descriptor"},
        UnwritableCase{
            "PolarToAFullDevice", {"polar", "j.txt"}, "/dev/full", "No space left on device"},
        UnwritableCase{
            "HelpToAFullDevice", {"summary", "--help"}, "/dev/full", "No space left on device"},
        // A reader that has gone (formreport ... | head -1) is a write error,
        // not a death by SIGPIPE without a word.
        UnwritableCase{"SummaryToAClosedPipe", {"summary", "r.txt"}, "|", "Broken pipe"},
        UnwritableCase{"ResultsToAClosedPipe", {"results", "j.txt"}, "|", "Broken pipe"}),
    [](const ::testing::TestParamInfo<UnwritableCase>& info) { return info.param.name; });

TEST(Summary, HelpExplainsTheQuantileRule) {
    const test::ReportOutcome o = test::report({"summary", "--help"});
    EXPECT_EQ(o.status, exitok);
    for (const char* phrase : {"JCGM", "probabilistically symmetric", "Freedman-Diaconis",
                               "--skip-malformed", "--coverage", "Exit status"})
        EXPECT_NE(o.out.find(phrase), std::string::npos) << phrase;
}

TEST(Summary, ProgressOnRequest) {
    test::Workdir dir;
    dir.write("r.txt", block({1, 2, 3}));
    const test::ReportOutcome o = test::report({"summary", "r.txt", "--progress"});
    EXPECT_EQ(o.status, exitok);
    EXPECT_EQ(o.err, "formreport: reading r.txt: 100 %\n");
}

} // namespace
} // namespace formeval::report
