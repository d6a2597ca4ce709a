// The peak (minimum circumscribing) or valley (maximum inscribing) circle of
// measured points. From the minimum-zone centre the three points farthest on
// the side form the first triple of the three-point search. A circle beyond
// the minimum-zone circle of that side (the minimum-zone centre with the
// radius that reaches the extreme point) gives way to it; so does a search
// that cannot go on, for that circle holds every point (has none inside).
#include "circles/circles.h"
#include "form/form.h"

namespace formeval {

namespace {

void tracemz(const circleside& side, const double* u, const double* v, int numpt, double x0,
             double y0, double r0, const double* err) {
    if (oqt <= side.mzlevel) return;
    ofile << "\nMinimum zone r0=" << r0 << "x0=" << x0 << "y0=" << y0;
    for (int i = 0; i < numpt; ++i) ofile << "\n" << u[i] << "    " << v[i] << "    " << err[i];
}

// Notes a peak circle larger than the smallest circle about a yardstick's
// centre that holds every point, or a valley circle smaller than the largest
// about one with no point inside: either is a feasible answer that beats it.
void beatennote(const circleside& side, const double* u, const double* v, int numpt, double r0) {
    const double* const c[2] = {u, v};
    const Yardsticks y = yardsticks(c, 2, numpt, !side.outside);
    if (side.outside && beaten(claim::enclosing, r0, y))
        note("The peak circle found is larger than the circle about ", y.enclosingcentre,
             " that holds every point, of radius ", y.enclosing,
             "; it is not the minimum circumscribing circle");
    if (!side.outside && beaten(claim::inscribed, r0, y))
        note("The valley circle found is smaller than the circle about ", y.inscribedcentre,
             " with no point inside, of radius ", y.inscribed,
             "; it is not the maximum inscribing circle");
}

} // namespace

void extremecircle(const circleside& side, const double* u, const double* v, int numpt,
                   Circlefit& ans) {
    if (!enoughpts(numpt, ans)) return;
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    circstages(circ, u, v, numpt, x0, y0, r0, side.stagelevel, side.ask);
    if (!finitemz(x0, y0, r0, side.kind, ans)) return;
    double err[nsz];
    radialdevs(u, v, numpt, x0, y0, r0, err);
    tracemz(side, u, v, numpt, x0, y0, r0, err);

    double p[3];
    int np[3];
    extremepoint(side, err, numpt, 0, p, np);
    const double mzr0 = r0 + p[0];
    const double mzx0 = x0;
    const double mzy0 = y0;
    if (oqt > 1)
        ofile << "\n"
              << side.mzcircle[0] << mzr0 << side.mzcircle[1] << mzx0 << side.mzcircle[2] << mzy0;
    extremepoint(side, err, numpt, 1, p, np);
    extremepoint(side, err, numpt, 2, p, np);
    if (oqt > 1)
        ofile << "\n" << side.mzpoints << np[0] + 1 << "," << np[1] + 1 << "," << np[2] + 1;

    const bool found = extremesearch(side, u, v, numpt, p, np, x0, y0, r0);
    const bool beyondmz = side.beyond(r0, mzr0);
    if (found && beyondmz && oqt > side.worselevel) both("\n", side.worse);
    if (!found || beyondmz) {
        r0 = mzr0;
        x0 = mzx0;
        y0 = mzy0;
    }
    const double* const c[2] = {u, v};
    const double centre[2] = {x0, y0};
    const Sighting s =
        sight(c, 2, numpt, centre, r0, side.outside ? claim::enclosing : claim::inscribed);
    if (s.unsure) beatennote(side, u, v, numpt, r0);
    const double pq = oqt > 2 ? circdev(u, v, numpt, x0, y0, r0, true) : s.error;
    if (oqt > 1) {
        both("\n", side.points, np[0] + 1, ",", np[1] + 1, ",", np[2] + 1);
        both("\n", side.circle[0], r0, side.circle[1], x0, side.circle[2], y0);
        both("\n", side.error, pq);
    }
    ans = {x0, y0, r0, pq};
}

} // namespace formeval
