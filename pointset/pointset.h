// Reference features of any point set, certified: lines, planes, circles,
// spheres and cylinders by least squares, minimum zone, circumscribed and
// inscribed (evaluate), the minimum zone of formeval's own linear models
// (chebyshevzone), and the ISO form parameters of deviations from a
// reference. Each reference but least squares comes with a certificate:
// proven bounds on the optimum of its criterion that agree to
// certifytolerance relative, or the reason they do not.
//
// Coordinates are in any one unit; every length returned is in that unit.
// Nothing here keeps state between calls or writes anything: the functions
// are safe to call from several threads on different inputs. They do not
// throw for data they cannot handle; they say so through `found`, `failure`
// and the certificate's `why`.
//
// CGAL's exact predicates make the circumscribed circles and spheres and the
// hull that bounds an inscribed centre. Where the library was built without
// CGAL, `exactreferences()` is false and those references say so; the rest
// works.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::pointset {

// Whether the library was built with CGAL, and so with every reference.
bool exactreferences();

// Geometry.

using Point = std::array<double, 3>;    // x, y, z; z = 0 for points in the plane
using Vector = std::array<double, 3>;   // a direction or difference of directions
using ModelRow = std::array<double, 5>; // one point's row of a linear model, column 0 all ones

// Certificates.

// Relative agreement of the bounds that makes a reference exact.
constexpr double certifytolerance = 1e-9;

// The optimum of a reference's criterion (zone width, or radius, in the unit
// of the coordinates) lies in [lower, upper]; upper is what the reference
// itself reaches. Certified when upper - lower is within certifiedgap of the
// form error.
struct Certificate {
    bool certified = false;
    double lower = 0;
    double upper = 0;
    std::string why; // why not, when not certified
};

// Largest gap `upper - lower` a certificate may leave: certifytolerance of
// `error` plus 64 rounding units of coordinates as large as `scale` (both in
// the coordinates' unit), so that data without form error can be certified.
double certifiedgap(double error, double scale);

// Judges a certificate whose bounds are set: certified when they differ by
// at most certifiedgap(error, scale); otherwise `why` says so. Returns
// whether it is certified.
bool judge(Certificate& c, double error, double scale, const char* why);

// Largest angle (radians) between the directions of consecutive points
// about the centre (cx, cy): below pi when the points go round the full
// circle. 2 pi for fewer than two points.
double largestgap(const std::vector<Point>& p, double cx, double cy);

// Chebyshev (minimax) fit of the linear model f_i ~ a_i.p of n (1 to 4)
// parameters, a_i[0] = 1: a zone of constant width along the observation
// (formeval's own models: a line along y, a plane along z, the linearised
// polar circle and sphere). found is false for fewer rows than parameters,
// rows that do not determine the parameters or a linear program that fails;
// the certificate says why when its bounds disagree.
struct LinearZone {
    bool found = false;
    ModelRow p = {}; // p[0] places the model mid-way in the zone
    double zone = 0; // largest minus smallest residual f_i - a_i.p
    Certificate certificate;
};
LinearZone chebyshevzone(const std::vector<ModelRow>& a, const std::vector<double>& f, int n);

// ISO form parameters.

// Of deviations from a reference (in any unit; the parameters in the same):
// the largest deviation above it (peak, p), the depth of the deepest point
// below it (valley, v), their sum (total, t; the form error) and the root
// mean square (q). p and v are 0 when no deviation lies on their side; all
// are 0 for no deviations.
struct IsoParameters {
    double t = 0;
    double p = 0;
    double v = 0;
    double q = 0;
};
IsoParameters isoparameters(const std::vector<double>& deviations);

// Reference features of any number of points (evaluate.cpp), deviations
// normal to the feature as ISO 12780, 12181, 12781, 12180 define them;
// minimum-zone, circumscribed and inscribed results certified globally.

// A view of `count` points of `dimension` (2 or 3) coordinates: coordinate k
// of point i is data[i * stride + k] (an n x 2 or n x 3 row-major numpy array
// is {data, n, 2 or 3, 2 or 3}), read in place, unchanged during the call.
struct Points {
    const double* data = nullptr;
    std::size_t count = 0;
    int dimension = 2;
    std::size_t stride = 2; // doubles from one point to the next
};

// Of `points` (dimension 2 or 3), whether `centre` lies strictly inside
// their convex hull (z ignored in the plane): whether no line or plane
// through it has every point on one side of it or on it; the counterpart in
// space of a largest gap below pi. False for points whose hull has no
// interior (fewer than three in the plane or four in space, all on one line
// or plane), a centre on the hull's boundary, a coordinate that is not
// finite, a dimension or stride that does not fit. Decided exactly, by
// orientation predicates on the coordinates as given. Built without CGAL,
// true only where it is plain beyond rounding: some point strictly within
// each quadrant (octant) about the centre of the coordinate axes or of the
// points' principal axes; some points that surround a centre are then said
// not to (a verdict that rests on it stays undecided).
bool surrounds(const Points& points, const Point& centre);

