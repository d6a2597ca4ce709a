// Console dump of the first numpt coefficient rows, for diagnosis. A row holds
// five values, so at most five are printed even when n + 1 is larger.
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

void dispmat99(const Row5* a, int n, int numpt) {
    const int ncol = n + 1 < 5 ? n + 1 : 5;
    std::cout << "\n";
    for (int i = 0; i < numpt; ++i) {
        for (int col = 0; col < ncol; ++col) std::cout << a[i][col] << "  ";
        std::cout << "\n";
    }
    std::cout << "\n";
}

} // namespace formeval
