// formreport's tables: the summary of study blocks as aligned text or CSV,
// the convergence verdict, and the results of evaluated records as aligned
// text, CSV or JSON.
#pragma once

#include "profile/profile.h"
#include "report/evaluation/evaluation.h"
#include "report/pointfiles/pointfiles.h"
#include "report/rows/rows.h"
#include "uncertainty/uncertainty.h"

#include <array>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace formeval::report {

// The verdict on a quantity of a block of `repetitions` lines: whether its
// repetitions were enough, or how many would be.
std::string convergenceverdict(const Convergence& c, long repetitions);

// Summary output.

// For a block of repetitions of another length than a whole study, what may
// have happened, to follow "The block " or "block k "; otherwise "".
std::string lengthnote(const Block& block);

// The blocks as aligned tables, numbers with `digits` significant digits.
void printtables(std::ostream& out, const std::string& file, const std::vector<Block>& blocks,
                 Basispoints coverage, int digits);

// The blocks as CSV, one row per block and quantity, numbers in their
// shortest round-trip form.
void printcsv(std::ostream& out, const std::vector<Block>& blocks);

// The polar command's tables.

// A roundness chart drawn: its file name, record, magnification and the
// evaluation it shows.
struct PlotRow {
    std::string file;
    const JobRecord* record;
    double magnification;
    Evaluated evaluation;
};

// The table of the charts of `file` (named so): right-aligned columns, each
// at least its usual width and always one blank wider than its widest cell;
// `filter` the profiles' filter in words, empty for none.
void printplots(std::ostream& out, const std::string& file, const std::vector<PlotRow>& rows,
                const std::string& filter);

// The harmonics of a closed profile, as the table and the bar chart show
// them: in the sub-unit `unit`, of the profile filtered at `filter` ("50
// UPR", "15 to 500 UPR"; empty: not filtered); `spectrum` the harmonics of
// the range shown with their phases, listed one a line when `ranged` (a
// range other than the usual 1 to maxharmonic, whose table is `harmonics`).
struct HarmonicRow {
    std::string name;
    profile::Harmonics harmonics;
    Subunit unit;
    std::string filter; // how the profile was filtered: "at 50 UPR", "by the ... filter at 50 UPR"
    std::vector<profile::Harmonic> spectrum;
    bool ranged = false;
};

// The largest harmonics of a spectrum (UPR 1 and up), largest first: at
// most `most`, each at least dominantshare of the largest and above 0, so
// that no harmonic at the level of the rounding is named.
constexpr double dominantshare = 0.05;
std::vector<profile::Harmonic> dominant(const std::vector<profile::Harmonic>& spectrum,
                                        std::size_t most);

// "dominant: 120 UPR 0.83 at 12.3 degrees, ..." in the row's sub-unit, the
// phase the angle of the first crest.
std::string dominantline(const HarmonicRow& h);

// The line over the amplitudes: the sub-unit, the points, the filter, and
// how far they resolve.
std::string harmonicnote(const HarmonicRow& h);

// UPR 1 to maxharmonic in five columns of ten, amplitudes in the sub-unit;
// or, for a range, each harmonic with its amplitude and phase; then the
// dominant ones.
void printharmonics(std::ostream& out, const HarmonicRow& h);

// A straightness or flatness plot drawn: its file name, record and fits.
struct FormRow {
    std::string file;
    const JobRecord* record;
    Evaluated evaluation;
};

// The table of the straightness and flatness plots of `file`, after a blank
// line when `after` another table.
void printforms(std::ostream& out, const std::string& file, const std::vector<FormRow>& rows,
                bool after);

// The results command.

enum class ResultsFormat { table, csv, json };

struct ResultsOptions {
    std::vector<std::string> inputs;
    ResultsFormat format = ResultsFormat::table;
    std::string unit = defaultunit;
    int digits = 12;
    std::optional<double> tolerance;                 // for every job
    std::map<int, double> jobtolerances;             // per job code, before `tolerance`
    std::map<std::string, double> featuretolerances; // per feature name, after the codes
    ProgressMode progress = ProgressMode::automatic;
    std::optional<pointset::Feature> feature;     // the inputs are point files of this feature
    PointColumns columns;                         // their coordinates' columns (PointColumns)
    bool orthogonal = false;                      // pointset rows beside a job record's own
    ProfileFilter filter;                         // of circles and lines; none by default
    Criterion criterion = Criterion::minimumzone; // of the verdicts
    std::string trend;                            // the trend chart's SVG file; empty: none
    double outliers = 0;   // k of point files' outlier rule (cutoutliers); 0: none
    bool sections = false; // point files of cylinders as stacks of sections (evaluatestack)
    // The uncertainty model (--sigma ..., --contribution, --model): with one,
    // each part's verdict is guard-banded by its U (see decisionrule).
    std::vector<uncertainty::Contribution> model;
    std::string modelfile; // more of it, read by the command
    uncertainty::Options engine;
};

