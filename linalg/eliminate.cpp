// Forward elimination with partial pivoting, shared by the solver, the
// determinant and the pivot test: for each pivoted column the row of largest
// magnitude is swapped up and its multiples are subtracted from the rows
// below.
#include "linalg/linalg.h"

namespace formeval {

int eliminate(Row7* a, int n, int columns, int& swaps) {
    swaps = 0;
    for (int k = 0; k < columns; ++k) {
        const int j = find(a, n, k);
        if (negligible(a[j][k])) return k;
        change(a, n, k, j);
        if (j != k) ++swaps;
        for (int i = k + 1; i < n; ++i) rowmul(a, n, k, i, -a[i][k] / a[k][k]);
    }
    return -1;
}

} // namespace formeval
