// formreport results: the exact reference features of a form evaluation and
// the ISO form parameters. The exact references are the optima of the
// criteria formeval's own computations approximate (the minimum zone of a
// line, plane, circle or sphere; the minimum circumscribing and maximum
// inscribing circle), each returned with a certificate: proven bounds on the
// optimum that agree to 1e-9 relative, or the reason they do not.
#pragma once

#include "report/report.h"

#include <array>
#include <iosfwd>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <streambuf>
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
// negative outside. At most 40 vectors in three dimensions. `direction`, if
// given, receives a unit v that attains the minimum (the outward normal of the
// nearest side of the hull): the direction of least increase of a minimax
// objective whose active gradient differences are w.
double inradius(const std::vector<Vector>& w, int dimension, Vector* direction = nullptr);

// Largest angle (radians) between the directions of consecutive points
// about the centre (cx, cy): below pi when the points go round the full
// circle. 2 pi for fewer than two points.
double largestgap(const std::vector<Point>& p, double cx, double cy);

// Exact references.

// The exponent e for which the largest of the magnitudes times 2^-e lies in
// [0.5, 1), 0 when all are 0. Scaling by a power of two is exact, so the
// exact references are computed on points of unit size and scaled back: no
// square of a coordinate underflows or overflows, and a change of unit by a
// power of two changes nothing else.
int unitexponent(double largest);

// The points times 2^-exponent.
std::vector<Point> unitscaled(const std::vector<Point>& p, int exponent);

// The largest magnitude of any coordinate of the points.
double largestcoordinate(const std::vector<Point>& p);

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

// A circle found on points scaled by 2^-exponent (unitscaled), scaled back.
ExtremeCircle scaledback(ExtremeCircle c, int exponent);

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

// Job streams, every record.

// One record of a job stream, of any job that has one, as formeval reads it.
struct JobRecord {
    int ordinal = 0;                      // position of the job in the stream, from 1
    int job = 0;                          // the job code
    long line = 0;                        // line of the job code, from 1
    long numpt = 0;                       // the point count as the record gives it
    double cri = 0;                       // the tolerance
    std::array<std::vector<double>, 3> c; // each coordinate of the points, in record order
    std::string refused; // why formeval evaluates nothing, empty when it evaluates the points
};

// A job code formeval does not know, which it reads past as formreport does.
struct UnknownJob {
    long ordinal = 0;
    std::string text;
};

struct RecordStream {
    long jobs = 0;                   // job codes read
    std::vector<JobRecord> records;  // the records of the jobs that have one, in stream order
    std::vector<UnknownJob> unknown; // codes no job has
};

// Reads a whole job stream as formeval reads it, item by item with formeval's
// own reading of whole numbers and decimals, keeping every record; a record
// formeval refuses (too many points, a coordinate out of range, too few
// points for its job) is kept with the reason. Throws
// FileError, with the line and the job, where formeval finds the stream broken.
RecordStream readrecords(std::istream& in, const std::string& file);

// Where a record stands, for messages: "job 2500 (job 4 of the stream, line 30)".
std::string recordname(const JobRecord& r);

// Running formeval's computations silently.

// Binds the console and the run files to buffers for its lifetime and closes
// the console's input, so that a computation prints nothing and an operator
// prompt takes its way out at once; restores them afterwards.
class SilentConsole {
  public:
    SilentConsole();
    ~SilentConsole();
    SilentConsole(const SilentConsole&) = delete;
    SilentConsole& operator=(const SilentConsole&) = delete;

    // What was written on the console since the last call.
    std::string said();

  private:
    std::stringbuf said_, noinput_, files_;
    std::streambuf* coutbuf_;
    std::streambuf* cinbuf_;
    std::streambuf* imfilebuf_;
};

// Record evaluation.

// The feature of a record and how its points are given.
enum class Shape { line, plane, circle, polarcircle, sphere, polarsphere };
// The criteria of the references, in table order.
enum class Method { leastsquares, minimumzone, circumscribing, inscribing };
// Who computed a reference: formeval's own computation or the exact one.
enum class Source { program, exact };

constexpr double notapplicable = std::numeric_limits<double>::quiet_NaN();

// One reference feature of a record. Parameters the feature does not have
// are NaN: lines and planes z = intercept + slopex x + slopey y (a line's
// observation is y), circles and spheres a centre and radius (for the polar
// jobs the centre's offset from the polar origin).
struct Fit {
    Method method = Method::leastsquares;
    Source source = Source::program;
    double intercept = notapplicable;
    double slopex = notapplicable;
    double slopey = notapplicable;
    double x = notapplicable;
    double y = notapplicable;
    double z = notapplicable;
    double r = notapplicable;
    double error = 0;  // the form error: what formeval prints, or the exact zone
    IsoParameters iso; // of the deviations as formeval measures them
    // Program rows with an exact counterpart: that reference's error, and
    // whether the two differ beyond certifytolerance.
    double exacterror = notapplicable;
    bool inexact = false;
    bool arc = false;        // a circumscribing or inscribing circle of points not all round
    bool onhull = false;     // an exact inscribed circle bounded by the hull
    Certificate certificate; // exact rows
    bool fitted = true;      // formeval rows: not left by a singular system or a stopped exchange
    std::string said;        // what formeval's computation wrote on its console
};

