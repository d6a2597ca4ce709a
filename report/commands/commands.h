// formreport's commands: summary, polar, results, report, uncertainty and
// part, and the command line that runs them.
#pragma once

#include "report/charts/charts.h"
#include "report/partfile/partfile.h"
#include "report/pointfiles/pointfiles.h"
#include "report/statement/statement.h"
#include "report/tables/tables.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

namespace formeval::report {

// Commands.

struct SummaryOptions {
    std::string input;
    std::string jobs;        // the job stream that made the result file; empty: none
    std::string convergence; // directory for the convergence pictures; empty: none
    bool csv = false;
    std::string histograms; // directory for the histograms; empty: none
    bool png = false;
    std::string unit = defaultunit;
    int digits = 12;
    ScanOptions scan;
    ProgressMode progress = ProgressMode::automatic;
};

struct PolarOptions {
    std::string input;
    std::string output = ".";
    double magnification = 0; // 0: chosen per record
    ProfileFilter filter;     // of closed profiles: a cut-off or a band, UPR; none by default
    bool harmonics = false;   // harmonic table and bar chart of each closed profile
    int harmonicsfrom = 1;    // the harmonics shown, UPR; a range other than 1 to
    int harmonicsto = profile::maxharmonic; // maxharmonic lists each with its phase
    bool png = false;
    std::string unit = defaultunit;
    ProgressMode progress = ProgressMode::automatic;
    std::optional<pointset::Feature> feature; // the input is a point file of this feature
    PointColumns columns;                     // its coordinates' columns (PointColumns)
    bool sections = false; // a cylinder's point file as a stack of sections, charted as one
    double outliers = 0;   // k of a point file's outlier rule (cutoutliers); 0: none
    // Points of a profile drawn at most, its extremes kept (every point is
    // evaluated); the filed report draws fewer to keep its page small.
    std::size_t drawnpoints = 7200;
    // The charts' numbers in fixed notation to this many decimals of the
    // deviations (PolarLabels::fixeddecimals), as the filed report asks; -1 not.
    int fixeddecimals = -1;
    // Named on every chart beside the filter: part, operator, date ... (label, value).
    std::vector<std::pair<std::string, std::string>> header;
};

// The two commands. Results go to `out`, messages and progress to `err`;
// both return the exit status.
int summary(const SummaryOptions& options, std::ostream& out, std::ostream& err);
// polar adds each input's charted parts to `charted`, when given, for the
// batch's summary.
int polar(const PolarOptions& options, std::ostream& out, std::ostream& err,
          std::vector<FileResults>* charted = nullptr);

// The command: results to `out`, messages and progress to `err`; returns the
// exit status.
int results(const ResultsOptions& options, std::ostream& out, std::ostream& err);

// The part command: the tolerance frames of a part file (docs/formreport.md,
// "formreport part") evaluated on its measured features.
struct PartOptions {
    std::string input; // the part file
    ResultsFormat format = ResultsFormat::table;
    int digits = 6; // significant digits of the table's numbers
    ProgressMode progress = ProgressMode::automatic;
    std::string charts; // directory of each frame's zone picture; empty: none
    bool png = false;   // the pictures as PNG beside the SVG
};

// The command: the datums and frames to `out`, messages and progress to
// `err`; returns the exit status (exitinput where a frame is not evaluated).
int part(const PartOptions& options, std::ostream& out, std::ostream& err);

// A part file read, its point files read and its frames evaluated.
struct EvaluatedPart {
    PartFile file;
    std::vector<tolerance::FrameValue> values; // one a frame, in the file's order
    bool allevaluated() const;                 // false: a frame is not evaluated
};

// What part and report evaluate of a part file: the file and its features'
// point files read (progress on `err` in `mode`), then every frame; each
// frame not evaluated said on `err` with the part file's name. Nothing, once
// `err` has said why, where the part file or a point file cannot be read.
std::optional<EvaluatedPart> evaluatepart(const std::string& path, ProgressMode mode,
                                          std::ostream& err);

// A frame's zone picture, as part --charts and the report's part pages draw
// it. Only an evaluated frame with a zone shape has one (form frames have
// none).
inline bool haszonepicture(const tolerance::FrameValue& v) {
    return v.found && v.shape != tolerance::ZoneShape::none;
}
// Its labels: the frame as title ("perpendicularity of bore to A"), the zone
// in words, its value in the sub-unit of `unit` to `digits` significant
// digits and the verdict.
ZoneLabels zonelabels(const tolerance::Frame& f, const tolerance::FrameValue& v,
                      const std::string& unit, int digits);
// Draws it (drawzone), run-out as the frame's kind of it.
void drawframezone(const std::string& path, Format format, const tolerance::Frame& f,
                   const tolerance::FrameValue& v, const ZoneLabels& labels);

// Reads and evaluates every input of `options` as `results` does, messages
// on `err`; `status` the exit status so far (exitinput for an input that
// failed).
std::vector<FileResults> evaluateinputs(const ResultsOptions& options, std::ostream& err,
                                        int& status);

// The report a lab files: one self-contained HTML page (inline SVG, no
// network) with a header block, per part its chart, parameters and
// verdict, and the batch summary with its trend chart.
struct ReportOptions {
    ResultsOptions results;                                  // inputs, filter, tolerances ...
    std::string output;                                      // the HTML file
    std::vector<std::pair<std::string, std::string>> header; // label, value, in order
    std::string reportnumber; // the report's number, first in the header and on every page
    std::string approvedby;   // who approves it, in the sign-off block
    std::vector<std::string> partfiles; // part files (--part-file), a page each
};
int htmlreport(const ReportOptions& options, std::ostream& out, std::ostream& err);

// Draws the trend chart of the results into options.trend (SVG); false,
// said on `err`, when it cannot be written.
bool drawbatchtrend(const std::vector<FileResults>& files, const ResultsOptions& options,
                    std::ostream& err);

// The uncertainty command: statements to `out`, messages and progress to
// `err`; returns the exit status.
int uncertainty(const UncertaintyOptions& options, std::ostream& out, std::ostream& err);

// The magnification of a roundness chart: --magnification where the
// deviations stay in the plot, else (with a warning naming `name` on `err`)
// the one chosen for them.
double magnification(const PolarOptions& options, const PolarData& data, const std::string& name,
                     std::ostream& err);

// The harmonics of a circle's closed profile `shown` (filtered when
// `filtered`) about its least-squares circle `ls`, their bar chart drawn
// into `bars` (and PNG beside it when asked) with `title` and the chart's
// `caption`; the row of polar's harmonics table, named `name`, amplitudes in
// `unit`.
HarmonicRow drawnharmonics(const PolarOptions& options, const std::string& name, const XY& shown,
                           const Fit& ls, const Subunit& unit, bool filtered,
                           const std::string& title, const std::string& caption,
                           const std::filesystem::path& bars);

// polar for a point file: the chart of its feature, computed on every point.
int pointpolar(const PolarOptions& options, std::ostream& out, std::ostream& err,
               std::vector<FileResults>* charted);

// The summary of a batch of charts (more than one): how many, and the
// distributions of t, p, v and q of their minimum-zone references; false
// (nothing printed) for one chart or none.
bool printchartbatch(std::ostream& out, const std::vector<FileResults>& charted,
                     const std::string& unit);

// What the commands share.

// Says on `err` what is wrong with a file, and where.
void complain(std::ostream& err, const FileError& e);

// Opens an input file, or says on `err` why not: it cannot be opened, is no
// regular file (see unreadable) or holds more than `limit` bytes (> 0).
bool openinput(const std::string& path, std::ifstream& in, std::ostream& err,
               std::uintmax_t limit = 0);

// A reader's progress callback: `context` is a Progress, `bytes` those read.
void showbytes(void* context, std::uintmax_t bytes);
// The trials' progress callback of uncertainty::Options: `context` is a Progress.
void showtrials(void* context, long done, long planned);

// Adds the contributions of the model file `file` (values in `unit`) to
// `model`, or says on `err` why it cannot be read (false).
bool readmodelfile(const std::string& file, const std::string& unit,
                   std::vector<uncertainty::Contribution>& model, std::ostream& err);

// Makes ready the uncertainty model of results and report: its file read
// into `options.model` (false, said on `err`, when it cannot be), and said
// plainly when there is no tolerance for it to decide against.
bool readymodel(ResultsOptions& options, std::ostream& err);

// Reads a whole point file of `feature`'s points from `columns` (all of
// them when empty; their dimension the feature's, or the columns' where that
// is more: a line or circle measured in space), its progress on `err` in
// `mode` when it is large; nothing, once `err` has said why, for a file that
// cannot be opened or is malformed.
std::optional<PointFile> readpoints(const std::string& path, pointset::Feature feature,
                                    PointColumns columns, ProgressMode mode, std::ostream& err);

// The line every chart ends with: the header's "label: value" pairs and
// the filter ("Filter: none" when none), apart by middle dots.
std::string chartcaption(const std::vector<std::pair<std::string, std::string>>& header,
                         const std::string& filter);

// Makes the directory of the pictures, or says on `err` why not.
bool makedirectory(const std::string& dir, std::ostream& err);

// Says on `err` that `what` needs `packages`, which this formreport was built
// without; returns exitusage.
int unavailable(std::ostream& err, const std::string& what, const std::string& packages);

// Whether to show progress in `mode` for an input that is `large`.
bool showprogress(ProgressMode mode, bool large);

// Draws a picture as SVG and, if asked, as PNG beside it.
template <class Draw> void picture(const std::filesystem::path& svg, bool png, Draw draw) {
    draw(svg.string(), Format::svg);
    if (png) draw(std::filesystem::path(svg).replace_extension(".png").string(), Format::png);
}

// The help texts, from the manual (docs/formreport.md) built into formreport.
// `helptext` gives the paragraphs of the block marked "<!-- help KEY -->",
// each paragraph's lines joined by blanks, paragraphs apart by an empty line;
// `optionhelp` the help of the option `names` ("--csv", "-o,--output") in the
// table marked "<!-- options TABLE -->". Both throw std::logic_error when the
// manual lacks it; the first two read `manual`, the others the built-in one.
std::string helptext(std::string_view manual, const std::string& key);
std::string optionhelp(std::string_view manual, const std::string& table, const std::string& names);
std::string helptext(const std::string& key);
std::string optionhelp(const std::string& table, const std::string& names);

// The command line: parses `argv` with CLI11 and runs a command.
int runcommandline(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace formeval::report
