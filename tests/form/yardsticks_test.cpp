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
#include <array>
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

// The one-pass check that spares a result its yardsticks must never call a
// result sure that the yardsticks beat. Each case is a cloud (n points over an
// arc, normal noise, perhaps an outlier) and a centre a result might have:
// the minimum-zone centre the pointset library finds (where the check should
// be sure), the least-squares centre itself and points a hair or a noise's
// width from it (where the yardsticks may beat the result or come within
// their rounding of it). Circles are judged by all three claims, spheres by
// the zone.
struct Sighted {
    const char* name;
    int dim;
    int n;
    double arc;
    double noise;
    double outlier; // one point this far out, in radii
    bool certain;   // the check should be sure at the minimum-zone centre
};

void PrintTo(const Sighted& k, std::ostream* out) {
    *out << k.name;
}

class SightCheck : public testing::TestWithParam<Sighted> {};

std::vector<std::vector<double>> cloud(const Sighted& k, std::mt19937& gen) {
    std::normal_distribution<double> noise(0, k.noise);
    std::uniform_real_distribution<double> unit(0, 1);
    const double r = 25;
    const double centre[3] = {100, -40, 7};
    std::vector<std::vector<double>> c(k.dim);
    for (int i = 0; i < k.n; ++i) {
        const double t = k.arc * test::pi / 180 * (k.arc >= 360 ? i / double(k.n) : unit(gen));
        const double z = k.dim == 3 ? 2 * unit(gen) - 1 : 0;
        const double s = std::sqrt(1 - z * z);
        const double radius = r * (1 + noise(gen) + (i == k.n / 2 ? k.outlier : 0));
        c[0].push_back(centre[0] + radius * s * std::cos(t));
        c[1].push_back(centre[1] + radius * s * std::sin(t));
        if (k.dim == 3) c[2].push_back(centre[2] + radius * z);
    }
    return c;
}

pointset::Reference fitted(const std::vector<std::vector<double>>& c, pointset::Criterion how) {
    const int dim = static_cast<int>(c.size());
    std::vector<double> p;
    for (std::size_t i = 0; i < c[0].size(); ++i)
        for (int d = 0; d < dim; ++d) p.push_back(c[d][i]);
    return pointset::evaluate({p.data(), c[0].size(), dim, static_cast<std::size_t>(dim)},
                              dim == 3 ? pointset::Feature::sphere : pointset::Feature::circle, how,
                              {false, false});
}

TEST_P(SightCheck, NeverSureOfAResultAYardstickBeats) {
    const Sighted k = GetParam();
    std::mt19937 gen(k.n * 7 + k.dim);
    int sure = 0;
    int beatenseen = 0;
    for (int trial = 0; trial < 6; ++trial) {
        const auto c = cloud(k, gen);
        const double* const p[3] = {c[0].data(), c[1].data(), k.dim == 3 ? c[2].data() : nullptr};
        const Yardsticks y = yardsticks(p, k.dim, k.n, k.dim == 2);
        const pointset::Reference mz = fitted(c, pointset::Criterion::minimumzone);
        const pointset::Reference ls = fitted(c, pointset::Criterion::leastsquares);
        ASSERT_TRUE(mz.found && ls.found);
        std::vector<std::array<double, 3>> centres = {{mz.point[0], mz.point[1], mz.point[2]}};
        for (double off : {0.0, 1e-12, 1e-9, 1e-6, 1e-4})
            for (int turn = 0; turn < 3; ++turn)
                centres.push_back({ls.point[0] + off * 25 * std::cos(2.1 * turn),
                                   ls.point[1] + off * 25 * std::sin(2.1 * turn),
                                   ls.point[2] + (k.dim == 3 ? off * 25 : 0)});
        for (std::size_t j = 0; j < centres.size(); ++j) {
            const double* centre = centres[j].data();
            double near = 1e300;
            double far = 0;
            for (int i = 0; i < k.n; ++i) {
                double s = 0;
                for (int d = 0; d < k.dim; ++d) s += (p[d][i] - centre[d]) * (p[d][i] - centre[d]);
                near = std::min(near, std::sqrt(s));
                far = std::max(far, std::sqrt(s));
            }
            const struct {
                claim what;
                double radius;
            } claims[] = {
                {claim::zone, (near + far) / 2}, {claim::enclosing, far}, {claim::inscribed, near}};
            for (const auto& cl : claims) {
                if (k.dim == 3 && cl.what != claim::zone) continue;
                std::vector<double> err(k.n);
                const Sighting s = sight(p, k.dim, k.n, centre, cl.radius, cl.what, err.data());
                for (int i = 0; i < k.n; ++i) {
                    double squares = 0;
                    for (int d = 0; d < k.dim; ++d)
                        squares += (p[d][i] - centre[d]) * (p[d][i] - centre[d]);
                    ASSERT_EQ(err[i], std::sqrt(squares) - cl.radius) << i;
                }
                if (k.dim == 2) {
                    EXPECT_EQ(s.error,
                              circdev(p[0], p[1], k.n, centre[0], centre[1], cl.radius, false));
                }
                const bool beat = beaten(cl.what, cl.what == claim::zone ? s.error : cl.radius, y);
                beatenseen += beat;
                EXPECT_FALSE(!s.unsure && beat)
                    << "trial " << trial << " centre " << j << " claim " << int(cl.what);
                if (j == 0 && cl.what == claim::zone && k.certain) {
                    EXPECT_FALSE(s.unsure) << trial;
                }
                sure += !s.unsure;
            }
        }
    }
    RecordProperty("sure", sure);
    RecordProperty("beaten", beatenseen);
}

