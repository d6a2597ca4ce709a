// The command line of formreport, parsed with CLI11.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

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
    "in their block but have no numbers. formeval's notes before a repetition (a centre that did "
    "not settle, a fit stopped or singular) are counted per block. A block of another length "
    "than 1000, 10 000 or 100 000 repetitions gets a note (standard error with --csv): a study "
    "cut short, lines missing, or the lines of two runs interleaved. A line of eight "
    "tab-separated numbers is a perturbation study (jobs 2520, 2620): its bounds are listed as "
    "intervals with their midpoint and half-width (2u). All other lines of the file are passed "
    "over.\n\n"
    "Statistics per quantity: count, mean, sample standard deviation (n - 1), minimum, maximum "
    "and two coverage intervals of the Monte Carlo method (JCGM 101:2008, GUM Supplement 1, "
    "7.7). With the M values sorted, y(1) <= ... <= y(M), let q = pM rounded to the nearest "
    "whole number (halves up). The probabilistically symmetric interval: r = (M - q)/2 rounded "
    "up, [y(r), y(r + q)]; for p = 95 % the 2.5 % and 97.5 % quantiles, [y(25), y(975)] for M = "
    "1000. The shortest interval: the [y(r), y(r + q)] of least length. No interval is given "
    "for M < 0.5/(1 - p) + 1 values (11 at 95 %).\n\n"
    "Measured value (--jobs): each block is matched, in order, to the next study job of the "
    "stream of its kind and length (1000, 10 000 or 100 000 repetitions by a Monte Carlo job's "
    "last digit, 10 000 for a sampling job, one line for a perturbation job), starting again at "
    "the first when the stream's jobs are used up (a result file of several runs). The job's "
    "points are evaluated once without noise with the study's own circle (minimum zone for "
    "25xx and the sampling jobs, least squares 26xx, circumscribing 27xx, inscribing 28xx); the "
    "table shows that value, the mean less it and whether the symmetric interval holds it.\n\n"
    "Convergence (JCGM 101 7.9): the block is cut into 10 batches (of at least 100 "
    "repetitions); after each batch h >= 2, the mean, the standard deviation and the interval "
    "ends are stable when twice the standard deviation of their average over the h batches is "
    "at most delta, half a unit in the last of --tolerance-digits significant digits of the "
    "block's standard deviation. The table says after how many repetitions that first held, or "
    "how many would be needed (the spreads shrink as one over the root of the repetitions) and "
    "which study length gives them.\n\n"
    "Pictures: with --histograms, one histogram per block and quantity, "
    "block<k>-<quantity>.svg (centre-x, centre-y, radius, circularity), with the mean, the "
    "symmetric interval and the measured value marked; with --convergence, the running mean "
    "and interval ends against the repetitions, block<k>-<quantity>-convergence.svg. Values in "
    "the deviations' sub-unit of --unit (um for mm), the centre and the radius less a round "
    "value near the measured value or the mean. Bins: Freedman-Diaconis (width 2 IQR n^(-1/3)), "
    "5 to 100 of them, unless --bins.\n\n"
    "A line that starts like a study line but is not one (a wrong field count, an item that is "
    "not a number), a break in a block's numbering, or a study line cut short (the last line of "
    "the file without a line break: every study line ends with one, so a full disk or a killed "
    "run cut it, perhaps inside a number) stops the summary with the line number and the reason, "
    "unless --skip-malformed.";

constexpr const char* polarhelp =
    "Reads the job stream as formeval does and draws every record of the circle jobs 2000 (its "
    "polar points turned into x and y), 2500, 2600, 2700 and 2800, the straightness job 1000 "
    "and the flatness job 3000, into <stem>-job<k>-<code>.svg, k being the job's position in "
    "the stream; the records of all other jobs are read past by their known shape. A circle "
    "record is evaluated with formeval's least-squares, minimum-zone, minimum circumscribing and "
    "maximum inscribing circle computations, a line or plane with its least-squares and "
    "minimum-zone fits, silently (trace level 0, no operator prompt). Tables of the pictures and "
    "their form errors (in the coordinate unit) go to standard output; whatever a computation "
    "reports goes to standard error.\n\n"
    "The roundness chart: the radial deviation of each point from the minimum-zone circle, "
    "measured from the minimum-zone centre, drawn magnified about that centre; deviation 0 at "
    "60 % of the plot radius. Each reference circle goes through the same mapping (its distance "
    "from the minimum-zone centre along each direction, less the minimum-zone radius, "
    "magnified), so a circle about another centre looks slightly egg-shaped, as on a roundness "
    "instrument's chart, and a point on a circle lies on its drawn curve; crosses mark the "
    "centres. Least squares is blue, the minimum zone the green band, the minimum "
    "circumscribing circle dashed red, the maximum inscribing dashed purple (dashed, so that "
    "the zone shows where they coincide with it). Deviations are printed in the sub-unit of "
    "--unit: um for mm, cm and m, nm for um, uin for in; for another unit, or none, the unit "
    "times a power of a thousand chosen for the data. The rings are evenly divided, 1, 2 or 5 "
    "times a power of ten of the sub-unit apart, and labelled; the chart states one division "
    "and the magnification M (deviations are drawn M times larger than the radius is; chosen "
    "per record as the largest 1, 2 or 5 times a power of ten at which the largest deviation "
    "takes at most 30 % of the plot radius). A profile is an arc when the largest angle between "
    "neighbouring points exceeds twice the median one and 30 degrees: the arc, its references "
    "and its zone are drawn over its own angles only, and the chart says so. Points are dotted "
    "up to 60 of them.\n\n"
    "Filter (--filter): the Gaussian profile filter of ISO 16610-21 for closed profiles, "
    "transmission exp(-pi (alpha k/cut-off)^2) of harmonic k, alpha = sqrt(ln 2/pi), 50 % at "
    "the cut-off, applied to the profile about its least-squares circle at equal angles (the "
    "points resampled by linear interpolation where their angles are not equal, and said so); "
    "the four circles and the chart are then of the filtered profile, the unfiltered one drawn "
    "grey beneath. An arc is not filtered (said on standard error).\n\n"
    "Harmonics (--harmonics): the amplitudes of 1 to 50 undulations per revolution of each "
    "closed profile about its least-squares circle (of the filtered profile with --filter), "
    "from the points at equal angles (resampled where they are not, and said so), by FFTW's "
    "real discrete Fourier transform: a table on standard output and a bar chart, "
    "<stem>-job<k>-<code>-harmonics.svg. n points resolve up to (n - 1)/2 UPR.\n\n"
    "Straightness: each point's deviation along y from the minimum-zone line against x, with "
    "the zone and the least-squares line. Flatness: each point at its place in the x-y plane, "
    "coloured by its deviation along z from the minimum-zone plane, with the colour scale.\n\n"
    "A malformed job stream (a record that ends early, an item that is not a number, a job code "
    "or point count that is not a whole number, a negative point count) is reported with its "
    "line and nothing is drawn, as formeval stops reading there. Records that cannot be "
    "evaluated (too few points or more than 2048, coordinates beyond 1e100, points on one "
    "line) are reported and left out.";

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

