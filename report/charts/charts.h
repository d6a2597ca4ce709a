// formreport's charts: histograms and convergence of study blocks, roundness
// charts with their harmonics, straightness profiles and flatness maps, as
// SVG or PNG.
#pragma once

#include "profile/profile.h"
#include "report/evaluation/evaluation.h"
#include "tolerance/tolerance.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace formeval::report {

// Profile analysis, from the profile library.
using profile::Harmonics;
using profile::maxharmonic;
using profile::PolarPoint;

// Histograms.

// What a histogram picture shows besides the bars.
struct HistogramLabels {
    std::string title;    // block and line range, the job when known
    std::string quantity; // name of the quantity, with the offset taken off its values
    std::string unit;     // unit of the values
    Basispoints coverage = defaultcoverage;
    bool hasmeasured = false; // the value without noise, marked
    double measured = 0;
    // A Gaussian of this mean and standard deviation drawn over the bars,
    // scaled to their counts (the uncertainty statements' histograms).
    bool gaussian = false;
    double gaussianmean = 0;
    double gaussiansd = 0;
};

// Polar plot geometry.

// Sizes of the plot in drawing units (SVG pixels).
struct PolarLayout {
    double plotradius = 290; // outermost grid ring
    double baseradius = 0.6; // fraction of plotradius where the minimum-zone radius is drawn
    double reach = 0.3;      // fraction of plotradius the largest deviation may take
};

// Largest magnification, rounded down to 1, 2 or 5 times a power of ten, at
// which deviations as large as `maxdeviation` take at most layout.reach of the
// plot radius, with the radius `radius` drawn at layout.baseradius. Deviations
// of zero give 1.
double automagnification(double maxdeviation, double radius, const PolarLayout& layout);

// Whether deviations from `lowest` to `highest` fit in the plot at
// `magnification` (they stay between 5 % of the plot radius and all of it).
bool magnificationfits(double magnification, double lowest, double highest, double radius,
                       const PolarLayout& layout);

// Polar plot data: the profile points and each reference circle as radial
// deviations about the minimum-zone centre, by angle.
struct PolarData {
    Fit centre;                      // the minimum-zone circle (the exact one where
                                     // formeval's is not it)
    std::vector<PolarPoint> profile; // by angle; an arc's from its start, angles increasing
    std::array<std::vector<PolarPoint>, ncriteria> curves; // empty where not drawable
    // The exact circles of the references formeval's circle is not, likewise.
    std::array<std::vector<PolarPoint>, ncriteria> exactcurves;
    double zoneinner = 0; // deviations of the two minimum-zone circles: the extremes of the
    double zoneouter = 0; // profile about the minimum-zone centre
    double lowest = 0;    // smallest deviation drawn
    double highest = 0;   // largest deviation drawn
    bool closed = true;   // the profile goes all round; otherwise an arc, and the
    double start = 0;     // curves run over its angles only, from `start` over
    double span = 0;      // `span` (radians)
    // Whether the points hold the circumscribing and inscribing circles all
    // round, making them references of the profile: closed, or an arc of 180
    // degrees or more (of a shorter arc the enclosing circle spans the chord).
    bool holdscircles() const { return closed || span >= 3.14159265358979323846; }
};

// Samples per reference curve: a degree apart round a closed profile, where
// the chord of the drawn curve departs from it by about a hundredth of a
// drawing unit.
constexpr int curvesamples = 360;

PolarData polardata(const XY& points, const Evaluated& evaluation);

// What a polar plot shows besides the data.
struct PolarLabels {
    std::string title;
    std::string unit;   // of the coordinates
    Subunit deviations; // in which deviations and errors are printed
    double magnification = 1;
    std::string filter; // the legend line of the filter applied; empty: none
    std::string note;   // a line under the title (an arc, a resampled or unfiltered profile)
    std::vector<PolarPoint> unfiltered; // the profile before filtering, drawn beneath
    std::size_t measured = 0;           // points evaluated, when more than the profile drawn
    std::string caption; // the last line: the part, operator, date ... and the filter
    // -1: numbers as formatnumber writes them; else in fixed notation, the
    // deviations' with this many decimals, positions to the same resolution.
    int fixeddecimals = -1;
};