// The features and the criteria, and what is known of each: stated here
// once for the library, formreport's readers, tables and charts, the
// uncertainty library and the Python package.
enum class Feature { line, plane, circle, sphere, cylinder, cone };
// leastsquares (orthogonal distances); minimumzone: the narrowest zone of two
// parallel lines or planes, or concentric circles, spheres or cylinders;
// circumscribed: the smallest feature holding every point; inscribed: the largest with no point
// inside, its centre within the points' hull; a cylinder's axis runs along the points (within
// atan(2 r / length) of the least-squares axis and within r of its middle, r its radius).
enum class Criterion { leastsquares, minimumzone, circumscribed, inscribed };

// What a reference's direction is: a line's or cylinder's axis, a plane's
// normal, or none (circles and spheres).
enum class Direction { none, along, normal };

struct FeatureTraits {
    Feature feature;
    const char* name;   // "line" ...
    const char* form;   // its form error: "straightness" ...
    int dimension;      // coordinates per point
    std::size_t fewest; // fewest points evaluate takes
    const char* stem;   // of the ISO parameters: STR, FLT, RON, SPH, CYL + t p v q
    bool centre;        // its point is a centre (circles, spheres)
    bool radius;        // it has a radius
    Direction direction;
    bool enclosing; // it has circumscribed and inscribed references
};
inline constexpr std::array<FeatureTraits, 6> features = {{
    {Feature::line, "line", "straightness", 2, 2, "STR", false, false, Direction::along, false},
    {Feature::plane, "plane", "flatness", 3, 3, "FLT", false, false, Direction::normal, false},
    {Feature::circle, "circle", "roundness", 2, 3, "RON", true, true, Direction::none, true},
    {Feature::sphere, "sphere", "sphericity", 3, 4, "SPH", true, true, Direction::none, true},
    {Feature::cylinder, "cylinder", "cylindricity", 3, 5, "CYL", false, true, Direction::along,
     true},
    {Feature::cone, "cone", "conicity", 3, 6, "CON", false, true, Direction::along, false},
}};
constexpr const FeatureTraits& traits(Feature f) {
    return features[static_cast<std::size_t>(f)];
}

// The names of a criterion where each names it.
struct CriterionTraits {
    Criterion criterion;
    const char* name;      // this library's: "circumscribed"
    const char* reference; // formreport's tables: "minimum circumscribing"
    const char* python;    // the Python package's: "minimum circumscribed"
    const char* formeval;  // the batch program's own: "peak"
    const char* circle;    // ISO 12181's name of the circle: "MCCI"
};
inline constexpr std::array<CriterionTraits, 4> criteria = {{
    {Criterion::leastsquares, "least squares", "least squares", "least squares", "least squares",
     "LSCI"},
    {Criterion::minimumzone, "minimum zone", "minimum zone", "minimum zone", "minimum zone",
     "MZCI"},
    {Criterion::circumscribed, "circumscribed", "minimum circumscribing", "minimum circumscribed",
     "peak", "MCCI"},
    {Criterion::inscribed, "inscribed", "maximum inscribing", "maximum inscribed", "valley",
     "MICI"},
}};
constexpr const CriterionTraits& traits(Criterion c) {
    return criteria[static_cast<std::size_t>(c)];
}

// Whether the criterion applies to the feature: least squares and minimum
// zone to every one, circumscribed and inscribed to circles, spheres and
// cylinders (a cone's smallest holding cone has no fixed apex angle to be
// the drawing's).
constexpr bool applies(Criterion c, Feature f) {
    return c == Criterion::leastsquares || c == Criterion::minimumzone || traits(f).enclosing;
}

// The feature or criterion of a name; a criterion by any of its names.
std::optional<Feature> featurenamed(std::string_view name);
std::optional<Criterion> criterionnamed(std::string_view name);

struct Nearby;

struct Options {
    bool deviations = true;  // fill Reference::deviations
    bool certificate = true; // prove the bounds; without, only the feature and t p v q
    long budget = 100000;    // most cells the global search examines, then the bracket
    // Points close to these, already evaluated by the same criterion (below);
    // null for none. The result is the same optimum, proven the same way,
    // reached in fewer steps.
    const Nearby* nearby = nullptr;
};

