// Valley circle (maximum inscribing circle) of measured points, the twin of
// the peak circle on the innermost points. From the minimum-zone centre the
// three innermost points form the first triple of the three-point search. A
// circle smaller than the minimum-zone valley circle (the minimum-zone centre
// with the radius that reaches the innermost point) gives way to it; so does a
// search that cannot go on, for that circle has no point inside. Nothing here
// asks the operator.
#include "circles/circles.h"
#include "form/form.h"

namespace formeval {

void vacircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    if (!enoughpts(numpt, ans)) return;
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    circstages(circ, u, v, numpt, x0, y0, r0, 1);
    if (!finitemz(x0, y0, r0, "valley", ans)) return;
    if (oqt > 2) ofile << "\nMinimum zone r0=" << r0 << "x0=" << x0 << "y0=" << y0;
    double err[nsz];
    radialdevs(u, v, numpt, x0, y0, r0, err);
    if (oqt > 2)
        for (int i = 0; i < numpt; ++i) ofile << "\n" << u[i] << "    " << v[i] << "    " << err[i];

    double vp[3];
    int nv[3];
    vapoint(err, numpt, 0, vp, nv);
    const double mzvcr0 = r0 + vp[0];
    const double mzvcx0 = x0;
    const double mzvcy0 = y0;
    if (oqt > 1)
        ofile << "\nMinimum zone valley circle r0=" << mzvcr0 << "mzvcx0=" << mzvcx0
              << "mzvcy0=" << mzvcy0;
    vapoint(err, numpt, 1, vp, nv);
    vapoint(err, numpt, 2, vp, nv);
    if (oqt > 1)
        ofile << "\n Minimum Zone Valley points" << nv[0] + 1 << "," << nv[1] + 1 << ","
              << nv[2] + 1;

    const bool found = vasearch(u, v, numpt, vp, nv, x0, y0, r0);
    if (found && r0 < mzvcr0 && oqt > 1)
        both("\n", "Valley circle radius is smaller than Minimum Zone Valley Circle radius");
    if (!found || r0 < mzvcr0) {
        r0 = mzvcr0;
        x0 = mzvcx0;
        y0 = mzvcy0;
    }
    const double pq = circdev(u, v, numpt, x0, y0, r0, oqt > 2);
    if (oqt > 1) {
        both("\n", "Valley points", nv[0] + 1, ",", nv[1] + 1, ",", nv[2] + 1);
        both("\n", "micr0=", r0, "micx0=", x0, "micy0=", y0);
        both("\n", "Maximum Inscribing Circle Circularity error= ", pq);
    }
    ans[0] = x0;
    ans[1] = y0;
    ans[2] = r0;
    ans[3] = pq;
}

} // namespace formeval
