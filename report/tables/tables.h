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

// A field of each kind.
Field numberfield(const char* name, double value);
Field wholefield(const char* name, long value);
Field textfield(const char* name, std::string value);
Field truthfield(const char* name, bool value);

// The fields of the CSV and JSON row of one reference of a record, in column
// order. Every row has the same names.
std::vector<Field> rowfields(const std::string& file, const Evaluated& record, const Fit& reference,
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
