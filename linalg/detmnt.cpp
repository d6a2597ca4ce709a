// Determinant by the elimination of gauss, silently 0 on a zero pivot. Only
// the leading n x n block is restored; column n is left permuted and combined.
#include "linalg/linalg.h"

namespace formeval {

double detmnt(Row7* a, int n) {
    double t[6][6];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) t[i][j] = a[i][j];

    double det = 1;
    bool singular = false;
    for (int k = 0; k < n - 1; ++k) {
        const int j = find(a, n, k);
        if (negligible(a[j][k])) {
            det = 0;
            singular = true;
            break;
        }
        change(a, n, k, j);
        if (j != k) det = -det;
        for (int i = k + 1; i < n; ++i) rowmul(a, n, k, i, -a[i][k] / a[k][k]);
    }
    if (!singular)
        for (int i = 0; i < n; ++i) det *= a[i][i];

    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a[i][j] = t[i][j];
    return det;
}

} // namespace formeval
