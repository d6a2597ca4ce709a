// The largest and smallest distance of the points (or of a subset) from a
// centre.
#include "pointset/kernels.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

namespace {

inline void take(Spread& s, double d, std::size_t i) {
    if (d > s.top) s.top = d, s.far = i;
    if (d < s.bottom) s.bottom = d, s.near = i;
}

} // namespace

Spread spread(const View& w, const Vec& c) {
    if (w.dim == 2 && w.stride == 2 && c[2] == 0)
        return spread2(w.data, w.n, w.origin.data(), w.scale, c.data());
    Spread s;
    for (std::size_t i = 0; i < w.n; ++i) take(s, norm(sub(w[i], c)), i);
    return s;
}

Spread spread(const View& w, const std::vector<std::size_t>& subset, const Vec& c) {
    Spread s;
    if (w.dim == 2 && c[2] == 0) {
        // In the plane the third difference is 0 and adds nothing to the
        // squares: the same distances without it, two at a time where SSE2
        // is (each lane the same operations), taken in the subset's order.
        const std::size_t m = subset.size();
        std::size_t k = 0;
#if defined(__SSE2__)
        const __m128d ox = _mm_set1_pd(w.origin[0]), oy = _mm_set1_pd(w.origin[1]);
        const __m128d scale = _mm_set1_pd(w.scale);
        const __m128d cx = _mm_set1_pd(c[0]), cy = _mm_set1_pd(c[1]);
        for (; k + 2 <= m; k += 2) {
            const __m128d p = _mm_loadu_pd(w.data + subset[k] * w.stride);
            const __m128d q = _mm_loadu_pd(w.data + subset[k + 1] * w.stride);
            const __m128d x =
                _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(_mm_unpacklo_pd(p, q), ox), scale), cx);
            const __m128d y =
                _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(_mm_unpackhi_pd(p, q), oy), scale), cy);
            double d[2];
            _mm_storeu_pd(d, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(x, x), _mm_mul_pd(y, y))));
            take(s, d[0], subset[k]);
            take(s, d[1], subset[k + 1]);
        }
#endif
        for (; k < m; ++k) {
            const double* p = w.data + subset[k] * w.stride;
            const double x = (p[0] - w.origin[0]) * w.scale - c[0];
            const double y = (p[1] - w.origin[1]) * w.scale - c[1];
            take(s, std::sqrt(x * x + y * y), subset[k]);
        }
        return s;
    }
    for (const std::size_t i : subset) take(s, norm(sub(w[i], c)), i);
    return s;
}

// Up to `most` of the points, each next the one whose direction from c is
// farthest from those taken.
std::vector<std::size_t> spreadout(const View& w, const Vec& c, std::vector<std::size_t> p,
                                   std::size_t most) {
    if (p.size() <= most) return p;
    std::vector<Vec> u(p.size());
    for (std::size_t k = 0; k < p.size(); ++k) {
        const Vec d = sub(w[p[k]], c);
        u[k] = mul(1 / norm(d), d);
    }
    std::vector<std::size_t> out = {p[0]};
    std::vector<double> nearest(p.size(), inf);
    std::size_t last = 0;
    while (out.size() < most) {
        std::size_t best = 0;
        for (std::size_t k = 0; k < p.size(); ++k) {
            nearest[k] = std::min(nearest[k], norm(sub(u[k], u[last])));
            if (nearest[k] > nearest[best]) best = k;
        }
        if (!(nearest[best] > 0)) break;
        out.push_back(p[best]);
        last = best;
    }
    return out;
}

} // namespace formeval::pointset::kernel
