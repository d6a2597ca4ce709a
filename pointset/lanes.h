// The largest and smallest of distances measured four points at a time in
// AVX2's registers, and the first point at each, as a loop over the points
// one by one would find them (strict comparisons; the lowest point of a tie).
#pragma once

#include "pointset/frame.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace formeval::pointset::kernel {

struct Extremes4 {
    __m256d top, bottom, far, near, at;

    __attribute__((target("avx2"))) Extremes4()
        : top(_mm256_set1_pd(-inf)), bottom(_mm256_set1_pd(inf)), far(_mm256_setzero_pd()),
          near(_mm256_setzero_pd()), at(_mm256_set_pd(3, 2, 1, 0)) {}

    // The distances r of the next four points.
    __attribute__((target("avx2"))) void take(__m256d r) {
        const __m256d up = _mm256_cmp_pd(r, top, _CMP_GT_OQ);
        const __m256d down = _mm256_cmp_pd(r, bottom, _CMP_LT_OQ);
        top = _mm256_blendv_pd(top, r, up);
        far = _mm256_blendv_pd(far, at, up);
        bottom = _mm256_blendv_pd(bottom, r, down);
        near = _mm256_blendv_pd(near, at, down);
        at = _mm256_add_pd(at, _mm256_set1_pd(4));
    }

    // The lanes merged into s, which holds none of their points yet.
    __attribute__((target("avx2"))) void into(Spread& s) const {
        double lanes[4][4];
        _mm256_storeu_pd(lanes[0], top);
        _mm256_storeu_pd(lanes[1], far);
        _mm256_storeu_pd(lanes[2], bottom);
        _mm256_storeu_pd(lanes[3], near);
        for (int l = 0; l < 4; ++l) {
            const auto first = static_cast<std::size_t>(lanes[1][l]);
            if (lanes[0][l] > s.top || (lanes[0][l] == s.top && first < s.far))
                s.top = lanes[0][l], s.far = first;
            const auto nearest = static_cast<std::size_t>(lanes[3][l]);
            if (lanes[2][l] < s.bottom || (lanes[2][l] == s.bottom && nearest < s.near))
                s.bottom = lanes[2][l], s.near = nearest;
        }
    }
};

} // namespace formeval::pointset::kernel

#endif
