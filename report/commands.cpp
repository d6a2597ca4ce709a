// The two commands: `summary` of the study blocks of a result file and
// `polar` plots of the circle records of a job stream.
#include "report/report.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <system_error>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

void complain(std::ostream& err, const FileError& e) {
    err << "formreport: " << printable(e.file());
    if (e.line() > 0) err << ":" << e.line();
    err << ": " << e.what() << "\n";
}

// Opens an input file, or says why not.
bool openinput(const std::string& path, std::ifstream& in, std::ostream& err) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        err << "formreport: " << printable(path) << ": is a directory, not a file\n";
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        err << "formreport: cannot read " << printable(path) << ": "
            << std::error_code(errno, std::generic_category()).message() << "\n";
        return false;
    }
    return true;
}

bool makedirectory(const std::string& dir, std::ostream& err) {
    std::error_code ec;
    if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
        err << "formreport: " << printable(dir)
            << ": is a file, not a directory for the pictures\n";
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        err << "formreport: cannot make the directory " << printable(dir) << ": " << ec.message()
            << "\n";
        return false;
    }
    return true;
}

bool showprogress(ProgressMode mode, bool large) {
    return mode == ProgressMode::always || (mode == ProgressMode::automatic && large);
}

// Draws a picture as SVG and, if asked, as PNG beside it.
template <class Draw> void picture(const fs::path& svg, bool png, Draw draw) {
    draw(svg.string(), Format::svg);
    if (png) draw(fs::path(svg).replace_extension(".png").string(), Format::png);
}

int writehistograms(const SummaryOptions& o, const std::vector<Block>& blocks, std::ostream& err) {
    if (!makedirectory(o.histograms, err)) return exitinput;
    int written = 0;
    for (const Block& b : blocks) {
        if (b.kind != Block::Kind::repetitions) continue;
        for (int q = 0; q < nquantities; ++q) {
            if (b.statistics[q].count == 0) continue;
            HistogramLabels labels;
            labels.title = fs::path(o.input).filename().string() + ", block " +
                           std::to_string(b.number) + ": repetitions " +
                           std::to_string(b.firstrepetition) + "-" +
                           std::to_string(b.lastrepetition) + ", lines " +
                           std::to_string(b.firstline) + "-" + std::to_string(b.lastline);
            labels.quantity = quantitynames[q];
            labels.unit = o.unit;
            labels.coverage = o.scan.coverage;
            const fs::path svg = fs::path(o.histograms) / ("block" + std::to_string(b.number) +
                                                           "-" + quantityslugs[q] + ".svg");
            picture(svg, o.png, [&](const std::string& path, Format format) {
                drawhistogram(path, format, b.histograms[q], b.statistics[q], labels);
            });
            ++written;
        }
    }
    if (o.progress != ProgressMode::never)
        err << "formreport: " << written << (written == 1 ? " histogram" : " histograms")
            << " written to " << printable(o.histograms) << "\n";
    return exitok;
}

void showbytes(void* context, std::uintmax_t bytes) {
    static_cast<Progress*>(context)->update(bytes);
}

// What a circle computation said on its console, on one line.
std::string oneline(const std::string& said) {
    constexpr std::size_t longest = 300;
    std::string out;
    for (const char c : said) {
        const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ' || c == '\a';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (out.size() > longest) out = out.substr(0, longest) + " ...";
    return out;
}

std::string jobname(const std::string& file, const CircleRecord& r) {
    return file + ": job " + std::to_string(r.job) + " (job " + std::to_string(r.ordinal) +
           " of the stream, line " + std::to_string(r.line) + ")";
}

double magnification(const PolarOptions& o, const PolarData& d, const std::string& name,
                     std::ostream& err) {
    const double radius = d.centre.r;
    const double automatic =
        automagnification(std::max(-d.lowest, d.highest), radius, PolarLayout{});
    if (o.magnification <= 0) return automatic;
    if (magnificationfits(o.magnification, d.lowest, d.highest, radius, PolarLayout{}))
        return o.magnification;
    err << "formreport: " << name << ": at magnification " << formatnumber(o.magnification, 6)
        << " the deviations leave the plot; it is drawn at " << formatnumber(automatic, 6) << "\n";
    return automatic;
}

struct PlotRow {
    std::string file;
    const CircleRecord* record;
    double magnification;
    Evaluation evaluation;
};

// The table of the plots: the file name, then right-aligned columns, each at
// least its usual width and always one blank wider than its widest cell, so
// that no two columns run together.
void printplots(std::ostream& out, const std::string& file, const std::vector<PlotRow>& rows) {
    out << file << ": " << rows.size() << (rows.size() == 1 ? " circle record" : " circle records")
        << " plotted; circularity error against each circle\n";
    constexpr std::size_t columns = 9;
    constexpr std::array<const char*, columns> heads = {
        "job", "code", "line", "points", "magnification", "LSCI", "MZCI", "MCCI", "MICI"};
    constexpr std::array<std::size_t, columns> usual = {6, 6, 7, 7, 15, 17, 17, 17, 17};
    std::vector<std::array<std::string, columns>> cells;
    for (const PlotRow& r : rows) {
        std::array<std::string, columns> c = {
            std::to_string(r.record->ordinal), std::to_string(r.record->job),
            std::to_string(r.record->line), std::to_string(r.record->x.size()),
            formatnumber(r.magnification, 6)};
        for (int k = 0; k < nreferences; ++k)
            c[5 + k] = formatnumber(r.evaluation.circles[k].error, 12);
        cells.push_back(c);
    }
    std::size_t filewidth = 4;
    for (const PlotRow& r : rows) filewidth = std::max(filewidth, r.file.size());
    std::array<std::size_t, columns> width = usual;
    for (std::size_t k = 0; k < columns; ++k) {
        width[k] = std::max(width[k], std::string(heads[k]).size() + 1);
        for (const auto& c : cells) width[k] = std::max(width[k], c[k].size() + 1);
    }
    out << std::left << std::setw(int(filewidth)) << "plot" << std::right;
    for (std::size_t k = 0; k < columns; ++k) out << std::setw(int(width[k])) << heads[k];
    out << "\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << std::left << std::setw(int(filewidth)) << rows[i].file << std::right;
        for (std::size_t k = 0; k < columns; ++k) out << std::setw(int(width[k])) << cells[i][k];
        out << "\n";
    }
}

} // namespace

