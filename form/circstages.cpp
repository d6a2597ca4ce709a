// The stages of a staged circle fit. The squared shift is compared with the
// radius, a squared length against a length, as the method has always
// compared them.
#include "form/stages.h"

#include <optional>

namespace formeval {

namespace {

// Everything a stage reads and writes: the centre estimate, the radius and
// the fit parameters carried from stage to stage.
struct circlestate {
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    double gs[5] = {};
};

} // namespace

void circstages(stagefit fit, const double* u, const double* v, int numpt, double& x0, double& y0,
                double& r0, int stagelevel, bool ask) {
    circlestate s;
    centroid(u, v, numpt, s.x0, s.y0);
    stageloop(
        [&]() -> std::optional<double> {
            const double cd = circstage(fit, u, v, numpt, s.gs, s.x0, s.y0, s.r0);
            if (!finitecircle(s.x0, s.y0, s.r0)) return std::nullopt;
            if (oqt > 2) both("\n", "Current distance to centre=", cd);
            return cd;
        },
        s, s.r0, stagelevel, ask);
    x0 = s.x0;
    y0 = s.y0;
    r0 = s.r0;
}

} // namespace formeval
