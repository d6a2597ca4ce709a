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

ValueKind kindof(Acts acts) {
    if (uncertainty::lengthwidth(acts)) return ValueKind::length;
    return acts == Acts::squarenessxy || acts == Acts::squarenessxz || acts == Acts::squarenessyz
               ? ValueKind::angle
               : ValueKind::relative;
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
