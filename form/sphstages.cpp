// The stages of the staged sphere fit. Unlike the circle's, the stop test
// uses the length of the shift, and that length goes to the console only.
#include "form/form.h"

#include <iostream>
#include <optional>

namespace formeval {

void sphstages(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
               double& z0, double& r0) {
    double gs[5] = {};
    centroid(u, v, w, numpt, x0, y0, z0);
    r0 = 0;
    stageloop(
        [&]() -> std::optional<double> {
            const double cd = sphstage(u, v, w, numpt, gs, x0, y0, z0, r0);
            if (oqt > 2) {
                both("\n", "r0=", r0, "xo=", x0, "y0=", y0, "z0=", z0);
                std::cout << "\n"
                          << "distance to centre= " << cd;
            }
            return cd;
        },
        r0);
}

} // namespace formeval
