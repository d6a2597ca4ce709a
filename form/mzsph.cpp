// Job 4000: sphericity of points given in spherical polar coordinates
// (radius, azimuth, elevation in degrees) about a fixed origin, by the
// least-squares and the minimum-zone sphere of the linearised model, fitted
// once without moving the origin. Everything after the opening text is a
// detail item.
#include "form/jobs.h"

#include <iostream>

namespace formeval {

namespace {

// Each point with its deviation, the parameters, the error. After the minimum
// zone the console has three blanks before the elevation and two after it,
// result.txt four and two.
void listing(const polarhalf& h) {
    if (oqt <= 2) return;
    const bool ls = h.half == fithalf::leastsquares;
    const auto& [r, theta, beta, numpt] = h.points;
    for (int i = 0; i < numpt; ++i) {
        std::cout << "\n"
                  << r[i] << "    " << theta[i] << (ls ? "    " : "   ") << beta[i]
                  << (ls ? "    " : "  ") << h.err[i];
        ofile << "\n"
              << r[i] << "    " << theta[i] << "    " << beta[i] << (ls ? "    " : "  ")
              << h.err[i];
    }
    both("\n", "r0=", h.gs[0], "   x0=", h.gs[1], "   y0=", h.gs[2], "   z0=", h.gs[3]);
    both("\n", ls ? "Least square sphericity error=" : "Minimum zone sphericity error=", h.error);
}

} // namespace

void mzsph(const jobinfo& job) {
    polarjob(job, "\nStarted sphericity error calculation", listing);
}

} // namespace formeval
