// Back substitution on an upper-triangular augmented system; no pivot test,
// so a zero diagonal element gives an infinite or NaN solution.
#include "linalg/linalg.h"

namespace formeval {

void bksub(const Row7* a, int n, double* x) {
    x[n - 1] = a[n - 1][n] / a[n - 1][n - 1];
    for (int m = 2; m <= n; ++m) {
        const int j = n - m;
        double sum = 0;
        for (int col = j + 1; col < n; ++col) sum += a[j][col] * x[col];
        x[j] = (a[j][n] - sum) / a[j][j];
    }
}

} // namespace formeval
