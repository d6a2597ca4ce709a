// The tolerances of a drawing evaluated on a part's measured features:
// datums established from features by the default associations of ISO 5459,
// datum systems of up to three datums, and the characteristics of ISO 1101
// (form, orientation, location and run-out), each the value of the zone the
// standard defines, certified where that value is an optimum.
//
// Coordinates are in any one unit; every length returned is in that unit,
// angles are in degrees. Nothing here keeps state between calls or writes
// anything; the functions are safe to call from several threads on different
// inputs. They do not throw for data they cannot handle; they say why
// through `failure`.
//
// Associations chosen where the standards leave a choice:
// - a datum plane is the minimum-zone plane moved to the zone's face outside
//   the material (the constrained minimax plane: its orientation minimises
//   the largest distance of the points from a plane they all lie behind);
// - a datum axis is the axis of the smallest cylinder holding a shaft, or of
//   the largest cylinder inside a hole; a datum point the centre of the
//   smallest sphere (circle) holding a shaft or the largest inside a hole;
// - a common datum axis of two cylinders is the line through their axes'
//   points, each cylinder associated alone; a common datum plane of several
//   planes is the datum plane of all their points together;
// - a later datum is associated with the directions the earlier ones fix
//   (perpendicular to a datum plane, or parallel to a datum axis), and only
//   those;
// - a derived axis (ISO 14660-2, ISO 12180) is the line of the centres of the
//   least-squares circles in sections perpendicular to the feature's
//   least-squares axis; a derived centre that of the least-squares circle or
//   sphere.
#pragma once

#include "../pointset/pointset.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::tolerance {

using pointset::Certificate;
using pointset::Point;
using pointset::Vector;

// Which side of a surface the material lies on, where the association
// depends on it (a cylinder or sphere datum, a circle datum).
enum class Material { unstated, shaft, hole };

// A measured feature of a part: its points, read in place and unchanged
// during a call. A line or circle of points of 3 coordinates was measured in
// space: a line's straightness is the smallest cylinder holding it, a circle
// is evaluated in its least-squares plane.
struct Measured {
    std::string name;
    pointset::Feature type = pointset::Feature::plane;
    pointset::Points points;
    Material material = Material::unstated;
    // Planes: a direction roughly out of the material; a datum plane needs
    // it (the datum lies on the side away from the material).
    std::optional<Vector> outward;
    // Cylinders: how its points fall in sections across the axis. 0: runs of
    // points along the axis apart by more than a hundredth of their length
    // (a cylinder measured in circles); k > 1: k slabs of equal length.
    int sections = 0;
};

// Datums.

enum class DatumKind { plane, axis, point };

struct Datum {
    bool found = false;
    std::string failure;
    std::string label; // "A"; several features' common datum as the drawing names it, "A-B"
    DatumKind kind = DatumKind::plane;
    Point point = pointset::Reference::nan3();      // on the plane or axis; the point
    Vector direction = pointset::Reference::nan3(); // plane: unit normal out of the material;
                                                    // axis: unit direction; point: NaN
    std::string association;                        // the associated feature, in words
    // Of the association's optimum, on its criterion (a plane's zone width, a
    // cylinder's, sphere's or circle's radius); certified with NaN bounds
    // where it is no optimum (a plane whose normal the earlier datums fix)
    // or joins several (a common axis: certified when both of its are).
    Certificate certificate;
};

// A datum as the drawing names it: a letter (or "A-B") and its features.
struct DatumFeature {
    std::string label;
    std::vector<std::string> features; // one, or several for a common datum
};

// The coordinate system a sequence of datums sets up. The z axis is the
// primary datum's direction (a plane's normal into the material, an axis's
// direction); where a later plane fixes a direction, the coordinate along it
// is measured from that plane into the material, so that theoretically exact
// dimensions read as the drawing gives them. `located[k]`: whether
// coordinate k's zero is fixed by the datums; `oriented`: how many axes are
// fixed (0: none, a point datum alone; 1: z, the rotation about it free; 3:
// all).
struct DatumSystem {
    bool found = false;
    std::string failure;
    std::vector<Datum> datums; // in the order of precedence, each as associated here
    Point origin = {0, 0, 0};
    std::array<Vector, 3> axes = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    std::array<bool, 3> located = {false, false, false};
    int oriented = 0;
};

// The datum system of `labels` (one to three, in the order of precedence),
// each a datum of `datums` made of features of `features`.
DatumSystem datumsystem(const std::vector<std::string>& labels,
                        const std::vector<DatumFeature>& datums,
                        const std::vector<Measured>& features);

// Characteristics.

enum class Characteristic {
    straightness,
    flatness,
    roundness,
    cylindricity,
    sphericity,
    conicity,
    parallelism,
    perpendicularity,
    angularity,
    position,
    coaxiality,
    concentricity,
    radialrunout,
    axialrunout,
    totalradialrunout,
    totalaxialrunout,
};

