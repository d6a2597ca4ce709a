// The summary command: the study blocks of a result file as tables or CSV,
// matched to their jobs, with histograms and convergence pictures if asked.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

// How the pictures show a quantity of a block: in the sub-unit of the
// deviations; the centre and the radius less a round value near the measured
// value (or the mean), so that their axes read in the same small numbers.
Shown shown(const SummaryOptions& o, const Block& b, int q) {
    const Statistics& s = b.statistics[q];
    const bool error = q == nquantities - 1;
    const Subunit u = subunit(o.unit, error ? std::fabs(s.mean) : s.sd);
    Shown sh;
    sh.factor = u.factor;
    sh.unit = u.name;
    if (!error) {
        const double reference = b.hasmeasured ? b.measured[q] : s.mean;
        sh.offset = std::round(reference * sh.factor) / sh.factor;
        if (!std::isfinite(sh.offset)) sh.offset = 0;
    }
    return sh;
}

HistogramLabels histogramlabels(const SummaryOptions& o, const Block& b, int q, const Shown& sh) {
    HistogramLabels labels;
    labels.title = fs::path(o.input).filename().string() + ", block " + std::to_string(b.number) +
                   ": repetitions " + std::to_string(b.firstrepetition) + "-" +
                   std::to_string(b.lastrepetition) + ", lines " + std::to_string(b.firstline) +
                   "-" + std::to_string(b.lastline);
    if (b.job) labels.title += "; " + b.jobname;
    labels.quantity = quantitynames[q];
    if (sh.offset != 0)
        labels.quantity +=
            " \u2212 " + formatnumber(sh.offset, 15) + (o.unit == defaultunit ? "" : " " + o.unit);
    labels.unit = sh.unit;
    labels.coverage = o.scan.coverage;
    labels.hasmeasured = b.hasmeasured;
    labels.measured = sh(b.measured[q]);
    return labels;
}

int writepictures(const SummaryOptions& o, const std::vector<Block>& blocks, std::ostream& err) {
    for (const std::string* dir : {&o.histograms, &o.convergence})
        if (!dir->empty() && !makedirectory(*dir, err)) return exitinput;
    int histograms = 0;
    int convergences = 0;
    for (const Block& b : blocks) {
        if (b.kind != Block::Kind::repetitions) continue;
        for (int q = 0; q < nquantities; ++q) {
            if (b.statistics[q].count == 0) continue;
            const Shown sh = shown(o, b, q);
            const HistogramLabels labels = histogramlabels(o, b, q, sh);
            const Statistics statistics = sh(b.statistics[q]);
            const std::string stem = "block" + std::to_string(b.number) + "-" + quantityslugs[q];
            if (!o.histograms.empty()) {
                Histogram h = b.histograms[q];
                h.low = sh(h.low);
                h.high = sh(h.high);
                picture(fs::path(o.histograms) / (stem + ".svg"), o.png,
                        [&](const std::string& path, Format format) {
                            drawhistogram(path, format, h, statistics, labels);
                        });
                ++histograms;
            }
            if (!o.convergence.empty() && !b.convergence[q].running.empty()) {
                const Convergence c = sh(b.convergence[q]);
                const std::string verdict = convergenceverdict(b.convergence[q], statistics.count);
                picture(fs::path(o.convergence) / (stem + "-convergence.svg"), o.png,
                        [&](const std::string& path, Format format) {
                            drawconvergence(path, format, c, statistics, labels, verdict);
                        });
                ++convergences;
            }
        }
    }
    if (o.progress == ProgressMode::never) return exitok;
    if (!o.histograms.empty())
        err << "formreport: " << histograms << (histograms == 1 ? " histogram" : " histograms")
            << " written to " << printable(o.histograms) << "\n";
    if (!o.convergence.empty())
        err << "formreport: " << convergences
            << (convergences == 1 ? " convergence picture" : " convergence pictures")
            << " written to " << printable(o.convergence) << "\n";
    return exitok;
}

} // namespace

int summary(const SummaryOptions& o, std::ostream& out, std::ostream& err) {
    if (!o.histograms.empty() && !chartsavailable())
        return unavailable(err, "--histograms", "cairo");
    if (!o.convergence.empty() && !chartsavailable())
        return unavailable(err, "--convergence", "cairo");
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    const std::string name = printable(o.input);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(o.input, ec);
    try {
        Progress progress(err, "reading " + name, ec ? 0 : size,
                          showprogress(o.progress, !ec && size >= progressbytes));
        std::vector<Block> blocks = scanresults(in, o.input, o.scan, err, showbytes, &progress);
        progress.finish();
        if (!o.jobs.empty()) {
            std::ifstream jobsin;
            if (!openinput(o.jobs, jobsin, err)) return exitinput;
            JobStream stream;
            try {
                stream = sortrecords(readrecords(jobsin, o.jobs));
            } catch (const FileError& e) {
                complain(err, e);
                err << "formreport: nothing summarised: the job stream is broken there\n";
                return exitinput;
            }
            for (const std::string& note :
                 matchjobs(blocks, stream, printable(fs::path(o.jobs).filename().string())))
                err << "formreport: " << name << ": " << note << "\n";
        }
        errno = 0;
        if (o.csv) {
            printcsv(out, blocks);
            // The tables carry this note; CSV has no place for it.
            for (const Block& b : blocks)
                if (const std::string note = lengthnote(b); !note.empty())
                    err << "formreport: " << name << ": block " << b.number << " (lines "
                        << b.firstline << "-" << b.lastline << ") " << note << "\n";
        } else {
            printtables(out, name, blocks, o.scan.coverage, o.digits);
        }
        const bool written = outputwritten(out, err);
        // The histograms are written even when the tables could not be.
        const int status =
            o.histograms.empty() && o.convergence.empty() ? exitok : writepictures(o, blocks, err);
        return written ? status : exitinput;
    } catch (const FileError& e) {
        complain(err, e);
        if (e.line() > 0 && !o.scan.skipmalformed)
            err << "formreport: nothing summarised; --skip-malformed leaves such lines out with a "
                   "warning\n";
        return exitinput;
    }
}

} // namespace formeval::report
