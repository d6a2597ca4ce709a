// Whether points surround a centre: the centre strictly inside their hull.
#include "pointset/kernels.h"

#include <cmath>

namespace formeval::pointset {

bool surrounds(const Points& points, const Point& centre) {
    const int d = points.dimension;
    if ((d != 2 && d != 3) || points.stride < static_cast<std::size_t>(d) || !points.data ||
        points.count < static_cast<std::size_t>(d) + 1)
        return false;
    for (int k = 0; k < d; ++k)
        if (!std::isfinite(centre[static_cast<std::size_t>(k)])) return false;
    for (std::size_t i = 0; i < points.count; ++i)
        for (int k = 0; k < d; ++k)
            if (!std::isfinite(points.data[i * points.stride + static_cast<std::size_t>(k)]))
                return false;
    kernel::View w;
    w.data = points.data;
    w.n = points.count;
    w.dim = d;
    w.stride = points.stride;
    return kernel::surrounds(w, centre);
}

} // namespace formeval::pointset
