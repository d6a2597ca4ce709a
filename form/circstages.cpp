// The stages of a staged circle fit. The squared shift is compared with the
// radius, a squared length against a length, as the method has always
// compared them.
#include "form/form.h"

#include <optional>

namespace formeval {

void circstages(stagefit fit, const double* u, const double* v, int numpt, double& x0, double& y0,
                double& r0, int stagelevel, bool ask) {
    double gs[5] = {};
    centroid(u, v, numpt, x0, y0);
    r0 = 0;
    stageloop(
        [&]() -> std::optional<double> {
            const double cd = circstage(fit, u, v, numpt, gs, x0, y0, r0);
            if (!finitecircle(x0, y0, r0)) return std::nullopt;
            if (oqt > 2) both("\n", "Current distance to centre=", cd);
            return cd;
        },
        r0, stagelevel, ask);
}

} // namespace formeval
