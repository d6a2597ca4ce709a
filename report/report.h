// formreport: study summaries and roundness plots made from formeval's files.
// `summary` finds the study blocks in a result.txt and computes statistics,
// coverage intervals and histograms of the four result quantities; `polar`
// evaluates the Cartesian circle records of a job stream with the four circle
// computations of formeval_core and draws each as a magnified polar plot.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// Result quantities.

// The four numbers of a circle fit result, in the order formeval writes them.
constexpr int nquantities = 4;
constexpr std::array<const char*, nquantities> quantitynames = {"centre x", "centre y", "radius",
                                                                "circularity error"};
// Short forms for table headings and file names.
constexpr std::array<const char*, nquantities> quantityheads = {"centre x", "centre y", "radius",
                                                                "circularity"};
constexpr std::array<const char*, nquantities> quantityslugs = {"centre-x", "centre-y", "radius",
                                                                "circularity"};

// Axis and legend label of the coordinate unit when the user names none.
constexpr const char* defaultunit = "same unit as the coordinates";

// File errors.

// A file that cannot be read or written, or whose content is not what it
// should be. line is 0 when the fault concerns the file as a whole.
class FileError : public std::runtime_error {
  public:
    FileError(std::string file, long line, const std::string& why);
    const std::string& file() const { return file_; }
    long line() const { return line_; }

  private:
    std::string file_;
    long line_;
};

// Messages.

// `text` as it may be quoted in a message or drawn in a picture: printable
// UTF-8 stays, every other byte (a NUL, a control character, a byte that is
// not UTF-8) becomes an escape: \t \n \r or \xNN.
std::string printable(std::string_view text);

// What a computation said on its console, on one line: runs of blanks and
// line breaks as one blank, cut after 300 characters.
std::string oneline(const std::string& said);

// Numbers.

// The whole of `text` as a finite decimal number (a leading '+' allowed, as
// formatted stream input allows it), or nothing.
std::optional<double> parsenumber(std::string_view text);

// The whole of `text` as a whole number within int, or nothing.
std::optional<int> parseint(std::string_view text);

// `value` with `digits` significant digits in the shortest of fixed and
// exponent notation, as formeval writes its numbers.
std::string formatnumber(double value, int digits);

// `value` in the shortest text that reads back as the same double.
std::string roundtrip(double value);

// Statistics.

// Coverage probability in hundredths of a percent (9500 is 95 %). Held as a
// whole number so that the order statistics come from integer arithmetic.
using Basispoints = int;
constexpr Basispoints defaultcoverage = 9500;

// Positions, from 1, of the order statistics that bound the probabilistically
// symmetric coverage interval of JCGM 101:2008 (GUM Supplement 1), 7.7: with
// q = pM rounded half up and r = (M - q) / 2 rounded up, the interval is
// [y(r), y(r + q)]. Needs M - q >= 1 and a coverage above 0 and below 100 %;
// otherwise there is no interval.
struct CoverageRanks {
    bool defined = false;
    long low = 0;
    long high = 0;
};
CoverageRanks coverageranks(long count, Basispoints coverage);

// Summary statistics of the values of one quantity.
struct Statistics {
    long count = 0;
    double mean = 0;
    double sd = 0; // sample standard deviation, n - 1 in the denominator
    bool hassd = false;
    double min = 0;
    double max = 0;
    bool hasinterval = false;
    double low = 0; // the probabilistically symmetric interval
    double high = 0;
    double shortlow = 0;  // the shortest interval (JCGM 101 7.7): of all [y(r), y(r + q)],
    double shorthigh = 0; // the one of least length (the first of equal ones)
};
Statistics summarise(std::vector<double> values, Basispoints coverage);

