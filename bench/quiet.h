// The result files bound to buffers and the trace silenced while a benchmark
// runs a computation as the uncertainty studies call it.
#pragma once

#include "base/base.h"

#include <sstream>

namespace formeval::bench {

struct Quiet {
    std::stringbuf results;
    std::stringbuf intermediate;
    Quiet() {
        ofile.rdbuf(&results);
        imfile.rdbuf(&intermediate);
        oqt = 1;
        cri = 1e-10;
    }
    ~Quiet() {
        ofile.rdbuf(nullptr);
        imfile.rdbuf(nullptr);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};

} // namespace formeval::bench
