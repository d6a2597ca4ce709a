// The two sides of the circle search. The peak circle's search asks the
// operator after 10 cycles, whose whole number replaces the cycle counter,
// and then switches the full trace on. The valley circle's search never asks:
// only its third point changes, so it has at most numpt states, and one that
// has run more cycles than there are points has met a triple again and would
// go round for ever. It is stopped there, and never before the cycle at which
// the peak circle's search would ask.
#include "circles/circles.h"
#include "form/stages.h"

#include <algorithm>
#include <iostream>
#include <limits>

namespace formeval {

namespace {

constexpr int cycleask = 10;
constexpr double anydeviation = -std::numeric_limits<double>::infinity();

bool askpeak(int& cycle, int /*numpt*/) {
    if (cycle <= cycleask) return true;
    if (!askcount("\nnfindcirc>10. Do you want to continue?",
                  ": the search ends with the minimum zone peak circle, which holds every point",
                  cycle))
        return false;
    oqt = 3;
    return true;
}

bool boundvalley(int& cycle, int numpt) {
    const int limit = std::max(numpt, cycleask);
    if (cycle <= limit) return true;
    note("The valley circle search did not end within ", limit,
         " cycles; the minimum zone valley circle is used");
    return false;
}

} // namespace

// Each side's columns, in the order of circleside: what it seeks and its
// stages; its minimum-zone circle; its scans and search; the circle beyond
// that circle; its result.
// clang-format off
const circleside peakside = {true, "peak", 2, true,
    1, {"Minimum zone peak circle r0=", "mzpcx0=", "mzpcy0="}, " Minimum Zone Peak points",
    anydeviation, true, askpeak, {"Peakcr0=", "Peakcrx0=", "Peakcry0="}, 0, true,
    2, "Peak circle radius is bigger than Minimum Zone Peak Circle radius", "Peak points",
    {"mccr0=", "mccx0=", "mccy0="}, "Minimum Circumscribing Circle Circularity error= "};

// The valley scans start at 1000000, above any deviation of a measured circle.
const circleside valleyside = {false, "valley", 1, false,
    2, {"Minimum zone valley circle r0=", "mzvcx0=", "mzvcy0="}, " Minimum Zone Valley points",
    1000000, false, boundvalley, {"micr0=", "micx0=", "micy0="}, 1, false,
    1, "Valley circle radius is smaller than Minimum Zone Valley Circle radius", "Valley points",
    {"micr0=", "micx0=", "micy0="}, "Maximum Inscribing Circle Circularity error= "};
// clang-format on

} // namespace formeval
