// The polar command: roundness charts of a job stream's circle records,
// filtered and analysed into harmonics if asked, and plots of its
// straightness and flatness records, with their tables.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

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
    Evaluated evaluation;
};

// The table of the plots: the file name, then right-aligned columns, each at
// least its usual width and always one blank wider than its widest cell, so
// that no two columns run together.
void printplots(std::ostream& out, const std::string& file, const std::vector<PlotRow>& rows,
                int filter) {
    out << file << ": " << rows.size() << (rows.size() == 1 ? " circle record" : " circle records")
        << " plotted; circularity error against each circle";
    if (filter > 0)
        out << ", of the closed profiles filtered (Gaussian, cut-off " << filter << " UPR)";
    out << "\n";
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
        for (int k = 0; k < nmethods; ++k)
            c[5 + k] = formatnumber(r.evaluation.circle(Method(k)).error, 12);
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

// An angle in whole degrees, from 0 to 360.
std::string degrees(double radians) {
    const double pi = std::acos(-1.0);
    long d = std::lround(radians * 180 / pi) % 360;
    if (d < 0) d += 360;
    if (d == 0 && radians > pi) d = 360;
    return std::to_string(d) + "\u00b0";
}

struct HarmonicRow {
    std::string name;
    Harmonics harmonics;
    Subunit unit;
    int filter;
};

std::string harmonicnote(const HarmonicRow& h) {
    const std::size_t resolved =
        h.harmonics.amplitude.empty() ? 0 : h.harmonics.amplitude.size() - 1;
    std::string note =
        "Harmonic amplitudes about the least-squares circle, in " + h.unit.name + "; " +
        std::to_string(h.harmonics.points) +
        (h.harmonics.resampled ? " points resampled at equal angles" : " points at equal angles");
    if (h.filter > 0) note += ", filtered at " + std::to_string(h.filter) + " UPR";
    if (resolved < static_cast<std::size_t>(maxharmonic))
        note += "; they resolve UPR 1 to " + std::to_string(resolved) + " only";
    return note;
}

// UPR 1 to 50 in five columns of ten, amplitudes in the sub-unit.
void printharmonics(std::ostream& out, const HarmonicRow& h) {
    out << "\n" << h.name << ": " << harmonicnote(h) << "\n";
    // Decimals down to the fourth significant digit of the largest amplitude.
    double largest = 0;
    for (std::size_t k = 1; k < h.harmonics.amplitude.size(); ++k)
        largest = std::max(largest, h.harmonics.amplitude[k] * h.unit.factor);
    const int decimals =
        largest > 0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(largest))), 0, 12) : 0;
    constexpr int rows = 10;
    for (int row = 1; row <= rows; ++row) {
        std::string line;
        for (int k = row; k <= maxharmonic; k += rows) {
            if (static_cast<std::size_t>(k) >= h.harmonics.amplitude.size()) break;
            std::ostringstream cell;
            cell << std::setw(k == row ? 3 : 6) << k << "  " << std::left << std::setw(10)
                 << std::fixed << std::setprecision(decimals)
                 << h.harmonics.amplitude[static_cast<std::size_t>(k)] * h.unit.factor;
            line += cell.str();
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) out << line << "\n";
    }
}

struct FormRow {
    std::string file;
    const FormRecord* record;
    FormEvaluation evaluation;
};

std::vector<FormRow> drawforms(const PolarOptions& o, const JobStream& stream,
                               const std::string& file, const std::string& stem,
                               std::ostream& err) {
    std::vector<FormRow> rows;
    for (const FormRecord& r : stream.forms) {
        const std::string where = "job " + std::to_string(r.job) + " (job " +
                                  std::to_string(r.ordinal) + " of the stream, line " +
                                  std::to_string(r.line) + ")";
        FormEvaluation e = evaluateform(r);
        if (!e.said.empty())
            err << "formreport: " << file << ": " << where << ": the fits said: " << oneline(e.said)
                << "\n";
        if (!e.ok()) {
            err << "formreport: " << file << ": " << where << ": not plotted: " << e.failure
                << "\n";
            continue;
        }
        const bool plane = r.job == 3000;
        const Subunit u = subunit(o.unit, e.minimumzone.error);
        const std::string title = fs::path(o.input).filename().string() + ": " + where + ", " +
                                  std::to_string(r.c[0].size()) + " points";
        const fs::path svg = fs::path(o.output) / (stem + "-job" + std::to_string(r.ordinal) + "-" +
                                                   std::to_string(r.job) + ".svg");
        picture(svg, o.png, [&](const std::string& path, Format format) {
            if (plane)
                drawflatness(path, format, r, e, u, title);
            else
                drawstraightness(path, format, r, e, u, title);
        });
        rows.push_back({printable(svg.filename().string()), &r, std::move(e)});
    }
    return rows;
}

