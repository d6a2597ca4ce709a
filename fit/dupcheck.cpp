// Reports a reference set that came up before in the same minimum-zone run, a
// sign that the exchange is cycling.
#include "fit/fit.h"

namespace formeval {

bool dupcheck(int ntri, const int* ne, int n, Refset* hist) {
    if (ntri < 0) return false;
    bool found = false;
    const int earlier = ntri < nhist ? ntri : nhist;
    for (int k = 0; k < earlier; ++k) {
        bool same = true;
        for (int i = 0; i <= n && same; ++i) same = hist[k][i] == ne[i];
        if (!same) continue;
        found = true;
        if (oqt > 1) both("duplicate reference set found", "\n");
    }
    if (ntri < nhist)
        for (int i = 0; i <= n; ++i) hist[ntri][i] = ne[i];
    return found;
}

} // namespace formeval
