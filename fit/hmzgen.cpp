// Levelled deviation of a reference set: the deviation of equal size and
// alternating sign that every fit through the set must leave.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

double hmzgen(const Row6* v, const double* sr, int n, int /*numpt*/) {
    double lamda[7];
    lamdacal(v, n, lamda);
    const double dl = sumlamda(lamda, n);
    if (negligible(dl)) {
        event();
        std::cout << "\ndl= " << dl;
        return 0;
    }
    double hn = 0;
    for (int i = 0; i <= n; ++i) hn += lamda[i] * sr[i];
    return -hn / dl;
}

} // namespace formeval
