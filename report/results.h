// formreport results: the exact reference features of a form evaluation and
// the ISO form parameters. The exact references are the optima of the
// criteria formeval's own computations approximate (the minimum zone of a
// line, plane, circle or sphere; the minimum circumscribing and maximum
// inscribing circle), each returned with a certificate: proven bounds on the
// optimum that agree to 1e-9 relative, or the reason they do not.
#pragma once

#include "pointset/pointset.h"
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

// The exact references and the ISO parameters come from the pointset library.
using pointset::Certificate;
using pointset::certifiedgap;
using pointset::certifytolerance;
using pointset::ExtremeCircle;
using pointset::IsoParameters;
using pointset::isoparameters;
using pointset::LinearZone;
using pointset::ModelRow;
using pointset::Point;
using pointset::RadialZone;
using pointset::Vector;

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
