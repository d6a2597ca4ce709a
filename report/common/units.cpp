// Numbers with units as the user writes them on the command line and in
// model files: lengths converted to the data's unit, relative values and
// angles to fractions and radians.
#include "report/common/common.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace formeval::report {

namespace {

// A unit: its kind, and the value in the kind's base unit as
// value * times / divide * 10^exponent (lengths in metres), so that the
// decimal ones convert without a rounding of their factor.
struct Unit {
    const char* name;
    ValueKind kind;
    double times;
    double divide;
    int exponent;
};

const double pi = std::acos(-1.0);

const std::array<Unit, 22> units = {{
    {"nm", ValueKind::length, 1, 1, -9},
    {"um", ValueKind::length, 1, 1, -6},
    {"\u00b5m", ValueKind::length, 1, 1, -6},
    {"mm", ValueKind::length, 1, 1, -3},
    {"cm", ValueKind::length, 1, 1, -2},
    {"m", ValueKind::length, 1, 1, 0},
    {"in", ValueKind::length, 254, 1, -4},
    {"uin", ValueKind::length, 254, 1, -10},
    {"\u00b5in", ValueKind::length, 254, 1, -10},
    {"ppm", ValueKind::relative, 1, 1, -6},
    {"ppb", ValueKind::relative, 1, 1, -9},
    {"%", ValueKind::relative, 1, 1, -2},
    {"um/m", ValueKind::relative, 1, 1, -6},
    {"\u00b5m/m", ValueKind::relative, 1, 1, -6},
    {"rad", ValueKind::angle, 1, 1, 0},
    {"mrad", ValueKind::angle, 1, 1, -3},
    {"urad", ValueKind::angle, 1, 1, -6},
    {"\u00b5rad", ValueKind::angle, 1, 1, -6},
    {"um/m", ValueKind::angle, 1, 1, -6},
    {"\u00b5m/m", ValueKind::angle, 1, 1, -6},
    {"arcsec", ValueKind::angle, pi, 180 * 3600, 0},
    {"deg", ValueKind::angle, pi, 180, 0},
}};

const Unit* unitnamed(std::string_view name, ValueKind kind) {
    for (const Unit& u : units)
        if (name == u.name && u.kind == kind) return &u;
    return nullptr;
}

// v * 10^e, by multiplying or dividing by an exact power of ten.
double scaled(double v, int e) {
    const double p = std::pow(10.0, std::abs(e));
    return e >= 0 ? v * p : v / p;
}

const char* kindname(ValueKind kind) {
    return kind == ValueKind::length     ? "a length"
           : kind == ValueKind::relative ? "relative"
                                         : "an angle";
}

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

} // namespace

bool unitword(std::string_view text) {
    return std::any_of(units.begin(), units.end(), [&](const Unit& u) { return text == u.name; });
}

bool readsasvalue(std::string_view text) {
    if (unitword(text)) return true;
    std::string why;
    for (const ValueKind kind : {ValueKind::length, ValueKind::relative, ValueKind::angle})
        if (parsevalue(text, kind, "m", why)) return true;
    return false;
}

std::optional<double> parsevalue(std::string_view text, ValueKind kind, const std::string& unit,
                                 std::string& why) {
    const std::string t = trimmed(text);
    std::size_t end = t.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(t[end - 1])) && t[end - 1] != '.')
        --end;
    const std::optional<double> number = parsenumber(trimmed(std::string_view(t).substr(0, end)));
    if (!number) {
        why = "'" + printable(t) + "' is not a finite number, with or without a unit";
        return std::nullopt;
    }
    const std::string name = trimmed(std::string_view(t).substr(end));
    if (name.empty()) return number;
    const Unit* u = unitnamed(name, kind);
    if (!u) {
        why = "'" + printable(name) + "' in '" + printable(t) + "' is not a unit of " +
              kindname(kind) + " that formreport knows";
        return std::nullopt;
    }
    if (kind != ValueKind::length) return scaled(*number * u->times / u->divide, u->exponent);
    const Unit* data = unitnamed(unit, ValueKind::length);
    if (!data && unit == defaultunit) {
        why = "'" + printable(t) +
              "' names a unit: give the data's length unit with --unit (nm, "
              "um, mm, cm, m, in or uin)";
        return std::nullopt;
    }
    if (!data) {
        why = "'" + printable(t) + "' names a unit, but --unit '" + printable(unit) +
              "' is no length unit formreport converts to: nm, um, mm, cm, m, in or uin (as "
              "written here)";
        return std::nullopt;
    }
    return scaled(*number * u->times / data->times, u->exponent - data->exponent);
}

} // namespace formeval::report
