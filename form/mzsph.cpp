// Job 4000: sphericity of points given in spherical polar coordinates
// (radius, azimuth, elevation in degrees) about a fixed origin, by the
// least-squares and the minimum-zone sphere of the linearised model, fitted
// once without moving the origin. Everything after the opening text is a
// detail item.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzsph(const jobinfo& job) {
    std::cout << "\n"
              << "Started sphericity error calculation";
    int numpt = 0;
    double r[nsz];
    double theta[nsz];
    double beta[nsz];
    if (!readrecord(job, numpt, r, theta, beta)) return;
    Row5 a[nsz];
    double x[nsz];
    double y[nsz];
    double z[nsz];
    polarsphererows(theta, beta, numpt, x, y, z, a);
    const double* const directions[3] = {x, y, z};
    if (!determined(job.code, directions, 3, numpt, whyundetermined(job.shape, job.points))) return;
    fitpair fits;
    fitboth(
        a, r, 4, numpt, fits, [&](fithalf half, const double* gs, const double* err, double error) {
            if (oqt <= 2) return;
            const bool ls = half == fithalf::leastsquares;
            // After the minimum zone the console has three blanks before
            // the elevation and two after it, result.txt four and two.
            for (int i = 0; i < numpt; ++i) {
                std::cout << "\n"
                          << r[i] << "    " << theta[i] << (ls ? "    " : "   ") << beta[i]
                          << (ls ? "    " : "  ") << err[i];
                ofile << "\n"
                      << r[i] << "    " << theta[i] << "    " << beta[i] << (ls ? "    " : "  ")
                      << err[i];
            }
            both("\n", "r0=", gs[0], "   x0=", gs[1], "   y0=", gs[2], "   z0=", gs[3]);
            both("\n",
                 ls ? "Least square sphericity error=" : "Minimum zone sphericity error=", error);
        });
}

} // namespace formeval