// At most `most` of the profile's points for drawing, of many more: the
// highest and lowest of each of most/2 equal steps of angle, in order, so
// that the drawn profile keeps every peak and valley; as it is when it has
// no more.
std::vector<PolarPoint> decimated(const std::vector<PolarPoint>& profile, std::size_t most);

// Decimates the data's profile (and the labels' unfiltered one) for drawing
// when it has more than `most` points, and says so in the labels' note.
void thinprofile(PolarData& data, PolarLabels& labels, std::size_t most);

// Drawing units of the polar plots' rings: the division, in the deviations'
// sub-unit, of rings about 30 units apart at `unitsize` drawing units per
// sub-unit: 1, 2 or 5 times a power of ten.
double ringdivision(double unitsize);

// Whether formreport was built with cairo, and so with its pictures.
bool chartsavailable();

// Removes the picture being written, if any (its file under a name of its
// own): safe to call from a signal handler.
void removepartial();

// Pictures. Each draw function writes one picture into `path` in `format`
// and throws FileError, naming the path, when the file cannot be written.

enum class Format { svg, png };

// The histogram of a block's quantity, with its mean, coverage interval and
// measured value.
void drawhistogram(const std::string& path, Format format, const Histogram& histogram,
                   const Statistics& statistics, const HistogramLabels& labels);

// The running mean and interval ends of a block's quantity against the
// number of repetitions (a log scale), the final values, the tolerance delta
// about them and the measured value; `labels` as for its histogram.
void drawconvergence(const std::string& path, Format format, const Convergence& convergence,
                     const Statistics& statistics, const HistogramLabels& labels,
                     const std::string& verdict);

// The roundness chart: the profile and the reference circles as the
// polar data places them, magnified as `labels` says.
void drawpolar(const std::string& path, Format format, const PolarData& data,
               const Evaluated& evaluation, const PolarLabels& labels,
               const PolarLayout& layout = {});

// The bar chart of the amplitudes of UPR from .. to (1 .. maxharmonic by
// default), in the sub-unit, with the roundness chart's caption (the header
// line and the filter; none when empty) beneath.
void drawharmonics(const std::string& path, Format format, const Harmonics& h, const Subunit& unit,
                   const std::string& title, const std::string& note, const std::string& caption,
                   int from = 1, int to = maxharmonic);

// One part of a batch's trend: t, p, v, q of its judged reference (NaN:
// none) and its verdict ("pass", "fail", "undecided"; empty: not judged).
struct TrendPart {
    std::array<double, 4> values;
    std::string verdict;
};
struct TrendLabels {
    std::string title;
    std::string note;      // under the title: the criterion, the filter, the counts
    std::string parameter; // the axis' name: "RONt, RONp, RONv, RONq" or "t, p, v, q"
    Subunit unit;          // of the values
    double tolerance = 0;  // drawn across when above 0 (coordinate unit)
};

// The trend chart: t, p, v and q of each part in the order of the batch,
// the verdicts marked at t, the tolerance across.
void drawtrend(const std::string& path, Format format, const std::vector<TrendPart>& parts,
               const TrendLabels& labels);

// A stack of sections as its chart draws it: each section's z, its
// least-squares centre and its profile as deviations from its least-squares
// circle by angle.
struct StackSection {
    double z = 0, x = 0, y = 0;
    std::vector<PolarPoint> profile;
};
struct StackLabels {
    std::string title;
    std::string note;                        // under the title: the magnification, the z
    std::string key;                         // what the lines are
    std::string measures;                    // the stack's measures in words
    std::string caption;                     // the part, operator ... and the filter
    std::vector<std::string> levels, errors; // each section's z and roundness, as printed
    std::string levelname = "z";             // what the levels are
    std::string errorname = "RONt";          // what the errors are
    double magnification = 1;                // of the deviations and the centres' offsets
    double radius = 1;                       // drawn at the base radius: the sections' mean
};

// The magnification, 1, 2 or 5 times a power of ten, at which the largest
// deviation of the sections and the largest offset of a centre from their
// mean take a quarter of the `radius` together.
double stackmagnification(const std::vector<StackSection>& sections, double radius);

// The stack's chart: the sections' profiles one above the other in an
// oblique view, the lowest in front, and the axis through their centres.
void drawstack(const std::string& path, Format format, const std::vector<StackSection>& sections,
               const StackLabels& labels);

