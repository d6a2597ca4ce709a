// The unit deviations are shown in: a fixed sub-unit of the named
// coordinate units, as roundness instruments print them, or for another unit
// a power of a thousand of it chosen for the data.
#include "report/common/common.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

struct Known {
    const char* unit;
    const char* subunit;
    double factor;
};

// What a length in coordinates is called when no unit is named.
constexpr const char* coordinateunits = "coordinate units";

constexpr std::array<Known, 8> known = {{{"mm", "\u00b5m", 1e3},
                                         {"cm", "\u00b5m", 1e4},
                                         {"m", "\u00b5m", 1e6},
                                         {"\u00b5m", "nm", 1e3},
                                         {"um", "nm", 1e3},
                                         {"nm", "nm", 1},
                                         {"in", "\u00b5in", 1e6},
                                         {"inch", "\u00b5in", 1e6}}};

} // namespace

Subunit subunit(const std::string& unit, double typical) {
    for (const Known& k : known)
        if (unit == k.unit) return {k.subunit, k.factor, unit};
    const std::string name = unit == defaultunit ? coordinateunits : unit;
    if (!(typical > 0) || !std::isfinite(typical)) return {name, 1, unit};
    const int thousands = static_cast<int>(std::floor(std::log10(typical / 100) / 3)) + 1;
    const int power = -3 * std::clamp(thousands, -5, 5);
    if (power == 0) return {name, 1, unit};
    return {"10^" + std::to_string(-power) + " " + name, std::pow(10.0, power), unit};
}

std::string withunit(const std::string& name, const std::string& unit) {
    return name + " (" + (unit == defaultunit || unit.empty() ? coordinateunits : unit) + ")";
}

} // namespace formeval::report
