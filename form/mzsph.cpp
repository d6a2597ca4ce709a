// Job 4000: sphericity of points given in spherical polar coordinates
// (radius, azimuth, elevation in degrees) about a fixed origin, by the
// least-squares and the minimum-zone sphere of the linearised model, fitted
// once without moving the origin. Everything after the opening text is a
// detail item.
#include "base/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

namespace {

void parameters(const double* gs) {
    both("\n", "r0=", gs[0], "   x0=", gs[1], "   y0=", gs[2], "   z0=", gs[3]);
}

} // namespace

void mzsph(const jobinfo& job) {
    constexpr int n = 4;
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
    sphprows(theta, beta, numpt, x, y, z, a);
    const double* const directions[3] = {x, y, z};
    if (!determined(job.code, directions, 3, numpt, whyundetermined(job.shape, job.points))) return;

    double gs[5] = {};
    double err[nsz];
    const double erlsq = lsfit(a, r, gs, err, n, numpt);
    lsnote();
    if (oqt > 2) {
        for (int i = 0; i < numpt; ++i)
            both("\n", r[i], "    ", theta[i], "    ", beta[i], "    ", err[i]);
        parameters(gs);
        both("\n", "Least square sphericity error=", erlsq);
    }

    double emz = mzfit(a, r, gs, err, n, numpt);
    mznote(emz);
    emz = fullzone(emz, a, r, gs, err, n, numpt);
    if (oqt > 2) {
        // The console has three blanks before the elevation, result.txt four.
        for (int i = 0; i < numpt; ++i) {
            std::cout << "\n" << r[i] << "    " << theta[i] << "   " << beta[i] << "  " << err[i];
            ofile << "\n" << r[i] << "    " << theta[i] << "    " << beta[i] << "  " << err[i];
        }
        parameters(gs);
        both("\n", "Minimum zone sphericity error=", emz);
    }
}

} // namespace formeval
