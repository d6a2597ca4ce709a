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
    int swaps = 0;
    if (eliminate(a, n, n - 1, swaps) >= 0) {
        event();
        std::cout << "Coefficient matrix is singular";
        return;
    }
    bksub(a, n, x);
    lastsolved = true;
}

} // namespace formeval
