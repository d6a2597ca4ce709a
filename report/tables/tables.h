// formreport's tables: the summary of study blocks as aligned text or CSV,
// the convergence verdict, and the results of evaluated records as aligned
// text, CSV or JSON.
#pragma once

#include "profile/profile.h"
#include "report/evaluation/evaluation.h"

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
    const CircleRecord* record;
    double magnification;
    Evaluated evaluation;
};

// The table of the charts of `file` (named so): right-aligned columns, each
// at least its usual width and always one blank wider than its widest cell;
// `filter` the cut-off of the profiles' filter, 0 for none.
void printplots(std::ostream& out, const std::string& file, const std::vector<PlotRow>& rows,
                int filter);

// The harmonics of a closed profile, as the table and the bar chart show
// them: in the sub-unit `unit`, of the profile filtered at `filter` UPR (0:
// not filtered).
struct HarmonicRow {
    std::string name;
    profile::Harmonics harmonics;
    Subunit unit;
    int filter;
};

// The line over the amplitudes: the sub-unit, the points, the filter, and
// how far they resolve.
std::string harmonicnote(const HarmonicRow& h);

// UPR 1 to maxharmonic in five columns of ten, amplitudes in the sub-unit.
void printharmonics(std::ostream& out, const HarmonicRow& h);

// A straightness or flatness plot drawn: its file name, record and fits.
struct FormRow {
    std::string file;
    const FormRecord* record;
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
    std::optional<pointset::Feature> feature; // the inputs are point files of this feature
    std::vector<std::string> columns;         // their coordinates' columns (PointColumns)
    bool orthogonal = false;                  // pointset rows beside a job record's own
};

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
    long jobs = 0;    // of a job stream; a point file's points
    long refused = 0; // records left out
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

// A field of each kind.
Field numberfield(const char* name, double value);
Field wholefield(const char* name, long value);
Field textfield(const char* name, std::string value);
Field truthfield(const char* name, bool value);

// The fields of the CSV and JSON row of one reference of a record, in column
// order. Every row has the same names; with `features` (some row of the
// output is a pointset row) the feature's own fields follow.
std::vector<Field> rowfields(const std::string& file, const Evaluated& record, const Fit& reference,
                             const ResultsOptions& options, bool features = false);

// Whether any record of the files has a pointset row.
bool haspointsetrows(const std::vector<FileResults>& files);

// How the pointset rows measure their deviations.
constexpr const char* orthogonaltext =
    "normal to the feature (orthogonal distances), positive outside a circle, sphere or "
    "cylinder and on the normal's side of a line or plane";

// Who computed a row: "formeval", "exact" or "pointset".
const char* sourcename(Source source);

// Rows of cells under their heads, right-aligned where `numeric`, two
// blanks apart, each line indented by one blank, trailing blanks cut.
void printaligned(std::ostream& out, const std::vector<std::string>& heads,
                  const std::vector<bool>& numeric,
                  const std::vector<std::vector<std::string>>& rows);

// The pointset rows of a record as a table of their own under a line that
// says how they measure; nothing when it has none.
void printpointsetrows(std::ostream& out, const Evaluated& record, const ResultsOptions& options);
// What the pointset rows' columns mean, under the job records' legend.
void printorthogonallegend(std::ostream& out);
// The results of point files: a legend, then per file its feature's table.
void printpointresults(std::ostream& out, const std::vector<FileResults>& files,
                       const ResultsOptions& options);

// A field as CSV writes it: a number in its shortest round-trip form, empty
// for NaN; a text quoted when it holds a separator, a quote or a line break.
std::string csvfield(const Field& f);

// Output: an aligned table per record, CSV or JSON with one row (object) per
// record and reference.
void printresults(std::ostream& out, const std::vector<FileResults>& files,
                  const ResultsOptions& options);
void printresultscsv(std::ostream& out, const std::vector<FileResults>& files,
                     const ResultsOptions& options);
void printresultsjson(std::ostream& out, const std::vector<FileResults>& files,
                      const ResultsOptions& options);

} // namespace formeval::report