INSTANTIATE_TEST_SUITE_P(Clouds, SightCheck,
                         testing::Values(Sighted{"roundness trace", 2, 360, 360, 1e-4, 0, true},
                                         Sighted{"few points", 2, 8, 360, 1e-3, 0, false},
                                         Sighted{"dense", 2, 2000, 360, 1e-5, 0, true},
                                         Sighted{"odd count", 2, 361, 360, 1e-4, 0, true},
                                         Sighted{"outlier", 2, 100, 360, 1e-4, 0.05, false},
                                         Sighted{"half", 2, 60, 180, 1e-4, 0, false},
                                         Sighted{"quarter with outlier", 2, 40, 90, 1e-3, -0.02,
                                                 false},
                                         Sighted{"short arc", 2, 30, 20, 1e-3, 0, false},
                                         Sighted{"coarse", 2, 50, 360, 0.05, 0, false},
                                         Sighted{"sphere", 3, 300, 360, 1e-4, 0, true},
                                         Sighted{"cap", 3, 40, 60, 1e-3, 0.01, false}),
                         test::namedby([](const Sighted& k) { return std::string(k.name); }));

// Whether points surround a centre, against the largest angular gap between
// their directions from it (atan2 and a sort): random sets about centres
// inside, outside and near the edge of their hull, gaps within 1e-9 of half
// a turn left out; and points on a line through the centre, which surround
// nothing.
TEST(Surrounds, AgreesWithTheLargestAngularGap) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> unit(-1, 1);
    int judged = 0;
    int inside = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 1 + trial % 9;
        std::vector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = unit(gen);
            y[i] = unit(gen);
        }
        const double centre[2] = {0.3 * unit(gen), 0.3 * unit(gen)};
        std::vector<double> angles;
        for (int i = 0; i < n; ++i)
            angles.push_back(std::atan2(y[i] - centre[1], x[i] - centre[0]));
        std::sort(angles.begin(), angles.end());
        double gap = angles.front() + 2 * test::pi - angles.back();
        for (int i = 1; i < n; ++i) gap = std::max(gap, angles[i] - angles[i - 1]);
        if (std::fabs(gap - test::pi) < 1e-9) continue;
        const double* const c[2] = {x.data(), y.data()};
        EXPECT_EQ(surrounds(c, n, centre), gap < test::pi) << "trial " << trial;
        ++judged;
        inside += gap < test::pi;
    }
    EXPECT_GT(inside, 300);
    EXPECT_GT(judged - inside, 300);
    const struct {
        std::vector<double> x, y;
        bool surrounded;
    } lines[] = {{{1, -2, 3}, {0, 0, 0}, false},             // both sides of the centre
                 {{1, 2, 3}, {1, 2, 3}, false},              // one side
                 {{1, -1, 0.5}, {1, -1, 2}, false},          // a line and a point off it
                 {{1, -1, 0.5, -2}, {1, -1, 2, -1}, false},  // two off it, on one side
                 {{1, -1, 0.5, -0.5}, {1, -1, 2, -2}, true}, // one on each side
                 {{0, 0, 1}, {0, 0, 0}, false}}; // points at the centre count for nothing
    for (const auto& l : lines) {
        const double* const c[2] = {l.x.data(), l.y.data()};
        const double centre[2] = {0, 0};
        EXPECT_EQ(surrounds(c, static_cast<int>(l.x.size()), centre), l.surrounded)
            << l.x.size() << " points";
    }
}

} // namespace
} // namespace formeval
