// formreport's tables: the summary of study blocks as aligned text or CSV,
// the convergence verdict, and the results of evaluated records as aligned
// text, CSV or JSON.
#pragma once

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

} // namespace formeval::report
