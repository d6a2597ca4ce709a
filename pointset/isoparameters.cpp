// The ISO form parameters of a profile's deviations from a reference.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>

namespace formeval::pointset {

IsoParameters isoparameters(const std::vector<double>& deviations) {
    IsoParameters iso;
    long double squares = 0;
    for (const double d : deviations) {
        iso.p = std::max(iso.p, d);
        iso.v = std::max(iso.v, -d);
        squares += static_cast<long double>(d) * d;
    }
    iso.t = iso.p + iso.v;
    if (!deviations.empty())
        iso.q =
            static_cast<double>(std::sqrt(squares / static_cast<long double>(deviations.size())));
    return iso;
}

} // namespace formeval::pointset
