// Exact scaling of the points to unit size for the exact references.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>

namespace formeval::pointset {

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

ExtremeCircle scaledback(ExtremeCircle c, int exponent) {
    c.x = std::ldexp(c.x, exponent);
    c.y = std::ldexp(c.y, exponent);
    c.r = std::ldexp(c.r, exponent);
    c.certificate.lower = std::ldexp(c.certificate.lower, exponent);
    c.certificate.upper = std::ldexp(c.certificate.upper, exponent);
    return c;
}

ExtremeCircle atunitsize(const std::vector<Point>& p,
                         ExtremeCircle (*find)(const std::vector<Point>&)) {
    const int e = unitexponent(largestcoordinate(p));
    return scaledback(find(unitscaled(p, e)), e);
}

double largestcoordinate(const std::vector<Point>& p) {
    double largest = 0;
    for (const Point& q : p)
        for (const double c : q) largest = std::max(largest, std::fabs(c));
    return largest;
}

} // namespace formeval::pointset
