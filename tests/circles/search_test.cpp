// The pieces of the peak and valley circles: the three-point circle and its
// singular triples, the tie rules of the point scans and of the searches, the
// peak search's operator prompt and the valley search's bound, on triples
// given directly.
#include "circles/circles.h"
#include "tests/circles/support.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::count;
using test::Points;
using test::Session;

struct TripleCase {
    const char* name;
    std::vector<double> xy; // three points
    double cri;
    tpfit fit;
    std::string console;
};

void PrintTo(const TripleCase& c, std::ostream* os) {
    *os << c.name;
}

class ThreePointCircle : public testing::TestWithParam<TripleCase> {};

TEST_P(ThreePointCircle, TellsSingularAndNonFiniteTriplesApart) {
    const TripleCase& c = GetParam();
    Session session;
    cri = c.cri;
    const double u[3] = {c.xy[0], c.xy[2], c.xy[4]};
    const double v[3] = {c.xy[1], c.xy[3], c.xy[5]};
    const int tri[3] = {0, 1, 2};
    double x0 = 7, y0 = 7, r0 = 7;
    EXPECT_EQ(tpcirc(u, v, tri, x0, y0, r0), c.fit);
    EXPECT_EQ(session.console(), c.console);
    if (c.fit == tpfit::circle) {
        // The system is solved in the input coordinates, so digits go as the
        // squared distance from the origin grows.
        const test::Circle want = test::circumcircle(u[0], v[0], u[1], v[1], u[2], v[2]);
        EXPECT_NEAR(x0, want.x, 1e-9);
        EXPECT_NEAR(y0, want.y, 1e-9);
        EXPECT_NEAR(r0, want.r, 1e-9);
    } else {
        EXPECT_EQ(x0, 7); // untouched
        EXPECT_EQ(y0, 7);
        EXPECT_EQ(r0, 7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Triples, ThreePointCircle,
    testing::Values(
        TripleCase{"Circle", {5, 0, 0, 5, -5, 0}, 1e-9, tpfit::circle, ""},
        TripleCase{
            "FarFromTheOrigin", {1001, 2000, 1000, 2001.5, 998.2, 1999}, 1e-9, tpfit::circle, ""},
        // The solver meets the zero pivot in a column it tests, and says so.
        TripleCase{"LineThroughTheOrigin",
                   {0, 0, 1, 1, 2, 2},
                   1e-9,
                   tpfit::singular,
                   "Coefficient matrix is singular"},
        // Here the zero shows only in the last pivot, which the solver uses
        // untested: it would divide by zero without a word.
        TripleCase{"LineOffTheOrigin", {0, 1, 1, 2, 2, 3}, 1e-9, tpfit::singular, ""},
        TripleCase{"RepeatedPoint", {3, 4, 3, 4, -3, 4}, 1e-9, tpfit::singular, ""},
        // An exactly zero pivot counts as zero, even with cri = 0.
        TripleCase{"LineWithZeroTolerance", {0, 1, 1, 2, 2, 3}, 0, tpfit::singular, ""}),
    [](const testing::TestParamInfo<TripleCase>& info) { return info.param.name; });

TEST(PeakPoint, LastOfEqualLargestWinsAndEachNewLargestIsTraced) {
    Session session;
    const double err[5] = {0.1, 0.3, 0.3, 0.2, 0.3};
    double p[3];
    int np[3];
    for (int k = 0; k < 3; ++k) extremepoint(peakside, err, 5, k, p, np);
    EXPECT_EQ(np[0], 4);
    EXPECT_EQ(np[1], 2);
    EXPECT_EQ(np[2], 1);
    EXPECT_EQ(p[2], 0.3);
    EXPECT_EQ(session.result(), "\np[0]=0.1\np[0]=0.3\np[0]=0.3\np[0]=0.3"
                                "\np[1]=0.1\np[1]=0.3\np[1]=0.3"
                                "\np[2]=0.1\np[2]=0.3");
    EXPECT_EQ(session.console(), "");
}

TEST(ValleyPoint, LastOfEqualSmallestWinsWithoutATrace) {
    Session session;
    const double err[5] = {-0.1, -0.3, -0.3, -0.2, -0.3};
    double vp[3];
    int nv[3];
    for (int k = 0; k < 3; ++k) extremepoint(valleyside, err, 5, k, vp, nv);
    EXPECT_EQ(nv[0], 4);
    EXPECT_EQ(nv[1], 2);
    EXPECT_EQ(nv[2], 1);
    EXPECT_EQ(session.result(), "");
}

TEST(ValleyPoint, StartsAtAMillion) {
    Session session;
    const double err[4] = {2e6, 3e6, 0.5, 1e6};
    double vp[3];
    int nv[3];
    for (int k = 0; k < 3; ++k) extremepoint(valleyside, err, 4, k, vp, nv);
    EXPECT_EQ(nv[0], 2);
    EXPECT_EQ(nv[1], 3); // exactly at the start value counts
    EXPECT_EQ(nv[2], 0); // nothing at or below it is left
    EXPECT_EQ(vp[2], 1e6);
}

// Integer points about the origin, where the circle through (5, 0), (0, 5)
// and (-5, 0) is solved exactly. Two further points lie at equal squared
// distances, so their deviations are exactly equal.
TEST(PeakSearch, FirstOfEqualLargestDeviationsEnters) {
    Session session;
    cri = 1e-9;
    const Points p = test::pairs({5, 0, 0, 5, -5, 0, 1, -5, -1, -5}); // 26 = 1 + 25 twice
    double pk[3] = {};
    int np[3] = {0, 1, 2};
    double x0 = 0, y0 = 0, r0 = 0;
    EXPECT_TRUE(extremesearch(peakside, p.u.data(), p.v.data(), p.size(), pk, np, x0, y0, r0));
    const std::string result = session.result();
    EXPECT_NE(result.find("\nPeakcr0=5Peakcrx0=-0Peakcry0=-0"), std::string::npos);
    const double tied = std::sqrt(26.0) - 5;
    EXPECT_NE(result.find("\nerr[3]=" + test::twelve(tied) + "\nerr[4]=" + test::twelve(tied)),
              std::string::npos);
    EXPECT_EQ(count(result, "\nMaximum error point="), 1);
    EXPECT_NE(result.find("\nMaximum error point=3"), std::string::npos);
    EXPECT_EQ(np[2], 3);
    EXPECT_EQ(pk[2], tied);
    EXPECT_EQ(count(result, "Peakcr0="), 2); // (1, -5) holds (-1, -5) inside
}

TEST(ValleySearch, FirstOfEqualSmallestDeviationsEnters) {
    Session session;
    cri = 1e-9;
    const Points p = test::pairs({5, 0, 0, 5, -5, 0, 2, -4, -2, -4}); // 20 = 4 + 16 twice
    double vp[3] = {};
    int nv[3] = {0, 1, 2};
    double x0 = 0, y0 = 0, r0 = 0;
    EXPECT_TRUE(extremesearch(valleyside, p.u.data(), p.v.data(), p.size(), vp, nv, x0, y0, r0));
    EXPECT_EQ(nv[2], 3);
    EXPECT_EQ(vp[2], std::sqrt(20.0) - 5);
    EXPECT_EQ(count(session.result(), "micr0="), 2);
    // The circle through (5, 0), (0, 5), (2, -4): centre (5/14, 5/14).
    EXPECT_NEAR(x0, 5.0 / 14, 1e-12);
    EXPECT_NEAR(y0, 5.0 / 14, 1e-12);
    EXPECT_GE(test::nearest(p, x0, y0), r0 - 1e-12);
}

// Twelve points on radius 9.9 and a triple whose circles can never hold
// them all: A = 10.3 at 3 degrees, B = 10 at 0 degrees, and 9.99 at -3
// degrees. The search goes round three triples for ever.
Points roundabout() {
    Points p;
    const auto at = [&p](double r, double degrees) {
        p.u.push_back(r * std::cos(degrees * std::acos(-1.0) / 180));
        p.v.push_back(r * std::sin(degrees * std::acos(-1.0) / 180));
    };
    for (int k = 0; k < 12; ++k) at(9.9, 15 + 30 * k);
    at(10.3, 3);
    at(10, 0);
    at(9.99, -3);
    return p;
}

struct CyclePrompt {
    std::string input;
    int prompts;
    int traced; // cycles written to result.txt
    int oqt;    // after the search
    std::string last;
};

void PrintTo(const CyclePrompt& c, std::ostream* os) {
    *os << "input \"" << c.input << "\"";
}

class PeakSearchPrompt : public testing::TestWithParam<CyclePrompt> {};

TEST_P(PeakSearchPrompt, AnswerReplacesTheCounterAndRaisesTheTrace) {
    const CyclePrompt& c = GetParam();
    Session session("", c.input);
    cri = 1e-6;
    oqt = 1;
    const Points p = roundabout();
    double pk[3] = {};
    int np[3] = {12, 13, 14};
    double x0 = 0, y0 = 0, r0 = 0;
    EXPECT_FALSE(extremesearch(peakside, p.u.data(), p.v.data(), p.size(), pk, np, x0, y0, r0));
    const std::string console = session.console();
    EXPECT_EQ(count(console, "\nnfindcirc>10. Do you want to continue?"), c.prompts);
    EXPECT_EQ(count(session.result(), "Peakcr0="), c.traced);
    EXPECT_EQ(oqt, c.oqt);
    EXPECT_TRUE(test::endswith(console, c.last)) << console;
}

const std::string endsearch =
    ": the search ends with the minimum zone peak circle, which holds every point";

INSTANTIATE_TEST_SUITE_P(
    Answers, PeakSearchPrompt,
    testing::Values(CyclePrompt{"", 1, 0, 1, "continue?\nNo answer at the console" + endsearch},
                    // Counter 5: the cycles counted 5 to 10 run before it asks again.
                    CyclePrompt{"5", 2, 6, 3, "continue?\nNo answer at the console" + endsearch},
                    CyclePrompt{"1 x", 3, 10, 3, "continue?\nNo answer at the console" + endsearch},
                    CyclePrompt{"x -2147483648 0", 3, 0, 1,
                                "continue?\nThe answer 0 is not a whole number of at least 1"
                                "\n3 answers in a row could not be used" +
                                    endsearch}),
    test::namedby([](const CyclePrompt& c) {
        return c.input.empty() ? "ConsoleClosed" : "Answer " + c.input;
    }));

TEST(ValleySearch, EndsAtItsBound) {
    for (const int bulk : {12, 5}) {
        Session session;
        cri = 1e-6;
        oqt = 2;
        // Circles through (10, 1) and (10, -1) hold either (9.95, 0) or the
        // point of radius 10.5 at 0 degrees: the search swaps the two for ever.
        Points p;
        for (int k = 0; k < bulk; ++k) {
            p.u.push_back(10.5 * std::cos(k * 2 * std::acos(-1.0) / bulk));
            p.v.push_back(10.5 * std::sin(k * 2 * std::acos(-1.0) / bulk));
        }
        const int first = p.size();
        const Points chord = test::pairs({10, 1, 10, -1, 9.95, 0});
        p.u.insert(p.u.end(), chord.u.begin(), chord.u.end());
        p.v.insert(p.v.end(), chord.v.begin(), chord.v.end());
        const int limit = std::max(p.size(), 10);
        double vp[3] = {};
        int nv[3] = {first, first + 1, first + 2};
        double x0 = 0, y0 = 0, r0 = 0;
        EXPECT_FALSE(
            extremesearch(valleyside, p.u.data(), p.v.data(), p.size(), vp, nv, x0, y0, r0));
        EXPECT_EQ(count(session.result(), "micr0="), limit);
        const std::string note = "The valley circle search did not end within " +
                                 std::to_string(limit) +
                                 " cycles; the minimum zone valley circle is used";
        EXPECT_EQ(session.console(), "\n" + note);
        // A note in result.txt too, on a line of its own after the search's.
        EXPECT_EQ(session.result().substr(session.result().size() - note.size() - 1), "\n" + note);
    }
}

TEST(Searches, TripleWithoutACircleEndsTheSearch) {
    Session session;
    cri = 1e-9;
    const Points p = test::pairs({1, 0, 0, 1, -1, 0, 0, -1});
    double e[3] = {};
    int tri[3] = {0, 0, 1};
    double x0 = 0, y0 = 0, r0 = 0;
    EXPECT_FALSE(extremesearch(peakside, p.u.data(), p.v.data(), p.size(), e, tri, x0, y0, r0));
    EXPECT_FALSE(extremesearch(valleyside, p.u.data(), p.v.data(), p.size(), e, tri, x0, y0, r0));
    const std::string notes = "The circle through peak points 1,1,2 does not exist: they lie "
                              "on one line or repeat; the minimum zone peak circle is used"
                              "\nThe circle through valley points 1,1,2 does not exist: they "
                              "lie on one line or repeat; the minimum zone valley circle is used";
    EXPECT_EQ(session.console(), "\n" + notes);
    // Notes, in result.txt as well (they once reached the console only).
    EXPECT_EQ(session.result(), notes);
}

} // namespace
} // namespace formeval
