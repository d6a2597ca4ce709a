// The weight of the Gaussian profile filter.
#include "profile/profile.h"

#include <cmath>

namespace formeval::profile {

double transmission(double upr, double cutoff) {
    const double pi = std::acos(-1.0);
    const double alpha = std::sqrt(std::log(2.0) / pi);
    const double ratio = alpha * upr / cutoff;
    return std::exp(-pi * ratio * ratio);
}

} // namespace formeval::profile
