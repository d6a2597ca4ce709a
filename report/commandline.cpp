// The command line of formreport, parsed with CLI11.
#include "report/report.h"
#include "report/results.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>

namespace formeval::report {

namespace {

constexpr const char* statisticshelp =
    "Study blocks: runs of lines 'ii TAB centre-x TAB centre-y TAB radius TAB circularity' "
    "numbered 0, 1, 2, ... (Monte Carlo jobs 25x0-28x2 and sampling jobs 2550-2575); a new block "
    "starts where the numbering starts again at 0. A line 'ii TAB no circle fits these points' "
    "and a line 'Repetition ii not evaluated: ...' (a sampling study's sample too small) count "
    "in their block but have no numbers. A block of another length than 1000, 10 000 or "
    "100 000 repetitions gets a note (standard error with --csv): a study cut short, lines "
    "missing, or the lines of two runs interleaved. A line of eight tab-separated numbers is a "
    "perturbation study (jobs 2520, 2620): its bounds are listed as intervals with their "
    "midpoint and half-width (2u). All other lines of the file are passed over.\n\n"
    "Statistics per quantity: count, mean, sample standard deviation (n - 1), minimum, maximum "
    "and the probabilistically symmetric coverage interval of the Monte Carlo method (JCGM "
    "101:2008, GUM Supplement 1, 7.7). Quantile rule: with the M values sorted, y(1) <= ... <= "
    "y(M), let q = pM rounded to the nearest whole number (halves up) and r = (M - q)/2 rounded "
    "up; the interval is [y(r), y(r + q)]. For p = 95 % that is the 2.5 % and 97.5 % quantile: "
    "[y(25), y(975)] for M = 1000, [y(250), y(9750)] for M = 10000. No interval is given for M < "
    "0.5/(1 - p) + 1 values (11 at 95 %). JCGM 101 asks for M large compared with 1/(1 - p), "
    "for instance 10^4 times as large: the ends from 1000 repetitions are rough.\n\n"
    "Histograms: one SVG per block and quantity, block<k>-<quantity>.svg (centre-x, centre-y, "
    "radius, circularity), with the mean and the coverage interval marked. Bins: "
    "Freedman-Diaconis (width 2 IQR n^(-1/3)), 5 to 100 of them, unless --bins.\n\n"
    "A line that starts like a study line but is not one (a wrong field count, an item that is "
    "not a number), a break in a block's numbering, or a study line cut short (the last line of "
    "the file without a line break: every study line ends with one, so a full disk or a killed "
    "run cut it, perhaps inside a number) stops the summary with the line number and the reason, "
    "unless --skip-malformed.";

constexpr const char* polarhelp =
    "Reads the job stream as formeval does and plots every record of jobs 2500, 2600, 2700 and "
    "2800 (numpt cri x y x y ...); the records of all other jobs are read past by their known "
    "shape (the README lists them). Each record is evaluated with the least-squares, "
    "minimum-zone, minimum circumscribing and maximum inscribing circle computations of formeval, "
    "silently (trace level 0, no operator prompt), and drawn into <stem>-job<k>-<code>.svg, k "
    "being the job's position in the stream. A table of the plots and the four circularity "
    "errors goes to standard output; whatever a computation reports goes to standard error.\n\n"
    "The plot: the radial deviation of each point from the minimum-zone circle, measured from "
    "the minimum-zone centre, is drawn magnified about that centre and joined in angular order "
    "into a closed profile. Deviation 0 is drawn at 60 % of the plot radius. Each reference "
    "circle goes through the same mapping: along every direction from the minimum-zone centre, "
    "its distance from that centre, less the minimum-zone radius, magnified. A circle about "
    "another centre thus shows its centre offset magnified as well and looks slightly "
    "egg-shaped, as on a roundness chart, and a point that lies on a circle lies on its drawn "
    "curve. The minimum zone is the band between its two circles. Magnification M: deviations "
    "are drawn M times larger than the radius is; chosen per record as the largest 1, 2 or 5 "
    "times a power of ten at which the largest deviation takes at most 30 % of the plot "
    "radius.\n\n"
    "A malformed job stream (a record that ends early, an item that is not a number, a job code "
    "or point count that is not a whole number, a negative point count) is reported with its "
    "line and nothing is drawn, as formeval stops reading there. Records that "
    "cannot be evaluated (fewer than 4 or more than 2048 points, coordinates beyond 1e100, "
    "points on one line) are reported and left out.";

constexpr const char* resultshelp =
    "Reads each job stream as formeval does and evaluates every record of every job with "
    "formeval's own computations, silently: least squares and minimum zone of each line, plane, "
    "circle and sphere, and for Cartesian circles (jobs 2500-2812) also the minimum "
    "circumscribing (peak) and maximum inscribing (valley) circles. Beside each minimum-zone, "
    "peak and valley result it computes the exact optimum of the same criterion on the same "
    "points, certified to 1e-9 relative, and the difference; it flags every result of "
    "formeval's that is not the exact one and every peak or valley circle of points that leave "
    "a gap of 180 degrees or more (an arc). Each reference gets the ISO parameters t, p, v, q "
    "(RONt... circles, STRt... lines, FLTt... planes, SPHt... spheres) of the deviations as "
    "formeval measures them: lines along y, planes along z, Cartesian circles and spheres "
    "radially, the polar jobs 2000 and 4000 in their linearised model.\n\n"
    "A broken job stream is reported with its line and the file is left out; a record that "
    "cannot be evaluated is reported on standard error and left out.";

constexpr const char* exithelp =
    "Exit status: 0 done; 1 an input could not be read or is malformed, or an output could not "
    "be written; 2 the command line is wrong.";

void progressoptions(CLI::App& command, ProgressMode& mode) {
    auto* always = command.add_flag_callback(
        "--progress", [&mode] { mode = ProgressMode::always; },
        "Report progress on standard error whatever the input's size (by default only for "
        "large inputs)");
    auto* never = command.add_flag_callback(
        "-q,--quiet", [&mode] { mode = ProgressMode::never; },
        "No progress reports and no note of the files written");
    always->excludes(never);
}

// Help text broken into lines of at most `width` characters at blanks.
std::string wrap(const std::string& text, std::size_t width = 79) {
    std::string out;
    std::size_t column = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        if (text[start] == '\n') {
            out += '\n';
            column = 0;
            ++start;
            continue;
        }
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        const std::string word = text.substr(start, end - start);
        if (column > 0 && column + 1 + word.size() > width) {
            out += '\n';
            column = 0;
        } else if (column > 0) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        start = end < text.size() && text[end] == ' ' ? end + 1 : end;
    }
    return out;
}

// Refuses NaN and infinities, which pass a range check (every comparison
// with NaN is false) and turn into nonsense when converted to a whole number.
const CLI::Validator finitenumber(
    [](std::string& input) {
        double value = 0;
        if (CLI::detail::lexical_cast(input, value) && !std::isfinite(value))
            return "Value " + input + " is not a finite number";
        return std::string();
    },
    "");

const CLI::Validator positivenumber(
    [](std::string& input) {
        double value = 0;
        if (!CLI::detail::lexical_cast(input, value) || !(value > 0))
            return "Value " + input + " is not a positive number";
        return std::string();
    },
    "POSITIVE");

Basispoints basispoints(double percent) {
    const double hundredths = std::round(percent * 100);
    if (std::fabs(hundredths - percent * 100) > 1e-6)
        throw CLI::ValidationError("--coverage", "give the percentage with at most two decimals");
    return static_cast<Basispoints>(hundredths);
}

} // namespace