// Convergence of a Monte Carlo study (JCGM 101:2008, 7.9), judged from the
// values of one quantity in repetition order as the adaptive procedure would
// judge them: the block is cut into `convergencebatches` batches; after each
// batch h >= 2, the mean, the standard deviation and the coverage interval
// ends of the batches so far are stable when twice the standard deviation of
// their average over the h batches is at most the numerical tolerance delta:
// half a unit in the last of `digits` significant digits of the block's
// standard deviation u (u = c 10^l with c of `digits` digits, delta = 10^l / 2).
constexpr int convergencebatches = 10;
constexpr long convergencebatch = 100; // fewest repetitions in a batch
constexpr int defaulttolerancedigits = 2;

// The running mean and interval ends after n repetitions.
struct RunningValue {
    long n = 0;
    double mean = 0;
    bool hasinterval = false;
    double low = 0;
    double high = 0;
};

struct Convergence {
    bool judged = false;
    long batch = 0; // repetitions per batch
    int digits = defaulttolerancedigits;
    double tolerance = 0; // delta
    long stableafter = 0; // repetitions after which the batches first agreed; 0: never
    // Twice the standard deviation of the average of the mean, the standard
    // deviation and the interval ends over all batches, and the repetitions
    // that would bring the largest of them, relative to delta, down to delta.
    std::array<double, 4> spread = {};
    long needed = 0;
    std::vector<RunningValue> running; // at about 60 counts, spaced evenly on a log scale
};

Convergence convergence(const std::vector<double>& values, Basispoints coverage, int digits);

// The verdict on a quantity of a block of `repetitions` lines: whether its
// repetitions were enough, or how many would be.
std::string convergenceverdict(const Convergence& c, long repetitions);

// Units.

// The unit in which deviations are printed and drawn: for a coordinate unit
// of mm (cm, m) micrometres, of um nanometres, of in microinches; for any
// other, the coordinate unit times the power of a thousand that puts
// `typical` between 0.1 and 100 of it. `factor` converts coordinate units.
struct Subunit {
    std::string name;
    double factor = 1;
};
Subunit subunit(const std::string& unit, double typical);

// Text of the coverage probability, "95 %" or "99.73 %".
std::string coveragetext(Basispoints coverage);

// Histograms.

// Equal-width bins from `low` to `high`; a value equal to `high` falls in the
// last bin.
struct Histogram {
    double low = 0;
    double high = 0;
    std::vector<long> counts;
    double width() const { return (high - low) / static_cast<double>(counts.size()); }
};

// Number of bins by the Freedman-Diaconis rule, bin width 2 IQR n^(-1/3),
// kept within [minbins, maxbins]; the square-root rule when the quartiles
// coincide; one bin when all values are equal. `sorted` must be sorted.
constexpr int minbins = 5;
constexpr int maxbins = 100;
int autobins(const std::vector<double>& sorted);

// Counts the values into `bins` bins spanning their range. Equal values get
// one bin of a small width about them.
Histogram makehistogram(const std::vector<double>& values, int bins);

// What a histogram picture shows besides the bars.
struct HistogramLabels {
    std::string title;    // block and line range, the job when known
    std::string quantity; // name of the quantity, with the offset taken off its values
    std::string unit;     // unit of the values
    Basispoints coverage = defaultcoverage;
    bool hasmeasured = false; // the value without noise, marked
    double measured = 0;
};

// Study blocks in result.txt.

// What one line of result.txt is to the summary. Repetition lines are
// "ii TAB x TAB y TAB r TAB e", "ii TAB no circle fits these points" or
// "Repetition ii not evaluated: why"; perturbation lines are eight
// tab-separated numbers; a note that the evaluation which follows did not go
// as it should (its fit did not settle, was stopped or met a singular
// system) is a note; every other line is other output. A line that begins
// like a repetition line but does not go on like one is malformed.
enum class LineKind { other, repetition, nocircle, notevaluated, perturbation, note, malformed };

// The beginnings of formeval's notes before a result that is not a fit.
constexpr std::array<std::string_view, 5> notestarts = {
    "The centre did not settle within ", "The minimum-zone fit was stopped ", "The fit of stage ",
    "The least-squares fit met a singular system", "The minimum-zone fit met a singular system"};

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

