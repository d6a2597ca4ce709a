// A lower bound of a zone max |p - c| - min |p - c| over a ball of centres,
// shared by the circle and sphere search and the cylinder's circle problems.
#pragma once

#include "pointset/kernels.h"

namespace formeval::pointset::kernel {

// Over the ball of radius r about mid, for `count` points at(k): the zone at
// mid less 2 r, or for a pair a, b of the `few` farthest and nearest points,
// |a - c| - |b - c| >= d_a - d_b - |u_b - u_a| r - r^2 / (2 (d_b - r)) (the
// tangent of a's distance below it, b's above), which is far stronger where
// the pair is seen under a small angle.
// `top` and `bottom`, when given, receive the largest and smallest distance
// from mid (the zone at mid is their difference).
template <int few, class At>
double pairbound(std::size_t count, At at, const Vec& mid, double r, double* top = nullptr,
                 double* bottom = nullptr) {
    std::array<double, few> outer, inner;
    std::array<Vec, few> uo{}, ui{};
    outer.fill(-inf);
    inner.fill(inf);
    for (std::size_t i = 0; i < count; ++i) {
        const Vec d = sub(at(i), mid);
        const double len = norm(d);
        if (len > outer[few - 1]) {
            int k = few - 1;
            for (; k > 0 && len > outer[k - 1]; --k) outer[k] = outer[k - 1], uo[k] = uo[k - 1];
            outer[k] = len;
            uo[k] = mul(1 / len, d);
        }
        if (len < inner[few - 1]) {
            int k = few - 1;
            for (; k > 0 && len < inner[k - 1]; --k) inner[k] = inner[k - 1], ui[k] = ui[k - 1];
            inner[k] = len;
            ui[k] = len > 0 ? mul(1 / len, d) : Vec{0, 0, 0};
        }
    }
    if (top) *top = outer[0];
    if (bottom) *bottom = inner[0];
    double best = outer[0] - inner[0] - 2 * r;
    for (int a = 0; a < few && std::isfinite(outer[a]); ++a)
        for (int b = 0; b < few && std::isfinite(inner[b]); ++b)
            if (inner[b] > r)
                best = std::max(best, outer[a] - inner[b] - norm(sub(ui[b], uo[a])) * r -
                                          r * r / (2 * (inner[b] - r)));
    return best;
}

} // namespace formeval::pointset::kernel
