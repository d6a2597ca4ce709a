// Part files read: the JSON parsed (a syntax error placed by its line and
// column, a key given twice refused), then every key checked and turned into
// the tolerance library's features, datums and frames. The JSON keeps no
// positions past the parse, so later messages say where by the keys.
#include "report/partfile/partfile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

using Json = nlohmann::ordered_json;

// Where in the part file a fault lies, in words ("feature \"B\"", "tolerance
// 2"; empty at the top).
struct Context {
    const std::string& file;
    std::string where;
};

[[noreturn]] void fail(const Context& c, const std::string& why) {
    throw FileError(c.file, 0, c.where.empty() ? why : c.where + ": " + why);
}

// A name of the file as a message quotes it.
std::string quote(const std::string& name) {
    return "\"" + shortitem(name) + "\"";
}

// A value as a message quotes it: its JSON, cut short.
std::string shown(const Json& v) {
    return shortitem(v.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// "a, b and c", each quoted as a key.
std::string keylist(const std::vector<const char*>& keys) {
    std::string out;
    for (std::size_t k = 0; k < keys.size(); ++k)
        out += std::string(k == 0                 ? ""
                           : k + 1 == keys.size() ? " and "
                                                  : ", ") +
               "\"" + keys[k] + "\"";
    return out;
}

std::string characteristiclist() {
    std::string out;
    const std::size_t n = tolerance::characteristics.size();
    for (std::size_t k = 0; k < n; ++k)
        out += std::string(k == 0       ? ""
                           : k + 1 == n ? " or "
                                        : ", ") +
               tolerance::characteristics[k].name;
    return out;
}

// Refuses a key of `object` that is none of `known`: a misspelt key would
// otherwise be passed over and its value lost.
void onlyknown(const Context& c, const Json& object, const std::vector<const char*>& known,
               const std::string& what) {
    for (const auto& item : object.items())
        if (std::none_of(known.begin(), known.end(),
                         [&](const char* k) { return item.key() == k; }))
            fail(c, "unknown key " + quote(item.key()) + ": " + what + " has " + keylist(known));
}

const Json& required(const Context& c, const Json& object, const char* key,
                     const std::string& hint) {
    const auto it = object.find(key);
    if (it == object.end()) fail(c, std::string("no \"") + key + "\": " + hint);
    return *it;
}

const Json* optional(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::string text(const Context& c, const Json& v, const char* key) {
    if (!v.is_string()) fail(c, std::string("\"") + key + "\" is a string, not " + shown(v));
    return v.get<std::string>();
}

double number(const Context& c, const Json& v, const char* key) {
    if (!v.is_number()) fail(c, std::string("\"") + key + "\" is a number, not " + shown(v));
    const double x = v.get<double>();
    if (!std::isfinite(x)) fail(c, std::string("\"") + key + "\" is not a finite number");
    return x;
}

// Three numbers [x, y, z]; a direction not all zero.
tolerance::Vector triple(const Context& c, const Json& v, const char* key, bool direction) {
    if (!v.is_array() || v.size() != 3 ||
        !std::all_of(v.begin(), v.end(), [](const Json& x) { return x.is_number(); }))
        fail(c, std::string("\"") + key + "\" is three numbers [x, y, z], not " + shown(v));
    tolerance::Vector out{};
    for (std::size_t k = 0; k < 3; ++k) out[k] = number(c, v[k], key);
    if (direction && out[0] == 0 && out[1] == 0 && out[2] == 0)
        fail(c, std::string("\"") + key + "\" is [0, 0, 0], which has no direction");
    return out;
}

// The unit: one of the length units values with a unit are converted to.
std::string unitof(const Context& c, const Json& v) {
    const std::string unit = text(c, v, "unit");
    std::string why;
    if (!unitword(unit) || !parsevalue("1" + unit, ValueKind::length, unit, why))
        fail(c, "the unit is nm, um, \u00b5m, mm, cm, m, in or uin, not '" + shortitem(unit) + "'");
    return unit;
}

// The columns as --columns takes them: "x,y,z" or a list of names and numbers.
std::vector<std::string> columnsof(const Context& c, const Json& v, const std::string& type,
                                   int& dimension) {
    std::vector<std::string> out;
    if (v.is_string()) {
        const std::string all = v.get<std::string>();
        for (std::size_t start = 0;;) {
            const std::size_t comma = all.find(',', start);
            out.push_back(all.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    } else if (v.is_array()) {
        for (const Json& item : v) {
            if (item.is_string())
                out.push_back(item.get<std::string>());
            else if (item.is_number_unsigned())
                out.push_back(std::to_string(item.get<unsigned long long>()));
            else
                out.push_back("");
        }
    }
    if (out.empty() || std::any_of(out.begin(), out.end(), [](auto& s) { return s.empty(); }))
        fail(c, "\"columns\" are the point file's columns, by number from 1 or header name: "
                "\"x,y,z\" or [\"x\", \"y\", \"z\"], not " +
                    shown(v));
    // A line or circle named by three columns was measured in space.
    if ((type == "line" || type == "circle") && out.size() == 3 && !polarcolumns(out))
        dimension = 3;
    const std::string d = std::to_string(dimension);
    if (polarcolumns(out)) {
        const std::string why = polarrefusal(out, dimension);
        if (!why.empty()) fail(c, "\"columns\": a " + type + ": " + why);
    } else if (out.size() != static_cast<std::size_t>(dimension)) {
        fail(c, "\"columns\": a " + type + "'s points have " + d + " coordinates: name " + d +
                    " columns");
    }
    return out;
}

const std::vector<const char*> featurekeys = {"file",    "type",    "material",
                                              "columns", "outward", "sections"};

PartFeature featureof(const Context& top, const std::string& name, const Json& v,
                      const fs::path& dir, const std::vector<std::string>& given) {
    if (name.empty()) fail(top, "\"features\" has a feature without a name");
    const Context c{top.file, "feature " + quote(name)};
    if (!v.is_object())
        fail(c, "a feature is an object {\"file\": ..., \"type\": ...}, not " + shown(v));
    onlyknown(c, v, featurekeys, "a feature");
    PartFeature f;
    f.name = name;
    if (std::find(given.begin(), given.end(), name) != given.end()) {
        if (optional(v, "file")) fail(c, "its points are given: it takes no \"file\"");
    } else {
        f.file = text(c, required(c, v, "file", "give its point file"), "file");
        if (f.file.empty()) fail(c, "\"file\" is empty: give its point file");
        f.path = (dir / f.file).string();
    }
    const std::string type = text(c, required(c, v, "type", "give " + parttypelist()), "type");
    const std::optional<pointset::Feature> named = pointset::featurenamed(type);
    if (!named) fail(c, "the type is " + parttypelist() + ", not '" + shortitem(type) + "'");
    f.type = *named;
    f.columns.dimension = pointset::traits(f.type).dimension;
    if (const Json* columns = optional(v, "columns"))
        f.columns.columns = columnsof(c, *columns, type, f.columns.dimension);
    if (const Json* material = optional(v, "material")) {
        if (type == "line" || type == "plane")
            fail(c, "\"material\" is for circles, spheres, cylinders and cones, not a " + type);
        const std::string m = text(c, *material, "material");
        if (m != "shaft" && m != "hole")
            fail(c, "the material is shaft or hole, not '" + shortitem(m) + "'");
        f.material = m == "shaft" ? tolerance::Material::shaft : tolerance::Material::hole;
    }
    if (const Json* outward = optional(v, "outward")) {
        if (type != "plane") fail(c, "\"outward\" is for planes, not a " + type);
        f.outward = triple(c, *outward, "outward", true);
    }
    if (const Json* sections = optional(v, "sections")) {
        if (type != "cylinder") fail(c, "\"sections\" is for cylinders, not a " + type);
        const bool whole = sections->is_number_integer();
        const double k = whole ? sections->get<double>() : 0;
        if (!whole || k < 0 || k == 1 || k > std::numeric_limits<int>::max())
            fail(c, "\"sections\" is 0 (the points' own runs along the axis) or a number of "
                    "slabs from 2, not " +
                        shown(*sections));
        f.sections = static_cast<int>(k);
    }
    return f;
}

const PartFeature* partfeature(const std::vector<PartFeature>& features, const std::string& name) {
    for (const PartFeature& f : features)
        if (f.name == name) return &f;
    return nullptr;
}

tolerance::DatumFeature datumof(const Context& top, const std::string& label, const Json& v,
                                const std::vector<PartFeature>& features) {
    if (label.empty()) fail(top, "\"datums\" has a datum without a label");
    const Context c{top.file, "datum " + quote(label)};
    if (label.find('|') != std::string::npos)
        fail(c, "a label has no '|', which parts a frame's datums");
    tolerance::DatumFeature d{label, {}};
    if (v.is_string()) {
        d.features.push_back(v.get<std::string>());
    } else if (v.is_array() && !v.empty() &&
               std::all_of(v.begin(), v.end(), [](const Json& x) { return x.is_string(); })) {
        for (const Json& name : v) d.features.push_back(name.get<std::string>());
    } else {
        fail(c, "a datum is its feature's name, or a list of the names of a common datum's "
                "features, not " +
                    shown(v));
    }
    for (std::size_t k = 0; k < d.features.size(); ++k) {
        if (!partfeature(features, d.features[k]))
            fail(c, "the feature " + quote(d.features[k]) + " is not in \"features\"");
        if (std::find(d.features.begin(), d.features.begin() + k, d.features[k]) !=
            d.features.begin() + k)
            fail(c, "the feature " + quote(d.features[k]) + " is named twice");
    }
    return d;
}

// "takes no datum", "takes 1 datum", "takes 1 to 3 datums".
std::string datumcount(const tolerance::CharacteristicTraits& t) {
    if (t.mostdatums == 0) return "takes no datum";
    if (t.fewestdatums == t.mostdatums)
        return "takes " + std::to_string(t.mostdatums) + (t.mostdatums == 1 ? " datum" : " datums");
    return "takes " + std::to_string(t.fewestdatums) +
           (t.mostdatums == t.fewestdatums + 1 ? " or " : " to ") + std::to_string(t.mostdatums) +
           " datums";
}

std::vector<std::string> framedatums(const Context& c, const Json& v, const PartFile& part) {
    if (!v.is_array() ||
        !std::all_of(v.begin(), v.end(), [](const Json& x) { return x.is_string(); }))
        fail(c, "\"datums\" is a list of datum labels in the order of precedence ([\"A\", "
                "\"B\"]), not " +
                    shown(v));
    std::vector<std::string> labels;
    for (const Json& item : v) {
        const std::string label = item.get<std::string>();
        if (std::none_of(part.datums.begin(), part.datums.end(),
                         [&](const tolerance::DatumFeature& d) { return d.label == label; }))
            fail(c, "the datum " + quote(label) + " is not in \"datums\"");
        if (std::find(labels.begin(), labels.end(), label) != labels.end())
            fail(c, "the datum " + quote(label) + " is named twice");
        labels.push_back(label);
    }
    return labels;
}

// A tolerance: a number in the part's unit, or text with a length unit of
// its own ("20um"), at least 0.
double tolerancevalue(const Context& c, const Json& v, const std::string& unit) {
    double t = 0;
    if (v.is_number()) {
        t = number(c, v, "tolerance");
    } else if (v.is_string()) {
        std::string why;
        const std::optional<double> given =
            parsevalue(v.get<std::string>(), ValueKind::length, unit, why);
        if (!given) fail(c, "\"tolerance\": " + why);
        t = *given;
    } else {
        fail(c, "\"tolerance\" is a number, or a number and its unit (\"20um\"), not " + shown(v));
    }
    if (!(t >= 0)) fail(c, "\"tolerance\" is " + shown(v) + ": give a width of at least 0");
    return t;
}

const std::vector<const char*> framekeys = {"characteristic", "feature", "datums",   "tolerance",
                                            "angle",          "exact",   "direction"};

tolerance::Frame frameof(const Context& top, std::size_t index, const Json& v,
                         const PartFile& part) {
    using tolerance::Characteristic;
    const Context c{top.file, "tolerance " + std::to_string(index)};
    if (!v.is_object())
        fail(c, "a tolerance is an object {\"characteristic\": ..., \"feature\": ..., "
                "\"tolerance\": ...}, not " +
                    shown(v));
    onlyknown(c, v, framekeys, "a tolerance");
    const std::string name =
        text(c, required(c, v, "characteristic", "give " + characteristiclist()), "characteristic");
    const std::optional<Characteristic> characteristic = tolerance::characteristicnamed(name);
    if (!characteristic)
        fail(c,
             "the characteristic is " + characteristiclist() + ", not '" + shortitem(name) + "'");
    tolerance::Frame f;
    f.characteristic = *characteristic;
    f.feature = text(c, required(c, v, "feature", "give the toleranced feature"), "feature");
    if (!partfeature(part.features, f.feature))
        fail(c, "the feature " + quote(f.feature) + " is not in \"features\"");
    if (const Json* datums = optional(v, "datums")) f.datums = framedatums(c, *datums, part);
    const tolerance::CharacteristicTraits& t = tolerance::traits(f.characteristic);
    const int n = static_cast<int>(f.datums.size());
    if (n < t.fewestdatums || n > t.mostdatums)
        fail(c, name + " " + datumcount(t) + ", not " + std::to_string(n));
    f.tolerance = tolerancevalue(
        c, required(c, v, "tolerance", "give the zone's width or diameter"), part.unit);
    const Json* angle = optional(v, "angle");
    if (angle && f.characteristic != Characteristic::angularity)
        fail(c, "\"angle\" is for angularity, not " + name);
    if (!angle && f.characteristic == Characteristic::angularity)
        fail(c, "no \"angle\": give the exact angle to the datum in degrees");
    if (angle) {
        f.angle = number(c, *angle, "angle");
        if (f.angle < 0 || f.angle > 180)
            fail(c, "\"angle\" is in degrees from 0 to 180, not " + shown(*angle));
    }
    const bool position = f.characteristic == Characteristic::position;
    for (const char* key : {"exact", "direction"})
        if (!position && optional(v, key))
            fail(c, std::string("\"") + key + "\" is for position, not " + name);
    if (position) {
        f.exact = triple(c,
                         required(c, v, "exact",
                                  "give the feature's exact place [x, y, z] in the datums' "
                                  "coordinates"),
                         "exact", false);
        if (const Json* direction = optional(v, "direction"))
            f.exactdirection = triple(c, *direction, "direction", true);
    }
    return f;
}

// A pass over the text that builds nothing: where it is not JSON (a syntax
// error, a number beyond a double's range), with nlohmann-json's reason, and
// the first key given twice in one object, which the parse proper would keep
// the last value of silently.
class Check : public nlohmann::json_sax<Json> {
  public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return open(true); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }

    bool key(string_t& key) override {
        Level& l = levels_.back();
        l.last = key;
        if (!l.keys.insert(key).second && twice.empty()) {
            twice = key;
            in = l.name;
        }
        return true;
    }

    bool parse_error(std::size_t position, const std::string&, const Json::exception& e) override {
        at = position;
        why = e.what();
        return false;
    }

    std::size_t at = 0; // bytes read up to the fault
    std::string why;    // nlohmann-json's words; empty for JSON
    std::string twice;  // the key given twice, and the key whose value holds it
    std::string in;     // ("" at the top)

  private:
    struct Level {
        std::set<std::string> keys;
        std::string name; // the key the object or array is the value of, or whose list it is in
        std::string last; // of an object, its key last read
        bool object = false;
    };
    std::vector<Level> levels_;

    bool open(bool object) {
        const std::string name = levels_.empty()         ? ""
                                 : levels_.back().object ? levels_.back().last
                                                         : levels_.back().name;
        levels_.push_back({{}, name, "", object});
        return true;
    }
    bool close() {
        levels_.pop_back();
        return true;
    }
};

// nlohmann-json's reason without its prefixes: "[json.exception.parse_error.101]
// parse error at line 1, column 8: syntax error while parsing value - invalid
// literal; ..." says "invalid literal; ...".
std::string reason(std::string why) {
    if (const std::size_t b = why.find("] "); b != std::string::npos) why.erase(0, b + 2);
    if (why.rfind("parse error", 0) == 0)
        if (const std::size_t c = why.find(": "); c != std::string::npos) why.erase(0, c + 2);
    if (why.rfind("syntax error", 0) == 0)
        if (const std::size_t d = why.find(" - "); d != std::string::npos) why.erase(0, d + 3);
    return why;
}

Json parsed(const std::string& text, const std::string& file) {
    Check check;
    if (!Json::sax_parse(text, &check)) {
        const auto [line, column] = linecolumn(text, check.at > 0 ? check.at - 1 : 0);
        throw FileError(file, line, "not valid JSON: " + shortitems(printable(reason(check.why))),
                        column);
    }
    if (!check.twice.empty())
        throw FileError(file, 0,
                        (check.in.empty() ? "the part file" : quote(check.in)) + " has the key " +
                            quote(check.twice) + " twice");
    return Json::parse(text);
}

} // namespace

std::pair<long, long> linecolumn(const std::string& text, std::size_t at) {
    at = std::min(at, text.size());
    const long line = 1 + static_cast<long>(std::count(text.begin(), text.begin() + at, '\n'));
    const std::size_t newline = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    return {line, static_cast<long>(at - start) + 1};
}

std::string datumtext(const std::vector<std::string>& labels) {
    std::string out;
    for (const std::string& l : labels) out += (out.empty() ? "" : "|") + l;
    return out;
}

std::string parttypelist() {
    std::string out;
    for (std::size_t k = 0; k < pointset::features.size(); ++k)
        out += (k == 0                               ? ""
                : k + 1 == pointset::features.size() ? " or "
                                                     : ", ") +
               std::string(pointset::features[k].name);
    return out;
}

PartFile readpartfile(const std::string& text, const std::string& file,
                      const std::vector<std::string>& given) {
    const Json doc = parsed(text, file);
    const Context top{file, ""};
    if (!doc.is_object())
        fail(top, "a part file is a JSON object {\"features\": ..., \"tolerances\": ...}, not " +
                      shown(doc));
    onlyknown(top, doc, {"unit", "features", "datums", "tolerances"}, "a part file");
    PartFile part;
    if (const Json* unit = optional(doc, "unit")) part.unit = unitof(top, *unit);

    const Json& features = required(top, doc, "features",
                                    "name the measured features: {\"A\": {\"file\": "
                                    "\"face.csv\", \"type\": \"plane\"}, ...}");
    if (!features.is_object())
        fail(top, "\"features\" is an object of features by name, not " + shown(features));
    const fs::path dir = fs::path(file).parent_path();
    for (const auto& item : features.items())
        part.features.push_back(featureof(top, item.key(), item.value(), dir, given));

    if (const Json* datums = optional(doc, "datums")) {
        if (!datums->is_object())
            fail(top, "\"datums\" is an object of datums by label, not " + shown(*datums));
        for (const auto& item : datums->items())
            part.datums.push_back(datumof(top, item.key(), item.value(), part.features));
    }

    const Json& frames = required(top, doc, "tolerances", "give the drawing's tolerance frames");
    if (!frames.is_array())
        fail(top, "\"tolerances\" is a list of tolerance frames, not " + shown(frames));
    for (std::size_t k = 0; k < frames.size(); ++k)
        part.frames.push_back(frameof(top, k + 1, frames[k], part));
    return part;
}

} // namespace formeval::report
