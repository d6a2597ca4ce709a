// Peak circle (minimum circumscribing circle) of measured points. From the
// minimum-zone centre the three outermost points form the first triple of the
// three-point search. A circle larger than the minimum-zone peak circle (the
// minimum-zone centre with the radius that reaches the outermost point) gives
// way to it; so does a search that cannot go on, for that circle holds every
// point.
#include "circles/circles.h"
#include "form/form.h"

namespace formeval {

void pkcircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    if (!enoughpts(numpt, ans)) return;
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    circstages(circ, u, v, numpt, x0, y0, r0, 2, true);
    if (!finitemz(x0, y0, r0, "peak", ans)) return;
    if (oqt > 1) ofile << "\nMinimum zone r0=" << r0 << "x0=" << x0 << "y0=" << y0;
    double err[nsz];
    radialdevs(u, v, numpt, x0, y0, r0, err);
    if (oqt > 1)
        for (int i = 0; i < numpt; ++i) ofile << "\n" << u[i] << "    " << v[i] << "    " << err[i];

    double p[3];
    int np[3];
    pkpoint(err, numpt, 0, p, np);
    const double mzpcr0 = r0 + p[0];
    const double mzpcx0 = x0;
    const double mzpcy0 = y0;
    if (oqt > 1)
        ofile << "\nMinimum zone peak circle r0=" << mzpcr0 << "mzpcx0=" << mzpcx0
              << "mzpcy0=" << mzpcy0;
    pkpoint(err, numpt, 1, p, np);
    pkpoint(err, numpt, 2, p, np);
    if (oqt > 1)
        ofile << "\n Minimum Zone Peak points" << np[0] + 1 << "," << np[1] + 1 << "," << np[2] + 1;

    const bool found = pksearch(u, v, numpt, p, np, x0, y0, r0);
    if (found && r0 > mzpcr0 && oqt > 2)
        both("\n", "Peak circle radius is bigger than Minimum Zone Peak Circle radius");
    if (!found || r0 > mzpcr0) {
        r0 = mzpcr0;
        x0 = mzpcx0;
        y0 = mzpcy0;
    }
    const double pq = circdev(u, v, numpt, x0, y0, r0, oqt > 2);
    if (oqt > 1) {
        both("\n", "Peak points", np[0] + 1, ",", np[1] + 1, ",", np[2] + 1);
        both("\n", "mccr0=", r0, "mccx0=", x0, "mccy0=", y0);
        both("\n", "Minimum Circumscribing Circle Circularity error= ", pq);
    }
    ans[0] = x0;
    ans[1] = y0;
    ans[2] = r0;
    ans[3] = pq;
}

} // namespace formeval
