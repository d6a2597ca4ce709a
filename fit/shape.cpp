// The fit through the reference points at their shifted observations. The
// first n reference rows are used unless their minor (lamda[n]) vanishes; then
// row n stands in for a row whose own minor does not.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

void shape(const Row6* s, const double* f, const double* lamda, double* gs, Row7* g, int n) {
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) g[i][j] = s[i][j];
        g[i][n] = f[i];
    }
    if (negligible(lamda[n])) {
        for (int j = n - 1; j >= 0; --j) {
            if (!(lamda[j] * lamda[j] > cri * cri)) continue;
            for (int k = 0; k < n; ++k) g[j][k] = s[n][k];
            g[j][n] = f[n];
            break;
        }
    }
    gauss(g, n, gs);
    if (oqt > 2) {
        std::cout << "\nCoefficients=";
        for (int j = 0; j < n; ++j) std::cout << gs[j] << "   ";
    }
}

} // namespace formeval
