// The staged circle computation of the least-squares and minimum-zone
// circles: stages from the centroid until the centre settles, then every
// point's exact radial deviation from the final centre with the radius of the
// last stage. The error comes from these exact distances, not from the fit.
#include "form/form.h"

namespace formeval {

void stagedcircle(stagefit fit, const char* label, int listlevel, const double* u, const double* v,
                  int numpt, Circlefit& ans, bool minimumzone) {
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    circstages(fit, u, v, numpt, x0, y0, r0);
    if (!finitecircle(x0, y0, r0)) {
        nocircle(ans);
        return;
    }
    const bool listing = oqt > listlevel;
    double error = 0;
    if (minimumzone) {
        const double* const c[2] = {u, v};
        const double centre[2] = {x0, y0};
        const Sighting s = sight(c, 2, numpt, centre, r0, claim::zone);
        if (s.unsure) widenote("circle", s.error, yardsticks(c, 2, numpt, false));
        error = listing ? circdev(u, v, numpt, x0, y0, r0, true) : s.error;
    } else {
        error = circdev(u, v, numpt, x0, y0, r0, listing);
    }
    if (oqt > 2) {
        both("\n", label, error);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0);
    }
    ans[0] = x0;
    ans[1] = y0;
    ans[2] = r0;
    ans[3] = error;
}

} // namespace formeval
