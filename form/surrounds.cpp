// Whether points surround a centre, by half-planes: the normals w of the
// half-planes that hold the points seen so far (w.d >= 0 for each point's
// direction d from the centre) form an arc of at most half a turn, kept as its
// clockwise end a and its counter-clockwise end b; each point cuts it, and the
// points surround the centre once nothing is left of it. No angles, no sort.
#include "form/form.h"

namespace formeval {

bool surrounds(const double* const* c, int numpt, const double* centre) {
    double a[2] = {};
    double b[2] = {};
    bool started = false;
    bool ends = false; // only the two opposite ends are left: the points lie on a line
    for (int i = 0; i < numpt; ++i) {
        const double d[2] = {c[0][i] - centre[0], c[1][i] - centre[1]};
        if (d[0] == 0 && d[1] == 0) continue;
        if (!started) {
            a[0] = d[1], a[1] = -d[0];
            b[0] = -d[1], b[1] = d[0];
            started = true;
            continue;
        }
        const double da = a[0] * d[0] + a[1] * d[1];
        const double db = b[0] * d[0] + b[1] * d[1];
        const bool halfturn = a[0] * b[1] - a[1] * b[0] == 0 && a[0] * b[0] + a[1] * b[1] < 0;
        if (da < 0 && db < 0) return true;
        if (ends) {
            if (da < 0) a[0] = b[0], a[1] = b[1];
            if (db < 0) b[0] = a[0], b[1] = a[1];
            ends = da >= 0 && db >= 0;
        } else if (da >= 0 && db >= 0) {
            // On the arc's ends' line: the same side as the first point
            // leaves it, the other leaves its ends.
            if (halfturn && b[1] * d[0] - b[0] * d[1] < 0) ends = true;
        } else if (db < 0) {
            b[0] = -d[1], b[1] = d[0];
        } else {
            a[0] = d[1], a[1] = -d[0];
        }
    }
    return false;
}

} // namespace formeval
