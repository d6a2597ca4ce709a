// Index of the worst point of a fit: the first point whose squared deviation
// is the largest, as a scan that takes a point only when its square is
// strictly larger would find it. The largest square is found first with four
// running maxima, which do not wait on each other, then its first point.
// Points with a NaN deviation are never taken; with every deviation 0 the
// result is point 0, so that the caller always gets a valid point.
#include "fit/fit.h"

namespace formeval {

int maxerp(const double* err, int numpt) {
    double m[4] = {0, 0, 0, 0};
    int i = 0;
    for (; i + 4 <= numpt; i += 4)
        for (int k = 0; k < 4; ++k) {
            const double e2 = err[i + k] * err[i + k];
            if (e2 > m[k]) m[k] = e2;
        }
    for (; i < numpt; ++i) {
        const double e2 = err[i] * err[i];
        if (e2 > m[0]) m[0] = e2;
    }
    double largest = m[0];
    for (int k = 1; k < 4; ++k)
        if (m[k] > largest) largest = m[k];
    if (!(largest > 0)) return 0;
    for (i = 0; i < numpt; ++i)
        if (err[i] * err[i] == largest) return i;
    return 0;
}

} // namespace formeval
