// Swaps rows k and j of an augmented system, right-hand side included.
#include "linalg/linalg.h"

#include <utility>

namespace formeval {

void change(Row7* a, int n, int k, int j) {
    if (j == k) return;
    for (int col = 0; col <= n; ++col) std::swap(a[k][col], a[j][col]);
}

} // namespace formeval
