// Partial-pivot search in column k: the lowest-numbered row among k..n-1 with
// the largest |a[i][k]| (squares compared).
#include "linalg/linalg.h"

namespace formeval {

int find(const Row7* a, int n, int k) {
    int best = k;
    for (int i = k + 1; i < n; ++i)
        if (a[i][k] * a[i][k] > a[best][k] * a[best][k]) best = i;
    return best;
}

} // namespace formeval
