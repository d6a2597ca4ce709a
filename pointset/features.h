// Reference features of any set of points, of any size: a line in the plane, a
// plane, a circle, a sphere (and a cylinder), each by least squares, minimum
// zone, and for circles and spheres the minimum circumscribed and maximum
// inscribed feature. Deviations are measured normal to the feature (ISO 12780
// straightness, 12181 roundness, 12781 flatness, 12180 cylindricity; sphericity
// likewise). Every minimum-zone, circumscribed and inscribed result carries
// proven bounds on the optimum of its criterion, found by a global search, not
// by polishing one start.
//
// Coordinates are in any one unit; every length returned is in that unit.
// Nothing here keeps state between calls or writes anything: `evaluate` is
// safe to call from several threads at once, and gives the same result for the
// same points every time. It never throws for data it cannot evaluate: it says
// why in `failure`.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace formeval::pointset {

// A view of `count` points of `dimension` (2 or 3) coordinates: coordinate k of
// point i is data[i * stride + k], so an n x 2 or n x 3 row-major array of
// doubles (a numpy array) is the view {data, n, 2 or 3, 2 or 3}. The points are
// read in place, never copied whole; they must stay unchanged during the call.
struct Points {
    const double* data = nullptr;
    std::size_t count = 0;
    int dimension = 2;
    std::size_t stride = 2; // doubles from one point to the next, at least dimension
};

// line: points of 2 coordinates (a straight profile in its plane); circle: 2;
// plane, sphere, cylinder: 3.
enum class Feature { line, plane, circle, sphere, cylinder };

// leastsquares: the orthogonal-distance (geometric) least-squares feature.
// minimumzone: the narrowest zone (two parallel lines or planes, two
// concentric circles, spheres or cylinders) holding every point.
// circumscribed / inscribed (circle, sphere, cylinder): the smallest feature
// holding every point / the largest with no point inside and its centre within
// the points' convex hull.
enum class Criterion { leastsquares, minimumzone, circumscribed, inscribed };

// Relative agreement of a certificate's bounds that makes a result exact.
constexpr double certifiedrelative = 1e-9;

// The optimum of the criterion (the zone width t for minimumzone, the radius
// for circumscribed and inscribed) lies in [lower, upper]; upper is what the
// result reaches. certified when upper - lower is at most 1e-9 of the form
// error t plus 64 rounding units of the coordinates' size. Least-squares
// results carry none: lower and upper NaN, why says so.
struct Certificate {
    bool certified = false;
    double lower = std::numeric_limits<double>::quiet_NaN();
    double upper = std::numeric_limits<double>::quiet_NaN();
    std::string why; // why not certified (the work budget ran out, ...); empty when certified
};

struct Options {
    bool deviations = true;  // fill Reference::deviations (one per point)
    bool certificate = true; // prove the bounds; without, only the feature and t p v q
    // Most cells the global search of a certificate may examine; past it the
    // certificate gives the bracket it reached and says so.
    long budget = 100000;
};

// One reference feature.
//
// point: a circle's or sphere's centre; for a line, plane or cylinder the foot
// of the points' centroid on the line, the plane or the axis. direction: the
// unit direction of a line or axis, the unit normal of a plane; NaN for circles
// and spheres. Coordinates a feature of the plane lacks (z of a line or circle)
// are NaN. A plane's normal, a line's direction and an axis point the way of
// their largest component (the first of equal ones); a line's normal is its
// direction turned a quarter turn counterclockwise, (-dy, dx).
//
// Deviation of a point: its signed distance from the feature, positive outside
// a circle, sphere or cylinder, on the normal's side of a line or plane:
// n.(p - point) for lines and planes, |p - centre| - radius for circles and
// spheres, distance from the axis - radius for cylinders. Every number below
// can be recomputed from these fields and the points.
//
// t p v q (RONt, STRt, FLTt, SPHt, CYLt ...): the largest deviation above the
// feature (p), the depth of the deepest point below it (v), t = p + v, and the
// root mean square deviation (q). The minimum-zone feature lies mid-way in its
// zone (p = v = t / 2); the circumscribed has p = 0, the inscribed v = 0.
struct Reference {
    bool found = false;
    std::string failure; // why there is no result: too few points, points on one line...
    Feature feature = Feature::line;
    Criterion criterion = Criterion::leastsquares;
    std::array<double, 3> point = nan3();
    std::array<double, 3> direction = nan3();
    double radius = std::numeric_limits<double>::quiet_NaN();
    double t = 0;
    double p = 0;
    double v = 0;
    double q = 0;
    Certificate certificate;
    std::vector<double> deviations; // per point, in the order given; empty if not asked

    static constexpr std::array<double, 3> nan3() {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan};
    }
};

// The reference feature of the points by the criterion. Fails (found false,
// failure in words) for: no points or a dimension or stride that does not fit
// the feature; a coordinate that is not finite or beyond +-1e150; fewer points
// than the feature needs (2 for a line, 3 for a plane or circle, 4 for a
// sphere, 5 for a cylinder); points that leave it undetermined (all at one
// place for a line, on one line for a plane, circle or cylinder, on one plane or
// circle for a sphere), judged like formeval's own fits: the spread in the
// weakest direction below 1e-8 of that in the strongest; a criterion the
// feature does not have (circumscribed or inscribed lines and planes).
Reference evaluate(const Points& points, Feature feature, Criterion criterion,
                   const Options& options = {});

// Names for messages and files: "line", "plane", "circle", "sphere",
// "cylinder"; "least squares", "minimum zone", "circumscribed", "inscribed";
// the ISO parameter stem of a feature: "STR", "FLT", "RON", "SPH", "CYL".
const char* featurename(Feature feature);
const char* criterionname(Criterion criterion);
const char* isostem(Feature feature);

} // namespace formeval::pointset
