// The yardsticks a circle or sphere result is judged by, and the notes of the
// results they beat: a minimum zone wider than the zone about the
// least-squares centre (or the centroid), a peak circle larger than the
// circle about one that holds every point, a valley circle smaller than the
// one with no point inside. Checked against hand computations and against the
// least-squares circle of the pointset library, end to end on the jobs.
#include "form/form.h"
#include "pointset/pointset.h"
#include "tests/form/formtext.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

struct Cloud {
    std::vector<double> u, v;
};

// n points over `arc` degrees about (cx, cy), radius r with deviations d(i).
template <class Deviation>
Cloud circle(int n, double arc, double cx, double cy, double r, Deviation d) {
    Cloud c;
    for (int i = 0; i < n; ++i) {
        const double t = arc * test::pi / 180 * i / (arc >= 360 ? n : n - 1);
        c.u.push_back(cx + (r + d(i)) * std::cos(t));
        c.v.push_back(cy + (r + d(i)) * std::sin(t));
    }
    return c;
}

Yardsticks sticks(const Cloud& c) {
    const double* const p[2] = {c.u.data(), c.v.data()};
    return yardsticks(p, 2, static_cast<int>(c.u.size()), true);
}

// The zone about the least-squares centre the pointset library finds.
double zoneaboutleastsquares(const Cloud& c) {
    std::vector<double> xy;
    for (std::size_t i = 0; i < c.u.size(); ++i) xy.insert(xy.end(), {c.u[i], c.v[i]});
    const pointset::Reference ls =
        pointset::evaluate({xy.data(), c.u.size(), 2, 2}, pointset::Feature::circle,
                           pointset::Criterion::leastsquares, {false, false});
    EXPECT_TRUE(ls.found);
    if (!ls.found) return std::numeric_limits<double>::quiet_NaN();
    double nearest = 1e300;
    double farthest = 0;
    for (std::size_t i = 0; i < c.u.size(); ++i) {
        const double r = std::hypot(c.u[i] - ls.point[0], c.v[i] - ls.point[1]);
        nearest = std::min(nearest, r);
        farthest = std::max(farthest, r);
    }
    return farthest - nearest;
}

// Eight points about (3, -2), radii alternating 10 + 0.5 and 10 - 0.5: the
// least-squares centre is the centre, the zone about it 1, the smallest
// circle holding every point 10.5, the largest with none inside 9.5.
TEST(Yardsticks, OfAnAlternatingCircleAreItsHandComputedCircles) {
    const Cloud c = circle(8, 360, 3, -2, 10, [](int i) { return i % 2 ? -0.5 : 0.5; });
    const Yardsticks y = sticks(c);
    EXPECT_NEAR(y.zone, 1, 1e-12);
    EXPECT_NEAR(y.enclosing, 10.5, 1e-12);
    EXPECT_NEAR(y.inscribed, 9.5, 1e-12);
    EXPECT_GT(y.rounding, 0);
    EXPECT_LT(y.rounding, 1e-12);
    // Without the inscribed circle (the minimum zone and the peak circle do
    // not need it) the rest is the same.
    const double* const p[2] = {c.u.data(), c.v.data()};
    const Yardsticks z = yardsticks(p, 2, 8, false);
    EXPECT_EQ(z.inscribed, 0);
    EXPECT_EQ(z.zone, y.zone);
    EXPECT_EQ(z.enclosing, y.enclosing);
}

// On a quarter circle the centroid lies far from the centre; the
// least-squares centre is the circle's, which the pointset library finds
// too, and the points do not surround the centroid, so only a centre they
// surround gives an inscribed circle.
TEST(Yardsticks, OfAnArcUseTheLeastSquaresCentre) {
    std::mt19937 gen(4);
    std::normal_distribution<double> noise(0, 1e-3);
    std::vector<double> d(40);
    for (double& x : d) x = noise(gen);
    const Cloud c = circle(40, 90, 50, 20, 25, [&d](int i) { return d[i]; });
    const Yardsticks y = sticks(c);
    EXPECT_NEAR(y.zone, zoneaboutleastsquares(c), 1e-9);
    EXPECT_STREQ(y.zonecentre, "the least-squares centre");
    // The points do not surround the least-squares centre; they surround the
    // centroid, inside their hull, which gives the inscribed circle.
    double cx = 0;
    double cy = 0;
    for (std::size_t i = 0; i < c.u.size(); ++i) {
        cx += c.u[i] / 40;
        cy += c.v[i] / 40;
    }
    double inside = 1e300;
    for (std::size_t i = 0; i < c.u.size(); ++i)
        inside = std::min(inside, std::hypot(c.u[i] - cx, c.v[i] - cy));
    EXPECT_NEAR(y.inscribed, inside, 1e-12);
    EXPECT_STREQ(y.inscribedcentre, "the centroid");
}