// The rule the verdicts are decided by: guarded acceptance (ISO 14253-1, U
// as guard band) when an uncertainty model is given, simple acceptance
// otherwise.
uncertainty::Rule decisionrule(const ResultsOptions& options);

// The words of a decision rule, as every output that carries verdicts
// states it (results, report and uncertainty alike).
const char* rulename(uncertainty::Rule rule);

// Reads "VALUE", "CODE=VALUE" or "FEATURE=VALUE" into the options; an error
// text when it is none of them (a tolerance must be a finite number of at
// least 0).
std::string addtolerance(const std::string& text, ResultsOptions& options);

// The tolerance for the record, if any: of its job code, else of its feature
// (a job record's: line, plane, circle or sphere), else for every record.
std::optional<double> tolerancefor(const ResultsOptions& options, const Evaluated& record);

// One input file's evaluated records and what was left out.
struct FileResults {
    std::string file;
    long jobs = 0;                  // of a job stream; a point file's points
    long refused = 0;               // records left out
    std::vector<Evaluated> records; // of a stack: its sections', then its cylinder's
    std::vector<std::string> notes;
    std::optional<StackMeasures> stack; // of a point file read as a stack of sections
    std::string outliers; // what the outlier rule removed (outliernote); empty: not asked
    long removed = 0;     // the points the outlier rule removed, of the point file's `jobs`
};

// What is to be said of each tolerance given that no record of the files
// took (tolerancefor): one for a job code or a feature none of them has, or
// overridden on every record by a nearer one. Nothing where no record was
// evaluated.
std::vector<std::string> idletolerances(const std::vector<FileResults>& files,
                                        const ResultsOptions& options);

// The row options of a record of the results: its tolerance, the unit, the
// filter; `features` where the output has pointset rows, with a cone's
// apex angle where the point files are cones.
RowOptions rowoptions(const ResultsOptions& options, const Evaluated& record, bool features);

// A stack's own measures as rows with the names of rowfields' (section 0,
// shape "stack"): the taper (error the change of diameter over the stack,
// slope_x the slope of the radii), the axis straightness and the generatrix
// straightness (with its angle_degrees), as the pointset library's.
std::vector<std::vector<Field>> stackrows(const FileResults& file, const ResultsOptions& options);

// The table of a stack's measures, numbers to `digits`.
void printstack(std::ostream& out, const StackMeasures& m, int digits);

// Whether any record of the files has a pointset row.
bool haspointsetrows(const std::vector<FileResults>& files);

// How the pointset rows measure their deviations.
constexpr const char* orthogonaltext =
    "normal to the feature (orthogonal distances), positive outside a circle, sphere or "
    "cylinder and on the normal's side of a line or plane";

// How a cone's rows measure their deviations.
constexpr const char* conetext =
    "normal to the cone's surface (orthogonal distances), positive outside it";

// Rows of cells under their heads, right-aligned where `numeric`, two
// blanks apart, each line indented by one blank, trailing blanks cut.
void printaligned(std::ostream& out, const std::vector<std::string>& heads,
                  const std::vector<bool>& numeric,
                  const std::vector<std::vector<std::string>>& rows);

// Where a record's points lie, after its heading: ", all round (largest gap
// G degrees)" or ", an arc of A degrees (...)" for a circle, as the charts
// see it (Evaluated::allround); ", a cap (...)" for a sphere's points on one
// side of a plane through its centre; "" otherwise.
std::string extentphrase(const Evaluated& e);

// The pointset rows of a record as a table of their own under a line that
// says how they measure; nothing when it has none.
void printpointsetrows(std::ostream& out, const Evaluated& record, const ResultsOptions& options);
// What the pointset rows' columns mean, under the job records' legend.
void printorthogonallegend(std::ostream& out);
// The results of point files: a legend, then per file its feature's table.
void printpointresults(std::ostream& out, const std::vector<FileResults>& files,
                       const ResultsOptions& options);

// Output: an aligned table per record, CSV or JSON with one row (object) per
// record and reference.
void printresults(std::ostream& out, const std::vector<FileResults>& files,
                  const ResultsOptions& options);
void printresultscsv(std::ostream& out, const std::vector<FileResults>& files,
                     const ResultsOptions& options);
void printresultsjson(std::ostream& out, const std::vector<FileResults>& files,
                      const ResultsOptions& options);

// One verdict a part.

