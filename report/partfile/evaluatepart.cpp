// A part file's frames evaluated by the tolerance library on the points of
// its features, and the fields and JSON document its outputs print, the same
// for formreport and the Python package.
#include "report/json/json.h"
#include "report/partfile/partfile.h"

#include <cmath>

namespace formeval::report {

using tolerance::FrameValue;

namespace {

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

} // namespace

tolerance::Part partof(const PartFile& p, const std::vector<pointset::Points>& points) {
    tolerance::Part part;
    for (std::size_t k = 0; k < p.features.size(); ++k) {
        const PartFeature& f = p.features[k];
        tolerance::Measured m;
        m.name = f.name;
        m.type = f.type;
        m.points = points[k];
        m.material = f.material;
        m.outward = f.outward;
        m.sections = f.sections;
        part.features.push_back(std::move(m));
    }
    part.datums = p.datums;
    return part;
}

std::vector<FrameValue> evaluateframes(const PartFile& p, tolerance::Part part) {
    part.frames = p.frames;
    return tolerance::evaluate(part);
}

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

std::string partjson(const PartFile& part, const std::vector<FrameValue>& values) {
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
    return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace formeval::report
