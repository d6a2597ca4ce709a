// The `part` command: reads a part file (its measured features' point files,
// its datums and its drawing's tolerance frames), evaluates every frame with
// the tolerance library and prints the datums as associated, then each
// frame's value and verdict, as a table, CSV or JSON. A part file or point
// file that cannot be read ends the command before any output; a frame that
// cannot be evaluated is said, shown as not evaluated, and makes the exit
// status 1. Reading and evaluating a part file is evaluatepart, which the
// filed report's part pages share.
#include "report/commands/commands.h"
#include "report/partfile/partfile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace formeval::report {

namespace {

using tolerance::FrameValue;

// The whole part file read and checked; nothing, said on `err`, where it
// cannot be.
std::optional<PartFile> readpart(const std::string& path, std::ostream& err) {
    std::ifstream in;
    if (!openinput(path, in, err, maxpartbytes)) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return readpartfile(text.str(), path);
    } catch (const FileError& e) {
        complain(err, e);
        return std::nullopt;
    }
}

// Every feature's point file but a cone's, each fault said; false when any
// cannot be read. `files[k]` holds feature k's points.
bool readfeatures(const PartFile& part, ProgressMode mode, std::vector<PointFile>& files,
                  std::ostream& err) {
    bool read = true;
    files.resize(part.features.size());
    for (std::size_t k = 0; k < part.features.size(); ++k) {
        const PartFeature& f = part.features[k];
        std::optional<PointFile> points = readpoints(f.path, f.type, f.columns, mode, err);
        if (!points) {
            read = false;
            continue;
        }
        files[k] = std::move(*points);
        if (const std::string hint = polarhint(files[k], f.type); !hint.empty())
            err << "formreport: " << printable(f.path) << ": " << hint << "\n";
    }
    return read;
}

// A frame as the outputs name it: "tolerance 2 (perpendicularity of B)".
std::string framename(std::size_t k, const tolerance::Frame& f) {
    return "tolerance " + std::to_string(k + 1) + " (" + tolerance::traits(f.characteristic).name +
           " of " + f.feature + ")";
}

std::string certificatetext(const pointset::Certificate& c, int digits) {
    if (c.certified) return "certified";
    std::string text = "not certified: " + c.why;
    if (std::isfinite(c.lower) && std::isfinite(c.upper))
        text += " [" + formatnumber(c.lower, digits) + ", " + formatnumber(c.upper, digits) + "]";
    return text;
}

void printtable(std::ostream& out, const PartFile& part, const std::vector<FrameValue>& values,
                const PartOptions& o) {
    const std::vector<DatumRow> datums = datumrows(values);
    if (datums.empty()) {
        out << "Datums: none\n";
    } else {
        out << "Datums as associated:\n";
        std::vector<std::vector<std::string>> rows;
        for (const DatumRow& r : datums)
            rows.push_back(
                {printable(datumtext(r.system)), printable(r.datum->label),
                 r.datum->found ? r.datum->association : "not associated",
                 printable(r.datum->found ? certificatetext(r.datum->certificate, o.digits)
                                          : r.datum->failure)});
        printaligned(out, {"system", "datum", "association", "certificate"},
                     {false, false, false, false}, rows);
    }
    out << "\nTolerances, lengths in " << part.unit << ":\n";
    std::vector<std::vector<std::string>> rows;
    for (std::size_t k = 0; k < part.frames.size(); ++k) {
        const tolerance::Frame& f = part.frames[k];
        const FrameValue& v = values[k];
        std::string notes = v.found ? v.zone : v.failure;
        if (v.found && !v.certificate.certified)
            notes += "; " + certificatetext(v.certificate, o.digits);
        rows.push_back(
            {tolerance::traits(f.characteristic).name, printable(f.feature),
             printable(datumtext(f.datums)), v.found ? formatnumber(v.value, o.digits) : "-",
             formatnumber(f.tolerance, o.digits),
             v.found ? tolerance::verdictname(v.verdict) : "not evaluated",
             v.found ? (v.certificate.certified ? "yes" : "no") : "-", printable(notes)});
    }
    printaligned(out,
                 {"characteristic", "feature", "datums", "value", "tolerance", "verdict",
                  "certified", "notes"},
                 {false, false, false, true, true, false, false, false}, rows);
    out << "\nDecision rule: " << tolerance::decisionrule() << "\n";
}