bool outputwritten(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) return true;
    const int why = errno;
    err << "formreport: the standard output could not be written";
    if (why != 0) err << ": " << std::error_code(why, std::generic_category()).message();
    err << "\n";
    return false;
}

int summary(const SummaryOptions& o, std::ostream& out, std::ostream& err) {
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    const std::string name = printable(o.input);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(o.input, ec);
    try {
        Progress progress(err, "reading " + name, ec ? 0 : size,
                          showprogress(o.progress, !ec && size >= progressbytes));
        const std::vector<Block> blocks =
            scanresults(in, o.input, o.scan, err, showbytes, &progress);
        progress.finish();
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
        const int status = o.histograms.empty() ? exitok : writehistograms(o, blocks, err);
        return written ? status : exitinput;
    } catch (const FileError& e) {
        complain(err, e);
        if (e.line() > 0 && !o.scan.skipmalformed)
            err << "formreport: nothing summarised; --skip-malformed leaves such lines out with a "
                   "warning\n";
        return exitinput;
    }
}

int polar(const PolarOptions& o, std::ostream& out, std::ostream& err) {
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    const std::string file = printable(o.input);
    try {
        const JobStream stream = readjobstream(in, o.input);
        for (const std::string& note : stream.notes)
            err << "formreport: " << file << ": " << note << "\n";
        if (stream.circles.empty()) {
            errno = 0;
            out << file << ": no Cartesian circle records (jobs 2500, 2600, 2700, 2800) to plot\n";
            return outputwritten(out, err) ? exitok : exitinput;
        }
        if (!makedirectory(o.output, err)) return exitinput;

        const std::string stem = fs::path(o.input).stem().string();
        Progress progress(err, "plotting " + file, stream.circles.size(),
                          showprogress(o.progress, stream.circles.size() >= progressrecords),
                          "records");
        std::vector<PlotRow> rows;
        for (std::size_t k = 0; k < stream.circles.size(); ++k) {
            progress.update(k);
            const CircleRecord& r = stream.circles[k];
            const std::string name = jobname(file, r);
            Evaluation e = evaluate(r);
            for (int c = 0; c < nreferences; ++c)
                if (!e.said[c].empty())
                    err << "formreport: " << name << ": the " << referencenames[c]
                        << " computation said: " << oneline(e.said[c]) << "\n";
            if (!e.ok) {
                err << "formreport: " << name << ": not plotted: " << e.failure << "\n";
                continue;
            }
            const PolarData data = polardata(r, e);
            for (const int c : {leastsquares, circumscribing, inscribing})
                if (data.curves[c].empty())
                    err << "formreport: " << name << ": the " << referencenames[c]
                        << " circle does not surround the minimum-zone centre; it is left out of "
                           "the plot\n";
            PolarLabels labels;
            labels.magnification = magnification(o, data, name, err);
            labels.unit = o.unit;
            labels.title = fs::path(o.input).filename().string() + ": job " +
                           std::to_string(r.job) + " (job " + std::to_string(r.ordinal) +
                           " of the stream, line " + std::to_string(r.line) + "), " +
                           std::to_string(r.x.size()) + " points";
            const fs::path svg = fs::path(o.output) / (stem + "-job" + std::to_string(r.ordinal) +
                                                       "-" + std::to_string(r.job) + ".svg");
            picture(svg, o.png, [&](const std::string& path, Format format) {
                drawpolar(path, format, data, e, labels);
            });
            rows.push_back(
                {printable(svg.filename().string()), &r, labels.magnification, std::move(e)});
        }
        progress.finish();
        errno = 0;
        printplots(out, file, rows);
        return outputwritten(out, err) ? exitok : exitinput;
    } catch (const FileError& e) {
        complain(err, e);
        return exitinput;
    }
}

} // namespace formeval::report
