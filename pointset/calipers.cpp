// The minimum-zone line: the minimum width of the points' convex hull, by
// rotating calipers, in O(n log n).
//
// The narrowest strip holding a convex polygon has one side on an edge of it
// and the other through the vertex farthest from that edge, so the least over
// the edges of that distance is the minimum zone. The hull is Andrew's
// monotone chain on the working coordinates, a turn kept only where the sign
// of its floating-point determinant is certain (Shewchuk's error bound): a
// point within rounding of an edge is left out, which leaves a convex polygon
// of the points inside their hull. Its width is at most the hull's, so it
// bounds the zone from below; the zone reported is measured over every point
// along the normal of the edge found, and so bounds it from above.
#include "pointset/kernels.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formeval::pointset::kernel {

namespace {

// Whether o, a, b turn counterclockwise, certainly.
bool leftturn(const Vec& o, const Vec& a, const Vec& b) {
    const double left = (a[0] - o[0]) * (b[1] - o[1]);
    const double right = (a[1] - o[1]) * (b[0] - o[0]);
    const double bound = (3 + 16 * eps) * eps * (std::fabs(left) + std::fabs(right));
    return left - right > bound;
}

// The hull's corners, counterclockwise from the lowest of the leftmost.
std::vector<Vec> corners(const View& w) {
    std::vector<Vec> p(w.n);
    for (std::size_t i = 0; i < w.n; ++i) p[i] = w[i];
    std::sort(p.begin(), p.end(), [](const Vec& a, const Vec& b) {
        return a[0] < b[0] || (a[0] == b[0] && a[1] < b[1]);
    });
    std::vector<Vec> h(2 * p.size() + 1);
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && !leftturn(h[k - 2], h[k - 1], p[i])) --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && !leftturn(h[k - 2], h[k - 1], p[i])) --k;
        h[k++] = p[i];
    }
    h.resize(k > 1 ? k - 1 : k); // the first corner closed the chain
    return h;
}

// Distance of q from the line through a along the unit u, on its left.
double height(const Vec& a, const Vec& u, const Vec& q) {
    return u[0] * (q[1] - a[1]) - u[1] * (q[0] - a[0]);
}

Vec unit(const Vec& a, const Vec& b) {
    const Vec d = sub(b, a);
    return mul(1 / norm(d), d);
}

} // namespace

Found mzline(const Moments& mo, const Options& options) {
    const View& w = mo.view;
    const std::vector<Vec> h = corners(w);
    const std::size_t m = h.size();
    Vec along = unit(h.front(), h.back()); // no polygon: the points' own segment
    double lower = 0;
    if (m >= 3) {
        // For each edge the farthest corner, which moves on monotonically.
        lower = inf;
        std::size_t j = 1;
        for (std::size_t i = 0; i < m; ++i) {
            const Vec& a = h[i];
            const Vec u = unit(a, h[(i + 1) % m]);
            for (std::size_t steps = 0; steps < m; ++steps) {
                const std::size_t next = (j + 1) % m;
                if (!(height(a, u, h[next]) > height(a, u, h[j]))) break;
                j = next;
            }
            const double d = height(a, u, h[j]);
            if (d < lower) lower = d, along = u;
        }
        // The heights are rounded to a few units of the working size.
        lower = std::max(0.0, lower - 8 * eps);
    }
    const Vec normal = {-along[1], along[0], 0};
    double top = -inf, bottom = inf;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double v = dot(w[i], normal);
        top = std::max(top, v);
        bottom = std::min(bottom, v);
    }
    Found out;
    out.found = true;
    out.point = mul((top + bottom) / 2, normal);
    out.direction = along;
    if (!options.certificate) return out;
    Certificate& c = out.certificate;
    c.upper = top - bottom;
    c.lower = std::min(c.upper, lower);
    c.certified = c.upper - c.lower <= certifiedgap(c.upper, 1);
    if (!c.certified) c.why = "the hull's narrowest width and the zone found disagree";
    return out;
}

} // namespace formeval::pointset::kernel
