// The `part` command: reads a part file (its measured features' point files,
// its datums and its drawing's tolerance frames), evaluates every frame with
// the tolerance library and prints the datums as associated, then each
// frame's value and verdict, as a table, CSV or JSON. A part file or point
// file that cannot be read ends the command before any output; a frame that
// cannot be evaluated is said, shown as not evaluated, and makes the exit
// status 1.
#include "report/commands/commands.h"
#include "report/partfile/partfile.h"
#include "report/tables/json.h"

#include <cerrno>
#include <cmath>
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
        if (!f.type) continue;
        std::optional<PointFile> points = readpoints(f.path, *f.type, f.columns, mode, err);
        if (!points) {
            read = false;
            continue;
        }
        files[k] = std::move(*points);
        if (const std::string hint = polarhint(files[k], *f.type); !hint.empty())
            err << "formreport: " << printable(f.path) << ": " << hint << "\n";
    }
    return read;
}

// The part's features and datums as the tolerance library takes them, the
// points those of `files`; no frames yet.
tolerance::Part partof(const PartFile& p, const std::vector<PointFile>& files) {
    tolerance::Part part;
    for (std::size_t k = 0; k < p.features.size(); ++k) {
        const PartFeature& f = p.features[k];
        if (!f.type) continue;
        tolerance::Measured m;
        m.name = f.name;
        m.type = *f.type;
        m.points = files[k].points();
        m.material = f.material;
        m.outward = f.outward;
        m.sections = f.sections;
        part.features.push_back(std::move(m));
    }
    part.datums = p.datums;
    return part;
}

// Why a frame is not evaluated for a cone among its features: the library
// takes no cone yet. "" when there is none.
std::string conerefusal(const tolerance::Frame& frame, const PartFile& part) {
    const auto cone = [&](const std::string& name) {
        for (const PartFeature& f : part.features)
            if (f.name == name) return !f.type;
        return false;
    };
    const std::string why = " is a cone: cones are not evaluated yet";
    if (cone(frame.feature)) return "feature " + frame.feature + why;
    for (const std::string& label : frame.datums)
        for (const tolerance::DatumFeature& d : part.datums)
            if (d.label == label)
                for (const std::string& name : d.features)
                    if (cone(name)) return "datum " + label + ": feature " + name + why;
    return "";
}

// Every frame's value, in the part file's order: a frame on a cone refused
// here, the others evaluated together, so that the datum systems they share
// are set up once.
std::vector<FrameValue> evaluateframes(const PartFile& p, tolerance::Part part) {
    std::vector<FrameValue> values(p.frames.size());
    std::vector<std::size_t> evaluated;
    for (std::size_t k = 0; k < p.frames.size(); ++k) {
        values[k].failure = conerefusal(p.frames[k], p);
        if (!values[k].failure.empty()) continue;
        part.frames.push_back(p.frames[k]);
        evaluated.push_back(k);
    }
    std::vector<FrameValue> found = tolerance::evaluate(part);
    for (std::size_t k = 0; k < evaluated.size() && k < found.size(); ++k)
        values[evaluated[k]] = std::move(found[k]);
    return values;
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

// One datum of a frame's system, with the system up to it: datum B as
// associated after A is not datum B alone.
struct DatumRow {
    std::vector<std::string> system; // the labels up to and including this one
    const tolerance::Datum* datum;
};

// Each datum of the frames' systems once, in the order the frames first
// use it.
std::vector<DatumRow> datumrows(const std::vector<FrameValue>& values) {
    std::vector<DatumRow> rows;
    for (const FrameValue& v : values) {
        std::vector<std::string> system;
        for (const tolerance::Datum& d : v.system.datums) {
            system.push_back(d.label);
            bool seen = false;
            for (const DatumRow& r : rows) seen = seen || r.system == system;
            if (!seen) rows.push_back({system, &d});
        }
    }
    return rows;
}

const char* kindname(tolerance::DatumKind kind) {
    switch (kind) {
    case tolerance::DatumKind::plane:
        return "plane";
    case tolerance::DatumKind::axis:
        return "axis";
    default:
        return "point";
    }
}

// A frame's fields, in the order of the CSV's columns and the JSON's keys;
// the first seven are the CSV's.
std::vector<Field> framefields(const tolerance::Frame& f, const FrameValue& v) {
    const pointset::Certificate& c = v.certificate;
    const double none = notapplicable;
    return {textfield("characteristic", tolerance::traits(f.characteristic).name),
            textfield("feature", f.feature),
            textfield("datums", datumtext(f.datums)),
            numberfield("value", v.found ? v.value : none),
            numberfield("tolerance", f.tolerance),
            textfield("verdict", v.found ? tolerance::verdictname(v.verdict) : "not evaluated"),
            v.found ? truthfield("certified", c.certified) : textfield("certified", ""),
            numberfield("lower", v.found ? c.lower : none),
            numberfield("upper", v.found ? c.upper : none),
            textfield("zone", v.zone),
            textfield("not_certified_because", v.found && !c.certified ? c.why : ""),
            textfield("failure", v.found ? "" : v.failure)};
}
constexpr std::size_t csvcolumns = 7;

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
    for (std::size_t k = 0; k < csvcolumns; ++k) out << (k ? "," : "") << heads[k].name;
    out << "\n";
    for (std::size_t k = 0; k < part.frames.size(); ++k) {
        const std::vector<Field> row = framefields(part.frames[k], values[k]);
        for (std::size_t c = 0; c < csvcolumns; ++c) out << (c ? "," : "") << csvfield(row[c]);
        out << "\n";
    }
}

