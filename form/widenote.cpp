// The note of a minimum zone wider than a zone formeval holds beside it.
#include "form/form.h"

namespace formeval {

void widenote(const char* what, double error, const Yardsticks& y) {
    if (beaten(claim::zone, error, y))
        note("The minimum-zone ", what, " found is wider than the zone about ", y.zonecentre, ", ",
             y.zone, "; it is not the minimum zone");
}

} // namespace formeval