void printforms(std::ostream& out, const std::string& file, const std::vector<FormRow>& rows,
                bool after) {
    if (after) out << "\n";
    out << file << ": " << rows.size()
        << (rows.size() == 1 ? " straightness or flatness record"
                             : " straightness and flatness records")
        << " plotted; form error against each reference\n";
    std::size_t filewidth = 4;
    for (const FormRow& r : rows) filewidth = std::max(filewidth, r.file.size());
    constexpr std::array<const char*, 6> heads = {"job", "code", "line", "points", "LS", "MZ"};
    constexpr std::array<int, 6> widths = {6, 6, 7, 7, 17, 17};
    out << std::left << std::setw(int(filewidth)) << "plot" << std::right;
    for (std::size_t k = 0; k < heads.size(); ++k) out << std::setw(widths[k]) << heads[k];
    out << "\n";
    for (const FormRow& r : rows) {
        const std::array<std::string, 6> cells = {std::to_string(r.record->ordinal),
                                                  std::to_string(r.record->job),
                                                  std::to_string(r.record->line),
                                                  std::to_string(r.record->c[0].size()),
                                                  formatnumber(r.evaluation.leastsquares.error, 12),
                                                  formatnumber(r.evaluation.minimumzone.error, 12)};
        out << std::left << std::setw(int(filewidth)) << r.file << std::right;
        for (std::size_t k = 0; k < cells.size(); ++k)
            out << std::setw(std::max(widths[k], static_cast<int>(cells[k].size()) + 1))
                << cells[k];
        out << "\n";
    }
}

} // namespace

