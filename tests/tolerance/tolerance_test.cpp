// Tolerance frames on built parts whose values follow in closed form from
// how they were built; the turned zone against brute force; every value
// unchanged when the whole part moves.
#include "tolerance/tolerance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace formeval::tolerance {
namespace {

using pointset::Feature;
constexpr double pi = 3.141592653589793;

// A part built from point lists it owns.
struct Built {
    std::deque<std::vector<double>> store;
    Part part;

    void add(const std::string& name, Feature type, const std::vector<Point>& p,
             Material material = Material::unstated, std::optional<Vector> outward = {},
             bool inspace = false) {
        const int dim = inspace ? 3 : pointset::traits(type).dimension;
        std::vector<double>& flat = store.emplace_back();
        for (const Point& q : p)
            for (int k = 0; k < dim; ++k) flat.push_back(q[k]);
        Measured m;
        m.name = name;
        m.type = type;
        m.points = {flat.data(), p.size(), dim, static_cast<std::size_t>(dim)};
        m.material = material;
        m.outward = outward;
        part.features.push_back(m);
    }
    void datum(const std::string& label, std::vector<std::string> features) {
        part.datums.push_back({label, std::move(features)});
    }
    // Adds a frame of tolerance 1.
    void frame(Characteristic c, const std::string& feature, std::vector<std::string> datums,
               double angle = 0, Point exact = {0, 0, 0}, Vector direction = {0, 0, 1}) {
        Frame f;
        f.characteristic = c;
        f.feature = feature;
        f.datums = std::move(datums);
        f.tolerance = 1;
        f.angle = angle;
        f.exact = exact;
        f.exactdirection = direction;
        part.frames.push_back(f);
    }
    // Moves every point (and outward direction) by the rotation R then the shift t.
    void move(const std::array<Vector, 3>& R, const Vector& t) {
        auto turn = [&](const Vector& v) {
            return Vector{R[0][0] * v[0] + R[0][1] * v[1] + R[0][2] * v[2],
                          R[1][0] * v[0] + R[1][1] * v[1] + R[1][2] * v[2],
                          R[2][0] * v[0] + R[2][1] * v[1] + R[2][2] * v[2]};
        };
        for (Measured& m : part.features) {
            if (m.points.dimension != 3) continue;
            double* d = const_cast<double*>(m.points.data);
            for (std::size_t i = 0; i < m.points.count; ++i) {
                const Vector q = turn({d[3 * i], d[3 * i + 1], d[3 * i + 2]});
                for (int k = 0; k < 3; ++k) d[3 * i + k] = q[k] + t[k];
            }
            if (m.outward) m.outward = turn(*m.outward);
        }
    }
};

// A rectangular face: points o + a u + b v on a grid over [0, la] x [0, lb],
// raised by height(a, b) along n = u x v.
std::vector<Point> face(const Point& o, const Vector& u, const Vector& v, double la, double lb,
                        double (*height)(double, double) = nullptr) {
    const Vector n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                      u[0] * v[1] - u[1] * v[0]};
    std::vector<Point> p;
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 10; ++j) {
            const double a = la * i / 10, b = lb * j / 10, h = height ? height(a, b) : 0;
            p.push_back({o[0] + a * u[0] + b * v[0] + h * n[0],
                         o[1] + a * u[1] + b * v[1] + h * n[1],
                         o[2] + a * u[2] + b * v[2] + h * n[2]});
        }
    return p;
}

// Rings of 24 points (angle 0 among them) across the unit direction d,
// each centred at o + t d + offset(t) (offset across d), of radius r(t).
struct Ring {
    double t;
    double ex, ey; // centre's offset in the basis x = (d x e_y or e_x), y = d x x
    double r;
};
std::vector<Point> rings(const Point& o, const Vector& d, const std::vector<Ring>& rs) {
    Vector x = std::fabs(d[0]) < 0.9 ? Vector{1, 0, 0} : Vector{0, 1, 0};
    const double xd = x[0] * d[0] + x[1] * d[1] + x[2] * d[2];
    for (int k = 0; k < 3; ++k) x[k] -= xd * d[k];
    const double xn = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    for (double& c : x) c /= xn;
    const Vector y = {d[1] * x[2] - d[2] * x[1], d[2] * x[0] - d[0] * x[2],
                      d[0] * x[1] - d[1] * x[0]};
    std::vector<Point> p;
    for (const Ring& g : rs)
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24, cx = g.ex + g.r * std::cos(a),
                         cy = g.ey + g.r * std::sin(a);
            p.push_back({o[0] + g.t * d[0] + cx * x[0] + cy * y[0],
                         o[1] + g.t * d[1] + cx * x[1] + cy * y[1],
                         o[2] + g.t * d[2] + cx * x[2] + cy * y[2]});
        }
    return p;
}

// A cone about the axis through o along the unit d, of radius r0 at o and half
// apex angle `half` (degrees), in rings of 24 points at `ts` along the axis,
// each point moved across the surface by amp cos(3 a): the lobes' peaks and
// valleys hold it in a zone of exactly 2 amp about the nominal cone.
std::vector<Point> taper(const Point& o, const Vector& d, double r0, double half,
                         const std::vector<double>& ts, double amp) {
    const double alpha = half * pi / 180;
    std::vector<Point> p;
    for (const double t : ts) {
        const std::vector<Point> ring = rings(o, d, {{t, 0, 0, 1}});
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const double e = amp * std::cos(3 * 2 * pi * static_cast<double>(i) / 24);
            const double rho = r0 + t * std::tan(alpha) + e * std::cos(alpha);
            const double along = -e * std::sin(alpha);
            Point q;
            for (int k = 0; k < 3; ++k) {
                const double centre = o[k] + t * d[k];
                q[k] = centre + rho * (ring[i][k] - centre) + along * d[k];
            }
            p.push_back(q);
        }
    }
    return p;
}