// The twelve points of the bundled example's circle, evaluated with a
// tolerance of 1 mm (a hundred thousand times the usual): the pivot and
// stopping tests lose their meaning, and the minimum zone (25.0006 for a
// true 0.0036), the peak and the valley circle came out wrong without a
// word. Each is now noted before its result; with the usual tolerance none
// is.
TEST(Yardsticks, AToleranceThatBreaksTheFitIsNoted) {
    const std::string points = "145.002100 80.000000 141.649509 92.499350 132.500600 101.651674 "
                               "120.000000 104.997900 107.499600 101.651328 98.348066 92.500750 "
                               "95.000900 80.000000 98.349105 67.499850 107.500800 58.350751 "
                               "120.000000 54.998100 132.499800 58.349711 141.651241 67.499650";
    const struct {
        int job;
        const char* note;
    } jobs[] = {{2500, "\nThe minimum-zone circle found is wider than the zone about the "
                       "least-squares centre, 0.00377"},
                {2700, "\nThe peak circle found is larger than the circle about the "
                       "least-squares centre that holds every point, of radius 25.0018"},
                {2800, "\nThe valley circle found is smaller than the circle about the "
                       "least-squares centre with no point inside, of radius 24.998"}};
    for (const auto& j : jobs)
        for (const char* tolerance : {"1", "0.000001"}) {
            test::Run setup;
            setup.jobs = std::to_string(j.job) + " 12 " + tolerance + " " + points;
            const auto out = test::run(setup);
            EXPECT_EQ(out.result.find(j.note) != std::string::npos, tolerance[0] == '1')
                << j.job << " cri " << tolerance << "\n"
                << out.result;
        }
}

// Circles and arcs with one outlier, whose minimum zone the staged exchange
// sometimes gets wrong (a 90 degree arc of 24 points once gave 13.2 where
// the least-squares error was 8.7): the note stands before the result
// exactly when it is wider than the zone about the least-squares centre that
// the pointset library finds, by more than 1e-9 of it (cases within 1e-6 of
// that bound, where the two centres' rounding decides, are not judged).
TEST(Yardsticks, AMinimumZoneWiderThanTheLeastSquaresZoneIsNoted) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> unit(0, 1);
    std::normal_distribution<double> noise(0, 1);
    std::string jobs;
    std::vector<Cloud> clouds;
    for (int k = 0; k < 60; ++k) {
        const int n = 8 + static_cast<int>(unit(gen) * 40);
        const double arc = std::vector<double>{360, 180, 90, 45}[k % 4];
        const double r = 25;
        const int outlier = static_cast<int>(unit(gen) * n);
        const double size = r * (0.01 + 0.3 * unit(gen)) * (unit(gen) < 0.5 ? -1 : 1);
        std::vector<double> d(n);
        for (int i = 0; i < n; ++i) d[i] = 0.01 * noise(gen) + (i == outlier ? size : 0);
        clouds.push_back(circle(n, arc, 100, -40, r, [&d](int i) { return d[i]; }));
        std::ostringstream text;
        text.precision(17);
        text << "2500 " << n << " 0.000001";
        for (int i = 0; i < n; ++i) text << " " << clouds.back().u[i] << " " << clouds.back().v[i];
        jobs += text.str() + "\n";
    }
    test::Run setup;
    setup.jobs = jobs;
    const auto out = test::run(setup);
    ASSERT_EQ(out.status, 0);
    // The result of each job, with the note that may stand before it.
    std::vector<std::string> parts;
    for (std::size_t at = 0, next = 0; at != std::string::npos; at = next) {
        next = out.result.find("\nCircularity error= ", at + 1);
        if (next == std::string::npos) break;
        const std::size_t end = out.result.find('\n', next + 1);
        parts.push_back(out.result.substr(at, end - at));
        next = end;
    }
    ASSERT_EQ(parts.size(), clouds.size());
    int noted = 0;
    for (std::size_t k = 0; k < clouds.size(); ++k) {
        const double zone = zoneaboutleastsquares(clouds[k]);
        const double error = std::stod(parts[k].substr(parts[k].rfind("Circularity error= ") + 19));
        const bool note = parts[k].find("is wider than the zone about") != std::string::npos;
        noted += note;
        if (std::fabs(error - zone) <= 1e-6 * zone) continue;
        EXPECT_EQ(note, error > zone) << "record " << k << ": error " << error << ", zone about "
                                      << "the least-squares centre " << zone;
    }
    EXPECT_GT(noted, 3);
    RecordProperty("noted", noted);
}

} // namespace
} // namespace formeval