void printcsv(std::ostream& out, const PartFile& part, const std::vector<FrameValue>& values) {
    const std::vector<Field> heads = framefields({}, {});
    for (std::size_t k = 0; k < partcsvcolumns; ++k) out << (k ? "," : "") << heads[k].name;
    out << "\n";
    for (std::size_t k = 0; k < part.frames.size(); ++k) {
        const std::vector<Field> row = framefields(part.frames[k], values[k]);
        for (std::size_t c = 0; c < partcsvcolumns; ++c) out << (c ? "," : "") << csvfield(row[c]);
        out << "\n";
    }
}

} // namespace

bool EvaluatedPart::allevaluated() const {
    return std::all_of(values.begin(), values.end(), [](const FrameValue& v) { return v.found; });
}

std::optional<EvaluatedPart> evaluatepart(const std::string& path, ProgressMode mode,
                                          std::ostream& err) {
    std::optional<PartFile> read = readpart(path, err);
    if (!read) return std::nullopt;
    std::vector<PointFile> files;
    if (!readfeatures(*read, mode, files, err)) return std::nullopt;
    std::vector<pointset::Points> points;
    for (const PointFile& f : files) points.push_back(f.points());
    EvaluatedPart e{std::move(*read), {}};
    e.values = evaluateframes(e.file, partof(e.file, points));
    for (std::size_t k = 0; k < e.file.frames.size(); ++k)
        if (!e.values[k].found)
            err << "formreport: " << printable(path) << ": "
                << printable(framename(k, e.file.frames[k]) +
                             ": not evaluated: " + e.values[k].failure)
                << "\n";
    return e;
}

ZoneLabels zonelabels(const tolerance::Frame& f, const FrameValue& v, const std::string& unit,
                      int digits) {
    ZoneLabels labels;
    labels.deviations = subunit(unit, v.value);
    labels.title = std::string(tolerance::traits(f.characteristic).name) + " of " + f.feature +
                   (f.datums.empty() ? "" : " to " + datumtext(f.datums));
    labels.note = v.zone + ": " + formatnumber(v.value * labels.deviations.factor, digits) + " " +
                  labels.deviations.name + ", " + tolerance::verdictname(v.verdict);
    return labels;
}

void drawframezone(const std::string& path, Format format, const tolerance::Frame& f,
                   const FrameValue& v, const ZoneLabels& labels) {
    const bool radial = f.characteristic == tolerance::Characteristic::radialrunout ||
                        f.characteristic == tolerance::Characteristic::totalradialrunout;
    drawzone(path, format, v, labels, radial);
}

namespace {

namespace fs = std::filesystem;

// Each frame's zone picture, "tolerance-K.svg" in the charts' directory;
// false, said on `err`, where one cannot be written.
bool drawzones(const PartOptions& o, const PartFile& p, const std::vector<FrameValue>& values,
               std::ostream& err) {
    if (!makedirectory(o.charts, err)) return false;
    bool written = true;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const FrameValue& v = values[k];
        if (!haszonepicture(v)) continue;
        const tolerance::Frame& f = p.frames[k];
        const ZoneLabels labels = zonelabels(f, v, p.unit, o.digits);
        const fs::path svg = fs::path(o.charts) / ("tolerance-" + std::to_string(k + 1) + ".svg");
        try {
            picture(svg, o.png, [&](const std::string& path, Format format) {
                drawframezone(path, format, f, v, labels);
            });
        } catch (const FileError& e) {
            complain(err, e);
            written = false;
        }
    }
    return written;
}

} // namespace

int part(const PartOptions& o, std::ostream& out, std::ostream& err) {
    if (!o.charts.empty() && !chartsavailable()) return unavailable(err, "part --charts", "cairo");
    const std::optional<EvaluatedPart> evaluated = evaluatepart(o.input, o.progress, err);
    if (!evaluated) return exitinput;
    const PartFile& p = evaluated->file;
    const std::vector<FrameValue>& values = evaluated->values;
    int status = evaluated->allevaluated() ? exitok : exitinput;
    if (!o.charts.empty() && !drawzones(o, p, values, err)) status = exitinput;
    errno = 0;
    if (o.format == ResultsFormat::csv)
        printcsv(out, p, values);
    else if (o.format == ResultsFormat::json)
        out << partjson(p, values) << "\n";
    else
        printtable(out, p, values, o);
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
