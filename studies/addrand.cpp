// Monte Carlo noise: every coordinate gets normal noise of standard deviation
// stdun, the x and y noise of point i being one pair of normal stream i.
#include "random/random.h"
#include "studies/studies.h"

namespace formeval {

void addrand(const double* u, const double* v, int numpt, double* uu, double* vv) {
    const double stdun = instructions(asreal).stdun;
    float rn[2 * nsz];
    randnorms(numpt, rn);
    for (int i = 0; i < numpt; ++i) {
        uu[i] = u[i] + static_cast<double>(rn[2 * i]) * stdun;
        vv[i] = v[i] + static_cast<double>(rn[2 * i + 1]) * stdun;
    }
}

} // namespace formeval
