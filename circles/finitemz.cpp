// The guard of the peak and valley circles against a minimum-zone circle that
// is not finite (a stage loop that ran away): there is then no circle to
// start from, nor one to fall back on.
#include "circles/circles.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

bool finitemz(double x0, double y0, double r0, const char* kind, Circlefit& ans) {
    if (finitecircle(x0, y0, r0)) return true;
    std::cout << "\nThe minimum zone circle is not finite: no " << kind << " circle is found";
    nocircle(ans);
    return false;
}

} // namespace formeval