Vector unitv(Vector v) {
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / n, v[1] / n, v[2] / n};
}

// The base of a block: datum A the face z = 0 (material above), B the face
// x = 0 (material at x > 0) leaning out by `lean` over its height, C the
// face y = 0 (material at y > 0).
void block(Built& b, double lean = 0) {
    b.add("base", Feature::plane, face({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 100, 60),
          Material::unstated, Vector{0, 0, -1});
    b.add("side", Feature::plane, face({0, 0, 0}, {0, 1, 0}, unitv({-lean, 0, 1}), 60, 40),
          Material::unstated, Vector{-1, 0, 0});
    b.add("end", Feature::plane, face({0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 40, 100), Material::unstated,
          Vector{0, -1, 0});
    b.datum("A", {"base"});
    b.datum("B", {"side"});
    b.datum("C", {"end"});
}

// 56 points on a sphere of radius 6 about c, in 7 rings of 8.
std::vector<Point> ball(const Point& c) {
    std::vector<Point> p;
    for (int i = 0; i < 8; ++i)
        for (int j = 1; j < 8; ++j) {
            const double a = 2 * pi * i / 8, t = pi * j / 8;
            p.push_back({c[0] + 6 * std::sin(t) * std::cos(a), c[1] + 6 * std::sin(t) * std::sin(a),
                         c[2] + 6 * std::cos(t)});
        }
    return p;
}

// A shaft on the z axis: journals "left" (z 0 to 10) and "right" (z 90 to
// 100) of radius 5, perfect, the common datum A-B.
void shaft(Built& b) {
    std::vector<Ring> left, right;
    for (double t : {0.0, 5.0, 10.0}) left.push_back({t, 0, 0, 5});
    for (double t : {90.0, 95.0, 100.0}) right.push_back({t, 0, 0, 5});
    b.add("left", Feature::cylinder, rings({0, 0, 0}, {0, 0, 1}, left), Material::shaft);
    b.add("right", Feature::cylinder, rings({0, 0, 0}, {0, 0, 1}, right), Material::shaft);
    b.datum("A-B", {"left", "right"});
}

// The block's top at 40 high, off it by 0.003 - 1e-4 a + 5e-5 c over its
// 100 x 60: its corner a = 100, c = 0 lies lowest, 0.007 below.
std::vector<Point> slopingtop() {
    return face({0, 0, 40}, {1, 0, 0}, {0, 1, 0}, 100, 60,
                [](double a, double c) { return 0.003 - 1e-4 * a + 5e-5 * c; });
}

// A wall x = 100 + 3e-4 z + 2e-4 y, 40 high and 60 long: leaning out of
// square with A and twisted about A's normal against B.
std::vector<Point> twistedwall() {
    return face({100, 0, 0}, unitv({2e-4, 1, 0}), unitv({3e-4, 0, 1}), 60, 40);
}
// Its zone perpendicular to A: the lean alone where the zone may turn about
// A's normal; the lean and the twist where B holds the zone square to it.
double wallwidth(bool turnfixed) {
    const Vector u = unitv({2e-4, 1, 0}), w = unitv({3e-4, 0, 1});
    if (turnfixed) return 60 * u[0] + 40 * w[0];
    // Seen along A's normal the wall is a segment 60 long leaning by
    // atan(2e-4); the lean's 40 w rises at it obliquely.
    const double along = std::atan2(u[0], u[1]);
    return 40 * w[0] * std::cos(along);
}

// Circles of radius 2, 4 and 6 on the end face z = 100, tilted by 1e-4 in
// x, each circle raised by its own 1e-3 times its radius.
std::vector<Point> wobblingface() {
    std::vector<Point> p;
    for (double r : {2.0, 4.0, 6.0})
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24, x = r * std::cos(a), y = r * std::sin(a);
            p.push_back({x, y, 100 + 1e-4 * x + 1e-3 * r});
        }
    return p;
}

// A journal on the shaft's axis, its sections off it by 3 and 7
// micrometres and one of them 0.01 larger.
std::vector<Point> eccentricjournal() {
    return rings({0, 0, 0}, {0, 0, 1}, {{40, 0.003, 0, 8}, {50, 0, 0.007, 8.01}, {60, 0, 0, 8}});
}

// A bore from (50, 30, 0) inclined to the base by `degrees` towards x,
// measured in circles of radius 3 at 2, 12, 22 and 32 along it.
std::vector<Point> inclinedbore(double degrees) {
    const double e = degrees * pi / 180;
    std::vector<Ring> rs;
    for (double t : {2.0, 12.0, 22.0, 32.0}) rs.push_back({t, 0, 0, 3});
    return rings({50, 30, 0}, {std::cos(e), 0, std::sin(e)}, rs);
}

// A bore from (50, 30, 0) leaning by 3e-3 in x and -4e-3 in y, measured in
// circles of radius 4 at 2, 12, 22 and 32 along it: its direction.
Vector leaningbore(Built& b) {
    const Vector d = unitv({3e-3, -4e-3, 1});
    std::vector<Ring> rs;
    for (double t : {2.0, 12.0, 22.0, 32.0}) rs.push_back({t, 0, 0, 4});
    b.add("bore", Feature::cylinder, rings({50, 30, 0}, d, rs), Material::hole);
    return d;
}

struct Case {
    std::string name;
    // Builds the part and its frame; returns the value expected in closed form.
    double (*build)(Built& b);
};

const Case cases[] = {
    {"ParallelismOfAFaceTiltedOverItsLength",
     [](Built& b) {
         block(b);
         b.add("top", Feature::plane,
               face({0, 0, 40}, {1, 0, 0}, {0, 1, 0}, 100, 60,
                    [](double a, double) { return 2e-4 * a; }),
               Material::unstated, Vector{0, 0, 1});
         b.frame(Characteristic::parallelism, "top", {"A"});
         return 100 * 2e-4; // its rise along A's normal over its length
     }},
    {"PerpendicularityOfAWallLeaningOverItsHeight",
     [](Built& b) {
         block(b);
         const Vector up = unitv({3e-4, 0, 1});
         b.add("wall", Feature::plane, face({100, 0, 0}, {0, 1, 0}, up, 60, 40), Material::unstated,
               Vector{1, 0, 0});
         b.frame(Characteristic::perpendicularity, "wall", {"A"});
         return 40 * up[0];
     }},
    {"AngularityOfAChamferOffItsAngleByAKnownTilt",
     [](Built& b) {
         block(b);
         // A chamfer at 30.01 degrees to A, toleranced at 30: 20 long up the slope.
         const double a = 30.01 * pi / 180;
         b.add("chamfer", Feature::plane,
               face({100, 0, 0}, {0, 1, 0}, {-std::cos(a), 0, std::sin(a)}, 60, 20),
               Material::unstated, Vector{std::sin(a), 0, std::cos(a)});
         b.frame(Characteristic::angularity, "chamfer", {"A"}, 30);
         return 20 * std::sin(0.01 * pi / 180);
     }},
    {"PositionOfABoreOffsetAndTiltedInTheBlock",
     [](Built& b) {
         block(b);
         // Exact at (30, 20); made at (30.01, 19.995), leaning 1e-3 in x and 2e-3 in y.
         const Vector d = unitv({1e-3, 2e-3, 1});
         std::vector<Ring> rs;
         for (double t : {5.0, 15.0, 25.0, 35.0}) rs.push_back({t, 0, 0, 4});
         b.add("bore", Feature::cylinder, rings({30.01, 19.995, 0}, d, rs), Material::hole);
         b.frame(Characteristic::position, "bore", {"A", "B", "C"}, 0, {30, 20, 0});
         double r = 0;
         for (double t : {5.0, 15.0, 25.0, 35.0})
             r = std::max(r, std::hypot(0.01 + t * d[0], -0.005 + t * d[1]));
         return 2 * r;
     }},
    {"PositionOfAFaceAboutItsExactHeight",
     [](Built& b) {
         block(b);
         b.add("top", Feature::plane, slopingtop(), Material::unstated, Vector{0, 0, 1});
         b.frame(Characteristic::position, "top", {"A"}, 0, {0, 0, 40});
         return 2 * 0.007; // the corner a = 100, c = 0 lies lowest, 0.007 below
     }},
    {"PerpendicularityOfABoreAxisIsTheLengthOfItsLean",
     [](Built& b) {
         block(b);
         const Vector d = leaningbore(b);
         b.frame(Characteristic::perpendicularity, "bore", {"A"});
         return 30 * std::hypot(d[0], d[1]);
     }},
    // With B the zone is two planes perpendicular to A and parallel to B: the
    // lean across B alone counts.
    {"PerpendicularityOfABoreAxisWithBIsItsLeanAcrossB",
     [](Built& b) {
         block(b);
         const Vector d = leaningbore(b);
         b.frame(Characteristic::perpendicularity, "bore", {"A", "B"});
         return 30 * d[0];
     }},
    {"CoaxialityOfAJournalOffsetAndTilted",
     [](Built& b) {
         shaft(b);
         std::vector<Ring> rs;
         for (double t : {40.0, 50.0, 60.0}) rs.push_back({t, 0.002 + 1e-4 * (t - 40), -0.001, 8});
         b.add("journal", Feature::cylinder, rings({0, 0, 0}, {0, 0, 1}, rs), Material::shaft);
         b.frame(Characteristic::coaxiality, "journal", {"A-B"});
         return 2 * std::hypot(0.004, 0.001);
     }},
    {"RadialRunOutIsTwiceTheLargestEccentricity",
     [](Built& b) {
         shaft(b);
         b.add("journal", Feature::cylinder, eccentricjournal(), Material::shaft);
         b.frame(Characteristic::radialrunout, "journal", {"A-B"});
         return 2 * 0.007;
     }},
    {"TotalRadialRunOutSpansEverySection",
     [](Built& b) {
         shaft(b);
         b.add("journal", Feature::cylinder, eccentricjournal(), Material::shaft);
         b.frame(Characteristic::totalradialrunout, "journal", {"A-B"});
         return (8.01 + 0.007) - (8 - 0.003);
     }},
    // A taper of half angle 10 degrees whose axis runs 0.005 off the datum
    // axis: normal to its surface its radii swing by twice that, times cos 10.
    {"RadialRunOutOfAnOffsetTaperIsNormalToItsSurface",
     [](Built& b) {
         shaft(b);
         b.add("seat", Feature::cone, taper({0.005, 0, 30}, {0, 0, 1}, 6, 10, {10, 20, 30}, 0),
               Material::shaft);
         b.frame(Characteristic::radialrunout, "seat", {"A-B"});
         return 2 * 0.005 * std::cos(10 * pi / 180);
     }},
    {"TotalRadialRunOutOfAnOffsetTaper",
     [](Built& b) {
         shaft(b);
         b.add("seat", Feature::cone, taper({0.005, 0, 30}, {0, 0, -1}, 6, 25, {5, 15, 25}, 0),
               Material::shaft);
         b.frame(Characteristic::totalradialrunout, "seat", {"A-B"});
         return 2 * 0.005 * std::cos(25 * pi / 180);
     }},
    {"AxialRunOutOfAWobblingFace",
     [](Built& b) {
         shaft(b);
         b.add("end", Feature::plane, wobblingface(), Material::unstated, Vector{0, 0, 1});
         b.frame(Characteristic::axialrunout, "end", {"A-B"});
         return 2 * 1e-4 * 6;
     }},
    {"TotalAxialRunOutSpansEveryCircle",
     [](Built& b) {
         shaft(b);
         b.add("end", Feature::plane, wobblingface(), Material::unstated, Vector{0, 0, 1});
         b.frame(Characteristic::totalaxialrunout, "end", {"A-B"});
         return (1e-4 * 6 + 6e-3) - (-1e-4 * 2 + 2e-3);
     }},
    {"ConcentricityOfSectionsAboutTheDatumAxis",
     [](Built& b) {
         shaft(b);
         b.add("collar", Feature::cylinder,
               rings({0, 0, 0}, {0, 0, 1}, {{45, 0.003, 0.004, 8}, {55, -0.001, 0, 8}}),
               Material::shaft);
         b.frame(Characteristic::concentricity, "collar", {"A-B"});
         return 2 * 0.005;
     }},
    {"ConcentricityOfACircleAboutADatumCircle",
     [](Built& b) {
         std::vector<Point> inner, outer;
         for (int i = 0; i < 36; ++i) {
             const double a = 2 * pi * i / 36;
             inner.push_back({5 * std::cos(a), 5 * std::sin(a), 0});
             outer.push_back({0.006 + 9 * std::cos(a), -0.008 + 9 * std::sin(a), 0});
         }
         b.add("hub", Feature::circle, inner, Material::hole);
         b.add("rim", Feature::circle, outer, Material::shaft);
         b.datum("A", {"hub"});
         b.frame(Characteristic::concentricity, "rim", {"A"});
         return 2 * 0.01;
     }},
    {"PositionOfACentreInTheBlock",
     [](Built& b) {
         block(b);
         b.add("ball", Feature::sphere, ball({50.003, 30, 20.004}));
         b.frame(Characteristic::position, "ball", {"A", "B", "C"}, 0, {50, 30, 20});
         return 2 * 0.005;
     }},
    {"PositionFromASideLeaningOutOfTheBlock",
     [](Built& b) {
         // B leans out by 1e-3 over the block's height: the datum perpendicular to A
         // touches its top edge, 0.04 outside the base's edge.
         block(b, 1e-3);
         b.add("ball", Feature::sphere, ball({50, 30, 20}));
         b.frame(Characteristic::position, "ball", {"A", "B", "C"}, 0, {50, 30, 20});
         return 2 * 40 * unitv({-1e-3, 0, 1})[0] * -1;
     }},
    {"PositionOfAHoleClockedByASecondHole",
     [](Built& b) {
         // A the base; B a hole at (20, 20); C a hole at (60, 20.4) turns the x axis by
         // beta; D made at (20, 50), exact at 30 along y from B.
         b.add("base", Feature::plane, face({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 100, 60),
               Material::unstated, Vector{0, 0, -1});
         const auto hole = [](double x, double y) {
             std::vector<Ring> rs;
             for (double t : {5.0, 15.0, 25.0}) rs.push_back({t, 0, 0, 3});
             return rings({x, y, 0}, {0, 0, 1}, rs);
         };
         b.add("pilot", Feature::cylinder, hole(20, 20), Material::hole);
         b.add("clock", Feature::cylinder, hole(60, 20.4), Material::hole);
         b.add("hole", Feature::cylinder, hole(20, 50), Material::hole);
         b.datum("A", {"base"});
         b.datum("B", {"pilot"});
         b.datum("C", {"clock"});
         b.frame(Characteristic::position, "hole", {"A", "B", "C"}, 0, {0, 30, 0});
         const double beta = std::atan2(0.4, 40);
         return 4 * 30 * std::sin(beta / 2);
     }},
    {"StraightnessInSpaceIsTheCylinderHoldingTheLine",
     [](Built& b) {
         // Points on a cylinder of radius 0.002 about a line in space, all round it.
         const Vector d = unitv({1, 2, 2});
         std::vector<Ring> rs;
         for (int k = 0; k <= 10; ++k) rs.push_back({5.0 * k, 0, 0, 0.002});
         b.add("edge", Feature::line, rings({1, -2, 3}, d, rs), Material::unstated, {}, true);
         b.frame(Characteristic::straightness, "edge", {});
         return 2 * 0.002;
     }},
    {"RoundnessInSpaceOfALobedCircle",
     [](Built& b) {
         // A circle of radius 7 with three lobes of 0.004, in a tilted plane.
         const Vector d = unitv({0.3, -0.5, 1});
         std::vector<Point> p = rings({10, 20, 30}, d, {{0, 0, 0, 7}});
         const Point o = {10, 20, 30};
         for (std::size_t i = 0; i < p.size(); ++i) {
             const double a = 2 * pi * static_cast<double>(i) / 24,
                          grow = 0.004 * std::cos(3 * a) / 7;
             for (int k = 0; k < 3; ++k) p[i][k] += grow * (p[i][k] - o[k]);
         }
         b.add("edge", Feature::circle, p, Material::unstated, {}, true);
         b.frame(Characteristic::roundness, "edge", {});
         return 2 * 0.004;
     }},
    {"PerpendicularityOfATwistedWallWithItsTurnFree",
     [](Built& b) {
         block(b);
         b.add("wall", Feature::plane, twistedwall(), Material::unstated, Vector{1, 0, 0});
         b.frame(Characteristic::perpendicularity, "wall", {"A"});
         return wallwidth(false);
     }},
    {"PerpendicularityOfATwistedWallTurnedByASecondDatum",
     [](Built& b) {
         block(b);
         b.add("wall", Feature::plane, twistedwall(), Material::unstated, Vector{1, 0, 0});
         b.frame(Characteristic::perpendicularity, "wall", {"A", "B"});
         return wallwidth(true);
     }},
    {"AngularityOfABoreSteeperThanDrawn",
     [](Built& b) {
         // A bore drawn at 60 degrees to A, made at 60.02: its axis (30 long)
         // leaves any plane at 60 degrees to A by 30 sin(0.02 degrees).
         block(b);
         b.add("bore", Feature::cylinder, inclinedbore(60.02), Material::hole);
         b.frame(Characteristic::angularity, "bore", {"A"}, 60);
         return 30 * std::sin(0.02 * pi / 180);
     }},
    {"AngularityOfABoreShallowerThanDrawnLiesInAPlane",
     [](Built& b) {
         // At 59.98 degrees, shallower than drawn, the axis lies in a plane at 60.
         block(b);
         b.add("bore", Feature::cylinder, inclinedbore(59.98), Material::hole);
         b.frame(Characteristic::angularity, "bore", {"A"}, 60);
         return 0.0;
     }},
    {"AngularityOfAFaceToAnAxisPastARightAngleTurnedByASecondDatum",
     [](Built& b) {
         // A face at 120 degrees to the shaft's axis (its normal 30 degrees
         // from it), made at 30.01, 20 long up its slope; F, parallel to the
         // axis, fixes the zone's turn.
         shaft(b);
         b.add("flat", Feature::plane, face({10, -5, 20}, {0, 1, 0}, {0, 0, 1}, 10, 40),
               Material::unstated, Vector{1, 0, 0});
         b.datum("F", {"flat"});
         const double a = 30.01 * pi / 180;
         b.add("chamfer", Feature::plane,
               face({20, -5, 120}, {0, 1, 0}, {-std::cos(a), 0, std::sin(a)}, 10, 20));
         b.frame(Characteristic::angularity, "chamfer", {"A-B", "F"}, 120);
         return 20 * std::sin(0.01 * pi / 180);
     }},
    {"AngularityOfABoreTurnedOutOfTheSecondDatumsPlane",
     [](Built& b) {
         // A bore at 60 degrees to A, its axis turned by 5 degrees about A's
         // normal out of the plane B fixes: its 30 between the first and last
         // circles leave that plane's zone by 30 sin 60 cos 60 (1 - cos 5).
         block(b);
         const double e = 60 * pi / 180, t = 5 * pi / 180;
         std::vector<Ring> rs;
         for (double s : {2.0, 12.0, 22.0, 32.0}) rs.push_back({s, 0, 0, 3});
         b.add("bore", Feature::cylinder,
               rings({50, 30, 0},
                     {std::cos(e) * std::cos(t), std::cos(e) * std::sin(t), std::sin(e)}, rs),
               Material::hole);
         b.frame(Characteristic::angularity, "bore", {"A", "B"}, 60);
         return 30 * std::sin(e) * std::cos(e) * (1 - std::cos(t));
     }},
    {"PositionOfAFaceNeedsNoTurnAboutItsNormal",
     [](Built& b) {
         // The face's exact place named anywhere on it: A alone places it.
         block(b);
         b.add("top", Feature::plane, slopingtop(), Material::unstated, Vector{0, 0, 1});
         b.frame(Characteristic::position, "top", {"A"}, 0, {30, 20, 40});
         return 2 * 0.007;
     }},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Closed : public testing::TestWithParam<Case> {};

TEST_P(Closed, ValueIsTheBuiltDeviation) {
    Built b;
    const double expected = GetParam().build(b);
    const FrameValue v = evaluate(b.part).back();
    ASSERT_TRUE(v.found) << v.failure;
    EXPECT_NEAR(v.value, expected, 1e-9 * expected + 1e-12);
    EXPECT_TRUE(v.certificate.certified) << v.certificate.why;
    EXPECT_EQ(v.verdict, Verdict::within);
}

// The points a chart draws span the zone: from its lower plane to its upper
// one, out to its radius, or over the run-out in their section.
TEST_P(Closed, ZonePointsSpanTheZone) {
    Built b;
    GetParam().build(b);
    const FrameValue v = evaluate(b.part).back();
    ASSERT_TRUE(v.found) << v.failure;
    const Characteristic c = b.part.frames.back().characteristic;
    double low = 1e300, high = -1e300, reach = 0, runout = 0;
    for (const Point& q : v.zonepoints) {
        low = std::min(low, q[2]);
        high = std::max(high, q[2]);
        // A sphere's zone about a point: its distance in space.
        const bool sphere = c == Characteristic::position && v.zonepoints.size() == 1;
        reach = std::max(reach, 2 * std::hypot(q[0], q[1], sphere ? q[2] : 0.0));
    }
    for (const auto& g : v.groups) {
        const bool radial =
            c == Characteristic::radialrunout || c == Characteristic::totalradialrunout;
        double lo = 1e300, hi = -1e300;
        for (std::size_t i : g) {
            lo = std::min(lo, v.zonepoints[i][radial ? 1 : 2]);
            hi = std::max(hi, v.zonepoints[i][radial ? 1 : 2]);
        }
        runout = std::max(runout, hi - lo);
    }
    const double tight = 1e-9 * v.value + 1e-12;
    switch (v.shape) {
    case ZoneShape::planes:
        // Position's zone lies about the exact plane: the points touch one face.
        EXPECT_GE(low, -tight);
        EXPECT_LE(high, v.value + tight);
        EXPECT_TRUE(std::fabs(low) <= tight || std::fabs(high - v.value) <= tight)
            << low << " " << high;
        break;
    case ZoneShape::round:
        EXPECT_NEAR(reach, v.value, tight);
        break;
    case ZoneShape::runout:
        EXPECT_NEAR(runout, v.value, tight);
        break;
    case ZoneShape::none:
        EXPECT_TRUE(v.zonepoints.empty());
        EXPECT_TRUE(c == Characteristic::straightness || c == Characteristic::roundness);
        break;
    }
}

// The same part turned and moved far away gives the same value.
TEST_P(Closed, MovingThePartChangesNothing) {
    Built b;
    const double expected = GetParam().build(b);
    const double c = std::cos(0.7), s = std::sin(0.7), c2 = std::cos(-1.1), s2 = std::sin(-1.1);
    // A turn of 0.7 rad about z, then -1.1 rad about x.
    const std::array<Vector, 3> R = {{{c, -s, 0}, {c2 * s, c2 * c, -s2}, {s2 * s, s2 * c, c2}}};
    b.move(R, {250, -130, 75});
    const FrameValue v = evaluate(b.part).back();
    ASSERT_TRUE(v.found) << v.failure;
    EXPECT_NEAR(v.value, expected, 1e-9 * expected + 1e-11);
}

INSTANTIATE_TEST_SUITE_P(Parts, Closed, testing::ValuesIn(cases),
                         [](const auto& info) { return info.param.name; });

// Frames a part cannot evaluate, and what they say.
struct Refusal {
    std::string name;
    Frame frame;
    std::string failure;
};

Frame framed(Characteristic c, const std::string& feature, std::vector<std::string> datums,
             Point exact = {0, 0, 0}) {
    Frame f;
    f.characteristic = c;
    f.feature = feature;
    f.datums = std::move(datums);
    f.tolerance = 0.1;
    f.exact = exact;
    return f;
}

const Refusal refusals[] = {
    {"NoSuchFeature", framed(Characteristic::flatness, "ghost", {}),
     "the part has no feature ghost"},
    {"FormWithADatum", framed(Characteristic::flatness, "base", {"A"}),
     "flatness takes no datum, not 1"},
    {"OrientationWithoutADatum", framed(Characteristic::parallelism, "base", {}),
     "parallelism takes 1 to 2 datums, not 0"},
    {"NoSuchDatum", framed(Characteristic::parallelism, "base", {"Z"}), "the part has no datum Z"},
    {"DatumOfAMissingFeature", framed(Characteristic::parallelism, "base", {"G"}),
     "datum G names no feature of the part: ghost"},
    {"CylinderDatumOfNoMaterial", framed(Characteristic::parallelism, "base", {"P"}),
     "datum P: a cylinder needs its material, shaft or hole, to be a datum"},
    {"FormOfTheWrongFeature", framed(Characteristic::flatness, "pin", {}),
     "flatness is of a plane, and pin is a cylinder"},
    {"RunOutWithoutAnAxis", framed(Characteristic::radialrunout, "pin", {"A"}),
     "radial run-out: the datums fix no axis"},
    {"ADatumTwice", framed(Characteristic::position, "pin", {"A", "A"}),
     "datum A fixes nothing the datums before it leave free"},
    {"PositionWithoutItsCoordinates", framed(Characteristic::position, "bore", {"A"}, {30, 20, 0}),
     "position of bore: the datums fix no zero of the x coordinate"},
    {"RunOutOfAFlatFace", framed(Characteristic::radialrunout, "base", {"A-B"}),
     "radial run-out is of a surface of revolution (cylinder, cone, circle, sphere), and base "
     "is a plane"},
    {"ConicityOfACylinder", framed(Characteristic::conicity, "pin", {}),
     "conicity is of a cone, and pin is a cylinder"},
    {"CoaxialityOfACone", framed(Characteristic::coaxiality, "tip", {"A-B"}),
     "coaxiality is not evaluated of a cone here: only its conicity and radial run-out"},
    {"ADatumOfACone", framed(Characteristic::parallelism, "base", {"K"}),
     "datum K: a cone is no datum here"},
    {"ACentreOffTheAxisOfAFreeTurn", framed(Characteristic::position, "bore", {"A-B"}, {3, 0, 40}),
     "position of bore: the datums leave the turn about the z axis free"},
    {"ACrossCylinderAfterAnAxis", framed(Characteristic::coaxiality, "bore", {"A-B", "X"}),
     "datum X: a cylinder across the datums' direction is not associated as a datum yet"},
    {"ADatumPlaneWithoutItsSide", framed(Characteristic::parallelism, "base", {"L"}),
     "datum L: plane loose needs its outward direction, away from the material, to be a datum"},
    {"APointNotFinite", framed(Characteristic::flatness, "bad", {}),
     "bad: point 2 has a coordinate that is not a finite number within +-1e150"},
    {"ADatumOfAPointNotFinite", framed(Characteristic::parallelism, "base", {"N"}),
     "datum N: bad: point 2 has a coordinate that is not a finite number within +-1e150"},
    {"ADatumPlaneWhoseOutwardLiesInIt", framed(Characteristic::parallelism, "base", {"W"}),
     "datum W: plane edgeways: its outward direction lies nearly in the plane, which tells no "
     "side of it"},
    {"ACommonPlaneOfOppositeSides", framed(Characteristic::parallelism, "base", {"O"}),
     "datum O: the outward directions of its planes base and under point to opposite sides"},
    {"OrientationOfAPlaneOnOneLine", framed(Characteristic::parallelism, "seam", {"A"}),
     "seam: the points lie on one line, which determines no plane"},
    {"PositionOfAPlaneOnOneLine", framed(Characteristic::position, "seam", {"A"}, {0, 0, 5}),
     "seam: the points lie on one line, which determines no plane"},
    {"ADatumOfTheFeatureItself", framed(Characteristic::parallelism, "base", {"A"}),
     "datum A is base itself: a feature is not toleranced relative to itself"},
    {"AnAxisZoneWhoseTurnTheSecondDatumLeavesFree",
     framed(Characteristic::perpendicularity, "pin", {"A", "H"}),
     "datum H fixes no turn about datum A"},
    {"AxialRunOutOfAFaceOnAGrid", framed(Characteristic::axialrunout, "base", {"A-B"}),
     "axial run-out: the points of base form no circles about the datum axis (each of 3 points "
     "or more, all round it): measure the face in circles, or take its total axial run-out"},
};

class Refused : public testing::TestWithParam<Refusal> {};

TEST_P(Refused, SaysWhy) {
    Built b;
    block(b);
    shaft(b);
    std::vector<Ring> rs;
    for (double t : {5.0, 15.0, 25.0}) rs.push_back({t, 0, 0, 4});
    b.add("bore", Feature::cylinder, rings({30, 20, 0}, {0, 0, 1}, rs), Material::hole);
    b.add("pin", Feature::cylinder, rings({70, 20, 0}, {0, 0, 1}, rs));
    b.datum("H", {"bore"});
    b.add("bad", Feature::plane, {{0, 0, 0}, {1, 0, std::nan("")}, {0, 1, 0}, {1, 1, 0}});
    b.datum("G", {"ghost"});
    b.datum("P", {"pin"});
    b.datum("N", {"bad"});
    b.add("cross", Feature::cylinder, rings({0, -10, 50}, {0, 1, 0}, rs), Material::hole);
    b.datum("X", {"cross"});
    b.add("loose", Feature::plane, face({0, 0, 50}, {1, 0, 0}, {0, 1, 0}, 10, 10));
    b.datum("L", {"loose"});
    b.add("tip", Feature::cone, taper({70, 20, 40}, {0, 0, 1}, 4, 10, {0, 5, 10}, 0),
          Material::shaft);
    b.datum("K", {"tip"});
    b.add("edgeways", Feature::plane, face({0, 0, 50}, {1, 0, 0}, {0, 1, 0}, 10, 10),
          Material::unstated, Vector{1, 0, 0.05});
    b.datum("W", {"edgeways"});
    b.add("under", Feature::plane, face({120, 0, 0}, {1, 0, 0}, {0, 1, 0}, 10, 10),
          Material::unstated, Vector{0, 0, 1});
    b.datum("O", {"base", "under"});
    std::vector<Point> seam;
    for (int i = 0; i < 10; ++i) seam.push_back({3.0 * i, 2.0 * i, 5});
    b.add("seam", Feature::plane, seam, Material::unstated, Vector{0, 0, 1});
    const FrameValue v = evaluate(GetParam().frame, b.part);
    EXPECT_FALSE(v.found);
    EXPECT_EQ(v.failure, GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(Frames, Refused, testing::ValuesIn(refusals),
                         [](const auto& info) { return info.param.name; });

// A run-out about the feature's own axis still measures its form: not
// refused as an orientation or place relative to itself is.
TEST(OwnDatum, RunOutAboutItsOwnAxisIsEvaluated) {
    Built b;
    shaft(b);
    b.datum("L", {"left"});
    const FrameValue v = evaluate(framed(Characteristic::radialrunout, "left", {"L"}), b.part);
    EXPECT_TRUE(v.found) << v.failure;
}

// The verdict follows the value's bounds against the tolerance.
TEST(Verdict, WithinAtOrBelowTheToleranceBeyondAbove) {
    Built b;
    block(b);
    b.add(
        "top", Feature::plane,
        face({0, 0, 40}, {1, 0, 0}, {0, 1, 0}, 100, 60, [](double a, double) { return 2e-4 * a; }),
        Material::unstated, Vector{0, 0, 1});
    b.frame(Characteristic::parallelism, "top", {"A"});
    for (const auto& [tolerance, verdict] :
         {std::pair{0.0201, Verdict::within}, std::pair{0.0199, Verdict::beyond}}) {
        b.part.frames.back().tolerance = tolerance;
        EXPECT_EQ(evaluate(b.part).back().verdict, verdict) << tolerance;
    }
}

// A cone's zone is the narrowest of all, proven: within tolerance at or above
// it, beyond below it.
TEST(Verdict, ConicityIsTheLobesZoneProven) {
    const double amp = 0.002;
    for (const double half : {3.0, 20.0, 45.0}) {
        Built b;
        b.add("taper", Feature::cone,
              taper({12, -7, 30}, unitv({1, 2, 3}), 15, half, {-10, -4, 0, 5, 12}, amp));
        b.frame(Characteristic::conicity, "taper", {});
        for (const auto& [tolerance, verdict] :
             {std::pair{2.01 * amp, Verdict::within}, std::pair{1.99 * amp, Verdict::beyond}}) {
            b.part.frames.back().tolerance = tolerance;
            const FrameValue v = evaluate(b.part).back();
            ASSERT_TRUE(v.found) << v.failure;
            EXPECT_NEAR(v.value, 2 * amp, 1e-9 * 2 * amp) << half;
            EXPECT_TRUE(v.certificate.certified) << half << ": " << v.certificate.why;
            EXPECT_EQ(v.verdict, verdict) << half << " " << tolerance;
        }
    }
}

// The least spread over every turn, against a dense sweep refined by golden sections,
// which knows nothing of the bounds.
class Turned : public testing::TestWithParam<double> {};

double spreadat(const std::vector<Point>& p, const Vector& z, double angle, double phi) {
    Vector x = std::fabs(z[0]) < 0.9 ? Vector{1, 0, 0} : Vector{0, 1, 0};
    const double xz = x[0] * z[0] + x[1] * z[1] + x[2] * z[2];
    for (int k = 0; k < 3; ++k) x[k] -= xz * z[k];
    x = unitv(x);
    const Vector y = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2],
                      z[0] * x[1] - z[1] * x[0]};
    const double t = angle * pi / 180;
    Vector m;
    for (int k = 0; k < 3; ++k)
        m[k] = std::cos(t) * z[k] + std::sin(t) * (std::cos(phi) * x[k] + std::sin(phi) * y[k]);
    double lo = 1e300, hi = -1e300;
    for (const Point& q : p) {
        const double h = m[0] * q[0] + m[1] * q[1] + m[2] * q[2];
        lo = std::min(lo, h), hi = std::max(hi, h);
    }
    return hi - lo;
}

TEST_P(Turned, NoTurnDoesBetterThanTheBound) {
    std::mt19937 rng(7);
    std::normal_distribution<double> g(0, 1);
    std::vector<Point> p;
    for (int i = 0; i < 300; ++i) p.push_back({3 + 8 * g(rng), -2 + 3 * g(rng), 5 + 0.5 * g(rng)});
    const Vector z = unitv({0.2, -0.3, 1});
    const double angle = GetParam();
    const TurnedRange t = turnedrange(p, z, angle);
    ASSERT_TRUE(t.certificate.certified) << t.certificate.why;
    const int steps = 4000;
    std::vector<double> sweep(steps);
    for (int k = 0; k < steps; ++k) sweep[k] = spreadat(p, z, angle, 2 * pi * k / steps);
    double best = 1e300;
    for (int k = 0; k < steps; ++k) {
        if (sweep[k] > sweep[(k + 1) % steps] || sweep[k] > sweep[(k + steps - 1) % steps])
            continue;
        double a = 2 * pi * (k - 1) / steps, c = 2 * pi * (k + 1) / steps;
        for (int i = 0; i < 80; ++i) { // golden sections about the sweep's local least
            const double u = c - 0.618 * (c - a), w = a + 0.618 * (c - a);
            if (spreadat(p, z, angle, u) < spreadat(p, z, angle, w))
                c = w;
            else
                a = u;
        }
        best = std::min(best, spreadat(p, z, angle, (a + c) / 2));
    }
    EXPECT_LE(t.value, best + 1e-12);
    EXPECT_GE(t.value, best - 1e-9 * best);
    EXPECT_LE(t.certificate.lower, t.value);
    EXPECT_NEAR(spreadat(p, {t.direction[0], t.direction[1], t.direction[2]}, 0, 0), t.value,
                1e-12 * t.value);
}

INSTANTIATE_TEST_SUITE_P(Angles, Turned, testing::Values(0.0, 25.0, 90.0, 140.0),
                         [](const auto& info) {
                             return "Degrees" + std::to_string(static_cast<int>(info.param));
                         });

} // namespace
} // namespace formeval::tolerance
