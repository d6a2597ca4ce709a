// Elimination step: row j += d * row k over columns 0..n.
#include "linalg/linalg.h"

namespace formeval {

void rowmul(Row7* a, int n, int k, int j, double d) {
    for (int col = 0; col <= n; ++col) a[j][col] = a[k][col] * d + a[j][col];
}

} // namespace formeval
