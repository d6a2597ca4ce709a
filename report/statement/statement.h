// formreport's uncertainty statements: the tolerances and quantities asked
// for (report/model/model.h reads the input model); the point sets of the
// inputs; the statement a certificate quotes, the results of both methods,
// the budget and the decisions against tolerances, as text, CSV or JSON.
#pragma once

#include "report/model/model.h"
#include "report/tables/tables.h"
#include "uncertainty/uncertainty.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// A tolerance: "VALUE" (the form error t at most VALUE), "NAME=HIGH" or
// "NAME=LOW:HIGH" (either may be empty: no limit there), values with units as
// the quantity's kind allows. Returns why not, or "".
struct ToleranceLimits {
    std::string quantity = "t";
    uncertainty::Limits limits;
};
std::string parsetolerance(std::string_view text, const std::string& unit, ToleranceLimits& s);

// Every quantity name any feature has.
bool knownquantity(const std::string& name);

// Why one of the quantities `asked` is none of `feature`'s by `criterion`
// ("'p' is no quantity of a circle by minimum-zone: its quantities are ..."),
// or "" when each is one.
std::string lackedquantity(const std::vector<std::string>& asked, pointset::Feature feature,
                           pointset::Criterion criterion);

// Point sets.

// The points of one evaluation: a point file, or a record of a job stream
// (polar records turned Cartesian: x = r cos t, y = r sin t; spheres x = r
// cos b cos t, y = r cos b sin t, z = r sin b, angles in degrees).
struct PointSet {
    std::string file;
    std::string record; // recordname(); empty for a point file
    std::string stem;   // of the pictures' names: "ring", "cir1-job4"
    pointset::Feature feature = pointset::Feature::circle;
    int dimension = 2;
    std::vector<double> coordinates; // point i's coordinate k at i * dimension + k
    int section = 0;                 // of a stack (--sections), from 1; 0: the whole stack or none
    double z = notapplicable;        // the section's mean z
    std::size_t count() const { return coordinates.size() / static_cast<std::size_t>(dimension); }
};

// The records of a job stream whose feature the pointset library evaluates,
// in stream order; `notes` says why the others are left out.
std::vector<PointSet> recordpointsets(RecordStream& stream, const std::string& file,
                                      std::vector<std::string>& notes);

// The command's settings.

enum class StatementFormat { table, csv, json };

struct UncertaintyOptions {
    std::vector<std::string> inputs;
    std::optional<pointset::Feature> feature; // point files; job streams: each record's own
    pointset::Criterion criterion = pointset::Criterion::minimumzone;
    PointColumns columns;  // of point files
    bool sections = false; // point files of cylinders as stacks: each section, then the whole
    std::string unit = defaultunit;
    std::vector<uncertainty::Contribution> model; // from the command line
    std::string modelfile;                        // more of it, read by the command
    uncertainty::Options engine;
    std::vector<std::string> quantities; // to report; empty: all
    std::vector<ToleranceLimits> tolerances;
    uncertainty::Rule rule = uncertainty::Rule::guarded;
    StatementFormat format = StatementFormat::table;
    int digits = 6;
    std::string histograms; // directories of the pictures; empty: none
    std::string convergence;
    bool png = false;
    ProgressMode progress = ProgressMode::automatic;
};

// One point set evaluated.
struct Decision {
    ToleranceLimits tolerance;
    const uncertainty::Quantity* quantity = nullptr; // null: the feature has no such quantity
    uncertainty::Verdict verdict = uncertainty::Verdict::undecided;
};
struct Statement {
    PointSet points; // its coordinates dropped once evaluated
    std::size_t count = 0;
    uncertainty::Result result;
    std::vector<const uncertainty::Quantity*> shown; // the quantities asked for
    std::vector<Decision> decisions;
};

// The y and U a decision takes of a quantity: the estimate its statement
// quotes (Quantity::quoted), for every decision of uncertainty, results and
// report alike.
struct Decided {
    double y = 0;
    double U = 0;
};
Decided guarded(const uncertainty::Quantity& q);

// The quantities asked for and the decisions on the tolerances.
void decide(Statement& s, const UncertaintyOptions& o);

// The form error t of the reference of `points` by `criterion` under the
// model: y and U for a guarded verdict (guarded), or why there are none.
Evaluated::Uncertain uncertainform(const pointset::Points& points, pointset::Feature feature,
                                   pointset::Criterion criterion,
                                   const std::vector<uncertainty::Contribution>& model,
                                   const uncertainty::Options& engine);

// Output. Text: per point set the header, the input model, the statement
// rounded for a certificate, the results of both methods, the validation,
// the budget and the decisions. CSV: one row per point set, quantity and
// method. JSON: those rows under "rows", each point set's settings, budget
// and decisions under "evaluations".
void printstatements(std::ostream& out, const std::vector<Statement>& s,
                     const UncertaintyOptions& o);
void printstatementscsv(std::ostream& out, const std::vector<Statement>& s,
                        const UncertaintyOptions& o);
void printstatementsjson(std::ostream& out, const std::vector<Statement>& s,
                         const UncertaintyOptions& o);

// The fields of the CSV and JSON row of a quantity by a method ("monte
// carlo" or "gum"), in column order; every row has the same names.
std::vector<Field> statementfields(const Statement& s, const uncertainty::Quantity& q, bool gum,
                                   const UncertaintyOptions& o);

} // namespace formeval::report
