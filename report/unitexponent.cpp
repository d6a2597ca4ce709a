// Exact scaling of the points to unit size for the exact references.
#include "report/results.h"

#include <cmath>

namespace formeval::report {

int unitexponent(double largest) {
    int exponent = 0;
    if (largest > 0 && std::isfinite(largest)) std::frexp(largest, &exponent);
    return exponent;
}

std::vector<Point> unitscaled(const std::vector<Point>& p, int exponent) {
    std::vector<Point> out = p;
    for (Point& q : out)
        for (double& c : q) c = std::ldexp(c, -exponent);
    return out;
}

} // namespace formeval::report
