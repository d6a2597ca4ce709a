// The points that define a minimum zone, which the straightness and flatness
// charts ring, and the key that says what the rings are.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace formeval::report {

namespace {

constexpr double widthshare = 1e-6;
constexpr double roundingunits = 64 * std::numeric_limits<double>::epsilon();

std::vector<std::size_t> bothbounds(const ZoneContacts& z) {
    std::vector<std::size_t> all;
    std::set_union(z.upper.begin(), z.upper.end(), z.lower.begin(), z.lower.end(),
                   std::back_inserter(all));
    return all;
}

} // namespace

ZoneContacts zonecontacts(const std::vector<double>& deviations, double scale) {
    ZoneContacts z;
    // Deviations that are not finite (of a reference that is none) touch
    // nothing.
    bool any = false;
    for (const double d : deviations) {
        if (!std::isfinite(d)) continue;
        z.low = any ? std::min(z.low, d) : d;
        z.high = any ? std::max(z.high, d) : d;
        any = true;
    }
    if (!any) return z;
    z.tolerance = widthshare * (z.high - z.low) + roundingunits * std::fabs(scale);
    for (std::size_t i = 0; i < deviations.size(); ++i) {
        if (!std::isfinite(deviations[i])) continue;
        if (z.high - deviations[i] <= z.tolerance) z.upper.push_back(i);
        if (deviations[i] - z.low <= z.tolerance) z.lower.push_back(i);
    }
    z.points = bothbounds(z).size();
    return z;
}

std::vector<std::size_t> ringed(const ZoneContacts& z) {
    const std::vector<std::size_t> all = bothbounds(z);
    if (all.size() <= mostrings) return all;
    std::vector<std::size_t> some;
    for (std::size_t k = 0; k < mostrings; ++k) some.push_back(all[k * all.size() / mostrings]);
    return some;
}

std::string ringkey(const ZoneContacts& z, const ZoneNames& names) {
    if (z.points == 0) return "";
    const std::string count = std::to_string(z.points);
    const bool capped = z.points > mostrings;
    std::string key =
        "Ringed: " + (capped ? std::to_string(mostrings) + " of the " : std::string("the ")) +
        count + (z.points == 1 ? " point" : " points") + " on the minimum zone's two " +
        names.bounds + " (";
    if (z.high - z.low <= z.tolerance)
        key += std::string("a zone of no width: every point is on both");
    else
        key += std::to_string(z.upper.size()) + " on the " + names.upper + ", " +
               std::to_string(z.lower.size()) + " on the " + names.lower;
    return key + (capped ? "; too many to ring all)" : ")");
}

void rings(Canvas& c, const Polyline& places, double radius) {
    c.colour({1, 1, 1});
    c.linewidth(3.6);
    for (const Vertex& v : places) c.circle(v.x, v.y, radius, false);
    c.colour(ink);
    c.linewidth(1.6);
    for (const Vertex& v : places) c.circle(v.x, v.y, radius, false);
}

} // namespace formeval::report
