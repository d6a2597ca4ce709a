// The program-wide globals and run-file streams, with their start values.
#include "base/base.h"

#include <istream>
#include <ostream>

namespace formeval {

double cri = 0;
int oqt = 3;
bool problem = false;

namespace {

unsigned long eventcount = 0;

} // namespace

unsigned long events() {
    return eventcount;
}

void event() {
    ++eventcount;
}

// Unbound until main (or a test) gives them a buffer.
std::istream data(nullptr);
std::ostream ofile(nullptr);
std::ostream imfile(nullptr);

} // namespace formeval
