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
        if (unit == k.unit) return {k.subunit, k.factor};
    const std::string name = unit == defaultunit ? "coordinate units" : unit;
    if (!(typical > 0) || !std::isfinite(typical)) return {name, 1};
    const int thousands = static_cast<int>(std::floor(std::log10(typical / 100) / 3)) + 1;
    const int power = -3 * std::clamp(thousands, -5, 5);
    if (power == 0) return {name, 1};
    return {"10^" + std::to_string(-power) + " " + name, std::pow(10.0, power)};
}

} // namespace formeval::report