struct Evaluated {
    JobRecord record;
    Shape shape = Shape::circle;
    // Circles: largest angular gap between neighbouring points about the
    // exact minimum-zone centre (the polar origin for job 2000), in degrees;
    // the points go all round when it is below 180.
    double largestgap = notapplicable;
    std::vector<Fit> fits;          // in table order, each program row before its exact one
    std::vector<std::string> notes; // references left out, and why
    std::string failure;            // why no reference could be computed
};

// A reference with the deviations of the record's points from it, measured
// as formeval measures them: lines along y, planes along z, Cartesian
// circles and spheres radially, the polar jobs by their linearised model.
struct Measured {
    Fit reference;
    std::vector<double> deviations;
};

// The shape of a job's records, from the job table; nothing for a job
// without a record.
std::optional<Shape> shapeofjob(int job);

// The linear model formeval fits to a line, plane or polar record: rows
// (1, x) and observations y; (1, x, y) and z; (1, cos t, sin t) and r;
// (1, cos t cos b, sin t cos b, sin b) and r. Returns the parameter count.
int linearmodel(const JobRecord& record, Shape shape, std::vector<ModelRow>& a,
                std::vector<double>& f);

// Sets the parameters of a line, plane or polar reference from those of its
// linear model, in formeval's order (y0 l0; z0 l0 m0; r0 x0 y0 (z0)).
void linearparameters(Shape shape, const double* p, Fit& reference);

// References of a record with what could not be computed: `failure` when
// there are none at all, `notes` for single references left out.
struct FitSet {
    std::vector<Measured> fits;
    std::vector<std::string> notes;
    std::string failure;
};

// formeval's own references of a record, computed silently with formeval's
// routines exactly as its job computes them, in table order.
FitSet programfits(const JobRecord& record, Shape shape);

// The exact references of a record for the criteria `methods` asks for (of
// the minimum zone of every shape, and for Cartesian circles also the
// enclosing and inscribed circles).
FitSet exactfits(const JobRecord& record, Shape shape, const std::vector<Method>& methods);

// Evaluates a record silently with formeval's computations (those its job's
// feature has: least squares and minimum zone; for Cartesian circles also the
// peak and valley circles), adds the exact reference beside each minimum-zone,
// peak and valley result, and the ISO parameters of every reference.
Evaluated evaluaterecord(const JobRecord& record);

// Whether formeval's result `ours` is not the optimum that the exact
// reference reaches, beyond certifytolerance of its form error (with the
// rounding allowance of coordinates as large as `scale`). Worse than the
// exact reference proves it; better only when the exact one is certified.
bool differs(const Fit& ours, const Fit& exact, double scale);

// The ISO names of the four parameters of a shape: RONt, STRt, FLTt, SPHt ...
std::array<std::string, 4> isonames(Shape shape);
const char* shapename(Shape shape);
const char* methodname(Method method);

// The results command.

enum class ResultsFormat { table, csv, json };

struct ResultsOptions {
    std::vector<std::string> inputs;
    ResultsFormat format = ResultsFormat::table;
    std::string unit = defaultunit;
    int digits = 12;
    std::optional<double> tolerance;     // for every job
    std::map<int, double> jobtolerances; // per job code, before `tolerance`
    ProgressMode progress = ProgressMode::automatic;
};

// Reads "VALUE" or "CODE=VALUE" into the options; an error text when it is
// neither (a tolerance must be a finite number of at least 0).
std::string addtolerance(const std::string& text, ResultsOptions& options);

// The tolerance for records of `job`, if any.
std::optional<double> tolerancefor(const ResultsOptions& options, int job);

// One input file's evaluated records and what was left out.
struct FileResults {
    std::string file;
    long jobs = 0;
    std::vector<Evaluated> records;
    std::vector<std::string> notes;
};

// One field of an output row: a number (NaN: none), a whole number, a text
// or a truth value.
struct Field {
    enum class Kind { number, whole, text, truth } kind = Kind::text;
    std::string name;
    double number = notapplicable;
    long whole = 0;
    std::string text;
    bool truth = false;
};

// The fields of the CSV and JSON row of one reference of a record, in column
// order. Every row has the same names.
std::vector<Field> rowfields(const std::string& file, const Evaluated& record, const Fit& reference,
                             const ResultsOptions& options);

// Output: an aligned table per record, CSV or JSON with one row (object) per
// record and reference.
void printresults(std::ostream& out, const std::vector<FileResults>& files,
                  const ResultsOptions& options);
void printresultscsv(std::ostream& out, const std::vector<FileResults>& files,
                     const ResultsOptions& options);
void printresultsjson(std::ostream& out, const std::vector<FileResults>& files,
                      const ResultsOptions& options);

// The command: results to `out`, messages and progress to `err`; returns the
// exit status.
int results(const ResultsOptions& options, std::ostream& out, std::ostream& err);

} // namespace formeval::report
