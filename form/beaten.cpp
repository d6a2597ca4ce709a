// Whether a yardstick beats the result of a claim: the comparison the notes
// of results that are not what they claim to be make.
#include "form/form.h"

namespace formeval {

bool beaten(claim what, double value, const Yardsticks& y) {
    switch (what) {
    case claim::zone:
        return value > y.zone * (1 + 1e-9) + y.rounding;
    case claim::enclosing:
        return value > y.enclosing * (1 + 1e-9) + y.rounding;
    case claim::inscribed:
        return value < y.inscribed * (1 - 1e-9) - y.rounding;
    }
    return false;
}

} // namespace formeval
