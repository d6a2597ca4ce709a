// Console dump of an augmented system, for diagnosis.
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

void dispmat(const Row7* a, int n) {
    std::cout << "\n";
    for (int i = 0; i < n; ++i) {
        for (int col = 0; col <= n; ++col) std::cout << a[i][col] << "  ";
        std::cout << "\n";
    }
    std::cout << "\n";
}

} // namespace formeval