int runcommandline(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"formreport: study summaries and roundness plots from formeval's files.",
                 "formreport"};
    app.footer(wrap(exithelp));
    app.require_subcommand(1);

    SummaryOptions s;
    double coverage = 95;
    auto* summarycommand = app.add_subcommand(
        "summary", "Statistics, coverage intervals and histograms of the study blocks in a "
                   "result file (result.txt)");
    summarycommand->add_option("result", s.input, "The result file to summarise")->required();
    summarycommand->add_flag("--csv", s.csv,
                             "Write CSV on standard output instead of the tables: one row per "
                             "block and quantity, numbers in their shortest exact form");
    summarycommand->add_option("--histograms", s.histograms,
                               "Write one SVG histogram per block and quantity into this "
                               "directory (made if missing)");
    summarycommand->add_flag("--png", s.png, "Also write each histogram as PNG beside the SVG");
    summarycommand
        ->add_option("--unit", s.unit,
                     "Name of the coordinate unit for the histogram axes, e.g. mm")
        ->default_str(defaultunit);
    summarycommand->add_option("--digits", s.digits, "Significant digits in the tables (1 to 17)")
        ->check(CLI::Range(1, 17))
        ->default_str("12");
    summarycommand
        ->add_option("--coverage", coverage,
                     "Coverage probability of the intervals, in percent (above 0, below 100)")
        ->check(finitenumber)
        ->check(CLI::Range(0.01, 99.99))
        ->default_str("95");
    summarycommand
        ->add_option("--bins", s.scan.bins,
                     "Number of histogram bins (1 to 1000), the same for "
                     "every histogram")
        ->check(CLI::Range(1, 1000));
    summarycommand->add_flag("--skip-malformed", s.scan.skipmalformed,
                             "Leave out malformed study lines and a last study line cut short, "
                             "and accept breaks in a block's numbering, each with a warning "
                             "naming its line, instead of stopping (for files cut short by a "
                             "killed run or a full disk)");
    progressoptions(*summarycommand, s.progress);
    summarycommand->footer(wrap(std::string(statisticshelp) + "\n\n" + exithelp));

    PolarOptions p;
    auto* polarcommand = app.add_subcommand(
        "polar", "Roundness plots of the Cartesian circle records of a job stream (cir1.txt)");
    polarcommand->add_option("jobs", p.input, "The job stream to plot")->required();
    polarcommand->add_option("-o,--output", p.output, "Directory for the plots (made if missing)")
        ->default_str(".");
    polarcommand
        ->add_option("--magnification", p.magnification,
                     "Magnification of the deviations for every plot (default: chosen per "
                     "record); one at which a record's deviations leave the plot is replaced by "
                     "the chosen one, with a warning")
        ->check(finitenumber)
        ->check(positivenumber);
    polarcommand->add_flag("--png", p.png, "Also write each plot as PNG beside the SVG");
    polarcommand
        ->add_option("--unit", p.unit, "Name of the coordinate unit for the legend, e.g. mm")
        ->default_str(defaultunit);
    progressoptions(*polarcommand, p.progress);
    polarcommand->footer(wrap(std::string(polarhelp) + "\n\n" + exithelp));

    ResultsOptions r;
    bool csv = false;
    bool json = false;
    std::vector<std::string> tolerances;
    auto* resultscommand = app.add_subcommand(
        "results", "Every record's results as a table, with the ISO parameters, the exact "
                   "references and how far formeval's answers are from them");
    resultscommand->add_option("jobs", r.inputs, "The job streams to evaluate (cir1.txt ...)")
        ->required();
    auto* csvflag = resultscommand->add_flag(
        "--csv", csv, "Write CSV instead of the tables: one row per record and reference");
    resultscommand
        ->add_flag("--json", json,
                   "Write JSON instead of the tables: one object per record and "
                   "reference under \"rows\"")
        ->excludes(csvflag);
    resultscommand
        ->add_option("--unit", r.unit, "Name of the coordinate unit for the output, e.g. mm")
        ->default_str(defaultunit);
    resultscommand->add_option("--digits", r.digits, "Significant digits in the tables (1 to 17)")
        ->check(CLI::Range(1, 17))
        ->default_str("12");
    resultscommand->add_option(
        "--tolerance", tolerances,
        "Tolerance of the form error: VALUE for every job, or CODE=VALUE for the records of one "
        "job code (before VALUE); adds a pass/fail column. May be given more than once");
    progressoptions(*resultscommand, r.progress);
    resultscommand->footer(wrap(std::string(resultshelp) + "\n\n" + exithelp));

    try {
        app.parse(argc, argv);
        for (const std::string& t : tolerances) {
            const std::string why = addtolerance(t, r);
            if (!why.empty()) throw CLI::ValidationError("--tolerance", why);
        }
        s.scan.coverage = basispoints(coverage);
    } catch (const CLI::ParseError& e) {
        errno = 0;
        const int status = app.exit(e, out, err);
        if (status != 0) return exitusage;
        return outputwritten(out, err) ? exitok : exitinput; // the help
    }
    if (summarycommand->parsed()) return summary(s, out, err);
    if (resultscommand->parsed()) {
        r.format = csv ? ResultsFormat::csv : json ? ResultsFormat::json : ResultsFormat::table;
        return results(r, out, err);
    }
    return polar(p, out, err);
}

} // namespace formeval::report
