// How a Gauss-Newton descent on a sum of squared residuals (the
// least-squares circle, sphere and cylinder) judges its steps near the
// optimum, where the sum changes by less than its own rounding while the
// steps stay exact.
#pragma once

#include "pointset/frame.h"

#include <cmath>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

// The rounding of a sum of count squared residuals, each a difference of
// lengths of about `magnitude` (working units) good to a few units in its
// last place: the sum moves by about that times the sum of |e|, which is at
// most sqrt(count sum). A step that raises the sum by no more is taken.
inline long double sumrounding(double magnitude, double count, long double sum) {
    return 8 * eps * magnitude * std::sqrt(static_cast<long double>(count) * sum);
}

// Points whose squared residuals a pass sums in double before adding them to
// its long double total: few enough that the double sum keeps the digits the
// steps are judged by.
constexpr std::size_t squaresblock = 512;

#ifdef __SSE2__
// The sum of a register's two lanes, low first: a pass that keeps its sums
// two points at a time ends with it.
inline double lanesum(__m128d x) {
    return _mm_cvtsd_f64(x) + _mm_cvtsd_f64(_mm_unpackhi_pd(x, x));
}
#endif

// The steps a descent has taken, and what they tell of the next.
class Steps {
  public:
    // Whether a step of this length is the last and needs no pass of its
    // own: where it is below the working unit's rounding of the radius, or
    // where, the descent gaining a factor of about length / before a step,
    // what would remain after it (about length^2 / before) is. The first step
    // has no such measure.
    bool last(double length, double radius) const {
        const double unit = 1e-15 * (1 + std::fabs(radius));
        return length <= unit ||
               (before_ < inf && length <= 1e-2 * before_ && length * (length / before_) <= unit);
    }

    // Records a step taken (k <= 5 numbers, of the given length) and tells
    // whether the descent should end on it: the step lowered the sum by no
    // more than its rounding (settled), and it is no shorter than the one
    // before, or turns sideways from it without being much shorter. Such
    // steps are rounding's own, and more of them would wander; a descent that
    // converges keeps or reverses its way from step to step and shortens its
    // steps, slowly along a shallow valley, by far near a sharp optimum.
    bool wandering(const double* step, int k, double length, bool settled) {
        double along = 0, squared = 0, squaredbefore = 0;
        for (int j = 0; j < k; ++j) {
            along += step[j] * way_[j];
            squared += step[j] * step[j];
            squaredbefore += way_[j] * way_[j];
            way_[j] = step[j];
        }
        const bool sideways = !(std::fabs(along) > 0.5 * std::sqrt(squared * squaredbefore));
        const bool out = settled && (length >= before_ || (sideways && length > 0.5 * before_));
        before_ = length;
        return out;
    }

  private:
    double before_ = inf;
    double way_[5] = {0, 0, 0, 0, 0};
};

} // namespace formeval::pointset::kernel
