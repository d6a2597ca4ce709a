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

using P2 = std::array<double, 2>;

// Whether o, a, b turn counterclockwise, certainly.
bool leftturn(const P2& o, const P2& a, const P2& b) {
    const double left = (a[0] - o[0]) * (b[1] - o[1]);
    const double right = (a[1] - o[1]) * (b[0] - o[0]);
    const double bound = (3 + 16 * eps) * eps * (std::fabs(left) + std::fabs(right));
    return left - right > bound;
}

// Which points may be corners of the hull: all but those deep inside the
// octagon of the points farthest along eight directions, spread evenly in
// the frame of the principal axes scaled to the points' spreads (a strip's
// octagon then covers most of it). Deep: by far more than rounding (1e-7 in
// working units, which are of unit size), so that every turn through such a
// point is certain and leaving it out changes no corner the chains keep.
class Octagon {
  public:
    Octagon(const View& w, const Moments& mo) {
        const double across = std::sqrt(mo.values[0]), strong = std::sqrt(mo.values[1]);
        if (!(across > 0 && strong > 0) || w.n < 64) return;
        const Vec s = mo.vectors[1], a = mo.vectors[0];
        std::array<P2, 8> dirs;
        for (int k = 0; k < 8; ++k) {
            const double angle = std::atan(1.0) * k;
            const double cs = std::cos(angle) / strong, sn = std::sin(angle) / across;
            dirs[k] = {cs * s[0] + sn * a[0], cs * s[1] + sn * a[1]};
        }
        std::array<double, 8> best;
        best.fill(-inf);
        std::array<P2, 8> far{};
        for (std::size_t i = 0; i < w.n; ++i) {
            const Vec q = w[i];
            for (int k = 0; k < 8; ++k) {
                const double v = dirs[k][0] * q[0] + dirs[k][1] * q[1];
                if (v > best[k]) best[k] = v, far[k] = {q[0], q[1]};
            }
        }
        // The corners in turn, once each; counterclockwise when the axes are.
        std::vector<P2> c;
        for (const P2& q : far)
            if (c.empty() || q != c.back()) c.push_back(q);
        while (c.size() > 1 && c.front() == c.back()) c.pop_back();
        if (c.size() < 3) return;
        const double turn = s[0] * a[1] - s[1] * a[0] > 0 ? 1 : -1;
        for (std::size_t k = 0; k < c.size(); ++k) {
            const P2& p = c[k];
            const P2& q = c[(k + 1) % c.size()];
            // Inward normal of the side p -> q.
            const P2 n = {-(q[1] - p[1]) * turn, (q[0] - p[0]) * turn};
            const double length = std::hypot(n[0], n[1]);
            if (!(length > 0)) continue;
            sides_.push_back({n[0], n[1], n[0] * p[0] + n[1] * p[1] + 1e-7 * length});
        }
    }

    // Whether q lies deep inside.
    bool deep(const Vec& q) const {
        if (sides_.size() < 3) return false;
        for (const auto& n : sides_)
            if (!(n[0] * q[0] + n[1] * q[1] > n[2])) return false;
        return true;
    }

  private:
    std::vector<std::array<double, 3>> sides_;
};

// The hull's corners, counterclockwise from the lowest of the leftmost. The
// points are sorted as pairs of coordinates (equal ones are the same point,
// so that the order is the same whatever the sort), and the chains grow on a
// stack of the hull's size, not the points'.
std::vector<Vec> corners(const View& w, const Moments& mo) {
    const Octagon inner(w, mo);
    std::vector<P2> p;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        if (!inner.deep(q)) p.push_back({q[0], q[1]});
    }
    std::sort(p.begin(), p.end(), [](const P2& a, const P2& b) {
        return a[0] < b[0] || (a[0] == b[0] && a[1] < b[1]);
    });
    std::vector<P2> h;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (h.size() >= 2 && !leftturn(h[h.size() - 2], h.back(), p[i])) h.pop_back();
        h.push_back(p[i]);
    }
    for (std::size_t i = p.size() - 1, lower = h.size() + 1; i-- > 0;) {
        while (h.size() >= lower && !leftturn(h[h.size() - 2], h.back(), p[i])) h.pop_back();
        h.push_back(p[i]);
    }
    if (h.size() > 1) h.pop_back(); // the first corner closed the chain
    std::vector<Vec> out;
    out.reserve(h.size());
    for (const P2& q : h) out.push_back({q[0], q[1], 0});
    return out;
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
    const std::vector<Vec> h = corners(w, mo);
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