int polar(const PolarOptions& o, std::ostream& out, std::ostream& err) {
    if (!chartsavailable()) return unavailable(err, "polar", "cairo");
    if (o.filter > 0 && !profile::spectral()) return unavailable(err, "--filter", "FFTW");
    if (o.harmonics && !profile::spectral()) return unavailable(err, "--harmonics", "FFTW");
    if (!pointset::exactreferences())
        err << "formreport: built without CGAL and GLPK, the charts show no exact references\n";
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    const std::string file = printable(o.input);
    try {
        const JobStream stream = readjobstream(in, o.input);
        for (const std::string& note : stream.notes)
            err << "formreport: " << file << ": " << note << "\n";
        if (stream.circles.empty() && stream.forms.empty()) {
            errno = 0;
            out << file
                << ": no records to plot (circles: jobs 2000, 2500, 2600, 2700, 2800; "
                   "straightness 1000, flatness 3000)\n";
            return outputwritten(out, err) ? exitok : exitinput;
        }
        if (!makedirectory(o.output, err)) return exitinput;

        const std::string stem = fs::path(o.input).stem().string();
        Progress progress(err, "plotting " + file, stream.circles.size(),
                          showprogress(o.progress, stream.circles.size() >= progressrecords),
                          "records");
        std::vector<PlotRow> rows;
        std::vector<HarmonicRow> harmonicrows;
        for (std::size_t k = 0; k < stream.circles.size(); ++k) {
            progress.update(k);
            const CircleRecord& r = stream.circles[k];
            const std::string name = jobname(file, r);
            Evaluated e = evaluate(r);
            for (const Fit& f : e.fits)
                if (!f.said.empty())
                    err << "formreport: " << name << ": the " << referencenames[f.method]
                        << " computation said: " << oneline(f.said) << "\n";
            if (!e.ok()) {
                err << "formreport: " << name << ": not plotted: " << e.failure << "\n";
                continue;
            }
            PolarLabels labels;
            PolarData data = polardata(r, e);
            const std::string stemname =
                stem + "-job" + std::to_string(r.ordinal) + "-" + std::to_string(r.job);
            std::vector<std::string> notes;
            if (!data.closed)
                notes.push_back("arc of " + degrees(data.span) + " (from " + degrees(data.start) +
                                " to " + degrees(data.start + data.span) + ")");
            CircleRecord shown = r;
            if (o.filter > 0 && !data.closed) {
                err << "formreport: " << name << ": not filtered: the Gaussian filter is for "
                    << "closed profiles, and this is an arc of " << degrees(data.span) << "\n";
            } else if (o.filter > 0) {
                const Fit& ls = e.circle(leastsquares);
                profile::Filtered mean = profile::filtered(r.x, r.y, {ls.x, ls.y, ls.r}, o.filter);
                const bool resampled = mean.resampled;
                CircleRecord filtered = r;
                filtered.x = std::move(mean.x);
                filtered.y = std::move(mean.y);
                Evaluated fe = evaluate(filtered);
                for (const Fit& f : fe.fits)
                    if (!f.said.empty())
                        err << "formreport: " << name << ": the " << referencenames[f.method]
                            << " computation said of the filtered profile: " << oneline(f.said)
                            << "\n";
                if (!fe.ok()) {
                    err << "formreport: " << name << ": not filtered: the filtered profile "
                        << "cannot be evaluated: " << fe.failure << "\n";
                } else {
                    labels.unfiltered = polardata(r, fe).profile;
                    data = polardata(filtered, fe);
                    e = std::move(fe);
                    shown = std::move(filtered);
                    labels.filter = o.filter;
                    notes.push_back(
                        "Gaussian filter, cut-off " + std::to_string(o.filter) + " UPR" +
                        (resampled ? "; the profile resampled at " +
                                         std::to_string(shown.x.size()) + " equal angles first"
                                   : std::string()));
                }
            }
            for (const int c : {leastsquares, circumscribing, inscribing})
                if (data.curves[c].empty())
                    err << "formreport: " << name << ": the " << referencenames[c]
                        << " circle does not surround the minimum-zone centre; it is left out of "
                           "the plot\n";
            labels.magnification = magnification(o, data, name, err);
            labels.unit = o.unit;
            labels.deviations = subunit(o.unit, data.zoneouter - data.zoneinner);
            labels.title = fs::path(o.input).filename().string() + ": job " +
                           std::to_string(r.job) + " (job " + std::to_string(r.ordinal) +
                           " of the stream, line " + std::to_string(r.line) + "), " +
                           std::to_string(r.x.size()) + " points" +
                           (r.job == 2000 ? " in polar coordinates" : "");
            for (const std::string& note : notes)
                labels.note += (labels.note.empty() ? "" : "; ") + note;
            const fs::path svg = fs::path(o.output) / (stemname + ".svg");
            picture(svg, o.png, [&](const std::string& path, Format format) {
                drawpolar(path, format, data, e, labels);
            });
            if (o.harmonics && data.closed) {
                const Fit& ls = e.circle(leastsquares);
                HarmonicRow h{printable(stemname),
                              profile::harmonics(shown.x, shown.y, {ls.x, ls.y, ls.r}),
                              labels.deviations, labels.filter};
                const fs::path bars = fs::path(o.output) / (stemname + "-harmonics.svg");
                const std::string title = labels.title;
                picture(bars, o.png, [&](const std::string& path, Format format) {
                    drawharmonics(path, format, h.harmonics, h.unit, title, harmonicnote(h));
                });
                harmonicrows.push_back(std::move(h));
            } else if (o.harmonics) {
                err << "formreport: " << name << ": no harmonics: an arc of " << degrees(data.span)
                    << " is no closed profile\n";
            }
            rows.push_back(
                {printable(svg.filename().string()), &r, labels.magnification, std::move(e)});
        }
        std::vector<FormRow> formrows = drawforms(o, stream, file, stem, err);
        progress.finish();
        errno = 0;
        if (!stream.circles.empty()) printplots(out, file, rows, o.filter);
        if (!formrows.empty()) printforms(out, file, formrows, !stream.circles.empty());
        for (const HarmonicRow& h : harmonicrows) printharmonics(out, h);
        return outputwritten(out, err) ? exitok : exitinput;
    } catch (const FileError& e) {
        complain(err, e);
        return exitinput;
    }
}

} // namespace formeval::report
