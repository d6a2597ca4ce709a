// formeval's own evaluations as functions: every evaluation job of the batch
// program's job table, computed by its own routines on the points and
// tolerance given, with the numbers the job prints for the same record, to
// the last digit. The jobs and what each computes come from the job table:
// the straightness of a line and the flatness of a plane (least squares and
// minimum zone), the circularity of polar points about a fixed origin and the
// sphericity of spherical polar points (least squares and minimum zone), the
// four circle computations of Cartesian points (least squares, minimum zone,
// the peak or minimum circumscribing and the valley or maximum inscribing
// circle) and the staged minimum-zone sphere.
//
// Coordinates in any one unit (polar angles in degrees); every length
// returned is in that unit. The batch program keeps its state in
// program-wide variables and writes to the console: each call holds a lock
// for its duration, binds the console and the run files to buffers of its
// own, closes the console's input (an operator prompt takes its way out at
// once), starts as a job of its own would (the random state every job starts
// from, the tolerance, trace level 0, no stopped exchange), and restores the
// console and the globals afterwards. So the functions are safe to call from
// several threads (one computes at a time) and write nothing, provided no
// other code of the calling program writes to std::cout during a call.
#pragma once

#include "../pointset/pointset.h"

#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::methods {

using pointset::Criterion;
using pointset::Feature;
using pointset::Points;

// Most points an evaluation takes, as the batch program's point arrays hold.
constexpr std::size_t maxpoints = 2048;

// Largest coordinate magnitude the evaluations take, as the batch program
// reads its records.
constexpr double maxcoordinate = 1e100;

// How a job's record gives its points: Cartesian x y (z), or polar about the
// origin the job fits (a circle's radius and angle, a sphere's radius,
// azimuth and elevation).
enum class Form { cartesian, polar };

// Why a function gave no result.
enum class Refusal {
    none,         // evaluated
    points,       // points no record can hold: another dimension, too many, not finite, too large
    toofew,       // fewer points than the job takes
    undetermined, // points that determine no feature (all on one line for a circle ...)
    criterion,    // a criterion the feature's jobs do not compute
    nofit,        // the computation found no feature that fits (a result that is not finite)
    tolerance     // a tolerance no record can hold: negative, not a number, beyond 1e100
};

// What one evaluation gives. Parameters the feature does not have are NaN:
// a line y = intercept + slopex x and a plane z = intercept + slopex x +
// slopey y (the batch program's y0 l0, z0 l0 m0), a circle's or sphere's
// centre (x, y, z) and radius r (r0 xo y0 z0; of the polar jobs the centre's
// offset from the polar origin).
struct Result {
    bool evaluated = false;
    Refusal refusal = Refusal::none;
    // Why not evaluated, in the words of the batch program's refusal of the
    // record ("12 points are too few; the evaluation needs at least 4", "the
    // points lie on one line; they determine no circle", ...).
    std::string failure;
    int job = 0; // the job code that prints these numbers
    Criterion criterion = Criterion::leastsquares;
    static constexpr double none = std::numeric_limits<double>::quiet_NaN();
    double intercept = none, slopex = none, slopey = none;
    double x = none, y = none, z = none, r = none;
    double error = none; // the form error the batch program prints
    // False when a note of the batch program's says the numbers are not a
    // fit (a stage loop that did not settle, a stopped exchange, a singular
    // system, a search that fell back, a least-squares fit that lost its
    // digits).
    bool fitted = true;
    // True when a note says it is not the optimum of its criterion (a
    // feasible answer it holds does better, or its zone lost digits).
    bool notoptimal = false;
    // What the batch program wrote on its console during the computation,
    // line by line (blank lines left out); of a job that fits least squares
    // and minimum zone at once, with its first result.
    std::vector<std::string> notes;
    // Each point's deviation in the given order, as the batch program measures
    // it: lines along y and planes along z (observation minus the fit), the
    // polar jobs in their linearised model, Cartesian circles and spheres
    // radially (distance from the centre minus the radius). And its ISO
    // parameters: the highest deviation (p, 0 when none is positive), the
    // depth of the lowest (v), t = p + v, the root mean square q.
    std::vector<double> deviations;
    double t = 0, p = 0, v = 0, q = 0;
};

// What job `code`'s record holds, from the job table: its feature and the
// form of its points (every job with a record, evaluations and studies);
// nothing for the empty job or a code no job has.
struct Holds {
    Feature feature = Feature::line;
    Form form = Form::cartesian;
};
std::optional<Holds> recordholds(int code);