// Summary output.

// Repetitions of a whole study: 1000, 10 000 or 100 000 (Monte Carlo), 10 000
// (sampling).
constexpr std::array<long, 3> studylengths = {1000, 10000, 100000};

// For a block of repetitions of another length than a whole study, what may
// have happened, to follow "The block " or "block k "; otherwise "".
std::string lengthnote(const Block& block);

// The blocks as aligned tables, numbers with `digits` significant digits.
void printtables(std::ostream& out, const std::string& file, const std::vector<Block>& blocks,
                 Basispoints coverage, int digits);

// The blocks as CSV, one row per block and quantity, numbers in their
// shortest round-trip form.
void printcsv(std::ostream& out, const std::vector<Block>& blocks);

// Job streams.

// Job codes whose record holds Cartesian points of one circle to plot: the
// jobs of the job table that evaluate a circle (not a study of one) on x y.
std::vector<int> circlejobs();

// Coordinates per point in the record of job `job`: 0 for the empty job
// (no record), 2 or 3, or nothing for a code formeval does not know.
std::optional<int> recorddimension(int job);

// One circle record of a job stream, its points in Cartesian coordinates
// (those of a polar record, job 2000, converted).
struct CircleRecord {
    int ordinal = 0; // position of the job in the stream, from 1
    int job = 0;
    long line = 0; // line of the job code, from 1
    double cri = 0;
    std::vector<double> x;
    std::vector<double> y;
};

// One straightness (job 1000: x y) or flatness (job 3000: x y z) record.
struct FormRecord {
    int ordinal = 0;
    int job = 0;
    long line = 0;
    double cri = 0;
    std::array<std::vector<double>, 3> c; // x, y and (a plane's) z of each point
};

// The circle records of a job stream, and why the others among them cannot
// be evaluated.
struct JobStream {
    long jobs = 0;                     // job codes read
    std::vector<FormRecord> forms;     // straightness and flatness records that can be evaluated
    std::vector<CircleRecord> circles; // records that can be evaluated
    std::vector<CircleRecord> studies; // records of the study jobs formeval runs
    std::vector<std::string> notes;    // records left out, unknown codes
};

// Points the four circle computations need (the minimum-zone reference set).
constexpr int minplotpoints = 4;

// Reads a whole job stream as formeval reads it. Throws FileError, with
// the line and the job, where formeval would find the stream broken.
JobStream readjobstream(std::istream& in, const std::string& file);

// Circle evaluation.

// The four reference circles of a roundness evaluation, in legend order.
enum Reference { leastsquares, minimumzone, circumscribing, inscribing, nreferences };
constexpr std::array<const char*, nreferences> referencenames = {
    "least squares (LSCI)", "minimum zone (MZCI)", "minimum circumscribing (MCCI)",
    "maximum inscribing (MICI)"};

struct Circle {
    double x = 0;
    double y = 0;
    double r = 0;
    double error = 0; // circularity error against this circle
};

struct Evaluation {
    bool ok = false;
    std::string failure; // why there is no plot, when !ok
    std::array<Circle, nreferences> circles;
    std::array<std::string, nreferences> said; // what each computation wrote on its console
    // The exact minimum-zone, circumscribing and inscribing circles, where the
    // computation's circle is not the exact one (`inexact`), and whether the
    // exact one is proven optimal.
    std::array<Circle, nreferences> exact;
    std::array<bool, nreferences> inexact = {};
    std::array<bool, nreferences> certified = {};
};

// Runs lscircocal, mzcircocal, pkcircocal and vacircocal on the record at
// trace level 0 with cri from the record, their console and run files bound
// to buffers and their console input closed, so nothing is printed and no
// prompt waits. What they said comes back in `said`. Then the exact circles
// (see results.h) of the same points.
Evaluation evaluate(const CircleRecord& record);

