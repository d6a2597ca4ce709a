// The fields of the output rows, one of each kind, and the CSV text of one.
#include "report/rows/rows.h"

#include <cmath>

namespace formeval::report {

Field numberfield(const char* name, double value) {
    return {Field::Kind::number, name, value, 0, "", false, FieldUnit::none};
}

Field wholefield(const char* name, long value) {
    return {Field::Kind::whole, name, notapplicable, value, "", false, FieldUnit::none};
}

Field textfield(const char* name, std::string value) {
    return {Field::Kind::text, name, notapplicable, 0, std::move(value), false, FieldUnit::none};
}

Field truthfield(const char* name, bool value) {
    return {Field::Kind::truth, name, notapplicable, 0, "", value, FieldUnit::none};
}

namespace {

// A field quoted when it holds a separator, a quote or a line break.
std::string csvtext(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string csvfield(const Field& f) {
    switch (f.kind) {
    case Field::Kind::number:
        return std::isnan(f.number) ? "" : roundtrip(f.number);
    case Field::Kind::whole:
        return std::to_string(f.whole);
    case Field::Kind::truth:
        return f.truth ? "true" : "false";
    case Field::Kind::text:
        break;
    }
    return csvtext(f.text);
}

const Field* fieldnamed(const std::vector<Field>& row, std::string_view name) {
    for (const Field& f : row)
        if (f.name == name) return &f;
    return nullptr;
}

} // namespace formeval::report
