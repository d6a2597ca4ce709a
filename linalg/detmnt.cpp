// Determinant by the elimination of gauss, silently 0 on a zero pivot. Only
// the leading n x n block is restored; column n is left permuted and combined.
#include "linalg/linalg.h"

namespace formeval {

double detmnt(Row7* a, int n) {
    double t[6][6];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) t[i][j] = a[i][j];

    int swaps = 0;
    double det = 0;
    if (eliminate(a, n, n - 1, swaps) < 0) {
        det = swaps % 2 ? -1 : 1;
        for (int i = 0; i < n; ++i) det *= a[i][i];
    }

    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a[i][j] = t[i][j];
    return det;
}

} // namespace formeval
