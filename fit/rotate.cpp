// A random reference set, to replace a degenerate one. Draws from the
// unseeded std::rand, so every run repeats the same sequence.
#include "fit/fit.h"

#include <cstdlib>

namespace formeval {

void rotate(int* ne, int n, int numpt) {
    // n + 1 distinct indices need n + 1 points; fewer would redraw forever.
    if (numpt <= n) return;
    event();
    int nn[6];
    bool distinct = false;
    while (!distinct) {
        for (int i = 0; i <= n; ++i) nn[i] = std::rand() % numpt;
        distinct = true;
        for (int i = 0; i <= n && distinct; ++i)
            for (int j = 0; j < i; ++j)
                if (nn[i] == nn[j]) distinct = false;
    }
    for (int i = 0; i <= n; ++i) ne[i] = nn[i];
}

} // namespace formeval
