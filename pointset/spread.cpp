// The largest and smallest distance of the points (or of a subset) from a
// centre.
#include "pointset/kernels.h"

namespace formeval::pointset::kernel {

namespace {

inline void take(Spread& s, double d, std::size_t i) {
    if (d > s.top) s.top = d, s.far = i;
    if (d < s.bottom) s.bottom = d, s.near = i;
}

} // namespace

Spread spread(const View& w, const Vec& c) {
    Spread s;
    for (std::size_t i = 0; i < w.n; ++i) take(s, norm(sub(w[i], c)), i);
    return s;
}

Spread spread(const View& w, const std::vector<std::size_t>& subset, const Vec& c) {
    Spread s;
    for (const std::size_t i : subset) take(s, norm(sub(w[i], c)), i);
    return s;
}

} // namespace formeval::pointset::kernel
