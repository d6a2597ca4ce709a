// Point sets for the reference-feature tests, the transformations the results
// must not depend on, and brute-force oracles that know nothing of the
// library's kernels: every candidate centre or direction the optimum can take,
// tried in turn.
#pragma once

#include "pointset/pointset.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace formeval::pointset::test {

using P3 = std::array<double, 3>;

struct Span {
    double top, bottom;
};

// Points of 2 or 3 coordinates, owned, with a view of them.
struct Cloud {
    int dim = 2;
    std::vector<P3> p;
    std::vector<double> flat; // filled by view()
    Points view();
};

// A named set of points of a feature, a case of a parameterised test.
struct Named {
    std::string name;
    Feature feature;
    Cloud points;
};

// A noisy circle of radius r about (cx, cy) over `degrees` of arc from angle 0;
// radial form 'amp' (uniform noise plus a third harmonic of half the size).
Cloud circle(int n, double r, double cx, double cy, double amp, double degrees, std::uint32_t seed);
// A noisy sphere (or a cap of points with z >= cos(capdegrees) r).
Cloud sphere(int n, double r, const P3& c, double amp, double capdegrees, std::uint32_t seed);
// A noisy straight profile along x of the given length, form amp.
Cloud line(int n, double length, double amp, std::uint32_t seed);
// A noisy square plate of side `side` in the x-y plane, form amp.
Cloud plane(int n, double side, double amp, std::uint32_t seed);

// A cylinder of radius r about the z axis, `sections` sections of `per` points
// from z = -length / 2 to length / 2 over `degrees` of arc (or, with `helix`, one
// helix of sections * per points and `sections` turns): radial form
// amp cos(3 theta) plus uniform noise of half-width `noise`.
Cloud cylinder(int sections, int per, double r, double length, double amp, double noise,
               double degrees, std::uint32_t seed, bool helix = false);

// A cone about the z axis, radius r at z = 0 and half apex angle `half`
// (degrees), widening along z: `sections` sections of `per` points from
// z = -length / 2 to length / 2, each point moved across the surface by
// amp cos(3 theta) plus uniform noise of half-width `noise`.
Cloud cone(int sections, int per, double r, double half, double length, double amp, double noise,
           std::uint32_t seed);

// Rigid motions, scaling and reordering.
Cloud turned(Cloud c, double angle, const P3& axis); // rotation about the axis (2D: about z)
Cloud moved(Cloud c, const P3& by);
Cloud scaled(Cloud c, double factor);
Cloud shuffled(Cloud c, std::uint32_t seed);

// Deviations recomputed from a result's fields: radial for circles and
// spheres, from the axis for cylinders, across the surface for cones, along
// the normal for lines ((-dy, dx)) and planes.
std::vector<double> deviations(const Cloud& c, const Reference& r);

// Brute force. Minimum zone and circumscribed / inscribed radius.
double mzcircle(const std::vector<P3>& p);  // overlay vertices of the Voronoi diagrams
double mccircle(const std::vector<P3>& p);  // pairs and triples
double miccircle(const std::vector<P3>& p); // circumcentres in the hull, hull edges x bisectors
double mzsphere(const std::vector<P3>& p);
double mcsphere(const std::vector<P3>& p);
double mzwidth(const std::vector<P3>& p,
               int dim); // minimum width: normals of pairs (triples, edge pairs)
// The least width of all the points in space along the normals of the
// triples and pairs of pairs among the k highest and k lowest along `normal`:
// never below the minimum width, and that width when the narrowest slab
// touches the points among those.
double widthnear(const std::vector<P3>& p, const P3& normal, std::size_t k);

// Largest and smallest distance of the points from the axis through c along
// the unit u.
Span axialspread(const std::vector<P3>& p, const P3& c, const P3& u);

// Largest and smallest distance of the points from c.
double zoneabout(const std::vector<P3>& p, const P3& c, int dim);
double nearest(const std::vector<P3>& p, const P3& c, int dim);

} // namespace formeval::pointset::test