// point: a circle's or sphere's centre; for a line, plane, cylinder or cone
// the foot of the points' centroid on it (on its axis). direction: a line's or
// axis' unit direction, a plane's unit normal, turned to its largest
// component (the first of equal ones); a cone's axis points the way it
// widens instead; NaN for circles and spheres. A line's normal is its
// direction turned counterclockwise, (-dy, dx). z of a line or circle is
// NaN; so is the radius of a line or plane. A cone's radius is its radius at
// `point` (half the reference diameter) and `angle` half its apex angle
// (radians, 0 to pi/2): the radius grows by tan(angle) a unit along the axis.
// deviations: per point in the given order, the signed distance from the
// feature, n.(p - point) for lines and planes, |p - centre| - radius for
// circles and spheres, distance from the axis - radius for cylinders, the
// distance across the cone's surface for cones, (rho - radius - h tan(angle))
// cos(angle) with rho and h the point's distance from the axis and place along
// it from `point` (positive outside, or on the normal's side). t p v q (STR,
// FLT, RON, SPH, CYL, CON + t p v q): the highest deviation (p), the depth of
// the lowest (v), t = p + v, and the root mean square (q). The minimum zone
// lies mid-way in its zone (p = v), the circumscribed has p = 0, the inscribed
// v = 0.
// certificate: on the zone width t (minimum zone) or the radius; the result reaches upper (lower
// for the inscribed, whose radius is maximal). Least squares carries none: NaN bounds and a why.
// A minimum-zone cone is proven as a cylinder is, by a neighbourhood of the
// cone found and a global search over axis directions beyond it.
struct Reference {
    bool found = false;
    std::string failure; // why not found, in words
    Feature feature = Feature::line;
    Criterion criterion = Criterion::leastsquares;
    Point point = nan3();
    Vector direction = nan3();
    double radius = nan3()[0];
    double angle = nan3()[0]; // cones only
    double t = 0, p = 0, v = 0, q = 0;
    Certificate certificate;
    std::vector<double> deviations;
    // Inscribed circles and spheres: the centre lies on the points' convex
    // hull, which bounds it rather than points all round.
    bool onhull = false;

    static constexpr Point nan3() {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan};
    }
};

// The reference feature of the points by the criterion; safe from several
// threads at once, the same result every call. Fails (found false) for: a
// dimension or stride that does not fit the feature; a coordinate not finite
// or beyond +-1e150; too few points (a line 2, a plane or circle 3, a sphere
// 4, a cylinder 5, a cone 6); points that leave it undetermined, their spread in the
// weakest needed direction below 1e-8 of the strongest (all at one place, on
// one line for a plane, circle, cylinder or cone, on one plane or circle for a sphere, cylinder or
// cone;
// the spreads are root mean squares of the points' own distances along the principal directions);
// circumscribed or inscribed lines and planes; built without CGAL, circumscribed circles and
// spheres and hull-bound inscribed ones; an inscribed cylinder the points do not hold: a gap of
// 180 degrees or more in them about its axis, or wider than the smallest cylinder holding them.
// Certified: upper - lower within certifiedgap(t, largest coordinate).
Reference evaluate(const Points& points, Feature feature, Criterion criterion,
                   const Options& options = {});

// Points evaluated before, of which the points now given are a small move
// (a Monte Carlo trial of measured points): the same count and dimension, in
// the same order. Their reference starts the minimum zone's descent of
// circles, spheres and cylinders; the margin shortens a minimum-zone
// cylinder's certificate. Ignored where it does not fit (another feature or
// criterion, a reference not found, another count or dimension). `points`
// is read during each evaluation that uses it: keep its data alive.
struct Nearby {
    Points points;
    Reference reference;
    // Proven (minimum-zone cylinders): every axis more than `cone` radians
    // from the reference's leaves `points` a zone at least reference.t +
    // margin (coordinates' unit). Where the points now given lie within e of
    // these, less their mean move (a translation moves no zone), and their
    // zone found is at most reference.t + margin - 2 e, no axis beyond the
    // cone can do better, and the certificate's search looks within it only.
    // 0: nothing proven.
    double margin = 0;
    double cone = 0;
};

// The largest distance between corresponding points of `now` and `before`
// (the same count and dimension), less their mean move: no zone, moved with
// the points, changes by more than twice it. inf where they do not
// correspond.
double displacement(const Points& now, const Points& before);

// The Nearby of points and their reference, with the zone's margin proven
// beyond a cone about its axis for a minimum-zone cylinder (the narrowest
// cone the search can prove it for within options.budget, or none), and for
// anything else only the start.
Nearby nearby(const Points& points, const Reference& reference, double margin,
              const Options& options = {});

// The names of traits(): "line" ..., "least squares" ..., the ISO stems.
inline const char* featurename(Feature feature) {
    return traits(feature).name;
}
inline const char* criterionname(Criterion criterion) {
    return traits(criterion).name;
}
inline const char* isostem(Feature feature) {
    return traits(feature).stem;
}

} // namespace formeval::pointset
