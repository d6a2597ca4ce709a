// Coefficient rows of the linearised circle about the origin of the given
// coordinates: (1, x/r, y/r) with observation r, the point's distance. A
// point at the origin has no direction; it gets (1, 0, 0) so that it counts
// only towards the radius. Two points at a time where the processor has
// SSE2: the same square roots and quotients, correctly rounded in either
// form, so the same bits.
#include "form/form.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval {

void centredcirclerows(const double* x, const double* y, int numpt, Row5* a, double* z) {
    int i = 0;
#if defined(__SSE2__)
    const __m128d zero = _mm_setzero_pd();
    for (; i + 1 < numpt; i += 2) {
        const __m128d px = _mm_loadu_pd(x + i);
        const __m128d py = _mm_loadu_pd(y + i);
        const __m128d r = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(px, px), _mm_mul_pd(py, py)));
        _mm_storeu_pd(z + i, r);
        // All ones where r != 0 (a NaN distance included, whose quotient
        // stays NaN), so that a centred point's direction is +0.
        const __m128d off = _mm_cmpneq_pd(r, zero);
        const __m128d ux = _mm_and_pd(off, _mm_div_pd(px, r));
        const __m128d uy = _mm_and_pd(off, _mm_div_pd(py, r));
        a[i][0] = a[i + 1][0] = 1.0;
        _mm_storeu_pd(&a[i][1], _mm_unpacklo_pd(ux, uy));
        _mm_storeu_pd(&a[i + 1][1], _mm_unpackhi_pd(ux, uy));
        a[i][3] = a[i][4] = a[i + 1][3] = a[i + 1][4] = 0.0;
    }
#endif
    for (; i < numpt; ++i) {
        z[i] = std::sqrt(x[i] * x[i] + y[i] * y[i]);
        const bool centred = z[i] == 0;
        a[i] = {1.0, centred ? 0.0 : x[i] / z[i], centred ? 0.0 : y[i] / z[i], 0.0, 0.0};
    }
}

} // namespace formeval