// The evaluation jobs of the job table that evaluate `feature` from points
// given in `form`, in the order of the criteria they compute: a Cartesian
// circle's four (least squares, minimum zone, peak, valley), one job for
// each other feature and form; none for a cylinder.
std::vector<int> evaluationjobs(Feature feature, Form form);

// The feature, form, fewest points and criteria of an evaluation job, from
// its entry in the job table; nothing for a code that is no evaluation job.
struct Job {
    int code = 0;
    Feature feature = Feature::line;
    Form form = Form::cartesian;
    int fewest = 0;                  // points
    std::vector<Criterion> criteria; // what it computes, in order
};
std::optional<Job> evaluationjob(int code);

// Job `code`'s results for the points, in the order of its criteria (both
// fits of a line, plane or polar job from one computation; the one result
// of a Cartesian circle or sphere job); one result that says why when the job
// refuses the points. `tolerance` is the record's tolerance (the batch
// program's cri, in the coordinates' unit): the solver's pivot threshold, the
// exchange's zero multiplier, the peak and valley searches' stop; 1e-6 is
// usual.
//
// Refused (evaluated false, failure says why), in this order: a code that is
// no evaluation job; points of another dimension than the job's record holds
// or a stride below it, no data; more than maxpoints points; a coordinate that
// is not finite or beyond +-maxcoordinate; fewer points than the job takes;
// points that determine no feature (as the job's determinacy test words it);
// no finite fit.
std::vector<Result> evaluatejob(int code, const Points& points, double tolerance);

// The result of `criterion` of the job that computes it for `feature` from
// points in `form`; refused also for a criterion no such job computes.
Result evaluate(const Points& points, Feature feature, Criterion criterion, double tolerance,
                Form form = Form::cartesian);

// The evaluation job whose computation study job `code` repeats (a Monte
// Carlo, perturbation or sampling study of a circle computation); 0 for a
// code that is no such study.
int studiedjob(int code);

// The linear model job `code` fits, of the points as its record gives them,
// built by the job's own routines: a line's rows (1, x) and observations y; a
// plane's (1, x, y) and z; a polar circle's (1, cos t, sin t) and r; a polar
// sphere's (1, cos t cos b, sin t cos b, sin b) and r. Returns the parameter
// count; 0 for a job that fits no linear model or points of another
// dimension.
int linearmodel(int code, const Points& points, std::vector<pointset::ModelRow>& rows,
                std::vector<double>& observations);

// The parameters p of job `code`'s linear model as the result's fields, in
// the job's order (y0 l0; z0 l0 m0; r0 x0 y0 (z0)).
void linearparameters(int code, const double* p, Result& r);

// What the batch program's notes before a result say of it. A note starts a
// line of the console; these are the beginnings of those that say the result
// is not a fit, or not the optimum of its criterion.
enum class NoteKind { notfitted, notoptimal };
struct NoteStart {
    std::string_view start;
    NoteKind kind;
};
constexpr std::array<NoteStart, 16> notestarts = {{
    {"The centre did not settle within ", NoteKind::notfitted},
    {"The minimum-zone fit was stopped ", NoteKind::notfitted},
    {"The fit of stage ", NoteKind::notfitted},
    {"The least-squares fit met a singular system", NoteKind::notfitted},
    {"The minimum-zone fit met a singular system", NoteKind::notfitted},
    {"The least-squares fit lost digits", NoteKind::notfitted},
    {"No answer at the console: the ", NoteKind::notfitted},
    {"3 answers in a row could not be used: the ", NoteKind::notfitted},
    {"The valley circle search did not end within ", NoteKind::notfitted},
    {"The circle through ", NoteKind::notfitted},
    {"The minimum-zone fit lost digits", NoteKind::notoptimal},
    {"The minimum-zone circle found is wider", NoteKind::notoptimal},
    {"The minimum-zone sphere found is wider", NoteKind::notoptimal},
    {"The minimum-zone fit found is wider", NoteKind::notoptimal},
    {"The peak circle found is larger", NoteKind::notoptimal},
    {"The valley circle found is smaller", NoteKind::notoptimal},
}};

// What the notes in `said` (console text, a note at the start of a line)
// say of the result they stand before.
struct Noted {
    bool notfitted = false;
    bool notoptimal = false;
};
Noted notedin(std::string_view said);

} // namespace formeval::methods
