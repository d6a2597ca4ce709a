// Least-squares fit by the normal equations, accumulated point by point. The
// sums are kept in locals for the model sizes the evaluators use (n = 2 to
// 4), each added to in point order from 0 as the matrix itself would be, so
// the normal equations are the same to the last bit; g[j][i] is g[i][j],
// whose every product and sum is the same.
#include "fit/fit.h"
#include "linalg/linalg.h"

namespace formeval {

namespace {

template <int n> void normal(const Row5* x, const double* r, Row7* g, int numpt) {
    double s[n][n + 1] = {};
    for (int p = 0; p < numpt; ++p) {
        const Row5& row = x[p];
        for (int i = 0; i < n; ++i) {
            for (int j = i; j < n; ++j) s[i][j] += row[i] * row[j];
            s[i][n] += row[i] * r[p];
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) g[i][j] = j < i ? s[j][i] : s[i][j];
        g[i][n] = s[i][n];
    }
}

void normal(const Row5* x, const double* r, Row7* g, int n, int numpt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= n; ++j) g[i][j] = 0;
    for (int p = 0; p < numpt; ++p)
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) g[i][j] += x[p][i] * x[p][j];
            g[i][n] += x[p][i] * r[p];
        }
}

} // namespace

void lsgen(const Row5* x, const double* r, double* gs, Row7* g, int n, int numpt) {
    switch (n) {
    case 2:
        normal<2>(x, r, g, numpt);
        break;
    case 3:
        normal<3>(x, r, g, numpt);
        break;
    case 4:
        normal<4>(x, r, g, numpt);
        break;
    default:
        normal(x, r, g, n, numpt);
    }
    gauss(g, n, gs);
}

} // namespace formeval
