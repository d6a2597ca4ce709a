// The stages of the staged sphere fit. Unlike the circle's, the stop test
// uses the length of the shift, and that length goes to the console only.
#include "form/stages.h"

#include <iostream>
#include <optional>

namespace formeval {

namespace {

// Everything a stage reads and writes: the centre estimate, the radius and
// the fit parameters carried from stage to stage.
struct spherestate {
    double x0 = 0;
    double y0 = 0;
    double z0 = 0;
    double r0 = 0;
    double gs[5] = {};
};

} // namespace

void sphstages(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
               double& z0, double& r0) {
    spherestate s;
    centroid(u, v, w, numpt, s.x0, s.y0, s.z0);
    stageloop(
        [&]() -> std::optional<double> {
            const double cd = sphstage(u, v, w, numpt, s.gs, s.x0, s.y0, s.z0, s.r0);
            if (oqt > 2) {
                both("\n", "r0=", s.r0, "xo=", s.x0, "y0=", s.y0, "z0=", s.z0);
                std::cout << "\n"
                          << "distance to centre= " << cd;
            }
            return cd;
        },
        s, s.r0);
    x0 = s.x0;
    y0 = s.y0;
    z0 = s.z0;
    r0 = s.r0;
}

} // namespace formeval