// Straightness and flatness: formeval's least-squares and minimum-zone fits
// of a line y = a + b x or a plane z = a + b x + c y, run silently as
// evaluate runs the circles. Deviations are measured along y (z).
struct FormFit {
    std::array<double, 3> parameters = {}; // a, b, c
    double error = 0;                      // the form error formeval reports
    std::vector<double> deviation;         // of each point, in record order
};
struct FormEvaluation {
    bool ok = false;
    std::string failure;
    FormFit leastsquares;
    FormFit minimumzone;
    std::string said; // what the fits wrote on the console
};
FormEvaluation evaluateform(const FormRecord& record);

// Matches the study blocks to the study jobs of `stream` (named `file`): in
// order, each block to the next study job of its kind (repetitions or
// perturbation) and length (1000, 10 000 or 100 000 for a Monte Carlo study
// by its last digit, 10 000 for a sampling study; a block cut short to the
// next job only), starting again at the first job when the stream's jobs are
// used up (a result file of several runs). Sets each matched block's job and,
// for repetition blocks, the four results of the study's own computation on
// the points without noise. Returns a note for each block left unmatched.
std::vector<std::string> matchjobs(std::vector<Block>& blocks, const JobStream& stream,
                                   const std::string& file);

// Polar plot geometry.

// Sizes of the plot in drawing units (SVG pixels).
struct PolarLayout {
    double plotradius = 290; // outermost grid ring
    double baseradius = 0.6; // fraction of plotradius where the minimum-zone radius is drawn
    double reach = 0.3;      // fraction of plotradius the largest deviation may take
};

// Distance from `from` to the circle c along the direction at `angle`
// (radians, counterclockwise from +x); nothing when `from` is not inside c.
std::optional<double> distancealong(const Circle& c, double fromx, double fromy, double angle);

// Largest magnification, rounded down to 1, 2 or 5 times a power of ten, at
// which deviations as large as `maxdeviation` take at most layout.reach of the
// plot radius, with the radius `radius` drawn at layout.baseradius. Deviations
// of zero give 1.
double automagnification(double maxdeviation, double radius, const PolarLayout& layout);

// Whether deviations from `lowest` to `highest` fit in the plot at
// `magnification` (they stay between 5 % of the plot radius and all of it).
bool magnificationfits(double magnification, double lowest, double highest, double radius,
                       const PolarLayout& layout);

// Polar plot data: the profile points and each reference circle as radial
// deviations about the minimum-zone centre, by angle.
struct PolarPoint {
    double angle = 0;     // radians, counterclockwise from +x
    double deviation = 0; // distance from the minimum-zone centre minus its radius
};

struct PolarData {
    Circle centre;                   // the minimum-zone circle
    std::vector<PolarPoint> profile; // by angle; an arc's from its start, angles increasing
    std::array<std::vector<PolarPoint>, nreferences> curves; // empty where not drawable
    double zoneinner = 0; // deviations of the two minimum-zone circles: the extremes of the
    double zoneouter = 0; // profile about the minimum-zone centre
    double lowest = 0;    // smallest deviation drawn
    double highest = 0;   // largest deviation drawn
    bool closed = true;   // the profile goes all round; otherwise an arc, and the
    double start = 0;     // curves run over its angles only, from `start` over
    double span = 0;      // `span` (radians)
};

// Samples per reference curve.
constexpr int curvesamples = 720;

PolarData polardata(const CircleRecord& record, const Evaluation& evaluation);

// Harmonics and filtering of closed roundness profiles.

// Where a profile was measured: all round, or an arc. It is an arc when the
// largest angle between neighbouring points exceeds both twice the median
// angle between them and 30 degrees; the arc then runs from `start` over
// `span` (radians, counterclockwise), the gap lying before `start`.
struct ProfileExtent {
    bool closed = true;
    double start = 0;
    double span = 0;
};
ProfileExtent profileextent(const std::vector<PolarPoint>& sorted);