nlohmann::ordered_json triple(const tolerance::Vector& v) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const double x : v)
        out.push_back(std::isfinite(x) ? nlohmann::ordered_json(x) : nlohmann::ordered_json());
    return out;
}

nlohmann::ordered_json number(double v) {
    return std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json();
}

nlohmann::ordered_json text(const std::string& t) {
    return t.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(t);
}

void printjson(std::ostream& out, const PartFile& part, const std::vector<FrameValue>& values) {
    nlohmann::ordered_json datums = nlohmann::ordered_json::array();
    for (const DatumRow& r : datumrows(values)) {
        const tolerance::Datum& d = *r.datum;
        const pointset::Certificate& c = d.certificate;
        datums.push_back({{"system", r.system},
                          {"label", d.label},
                          {"kind", d.found ? nlohmann::ordered_json(kindname(d.kind))
                                           : nlohmann::ordered_json()},
                          {"association", text(d.association)},
                          {"point", triple(d.point)},
                          {"direction", triple(d.direction)},
                          {"certified", d.found ? nlohmann::ordered_json(c.certified)
                                                : nlohmann::ordered_json()},
                          {"lower", number(d.found ? c.lower : notapplicable)},
                          {"upper", number(d.found ? c.upper : notapplicable)},
                          {"not_certified_because", text(d.found && !c.certified ? c.why : "")},
                          {"failure", text(d.found ? "" : d.failure)}});
    }
    nlohmann::ordered_json frames = nlohmann::ordered_json::array();
    for (std::size_t k = 0; k < part.frames.size(); ++k) {
        nlohmann::ordered_json frame = nlohmann::ordered_json::object();
        for (const Field& f : framefields(part.frames[k], values[k]))
            frame[f.name] =
                f.name == "datums" ? nlohmann::ordered_json(part.frames[k].datums) : jsonvalue(f);
        frames.push_back(frame);
    }
    const nlohmann::ordered_json doc = {{"unit", part.unit},
                                        {"decision_rule", tolerance::decisionrule()},
                                        {"datums", datums},
                                        {"tolerances", frames}};
    out << doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

} // namespace

int part(const PartOptions& o, std::ostream& out, std::ostream& err) {
    const std::optional<PartFile> read = readpart(o.input, err);
    if (!read) return exitinput;
    const PartFile& p = *read;
    std::vector<PointFile> files;
    if (!readfeatures(p, o.progress, files, err)) return exitinput;
    const std::vector<FrameValue> values = evaluateframes(p, partof(p, files));
    int status = exitok;
    for (std::size_t k = 0; k < p.frames.size(); ++k)
        if (!values[k].found) {
            err << "formreport: " << printable(o.input) << ": "
                << printable(framename(k, p.frames[k]) + ": not evaluated: " + values[k].failure)
                << "\n";
            status = exitinput;
        }
    errno = 0;
    if (o.format == ResultsFormat::csv)
        printcsv(out, p, values);
    else if (o.format == ResultsFormat::json)
        printjson(out, p, values);
    else
        printtable(out, p, values, o);
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
