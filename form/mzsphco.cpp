// Job 4500: minimum-zone sphericity of Cartesian points, by stages: start at
// the centroid, re-fit about the moved centre until the shift is small, then
// take every point's exact radial deviation. Everything after the opening
// text is a detail item.
#include "driver/record.h"
#include "form/form.h"

#include <cmath>
#include <iostream>

namespace formeval {

void mzsphco() {
    constexpr int job = 4500;
    std::cout << "Started sphericity error calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    double w[nsz];
    if (!readrecord(job, numpt, u, v, w)) return;
    {
        Row5 a[nsz];
        for (int i = 0; i < numpt; ++i) a[i] = {1.0, u[i], v[i], w[i], 0.0};
        if (!determined(job, a, 4, numpt, "the points lie in one plane; they determine no sphere"))
            return;
    }

    double x0 = 0;
    double y0 = 0;
    double z0 = 0;
    double r0 = 0;
    sphstages(u, v, w, numpt, x0, y0, z0, r0);

    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        const double err = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0) +
                                     (w[i] - z0) * (w[i] - z0)) -
                           r0;
        if (oqt > 2) both("\n", u[i], "    ", v[i], "    ", w[i], "    ", err);
        if (err > p) p = err;
        if (err < q) q = err;
    }
    if (oqt > 2) {
        both("\n", "Sphericity error= ", p - q);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0, "z0=", z0);
    }
}

} // namespace formeval
