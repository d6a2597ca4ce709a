// formreport results: the exact reference features of a form evaluation and
// the ISO form parameters. The exact references are the optima of the
// criteria formeval's own computations approximate (the minimum zone of a
// line, plane, circle or sphere; the minimum circumscribing and maximum
// inscribing circle), each returned with a certificate: proven bounds on the
// optimum that agree to 1e-9 relative, or the reason they do not.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace formeval::report {

// Geometry.

using Point = std::array<double, 3>;    // x, y, z; z = 0 for points in the plane
using Vector = std::array<double, 3>;   // a direction or difference of directions
using ModelRow = std::array<double, 5>; // one point's row of a linear model, column 0 all ones

// Certificates.

// Relative agreement of the bounds that makes a reference exact.
constexpr double certifytolerance = 1e-9;

// The optimum of a reference's criterion (zone width, or radius) lies in
// [lower, upper]; upper is what the reference itself reaches. Certified when
// upper - lower is within certifytolerance of the form error (plus a few
// rounding units of the coordinates, for data without form error).
struct Certificate {
    bool certified = false;
    double lower = 0;
    double upper = 0;
    std::string why; // why not, when not certified
};

// Largest gap `upper - lower` a certificate may leave: certifytolerance of
// `error` plus rounding noise of coordinates as large as `scale`.
double certifiedgap(double error, double scale);

// min over unit v of max over w of w.v, for the vectors w in `dimension`
// (1 to 3) coordinates: the distance from the origin to the boundary of the
// vectors' convex hull when the origin is inside it, 0 on the boundary,
// negative outside. At most 40 vectors in three dimensions.
double inradius(const std::vector<Vector>& w, int dimension);

// Largest angle (radians) between the directions of consecutive points
// about the centre (cx, cy): below pi when the points go round the full
// circle. 2 pi for fewer than two points.
double largestgap(const std::vector<Point>& p, double cx, double cy);

// Exact references.

// Chebyshev (minimax) fit of the linear model f_i ~ a_i.p of n parameters
// (a_i[0] = 1: a zone of constant width along the observation). found is
// false when the rows do not determine the parameters.
struct LinearZone {
    bool found = false;
    ModelRow p = {}; // p[0] places the model mid-way in the zone
    double zone = 0; // largest minus smallest residual f_i - a_i.p
    Certificate certificate;
};
LinearZone chebyshevzone(const std::vector<ModelRow>& a, const std::vector<double>& f, int n);

// Minimum-zone circle (dimension 2) or sphere (dimension 3) of the points:
// the centre that minimises the spread of the distances to it, found by
// sequential linear programming from the algebraic least-squares centre and
// checked against the optimality conditions and a global lower bound.
struct RadialZone {
    bool found = false;
    Point centre = {};
    double radius = 0; // mid-way between the largest and smallest distance
    double zone = 0;   // largest minus smallest distance
    Certificate certificate;
};
RadialZone minzone(const std::vector<Point>& p, int dimension);

// Minimum enclosing circle and maximum inscribed circle (no point inside,
// centre within the points' convex hull) of points in the plane, on exact
// geometric predicates. `onhull`: the inscribed circle's centre lies on the
// hull boundary, so the hull rather than points all round bounds it.
struct ExtremeCircle {
    bool found = false;
    double x = 0;
    double y = 0;
    double r = 0;
    bool onhull = false;
    std::vector<int> support; // indices of the points on the circle that fix it
    Certificate certificate;  // on the radius
};
ExtremeCircle enclosingcircle(const std::vector<Point>& p);
ExtremeCircle inscribedcircle(const std::vector<Point>& p);

// ISO form parameters of deviations from a reference: the largest deviation
// above it (peak, p), the depth of the deepest point below it (valley, v),
// their sum (total, t; formeval's form error) and the root mean square (q).
// p and v are 0 when no deviation lies on their side.
struct IsoParameters {
    double t = 0;
    double p = 0;
    double v = 0;
    double q = 0;
};
IsoParameters isoparameters(const std::vector<double>& deviations);

} // namespace formeval::report