// What a tolerance frame's zone picture shows besides the zone.
struct ZoneLabels {
    std::string title;   // the frame: "perpendicularity of bore to A"
    std::string note;    // the zone in words and its value
    std::string caption; // the part, operator ... ; none when empty
    Subunit deviations;  // in which the zone's widths and offsets are drawn
    // Points of two parallel planes' zone drawn at most: of more, the lowest
    // and highest of each of half as many steps along the zone.
    std::size_t drawnpoints = 7200;
};

// The picture of a frame's zone (see tolerance::ZoneShape): two parallel
// planes edge on, a round zone along its axis, or run-out as a stack of the
// sections (radial) or circles (axial) about the datum axis. Nothing for a
// frame without a zone shape.
void drawzone(const std::string& path, Format format, const tolerance::FrameValue& value,
              const ZoneLabels& labels, bool radial);

// The straightness profile: each point's deviation from the minimum-zone
// line along the line, the zone and the least-squares line; and the
// flatness map: each point at its place, coloured by its deviation from the
// minimum-zone plane, with the colour scale. Deviations in `unit`, lengths
// in its coordinate unit; the points on the zone's bounds ringed.
// With `orthogonal`, the record's x is the position along the line and its y
// the deviation normal to it, and the texts say so. A profile of more than
// 7200 points is drawn as the lowest and highest of each of 3600 steps.
// `caption` is the line under the chart (the part, operator ... and the
// filter); none when empty.
void drawstraightness(const std::string& path, Format format, const JobRecord& record,
                      const Evaluated& e, const Subunit& unit, const std::string& title,
                      const std::string& caption, bool orthogonal = false);
void drawflatness(const std::string& path, Format format, const JobRecord& record,
                  const Evaluated& e, const Subunit& unit, const std::string& title,
                  const std::string& caption);

// A map of deviations over two coordinates of the feature: a plane's points
// at their place in it, or a cylinder or cone developed (the angle about its
// axis against the position along it). Up to mostmapdots points are dotted, each
// coloured by its deviation; more are drawn as cells coloured by their
// points' mean deviation, the highest and lowest point marked. The points
// on the minimum zone's bounds are ringed.
constexpr std::size_t mostmapdots = 2500;
struct DeviationMap {
    std::vector<double> u, v, d;  // place and deviation (in the sub-unit) of each point
    std::string ulabel, vlabel;   // the axes' names, with their units
    bool samescale = true;        // one scale on both axes (keeps a plane's shape)
    double ulow = notapplicable;  // the u axis' range (0 to 360 degrees about an axis);
    double uhigh = notapplicable; // NaN: the points'
    std::string title, what, key; // the title, the form errors, what the colours show
    std::string caption;          // the line under the chart; none when empty
    double scale = 0;             // the largest coordinate (sub-unit), for rounding
    bool cylinder = false;        // developed about an axis: the zone's bounds are cylinders,
    bool cone = false;            // or with this cones, not planes
};
void drawdeviationmap(const std::string& path, Format format, const DeviationMap& map,
                      const Subunit& unit);

// The points that define a minimum zone, on its two bounds: those whose
// deviation lies within `tolerance` of the highest or the lowest.
struct ZoneContacts {
    double low = 0, high = 0, tolerance = 0;
    std::vector<std::size_t> upper, lower; // the points on each bound, in order
    std::size_t points = 0;                // on either (both, in a zone of no width)
};
// Of `deviations` formed from numbers as large as `scale` (both in one unit):
// the tolerance, a millionth of the zone's width plus 64 rounding units of
// `scale`, keeps rounding from parting points that touch, and is the
// resolution of the charts' value labels (formatlabel).
ZoneContacts zonecontacts(const std::vector<double>& deviations, double scale);

// The values of a quantity as the pictures show them: less `offset`, times
// `factor`, in `unit`.
struct Shown {
    double offset = 0;
    double factor = 1;
    std::string unit;
    double operator()(double v) const { return (v - offset) * factor; }
    // The statistics as shown: the values less the offset, times the factor;
    // the standard deviation times the factor.
    Statistics operator()(const Statistics& s) const;
    // The running values and the tolerance as shown.
    Convergence operator()(const Convergence& c) const;
};

} // namespace formeval::report