const CLI::Validator cutoff(
    [](std::string& input) {
        for (const int c : cutoffs)
            if (input == std::to_string(c)) return std::string();
        return "the cut-off is 15, 50, 150 or 500 undulations per revolution, not '" +
               printable(input) + "'";
    },
    "UPR");

Basispoints basispoints(double percent) {
    const double hundredths = std::round(percent * 100);
    if (std::fabs(hundredths - percent * 100) > 1e-6)
        throw CLI::ValidationError("--coverage", "give the percentage with at most two decimals");
    return static_cast<Basispoints>(hundredths);
}

} // namespace

int runcommandline(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"formreport: study summaries, roundness charts, harmonics and form plots from "
                 "formeval's files.",
                 "formreport"};
    app.footer(wrap(exithelp));
    app.require_subcommand(1);

    SummaryOptions s;
    double coverage = 95;
    auto* summarycommand = app.add_subcommand(
        "summary", "Statistics, coverage intervals, convergence and histograms of the study "
                   "blocks in a result file (result.txt), beside the measured values with "
                   "--jobs");
    summarycommand->add_option("result", s.input, "The result file to summarise")->required();
    summarycommand->add_flag("--csv", s.csv,
                             "Write CSV on standard output instead of the tables: one row per "
                             "block and quantity, numbers in their shortest exact form");
    summarycommand->add_option("--histograms", s.histograms,
                               "Write one SVG histogram per block and quantity into this "
                               "directory (made if missing)");
    summarycommand->add_flag("--png", s.png,
                             "Also write each histogram and convergence picture as PNG beside "
                             "the SVG");
    summarycommand
        ->add_option("--unit", s.unit,
                     "Name of the coordinate unit, e.g. mm: the pictures show deviations in its "
                     "sub-unit (um for mm)")
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
    summarycommand->add_option(
        "--jobs", s.jobs,
        "The job stream that made the result file (cir1.txt): each study block is matched to "
        "its job record, and the table shows the job, its value evaluated without noise, the "
        "mean less that value and whether the coverage interval holds it");
    summarycommand->add_option("--convergence", s.convergence,
                               "Write one SVG per block and quantity of the running mean and "
                               "interval ends against the repetitions into this directory (made "
                               "if missing)");
    summarycommand
        ->add_option("--tolerance-digits", s.scan.tolerancedigits,
                     "Significant digits of the standard deviation that set the numerical "
                     "tolerance of the convergence check (1 to 4)")
        ->check(CLI::Range(1, 4))
        ->default_str("2");
    summarycommand->add_flag("--skip-malformed", s.scan.skipmalformed,
                             "Leave out malformed study lines and a last study line cut short, "
                             "and accept breaks in a block's numbering, each with a warning "
                             "naming its line, instead of stopping (for files cut short by a "
                             "killed run or a full disk)");
    progressoptions(*summarycommand, s.progress);
    summarycommand->footer(wrap(std::string(statisticshelp) + "\n\n" + exithelp));

    PolarOptions p;
    auto* polarcommand = app.add_subcommand(
        "polar", "Roundness charts of the circle records of a job stream (cir1.txt), filtered and "
                 "analysed into harmonics if asked, and plots of its straightness and flatness "
                 "records");
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
    polarcommand
        ->add_option("--filter", p.filter,
                     "Filter each closed profile with the Gaussian profile filter of ISO "
                     "16610-21 (50 % transmission at the cut-off) before its parameters and "
                     "chart: the cut-off in undulations per revolution, 15, 50, 150 or 500")
        ->check(cutoff);
    polarcommand->add_flag("--harmonics", p.harmonics,
                           "Print the amplitudes of UPR 1 to 50 of each closed profile and draw "
                           "them as a bar chart, <stem>-job<k>-<code>-harmonics.svg");
    polarcommand->add_flag("--png", p.png, "Also write each plot as PNG beside the SVG");
    polarcommand
        ->add_option("--unit", p.unit,
                     "Name of the coordinate unit, e.g. mm: deviations are printed in its "
                     "sub-unit (um for mm, nm for um, uin for in; otherwise a power of a "
                     "thousand of it chosen for the data)")
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
