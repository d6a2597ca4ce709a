// Least-squares fit by the normal equations, accumulated point by point.
#include "fit/fit.h"
#include "linalg/linalg.h"

namespace formeval {

void lsgen(const Row5* x, const double* r, double* gs, Row7* g, int n, int numpt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= n; ++j) g[i][j] = 0;
    for (int p = 0; p < numpt; ++p)
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) g[i][j] += x[p][i] * x[p][j];
            g[i][n] += x[p][i] * r[p];
        }
    gauss(g, n, gs);
}

} // namespace formeval
