// formreport's evaluation of job records: formeval's own computations run
// silently on a record, the exact references beside them, the ISO
// parameters; and the study blocks matched to the jobs that made them.
#pragma once

#include "methods/methods.h"
#include "pointset/pointset.h"
#include "report/evaluation/profilefilter.h"
#include "report/pointfiles/pointfiles.h"
#include "report/readers/readers.h"

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace formeval::report {

// The exact references and the ISO parameters come from the pointset library.
using pointset::Certificate;
using pointset::certifiedgap;
using pointset::certifytolerance;
using pointset::IsoParameters;
using pointset::isoparameters;
using pointset::LinearZone;
using pointset::ModelRow;
using pointset::Point;
using pointset::Vector;

// Record evaluation.

using methods::Form;
using pointset::Criterion;
using pointset::Feature;

// The criteria, in table and legend order; the charts keep one of each.
constexpr int ncriteria = static_cast<int>(pointset::criteria.size());
constexpr int indexof(Criterion c) {
    return static_cast<int>(c);
}
// A criterion's name in the tables ("minimum circumscribing") and in the
// charts' legends ("minimum circumscribing (MCCI)").
inline const char* referencename(Criterion c) {
    return pointset::traits(c).reference;
}
std::string legendname(Criterion c);
// Who computed a reference: formeval's own computation, the exact one beside
// it, or the pointset library's orthogonal one (deviations normal to the
// feature, the feature in any orientation).
enum class Source { program, exact, pointset };

constexpr double notapplicable = std::numeric_limits<double>::quiet_NaN();

// One reference feature of a record. Parameters the feature does not have
// are NaN: lines and planes z = intercept + slopex x + slopey y (a line's
// observation is y), circles and spheres a centre and radius (for the polar
// jobs the centre's offset from the polar origin).
struct Fit {
    Criterion criterion = Criterion::leastsquares;
    Source source = Source::program;
    double intercept = notapplicable;
    double slopex = notapplicable;
    double slopey = notapplicable;
    double x = notapplicable;
    double y = notapplicable;
    double z = notapplicable;
    double r = notapplicable;
    // pointset rows: a point of the feature and its unit direction, as
    // pointset::Reference gives them.
    Point point = pointset::Reference::nan3();
    Vector direction = pointset::Reference::nan3();
    double angle = notapplicable; // a cone's half apex angle (radians), as pointset gives it
    double error = 0;             // the form error: what formeval prints, or the exact zone
    IsoParameters iso;            // of the deviations as formeval measures them
    // Program rows with an exact counterpart: that reference's error, and
    // whether the two differ beyond certifytolerance.
    double exacterror = notapplicable;
    bool inexact = false;
    bool arc = false;        // a circumscribing or inscribing circle of points not all round
    bool cap = false;        // a circumscribing or inscribing sphere of points forming a cap
    bool onhull = false;     // an exact inscribed circle bounded by the hull
    Certificate certificate; // exact rows
    // formeval rows: no note of formeval's says it is not a fit (a stage loop
    // that did not settle, a stopped exchange, a singular system, a search that
    // fell back, a least-squares fit that lost its digits) ...
    bool fitted = true;
    // ... or that it is not the optimum of its criterion (a feasible answer
    // formeval holds beats it, or its zone lost digits).
    bool notoptimal = false;
    std::string said; // what formeval's computation wrote on its console
};

// A record evaluated: formeval's references and the exact ones beside them,
// or why there are none.
struct Evaluated {
    JobRecord record;
    // What the record holds; a point file (record.line its first point's line,
    // record.job 0) is Cartesian.
    Feature feature = Feature::circle;
    Form form = Form::cartesian;
    bool pointfile = false;
    // Circles: largest angular gap between neighbouring points about the
    // exact minimum-zone centre (the polar origin for job 2000), in degrees;
    // the points go all round when it is below 180.
    double largestgap = notapplicable;
    // Circles: whether the points go all round as the charts see them
    // (profile::profileextent: no gap beyond both twice the median one and
    // 30 degrees, and none of 180 degrees or more); otherwise an arc.
    bool allround = true;
    std::vector<Fit> fits;          // in table order, each program row before its exact one
    std::vector<std::string> notes; // references left out, and why
    std::string failure;            // why no reference could be computed
    std::string filter; // the filter of the pointset rows' profile, in words; empty: none
    // Of a stack of sections: a section's number from 1 in order of z and its
    // mean z; 0 and NaN for the stack's cylinder and for everything else.
    int section = 0;
    double sectionz = notapplicable;
    // With an uncertainty model: the form error t of the verdict's reference
    // as the model propagates it, y and U for the guarded decision, or why
    // there are none (`failure`).
    struct Uncertain {
        double y = notapplicable;
        double U = notapplicable;
        std::string failure;
    };
    std::optional<Uncertain> uncertain;

    bool ok() const { return failure.empty(); }
    // The reference of `criterion` from `source`; nullptr where there is none.
    const Fit* find(Criterion criterion, Source source = Source::program) const;
    // formeval's reference of `criterion` in an evaluation that is ok(), which
    // has every reference of its feature (the four of a circle record).
    const Fit& fit(Criterion criterion) const { return *find(criterion); }
};

// A reference with the deviations of the record's points from it, measured
// as formeval measures them: lines along y, planes along z, Cartesian
// circles and spheres radially, the polar jobs by their linearised model.
struct Measured {
    Fit reference;
    std::vector<double> deviations;
};

// References of a record with what could not be computed: `failure` when
// there are none at all, `notes` for single references left out.
struct FitSet {
    std::vector<Measured> fits;
    std::vector<std::string> notes;
    std::string failure;
};

// formeval's own references of a record, computed silently with formeval's
// routines exactly as its job computes them, in table order.
FitSet programfits(const JobRecord& record, Feature feature, Form form);

// The record's points in its own form (polar ones as the record gives them),
// point i's coordinates at [i * dimension].
std::vector<double> interleaved(const JobRecord& record, int dimension);

// One of formeval's results (the methods library's) as a reference, with its
// deviations.
Measured measured(methods::Result&& r);

// The exact references of a record for the criteria asked for (of the
// minimum zone of every feature, and for Cartesian circles also the enclosing
// and inscribed circles).
FitSet exactfits(const JobRecord& record, Feature feature, Form form,
                 const std::vector<Criterion>& criteria);

// The pointset library's exact reference of `criterion` (minimum zone,
// circumscribed or inscribed) of points in the plane (a circle) or in space
// (a sphere), with its ISO parameters and the points' radial deviations;
// nothing where it finds none.
std::optional<Measured> exactradial(const pointset::Points& points, Criterion criterion);

// Evaluates a record silently with formeval's computations (those its job's
// feature has: least squares and minimum zone; for Cartesian circles also the
// peak and valley circles), adds the exact reference beside each minimum-zone,
// peak and valley result, and the ISO parameters of every reference.
Evaluated evaluaterecord(const JobRecord& record);

// Whether formeval's result `ours` is not the optimum that the exact
// reference reaches, beyond what formeval's own stopping rule lets it miss
// by (ownallowance) or the exact certificate's tolerance with the rounding
// allowance of coordinates as large as `scale`, whichever is larger. Worse
// than the exact reference proves it; better only when the exact one is
// certified. `cri` is the job's tolerance.
bool differs(const Fit& ours, const Fit& exact, double scale, double cri);

// How far formeval's result of a criterion may lie from the exact optimum
// `exact` by its own stopping rule: the exchange stops once its worst
// deviation is within sqrt(1.01) of the levelled one, so a minimum zone may
// be off by that much of it; the peak and valley searches stop once no point
// lies more than cri beyond the circle, so their radius may be off by cri
// and their error by twice that.
double ownallowance(Criterion criterion, double exact, double cri);

// The ISO names of the four parameters of a feature: RONt, STRt, FLTt,
// SPHt ...; what a record holds in words ("circle", "polar circle").
std::array<std::string, 4> isonames(Feature feature);
std::string shapename(const Evaluated& e);

// The pointset library's references of `points`: every criterion of the
// feature (least squares, minimum zone, and for circles, spheres and
// cylinders circumscribed and inscribed), as pointset rows with their
// deviations when `deviations`; a criterion it cannot evaluate is a note,
// and `failure` says why when none could be.
FitSet pointsetfits(const pointset::Points& points, pointset::Feature feature, bool deviations);

// A job record's points in Cartesian coordinates (polar ones converted),
// point i's coordinates at [i * dimension] of its feature; nothing for a code
// that no job with a record has.
std::vector<double> cartesian(const JobRecord& record);

// A point file's feature evaluated by pointsetfits, without deviations; the
// circle's largest gap about its minimum-zone centre.
Evaluated evaluatepoints(const pointset::Points& points, pointset::Feature feature);

// The largest angular gap of the points about (cx, cy), in radians, and
// whether they go all round as the charts see them (Evaluated::allround).
struct AngularExtent {
    double largestgap = 0;
    bool allround = true;
};
AngularExtent angularextent(const std::vector<pointset::Point>& points, double cx, double cy);

// A stack of sections.

// Sections by z: sectiongap (pointfiles.h).
// The generatrices whose straightness is measured, equally spaced about the axis.
constexpr int generatrices = 36;

// The stack's measures beside its sections' circles and its cylinder,
// lengths in the coordinates' unit.
struct StackMeasures {
    double zlow = notapplicable, zhigh = notapplicable; // the first and last sections' z
    double taper = notapplicable;          // slope of the sections' least-squares radii against z
    double diameterchange = notapplicable; // 2 taper (zhigh - zlow)
    // The diameter of the smallest cylinder about the least-squares line in
    // space of the sections' least-squares centres that holds them all.
    double axis = notapplicable;
    // The largest minimum-zone straightness, along z, of the sections' radii
    // about their least-squares centres at one angle (of `generatrices`
    // angles, each radius interpolated linearly between the section's
    // neighbouring points, where they lie within three times its median
    // step; over the sections that have one there, two at least), and that
    // angle in degrees.
    double generatrix = notapplicable;
    double generatrixangle = notapplicable;
};

struct Stack {
    std::vector<Evaluated> sections;         // their circles in x and y, in order of z
    std::vector<std::vector<double>> points; // each section's points, x y x y ...
    Evaluated cylinder;                      // of every point
    StackMeasures measures;
    std::string failure; // why there is no stack: a section of fewer than 3 points ...
};

// The sections of points x, y, z: the points' indices section by section in
// order of z, grouped by z (a new section where z jumps by more than
// sectiongap of its range) or by the value of `column` (one a point), and
// each section's mean z; `failure` says why they make no stack (a section of
// fewer than 3 points, or only one section).
struct Sections {
    std::vector<std::vector<std::size_t>> members;
    std::vector<double> z;
    std::string failure;
};
Sections stacksections(const pointset::Points& points, const std::vector<double>* column = nullptr);

// A section's x and y, x y x y ...
std::vector<double> sectionxy(const pointset::Points& points,
                              const std::vector<std::size_t>& members);

// The stack of points x, y, z: sections by z, or by the value of `column`
// (one a point: the points of one value make a section), each needing 3
// points; 2 sections at least.
Stack evaluatestack(const pointset::Points& points, const std::vector<double>* column = nullptr);

// One pointset reference of `count` points as a point file's evaluation of
// that one reference (record.ordinal 1), its circle's largest gap in degrees
// given (NaN: not known).
Evaluated pointsetreference(const pointset::Reference& r, std::size_t count, double largestgap);

// The outlier rule of point files, off unless asked: a point is an outlier
// when its deviation from the least-squares feature lies more than `k`
// robust standard deviations (1.4826 times the median absolute deviation
// from the median, at least the coordinates' rounding; where over half the
// deviations are alike, as values at an instrument's resolution are, and
// it is below a tenth of their mean absolute deviation, 1.2533 times that,
// the limit then at least one and a half times the smallest deviation off
// the alike ones, a step of the resolution, where a fiftieth of the points
// (two at least) hold that level, so that it stays) from the median
// deviation; the feature is fitted again to the points kept, and the rule
// applied again to all of them, until the points kept do not change (at
// most outlierrounds times). A spike or a dust particle goes; the form
// stays, a lobe's deviations lying within about 1.1 of them from the median.
constexpr int outlierrounds = 10;
struct Outliers {
    std::vector<double> kept;         // the points kept, as given
    std::vector<std::size_t> removed; // of the outliers, from 0, in file order
    std::vector<double> deviations;   // of the outliers, from the last feature
    double scale = 0;                 // the robust standard deviation
    bool alike = false;   // over half the deviations alike: scale from their mean absolute one
    bool stepped = false; // alike, and the limit set by the step off them
    std::string failure;  // why the rule could not be applied
};
Outliers cutoutliers(const pointset::Points& points, pointset::Feature feature, double k);

// The outlier rule of a stack of sections (points x, y, z, grouped as
// stacksections groups them): each section's points judged on their own,
// about the section's least-squares circle in x and y, as the section alone
// is judged by `--feature circle`, so that a section off the others' axis
// keeps its points. `cut` holds every section's outliers in file order and
// the points kept (x, y, z); `summary` the count ("2 of 7200 points removed
// as outliers, each section's judged about its least-squares circle ..."),
// `notes` what the rule did in each section that lost points ("section 3,
// z 10: 1 of 3600 points removed as outliers ..."), the points numbered in
// the file. `sections` gives each point's section (from 1), so that the
// points kept are evaluated in the sections the rule judged: grouped by z
// again, a ring whose z steps by nearly the gap that divides sections would
// fall in two where a point of it went. Points that make no stack (the
// stack says why) are all kept, with no summary and no sections.
struct StackOutliers {
    Outliers cut;
    std::string summary;
    std::vector<std::string> notes;
    std::vector<double> sections;
};
StackOutliers cutstackoutliers(const pointset::Points& points, const std::vector<double>* column,
                               double k);

// The outliers `cut` found taken out of the file: its coordinates become the
// points kept, and each point's section (when a column gives them) goes
// with its point.
struct PointFile;
void removeoutliers(PointFile& file, Outliers&& cut);

// What the rule did, for a note: "2 of 3600 points removed as outliers
// (deviation from the median beyond 4 robust standard deviations, 0.000123,
// about the least-squares circle): point 17 (+0.0213), point 1800
// (-0.0101)"; the first ten named.
std::string outliernote(const Outliers& o, std::size_t count, pointset::Feature feature, double k,
                        int digits);

// Adds the pointset rows of a job record's points after its own rows (the
// record's points still in it); what cannot be evaluated goes to notes. With
// a filter (of a line or circle record) the rows are those of the filtered
// profile (filterpoints) and `filter` is set; a profile that cannot be
// filtered gets no rows and a note. `evaluated`, when given, receives the
// coordinates the rows are of.
void addorthogonal(Evaluated& e, const ProfileFilter& filter,
                   std::vector<double>* evaluated = nullptr);

// Circle evaluation for the charts.

// A circle's points in the plane, x and y apart: a circle record's (a polar
// record's converted), or a profile filtered from them.
struct XY {
    std::vector<double> x;
    std::vector<double> y;
};
XY planepoints(const JobRecord& record);

// A circle's chart: the four circle computations of formeval's Cartesian
// circle jobs on the points with the record's tolerance, silently, in
// criterion order, each with what it said. Then the exact minimum-zone,
// circumscribing and inscribing circles of the same points, each program fit
// marked `inexact` where it is not the exact one.
Evaluated evaluatecircle(const XY& points, double tolerance);

// Straightness and flatness: formeval's least-squares and minimum-zone fits
// of a line y = intercept + slopex x or a plane z = intercept + slopex x +
// slopey y, found as `results` finds them (programfits), silently: the two
// program fits, each with what it said, or `failure` where formeval fitted
// no line or plane, or its fits met a singular system.
Evaluated evaluateform(const JobRecord& record);

// Matches the study blocks to the study jobs of `stream` (named `file`): in
// order, each block to the next study job of its kind (repetitions or
// perturbation) and length (1000, 10 000 or 100 000 for a Monte Carlo study
// by its last digit, 10 000 for a sampling study; a block cut short to the
// next job only), starting again at the first job when the stream's jobs are
// used up (a result file of several runs). Sets each matched block's job and,
// for repetition blocks, the four results of the study's own computation on
// the points without noise. Returns a note for each block left unmatched.
std::vector<std::string> matchjobs(std::vector<Block>& blocks, const JobStream& stream,
                                   const std::string& file);

} // namespace formeval::report