// A closed profile at equal angles from `start`: the points themselves when
// their angles are equal within equalangletolerance of a step (coordinates
// given to a few decimals place them so), otherwise linear
// interpolation between neighbours at as many equal angles as there are
// points (`resampled`).
constexpr double equalangletolerance = 1e-4;
struct EqualAngles {
    double start = 0;
    std::vector<double> deviation;
    bool resampled = false;
};
EqualAngles equalangles(const std::vector<PolarPoint>& sorted);

// Undulations per revolution the harmonic table lists.
constexpr int maxharmonic = 50;

// Amplitude of each harmonic k = 0 .. `upto` of samples at equal angles about
// the full circle (a_k cos k theta + b_k sin k theta: sqrt(a_k^2 + b_k^2); the
// mean for k = 0), by a real discrete Fourier transform (FFTW). Harmonics
// at or above half the sample count cannot be resolved and are left out.
std::vector<double> harmonicamplitudes(const std::vector<double>& samples, int upto);

// The Gaussian profile filter of ISO 16610-21 for closed profiles: the mean
// line of the samples, each harmonic k weighted by its transmission
// exp(-pi (alpha k / cutoff)^2), alpha = sqrt(ln 2 / pi), 50 % at the
// cut-off `cutoff` in undulations per revolution.
double transmission(double upr, double cutoff);
std::vector<double> gaussianfilter(const std::vector<double>& samples, double cutoff);

// The cut-offs of the filter in undulations per revolution.
constexpr std::array<int, 4> cutoffs = {15, 50, 150, 500};

// The points of a record as radial deviations from `circle`, about its
// centre, sorted by angle.
std::vector<PolarPoint> profileabout(const CircleRecord& record, const Circle& circle);

// The record's closed profile about its least-squares circle `ls`, at equal
// angles (see equalangles) and filtered at `cutoff` UPR, as points again.
CircleRecord filteredrecord(const CircleRecord& record, const Circle& ls, int cutoff,
                            bool& resampled);

// The harmonic amplitudes (see harmonicamplitudes) of a record's closed
// profile about its least-squares circle `ls`, up to maxharmonic.
struct Harmonics {
    std::vector<double> amplitude; // index: undulations per revolution
    std::size_t points = 0;
    bool resampled = false;
};
Harmonics harmonics(const CircleRecord& record, const Circle& ls);

// What a polar plot shows besides the data.
struct PolarLabels {
    std::string title;
    std::string unit;   // of the coordinates
    Subunit deviations; // in which deviations and errors are printed
    double magnification = 1;
    int filter = 0;   // cut-off of the Gaussian filter applied, UPR; 0: none
    std::string note; // a line under the title (an arc, a resampled or unfiltered profile)
    std::vector<PolarPoint> unfiltered; // the profile before filtering, drawn beneath
};

// Drawing units of the polar plots' rings: the division, in the deviations'
// sub-unit, of rings about 30 units apart at `unitsize` drawing units per
// sub-unit: 1, 2 or 5 times a power of ten.
double ringdivision(double unitsize);

// Pictures.

enum class Format { svg, png };

// Draws a histogram or a polar plot into `path` in `format`. Throws
// FileError, naming the path, when the file cannot be written.
void drawhistogram(const std::string& path, Format format, const Histogram& histogram,
                   const Statistics& statistics, const HistogramLabels& labels);
// The running mean and interval ends of a block's quantity against the
// number of repetitions (a log scale), the final values, the tolerance delta
// about them and the measured value; `labels` as for its histogram.
// The straightness profile: each point's deviation from the minimum-zone
// line along the line, the zone and the least-squares line; and the
// flatness map: each point at its place, coloured by its deviation from the
// minimum-zone plane, with the colour scale. Deviations in `unit`.
void drawstraightness(const std::string& path, Format format, const FormRecord& record,
                      const FormEvaluation& e, const Subunit& unit, const std::string& title);
void drawflatness(const std::string& path, Format format, const FormRecord& record,
                  const FormEvaluation& e, const Subunit& unit, const std::string& title);

