// Sum of the magnitudes of the multipliers.
#include "fit/fit.h"

#include <iostream>

namespace formeval {

double sumlamda(const double* lamda, int n) {
    double dl = 0;
    for (int i = 0; i <= n; ++i) {
        if (lamda[i] > 0)
            dl += lamda[i];
        else
            dl -= lamda[i];
    }
    if (oqt > 1) {
        std::cout << "\nsum of lamdas=" << dl;
        ofile << "\nsum of lamdas" << dl;
    }
    return dl;
}

} // namespace formeval