struct CharacteristicTraits {
    Characteristic characteristic;
    const char* name; // as a part file and the tables name it: "total radial run-out"
    int fewestdatums;
    int mostdatums;
};
inline constexpr std::array<CharacteristicTraits, 16> characteristics = {{
    {Characteristic::straightness, "straightness", 0, 0},
    {Characteristic::flatness, "flatness", 0, 0},
    {Characteristic::roundness, "roundness", 0, 0},
    {Characteristic::cylindricity, "cylindricity", 0, 0},
    {Characteristic::sphericity, "sphericity", 0, 0},
    {Characteristic::conicity, "conicity", 0, 0},
    {Characteristic::parallelism, "parallelism", 1, 2},
    {Characteristic::perpendicularity, "perpendicularity", 1, 2},
    {Characteristic::angularity, "angularity", 1, 2},
    {Characteristic::position, "position", 1, 3},
    {Characteristic::coaxiality, "coaxiality", 1, 2},
    {Characteristic::concentricity, "concentricity", 1, 2},
    {Characteristic::radialrunout, "radial run-out", 1, 2},
    {Characteristic::axialrunout, "axial run-out", 1, 2},
    {Characteristic::totalradialrunout, "total radial run-out", 1, 2},
    {Characteristic::totalaxialrunout, "total axial run-out", 1, 2},
}};
constexpr const CharacteristicTraits& traits(Characteristic c) {
    return characteristics[static_cast<std::size_t>(c)];
}
std::optional<Characteristic> characteristicnamed(std::string_view name);

// A tolerance frame of the drawing.
struct Frame {
    Characteristic characteristic = Characteristic::flatness;
    std::string feature;             // the toleranced feature's name
    std::vector<std::string> datums; // labels in the order of precedence
    double tolerance = 0;            // the zone's width or diameter
    // Angularity: the theoretically exact angle between the feature and the
    // datum, degrees.
    double angle = 0;
    // Position: the feature's theoretically exact place in the datum
    // system's coordinates (a centre, a point on an axis or a plane) and its
    // direction (an axis's direction or a plane's normal).
    Point exact = {0, 0, 0};
    Vector exactdirection = {0, 0, 1};
};

// What a frame's characteristic comes to: the zone's width or diameter, the
// bounds proven on it where it is an optimum (lower = upper = value where it
// is a closed form on the datums), and the zone in words. Judged by simple
// acceptance (ISO 14253-1's default where no uncertainty is stated): within
// tolerance when the value's proven upper bound is at most the tolerance,
// beyond it when the lower bound exceeds it, else undecided; undecided too
// on a datum whose association is not certified, where nothing bounds how
// far the datum, and so the value, may be from the proven one.
enum class Verdict { within, beyond, undecided };

// How the toleranced feature lies in its zone, for charts. `zonepoints`
// holds a point of each of its points (or of its derived points: an axis's
// section centres, a centre), by the zone's shape:
// - planes (two parallel planes): (a, b, h), a and b its place along the
//   planes, h its height above the lower plane (0 to the value);
// - round (a cylinder, circle or sphere about an axis or a point): (a, b, h),
//   a and b its offset across the zone's axis from it (from the point), h its
//   place along the axis;
// - runout: (angle about the datum axis in radians, distance from the axis,
//   place along it), and `groups` the sections (radial) or circles (axial)
//   as their indices.
// none: form characteristics, whose charts are the feature's own.
enum class ZoneShape { none, planes, round, runout };

struct FrameValue {
    bool found = false;
    std::string failure; // why not found
    double value = 0;
    Certificate certificate;
    std::string zone;
    Verdict verdict = Verdict::undecided;
    DatumSystem system; // the datums it was evaluated against
    ZoneShape shape = ZoneShape::none;
    std::vector<Point> zonepoints;
    std::vector<std::vector<std::size_t>> groups;
};

// Words of the decision rule the verdicts follow, and of a verdict.
const char* decisionrule();
const char* verdictname(Verdict v);

struct Part {
    std::vector<Measured> features;
    std::vector<DatumFeature> datums;
    std::vector<Frame> frames;
};

// Each frame of the part, in its order, each datum system set up once for
// the frames that name the same datums. A frame that names a feature or a
// datum the part lacks, a feature of a type its characteristic does not
// take (a cone anything but conicity or radial run-out, a datum of a cone), or datums that do
// not fix what it needs is not found, and says so.
std::vector<FrameValue> evaluate(const Part& part);
FrameValue evaluate(const Frame& frame, const Part& part);

// Building blocks, exact or certified, for other callers and for checks.

// The least, over unit vectors m at `angle` degrees from the unit vector
// `axis` (every turn about it), of the spread max - min of m.p over the
// points, with the m that reaches it (certificate on the spread).
struct TurnedRange {
    double value = 0;
    Vector direction = {0, 0, 1};
    Certificate certificate;
};
TurnedRange turnedrange(const std::vector<Point>& points, const Vector& axis, double angle);

// The derived axis of a measured cylinder: the centres of the least-squares
// circles of its sections across its least-squares axis, in order along it.
// Empty, with `failure` set, where the points fall in fewer than two
// sections of three points or more.
std::vector<Point> derivedaxis(const Measured& cylinder, std::string& failure);

// The groups of `values` (indices into it, each group in the values'
// order) as Measured::sections makes them: runs apart by more than a
// hundredth of the values' spread, or `slabs` equal slabs when above 1.
std::vector<std::vector<std::size_t>> runs(const std::vector<double>& values, int slabs);

} // namespace formeval::tolerance
