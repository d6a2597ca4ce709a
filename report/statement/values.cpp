// The input model and the tolerances as the user writes them: numbers with
// units, contributions, model files, tolerance limits.
#include "report/statement/statement.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <istream>
#include <sstream>

namespace formeval::report {

namespace {

using uncertainty::Acts;
using uncertainty::Distribution;

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

std::vector<std::string> words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::optional<Acts> actsnamed(const std::string& name) {
    for (int a = 0; a <= static_cast<int>(Acts::squarenessyz); ++a)
        if (name == uncertainty::actsname(static_cast<Acts>(a))) return static_cast<Acts>(a);
    return std::nullopt;
}

std::optional<Distribution> distributionnamed(const std::string& name) {
    if (name == "uniform") return Distribution::rectangular;
    for (int d = 0; d <= static_cast<int>(Distribution::arcsine); ++d)
        if (name == uncertainty::distributionname(static_cast<Distribution>(d)))
            return static_cast<Distribution>(d);
    return std::nullopt;
}

bool dimensionless(const std::string& quantity) {
    for (const char* stem : {"direction_", "normal_", "axis_"})
        if (quantity.rfind(stem, 0) == 0) return true;
    return quantity == "slope";
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

ValueKind kindof(Acts acts) {
    if (uncertainty::lengthwidth(acts)) return ValueKind::length;
    return acts == Acts::squarenessxy || acts == Acts::squarenessxz || acts == Acts::squarenessyz
               ? ValueKind::angle
               : ValueKind::relative;
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

std::string parsecontribution(std::string_view text, const std::string& unit,
                              uncertainty::Contribution& c) {
    const std::vector<std::string> w = words(text);
    if (w.size() < 3)
        return "'" + printable(trimmed(text)) +
               "' is not a contribution: give where it acts, its distribution and its value";
    const std::optional<Acts> acts = actsnamed(w[0]);
    if (!acts)
        return "'" + printable(w[0]) +
               "' is not where a contribution acts: coordinates, x, y, z, normal, scale, "
               "scale-x, scale-y, scale-z, offset-x, offset-y, offset-z, squareness-xy, "
               "squareness-xz or squareness-yz";
    const std::optional<Distribution> d = distributionnamed(w[1]);
    if (!d)
        return "'" + printable(w[1]) +
               "' is not a distribution: gaussian, rectangular (uniform), triangular or arcsine";
    std::string why;
    const std::optional<double> value = parsevalue(w[2], kindof(*acts), unit, why);
    if (!value) return why;
    if (*value < 0) return "'" + printable(w[2]) + "' is negative: give a width of at least 0";
    // A second value where the name goes is a slip (two values, or a value
    // and its unit apart), not a name.
    if (w.size() > 3 && readsasvalue(w[3]))
        return "'" + printable(w[3]) + "' after the value '" + printable(w[2]) +
               "' reads as a value: a contribution has one value (a unit goes with it, as in "
               "1um), and its name starts with no number";
    c.acts = *acts;
    c.distribution = *d;
    c.width = *value;
    c.name = w.size() > 3 ? w[3] : w[0];
    for (std::size_t k = 4; k < w.size(); ++k) c.name += " " + w[k];
    return "";
}

std::vector<uncertainty::Contribution> readmodel(std::istream& in, const std::string& file,
                                                 const std::string& unit) {
    std::vector<uncertainty::Contribution> model;
    long number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string text = trimmed(std::string_view(line).substr(0, line.find('#')));
        if (text.empty()) continue;
        uncertainty::Contribution c;
        const std::string why = parsecontribution(text, unit, c);
        if (!why.empty()) throw FileError(file, number, why);
        model.push_back(c);
    }
    if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
    if (model.empty()) throw FileError(file, 0, "holds no contribution");
    return model;
}

bool knownquantity(const std::string& name) {
    for (const pointset::FeatureTraits& f : pointset::features)
        for (const pointset::CriterionTraits& c : pointset::criteria)
            for (const std::string& q : uncertainty::quantitynames(f.feature, c.criterion))
                if (q == name) return true;
    return false;
}

std::string lackedquantity(const std::vector<std::string>& asked, pointset::Feature feature,
                           pointset::Criterion criterion) {
    const std::vector<std::string> has = uncertainty::quantitynames(feature, criterion);
    for (const std::string& q : asked) {
        if (std::find(has.begin(), has.end(), q) != has.end()) continue;
        std::string list;
        for (std::size_t k = 0; k < has.size(); ++k) list += (k == 0 ? "" : ", ") + has[k];
        return "'" + printable(q) + "' is no quantity of a " + pointset::featurename(feature) +
               " by " + pointset::criterionname(criterion) + ": its quantities are " + list;
    }
    return "";
}

std::string parsetolerance(std::string_view text, const std::string& unit, ToleranceLimits& s) {
    const std::string t = trimmed(text);
    const std::size_t equals = t.find('=');
    s = ToleranceLimits{};
    std::string limits = t;
    if (equals != std::string::npos) {
        s.quantity = trimmed(std::string_view(t).substr(0, equals));
        limits = t.substr(equals + 1);
        if (!knownquantity(s.quantity))
            return "'" + printable(s.quantity) +
                   "' is no quantity of a feature (radius, diameter, centre_x, t, q ...)";
    }
    const ValueKind kind = dimensionless(s.quantity) ? ValueKind::relative : ValueKind::length;
    const std::size_t colon = limits.find(':');
    const std::string low = colon == std::string::npos ? "" : trimmed(limits.substr(0, colon));
    const std::string high =
        trimmed(colon == std::string::npos ? limits : limits.substr(colon + 1));
    if (low.empty() && high.empty()) return "'" + printable(t) + "' gives no limit";
    std::string why;
    for (const auto& [side, limit] : {std::pair{&low, &s.limits.low}, {&high, &s.limits.high}}) {
        if (side->empty()) continue;
        const std::optional<double> v = parsevalue(*side, kind, unit, why);
        if (!v) return why;
        *limit = *v;
    }
    if (s.limits.low > s.limits.high)
        return "'" + printable(t) + "': the lower limit lies above the upper one";
    // A form parameter (t when none is named) is never negative.
    const bool form = s.quantity.empty() || s.quantity == "t" || s.quantity == "p" ||
                      s.quantity == "v" || s.quantity == "q";
    if (form && s.limits.high < 0)
        return "'" + printable(t) + "': a form error is never negative, so no part could conform";
    return "";
}

} // namespace formeval::report
