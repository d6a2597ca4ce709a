// formreport's readers: the study blocks of a result file (result.txt) with
// their statistics, and job streams (cir1.txt) read as formeval reads them.
#pragma once

#include "methods/methods.h"
#include "report/common/common.h"
#include "statistics/statistics.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// Statistics, from the statistics library.
using statistics::autobins;
using statistics::Basispoints;
using statistics::Convergence;
using statistics::convergence;
using statistics::convergencebatch;
using statistics::convergencebatches;
using statistics::CoverageRanks;
using statistics::coverageranks;
using statistics::coveragetext;
using statistics::defaultcoverage;
using statistics::defaulttolerancedigits;
using statistics::Histogram;
using statistics::makehistogram;
using statistics::maxbins;
using statistics::minbins;
using statistics::RunningValue;
using statistics::Statistics;
using statistics::summarise;

// Study blocks in result.txt.

// What one line of result.txt is to the summary. Repetition lines are
// "ii TAB x TAB y TAB r TAB e", "ii TAB no circle fits these points" or
// "Repetition ii not evaluated: why"; perturbation lines are eight
// tab-separated numbers; a note that the evaluation which follows did not go
// as it should (its fit did not settle, was stopped or met a singular
// system) is a note; every other line is other output. A line that begins
// like a repetition line but does not go on like one is malformed.
enum class LineKind { other, repetition, nocircle, notevaluated, perturbation, note, malformed };

// What formeval's notes say of a result: the methods library's reading.
using methods::Noted;
using methods::notedin;
using methods::NoteKind;
using methods::notestarts;

struct ResultLine {
    LineKind kind = LineKind::other;
    long repetition = -1;               // repetition, nocircle and notevaluated lines
    std::array<double, 8> numbers = {}; // 4 of a repetition, 8 of a perturbation line
    std::string reason;                 // why a line is malformed
};

// The text formeval writes in place of the numbers when no circle fits.
constexpr std::string_view nocircletext = "no circle fits these points";

// The line a sampling study writes for a repetition it does not evaluate:
// "Repetition ii not evaluated: why".
constexpr std::string_view notevaluatedstart = "Repetition ";
constexpr std::string_view notevaluatedtext = " not evaluated";

ResultLine classify(std::string_view line);

// One run of repetition lines numbered 0, 1, 2, ... (a Monte Carlo or
// sampling study), or one perturbation line.
struct Block {
    enum class Kind { repetitions, perturbation } kind = Kind::repetitions;
    int number = 0;     // position among the blocks of the file, from 1
    long firstline = 0; // line numbers in the file, from 1
    long lastline = 0;
    long lines = 0; // repetition lines, "no circle" and "not evaluated" lines included
    long firstrepetition = 0;
    long lastrepetition = 0;
    long nocircle = 0;     // repetitions whose points no circle fits
    long notevaluated = 0; // repetitions formeval did not evaluate
    long noted = 0;        // repetitions whose evaluation formeval noted (a fit not settled...)
    std::array<Statistics, nquantities> statistics;
    std::array<Convergence, nquantities> convergence;
    std::array<Histogram, nquantities> histograms; // of quantities with values
    std::array<double, 8> bounds = {}; // perturbation: lower and upper bound of each quantity
    // The job record that made the block (see matchjobs), when known, and the
    // four results of its points evaluated once without noise.
    int job = 0; // 0: not known
    std::string jobname;
    bool hasmeasured = false;
    std::array<double, nquantities> measured = {};
};

struct ScanOptions {
    Basispoints coverage = defaultcoverage;
    int bins = 0;                                 // 0: choose per quantity (autobins)
    int tolerancedigits = defaulttolerancedigits; // of the convergence check
    bool skipmalformed = false; // leave out faulty lines with a warning instead of failing
};

// Reads result.txt from `in` (named `file` in messages) and returns its blocks
// in file order. Throws FileError at the first malformed line, break in a
// block's numbering or study line cut short (a last line without a line
// break), unless options.skipmalformed, when each goes to `warnings` with its
// line number and is left out. `progress` is called with the bytes read so
// far, now and then.
std::vector<Block> scanresults(std::istream& in, const std::string& file,
                               const ScanOptions& options, std::ostream& warnings,
                               void (*progress)(void* context, std::uintmax_t bytes) = nullptr,
                               void* context = nullptr);

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

// Points the four circle computations need (the minimum-zone reference set).
constexpr int minplotpoints = 4;

// The records of a stream sorted by what formreport does with them: the
// circle records (Cartesian and polar) and the straightness and flatness
// records that can be evaluated, to chart; the study jobs' records, to match
// to their blocks of results; the others left out, with why, and the codes no
// job has, among the notes, in stream order.
struct JobStream {
    long jobs = 0;                  // job codes read
    std::vector<JobRecord> forms;   // straightness and flatness records that can be evaluated
    std::vector<JobRecord> circles; // circle records that can be evaluated
    std::vector<JobRecord> studies; // records of the study jobs formeval runs
    std::vector<std::string> notes; // records left out, unknown codes
    long unplotted = 0;             // circle, line and plane records left out
};
JobStream sortrecords(RecordStream all);

} // namespace formeval::report
