// Brent's cycle detection over a stage loop's silent stages: the state is
// compared with one saved at stages 1, 2, 4, 8, ... stages back, so that a
// cycle of any length is found within a few rounds of it, with one saved state.
#include "form/stages.h"

#include <cstring>

namespace formeval {

int stagecycle::next(int stageno, const void* state, bool silent) {
    if (!silent) {
        // What came before this stage may not repeat: start afresh from it.
        std::memcpy(tortoise_, state, size_);
        power_ = 1;
        lam_ = 0;
        armed_ = true;
        return stageno;
    }
    if (!armed_) {
        std::memcpy(tortoise_, state, size_);
        armed_ = true;
        return stageno;
    }
    ++lam_;
    if (std::memcmp(tortoise_, state, size_) == 0) {
        // The state of this stage is that of lam_ stages ago, and so is the
        // state at every multiple of lam_ stages from here.
        armed_ = false;
        return maxstages - (maxstages - stageno) % lam_;
    }
    if (lam_ == power_) {
        std::memcpy(tortoise_, state, size_);
        power_ *= 2;
        lam_ = 0;
    }
    return stageno;
}

} // namespace formeval
