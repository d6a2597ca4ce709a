// The quantities and the tolerances as the user writes them: names,
// tolerance limits with units.
#include "report/statement/statement.h"

#include <algorithm>
#include <cctype>

namespace formeval::report {

namespace {

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

// What a quantity's limits are: a direction's component or a slope is
// dimensionless, a cone's apex angle an angle (radians, or with its unit:
// 60deg), the rest lengths.
ValueKind limitkind(const std::string& quantity) {
    for (const char* stem : {"direction_", "normal_", "axis_"})
        if (quantity.rfind(stem, 0) == 0) return ValueKind::relative;
    if (quantity == "slope") return ValueKind::relative;
    if (quantity == "apex_angle") return ValueKind::angle;
    return ValueKind::length;
}

} // namespace

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
    const ValueKind kind = limitkind(s.quantity);
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
