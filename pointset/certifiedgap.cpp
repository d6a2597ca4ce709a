// The gap between a certificate's bounds that still counts as exact.
#include "pointset/pointset.h"

#include <cmath>
#include <limits>

namespace formeval::pointset {

// Distances and residuals are formed from coordinates as large as `scale`,
// so a few of its rounding units are noise, however small the form error.
double certifiedgap(double error, double scale) {
    constexpr double roundingunits = 64;
    return certifytolerance * std::fabs(error) +
           roundingunits * std::numeric_limits<double>::epsilon() * std::fabs(scale);
}

bool judge(Certificate& c, double error, double scale, const char* why) {
    c.certified = c.upper - c.lower <= certifiedgap(error, scale);
    if (!c.certified) c.why = why;
    return c.certified;
}

} // namespace formeval::pointset
