// The program-wide globals and run-file streams, with their start values.
#include "base/base.h"

#include <csignal>
#include <istream>
#include <ostream>

namespace formeval {

double cri = 0;
int oqt = 3;
bool problem = false;

namespace {

unsigned long eventcount = 0;

volatile std::sig_atomic_t stopsignal = 0;

} // namespace

int stoprequest() {
    return stopsignal;
}

void requeststop(int signal) {
    stopsignal = signal;
}

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
