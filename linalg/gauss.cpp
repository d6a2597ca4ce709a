// Gaussian elimination with partial pivoting. Columns 0..n-2 are pivoted and
// tested against cri; the last pivot is used untested.
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

namespace {

bool lastsolved = true;

} // namespace

bool solved() {
    return lastsolved;
}

void gauss(Row7* a, int n, double* x) {
    lastsolved = false;
    for (int k = 0; k < n - 1; ++k) {
        const int j = find(a, n, k);
        if (negligible(a[j][k])) {
            std::cout << "Coefficient matrix is singular";
            return;
        }
        change(a, n, k, j);
        for (int i = k + 1; i < n; ++i) rowmul(a, n, k, i, -a[i][k] / a[k][k]);
    }
    bksub(a, n, x);
    lastsolved = true;
}

} // namespace formeval