// The bar chart of the amplitudes of UPR 1 .. maxharmonic, in the sub-unit.
void drawharmonics(const std::string& path, Format format, const Harmonics& h, const Subunit& unit,
                   const std::string& title, const std::string& note);
void drawconvergence(const std::string& path, Format format, const Convergence& convergence,
                     const Statistics& statistics, const HistogramLabels& labels,
                     const std::string& verdict);

// The values of a quantity as the pictures show them: less `offset`, times
// `factor`, in `unit`.
struct Shown {
    double offset = 0;
    double factor = 1;
    std::string unit;
    double operator()(double v) const { return (v - offset) * factor; }
};
void drawpolar(const std::string& path, Format format, const PolarData& data,
               const Evaluation& evaluation, const PolarLabels& labels,
               const PolarLayout& layout = {});

// A colour, each channel from 0 to 1.
struct Rgb {
    double r, g, b;
};
constexpr std::array<Rgb, nreferences> referencecolours = {
    Rgb{0.122, 0.467, 0.706}, Rgb{0.173, 0.627, 0.173}, Rgb{0.839, 0.153, 0.157},
    Rgb{0.580, 0.404, 0.741}};
constexpr Rgb profilecolour = {0, 0, 0};

// Colours of the histogram's bars, mean and coverage interval.
constexpr Rgb barcolour = {0.62, 0.77, 0.89};
constexpr Rgb meancolour = {0.1, 0.1, 0.1};
constexpr Rgb intervalcolour = {0.84, 0.15, 0.16};
constexpr Rgb measuredcolour = {0.17, 0.63, 0.17};

// Axis ticks: multiples of a step of 1, 2 or 5 times a power of ten within
// [low, high], about `target` of them, at most maxticks, each drawn once even
// where the doubles near them are coarser than the step.
constexpr int maxticks = 100;
struct Ticks {
    double step = 1;
    std::vector<double> values;
};
Ticks ticks(double low, double high, int target);

// A tick value with just enough digits to tell it from its neighbours.
std::string ticklabel(double value, double step);

// Progress.

// Progress of a long job on standard error: a line rewritten in place on a
// terminal, one line per tenth of the work otherwise. With `items` named
// ("records"), it counts them; otherwise it shows the percentage only.
class Progress {
  public:
    Progress(std::ostream& out, std::string what, std::uintmax_t total, bool enabled,
             std::string items = "");
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void update(std::uintmax_t done);
    void finish();

  private:
    std::ostream& out_;
    std::string what_;
    std::string items_;
    std::uintmax_t total_;
    bool enabled_;
    bool terminal_;
    int shown_ = -1; // last percentage (terminal) or tenth (otherwise) shown
    bool finished_ = false;
};

// Inputs at least this large show progress unless told otherwise.
constexpr std::uintmax_t progressbytes = 4u << 20;
constexpr long progressrecords = 20;

// Commands.

enum class ProgressMode { automatic, always, never };

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
    int filter = 0;           // Gaussian filter cut-off, UPR; 0: none
    bool harmonics = false;   // harmonic table and bar chart of each closed profile
    bool png = false;
    std::string unit = defaultunit;
    ProgressMode progress = ProgressMode::automatic;
};

// Exit statuses.
constexpr int exitok = 0;
constexpr int exitinput = 1; // input unreadable or malformed, output not writable
constexpr int exitusage = 2; // command line wrong

// The two commands. Results go to `out`, messages and progress to `err`;
// both return the exit status.
int summary(const SummaryOptions& options, std::ostream& out, std::ostream& err);
int polar(const PolarOptions& options, std::ostream& out, std::ostream& err);

// Whether all that was written to `out` (the standard output) reached it;
// says on `err` when not, with the reason errno gives: clear errno before
// writing.
bool outputwritten(std::ostream& out, std::ostream& err);

// The command line: parses `argv` with CLI11 and runs a command.
int runcommandline(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace formeval::report