// A part is a point file or a job record. Its verdict judges the form error
// (t) of the reference of the options' criterion against its tolerance:
// the filtered profile's pointset row where a filter applies, else the exact
// row of a job record (the pointset row, then formeval's own least squares,
// where it has none), a point file's pointset row. The value lies in
// [lower, upper]: the certificate's bracket of a minimum zone; a
// circumscribed or inscribed reference that is not certified, its t give or
// take the width of its radius' bracket; otherwise the value itself. pass:
// upper within the tolerance; fail: lower beyond it; undecided: the bracket
// holds the tolerance, or there is no such reference (`why` says so).
// Under guarded acceptance the value is the part's y +- U by the uncertainty
// model (Evaluated::uncertain) instead: pass when conformance is proven
// (y + U within the tolerance), fail when non-conformance is (y - U beyond
// it), undecided otherwise, and when the part has no U (`why` says why).
enum class Judgement { pass, fail, undecided };
const char* judgementname(Judgement j); // "pass", "fail", "undecided"

struct Verdict {
    std::string part; // the file, and for a job record its recordname
    Criterion criterion = Criterion::minimumzone;
    std::string parameter;          // RONt, STRt ...
    const Fit* reference = nullptr; // nullptr: none of the criterion
    double value = notapplicable;
    double lower = notapplicable;
    double upper = notapplicable;
    double tolerance = notapplicable;
    Judgement judgement = Judgement::undecided;
    std::string filter; // applied to the value's profile, in words; "none"
    std::string why;    // when there is no reference, or it decides nothing (an arc's)
    uncertainty::Rule rule = uncertainty::Rule::simple;
    double y = notapplicable; // guarded: the value and expanded uncertainty decided on
    double U = notapplicable;
};

// The verdict in the words of its rule: pass, fail or undecided under simple
// acceptance; conformance proven, non-conformance proven or undecided under
// guarded acceptance.
std::string verdictword(const Verdict& v);

// The reference a part's parameters and verdict are taken from (see above);
// nullptr when it has none of the criterion, `why` then says why.
const Fit* criterionreference(const Evaluated& e, const ResultsOptions& options, std::string& why);

// The part's verdict; nothing when no tolerance applies to it.
std::optional<Verdict> verdictof(const std::string& file, const Evaluated& e,
                                 const ResultsOptions& options);

// The line under a part's table: "verdict: pass (minimum zone RONt 0.0027,
// exact, certified; tolerance 0.003)" and the like; guarded, with the y +- U
// decided on: "verdict: undecided (minimum zone RONt 0.0027, exact, certified;
// y 0.00281 +- U 0.00036; tolerance 0.003)".
std::string verdictline(const Verdict& v, int digits);

// The batch: how many parts were evaluated and judged, and the distribution
// of each parameter (t p v q) of their criterion's references.
struct ParameterSpread {
    long count = 0;
    double minimum = notapplicable;
    double mean = notapplicable;
    double maximum = notapplicable;
    double deviation = notapplicable; // sample standard deviation; NaN below two
};
struct BatchSummary {
    long parts = 0;
    long judged = 0;
    long pass = 0;
    long fail = 0;
    long undecided = 0;
    std::array<ParameterSpread, 4> parameters; // t p v q
    uncertainty::Rule rule = uncertainty::Rule::simple;
};
BatchSummary batchsummary(const std::vector<FileResults>& files, const ResultsOptions& options);

// The summary as the tables end: a line of counts (under guarded acceptance
// in its words, the undecided counted apart) and the distributions.
void printbatchsummary(std::ostream& out, const BatchSummary& s, const ResultsOptions& options);
// The distributions alone: a row of each parameter.
void printspread(std::ostream& out, const BatchSummary& s, const ResultsOptions& options);

// The tables' pieces: the verdict line of a part that has a tolerance, the
// "Filter: ..." line of the header, the "Decision rule: ..." line of the
// header where any part has a tolerance, the batch summary of more than one
// part.
void printverdict(std::ostream& out, const std::string& file, const Evaluated& e,
                  const ResultsOptions& options);
void printfilter(std::ostream& out, const ResultsOptions& options);
void printrule(std::ostream& out, const std::vector<FileResults>& files,
               const ResultsOptions& options);
// Whether any part of the files has a tolerance, so a verdict.
bool anyjudged(const std::vector<FileResults>& files, const ResultsOptions& options);

// The fields the CSV and JSON rows of a part end with: `verdict` (verdictword;
// empty without a tolerance) and `decision_rule` (rulename; empty likewise).
std::vector<Field> verdictfields(const std::string& file, const Evaluated& e,
                                 const ResultsOptions& options);
// Those fields of a row that belongs to no part (a stack's measures).
std::vector<Field> noverdictfields();
void printbatch(std::ostream& out, const std::vector<FileResults>& files,
                const ResultsOptions& options);

} // namespace formeval::report
