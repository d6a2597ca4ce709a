// The least-squares fit and the spread of a fit's deviations of a model whose
// first column is 1, computed on the columns and observations moved to their
// means. A shift common to every deviation changes neither the spread nor
// the fit's slopes, and the moved numbers are as small as the points' spread,
// so points far from the origin keep their digits here, where the normal
// equations of the coordinates themselves lose them.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval {

namespace {

// Means of the columns 1..n-1 of a and of f.
void means(const Row5* a, const double* f, int n, int numpt, double* abar, double& fbar) {
    for (int j = 1; j < n; ++j) {
        double s = 0;
        for (int i = 0; i < numpt; ++i) s += a[i][j];
        abar[j] = s / numpt;
    }
    double s = 0;
    for (int i = 0; i < numpt; ++i) s += f[i];
    fbar = s / numpt;
}

} // namespace

bool centredlsq(const Row5* a, const double* f, int n, int numpt, double* gs) {
    double abar[5] = {};
    double fbar = 0;
    means(a, f, n, numpt, abar, fbar);
    const int m = n - 1;
    Row7 g[6] = {};
    for (int i = 0; i < numpt; ++i)
        for (int j = 1; j < n; ++j) {
            const double dj = a[i][j] - abar[j];
            for (int k = 1; k < n; ++k) g[j - 1][k - 1] += dj * (a[i][k] - abar[k]);
            g[j - 1][m] += dj * (f[i] - fbar);
        }
    double slopes[5] = {};
    if (m > 0 && !solvequietly(g, m, slopes)) return false;
    gs[0] = fbar;
    for (int j = 1; j < n; ++j) {
        gs[j] = slopes[j - 1];
        gs[0] -= gs[j] * abar[j];
    }
    return true;
}

double centredspread(const Row5* a, const double* f, const double* gs, int n, int numpt,
                     double& rounding) {
    double abar[5] = {};
    double fbar = 0;
    means(a, f, n, numpt, abar, fbar);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    double size = 0;
    for (int i = 0; i < numpt; ++i) {
        double d = -(f[i] - fbar);
        double terms = std::fabs(f[i] - fbar);
        for (int j = 1; j < n; ++j) {
            const double t = gs[j] * (a[i][j] - abar[j]);
            d += t;
            terms += std::fabs(t);
        }
        low = std::min(low, d);
        high = std::max(high, d);
        size = std::max(size, terms);
    }
    rounding = roundingunits * std::numeric_limits<double>::epsilon() * size;
    return numpt > 0 ? high - low : 0;
}

} // namespace formeval
