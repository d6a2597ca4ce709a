// Multipliers of a reference set from the determinants of its n x n minors.
#include "fit/fit.h"
#include "linalg/linalg.h"

namespace formeval {

void lamdacal(const Row6* v, int n, double* lamda) {
    // Column n is scratch for detmnt; it starts at 0 so that nothing is read
    // unwritten.
    Row7 gl[6] = {};
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j < n; ++j) {
            const Row6& row = v[j < i ? j : j + 1];
            for (int k = 0; k < n; ++k) gl[j][k] = row[k];
        }
        lamda[i] = detmnt(gl, n);
        if (i % 2 == 1) lamda[i] = -lamda[i];
    }
    if (oqt > 1) {
        both("\n", "lamda[i]=");
        for (int i = 0; i <= n; ++i) both(lamda[i], "  ");
    }
}

} // namespace formeval
