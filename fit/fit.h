// Fitting engines for models linear in their n parameters (n <= 5): the model
// value at point p is sum_j gs[j] * u[p][j], deviations are model value minus
// observation. Least squares first, then the minimum-zone (Chebyshev) fit by
// exchange over a reference set of n + 1 points.
#pragma once

#include "driver/driver.h"

namespace formeval {

// Least-squares parameters gs[0..n-1] of numpt coefficient rows x and
// observations r, through the normal equations in g. A singular system leaves
// gs as it was (the solver says so on the console).
void lsgen(const Row5* x, const double* r, double* gs, Row7* g, int n, int numpt);

// Deviations err[p] = model value - r[p] under the parameters gs.
void error(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt);

// Least-squares form error: max(0, largest deviation) - min(0, smallest).
double lsqerr(const double* err, int n, int numpt);

// The n + 1 points of largest non-zero |deviation|, largest first: indices in
// ne, magnitudes in em. Where fewer deviations are non-zero, em[k] is 0 and
// ne[k] keeps the caller's value.
void lsqmax(const double* err, int* ne, double* em, int n, int numpt);

} // namespace formeval
