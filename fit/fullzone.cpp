// The zone width a minimum-zone job reports. The exchange stops when the
// worst point of its fit lies within 1 % of the levelled deviation h (in
// squares), so the fit's own deviations may spread a little wider than 2|h|,
// and 2|h| may then fall below the true minimum zone: a part could pass that
// fails. The spread of the fit's deviations holds every point and is never
// below the true zone; it is reported when it exceeds 2|h| by more than
// rounding, which leaves every converged width as it was.
#include "fit/fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval {

namespace {

// Relative excess of the spread over 2|h| that is taken as a real one, and
// the rounding the deviations carry, against the size of the terms they are
// computed from (the observation and each term of the model value).
constexpr double relative = 1e-9;
constexpr double roundoff = roundingunits * std::numeric_limits<double>::epsilon();

} // namespace

double fullzone(double emz, const Row5* a, const double* f, const double* gs, const double* err,
                int n, int numpt) {
    if (emz == stoppedzone || numpt == 0) return emz;
    double low = err[0];
    double high = err[0];
    double scale = 0;
    for (int i = 0; i < numpt; ++i) {
        low = std::min(low, err[i]);
        high = std::max(high, err[i]);
        double terms = std::fabs(f[i]);
        for (int j = 0; j < n; ++j) terms += std::fabs(gs[j] * a[i][j]);
        scale = std::max(scale, terms);
    }
    const double spread = high - low;
    return spread - emz > std::max(relative * emz, roundoff * scale) ? spread : emz;
}

} // namespace formeval
