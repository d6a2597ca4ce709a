// Minimum circumscribed circle and sphere: the smallest ball holding every
// point. Welzl's move-to-front algorithm runs on a sample of the points, every
// decision "is this point outside the smallest ball through these" taken by
// CGAL's exact predicates on the points' own coordinates; a pass over all
// points then adds those outside the ball (the exact predicate judging any
// point that floating point cannot place clearly inside), until none is: the
// ball of the sample is then the ball of every point.
//
// Certificate: no ball holds the support points in less than the ball through
// them when its centre lies in their convex hull; that ball's radius, as
// measured from the centre found, is the lower bound.
#include "pointset/kernels.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace formeval::pointset::kernel {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;

struct Support {
    int count = 0;
    std::array<std::size_t, 4> point = {};
    // Two or three points of the plane whose circle floating point settles
    // (Balls::prepare): most points are then placed by `circle` alone.
    bool settled = false;
    FloatCircle circle;
};

class Balls {
  public:
    explicit Balls(const View& w) : w_(w) {}

    // Whether point t lies in the smallest ball with the support on its
    // boundary (exact).
    bool inside(const Support& s, std::size_t t) const {
        if (s.settled) {
            const int side = circleside(s.circle, at(t));
            if (side != 0) return side > 0;
        }
        return exactly(s, t);
    }

    // The first of list[from, end) that `circle` does not place inside.
    std::size_t clearlyinside(const FloatCircle& circle, const std::size_t* list, std::size_t from,
                              std::size_t end) const {
        return firstnotinside(circle, w_.data, w_.stride, list, from, end);
    }

    // The floating-point circle of a support of two or three points of the
    // plane, where it is well conditioned.
    void prepare(Support& s) const {
        s.settled = w_.dim == 2 && (s.count == 2 || s.count == 3) &&
                    floatcircle(at(s.point[0]), at(s.point[1]),
                                s.count == 3 ? at(s.point[2]) : nullptr, s.circle);
    }

    // Where point t lies against the smallest ball with a support of two or
    // three points of the plane on its boundary: 1 strictly inside, 0 on the
    // boundary, -1 outside (exact).
    int side(const Support& s, std::size_t t) const {
        if (s.settled) {
            const int quick = circleside(s.circle, at(t));
            if (quick != 0) return quick;
        }
        const int quick = filtered(s, t);
        if (quick != 0) return quick;
        const Kernel::Point_2 q = p2(t);
        const CGAL::Bounded_side b =
            s.count == 2
                ? CGAL::side_of_bounded_circle(p2(s.point[0]), p2(s.point[1]), q)
                : CGAL::side_of_bounded_circle(p2(s.point[0]), p2(s.point[1]), p2(s.point[2]), q);
        return b == CGAL::ON_BOUNDED_SIDE ? 1 : b == CGAL::ON_BOUNDARY ? 0 : -1;
    }

    // inside() where floating point has not settled it.
    bool exactly(const Support& s, std::size_t t) const {
        if (s.count == 0) return false;
        if (s.count == 1) return same(s.point[0], t);
        if (w_.dim == 2) {
            const int quick = filtered(s, t);
            if (quick != 0) return quick > 0;
            const Kernel::Point_2 q = p2(t);
            if (s.count == 2)
                return CGAL::side_of_bounded_circle(p2(s.point[0]), p2(s.point[1]), q) !=
                       CGAL::ON_UNBOUNDED_SIDE;
            return CGAL::side_of_bounded_circle(p2(s.point[0]), p2(s.point[1]), p2(s.point[2]),
                                                q) != CGAL::ON_UNBOUNDED_SIDE;
        }
        const Kernel::Point_3 q = p3(t);
        switch (s.count) {
        case 2:
            return CGAL::side_of_bounded_sphere(p3(s.point[0]), p3(s.point[1]), q) !=
                   CGAL::ON_UNBOUNDED_SIDE;
        case 3:
            return CGAL::side_of_bounded_sphere(p3(s.point[0]), p3(s.point[1]), p3(s.point[2]),
                                                q) != CGAL::ON_UNBOUNDED_SIDE;
        default:
            return CGAL::side_of_bounded_sphere(p3(s.point[0]), p3(s.point[1]), p3(s.point[2]),
                                                p3(s.point[3]), q) != CGAL::ON_UNBOUNDED_SIDE;
        }
    }

    // Whether the support with point t added spans a ball: no three on one
    // line, no four on one plane (which the exact predicates would refuse).
    bool proper(const Support& s, std::size_t t) const {
        if (s.count < 2) return true;
        if (s.count == 2 && w_.dim == 2 && clearturn(at(s.point[0]), at(s.point[1]), at(t)) != 0)
            return true;
        return exactlyproper(s, t);
    }

    // proper() by the exact predicates.
    bool exactlyproper(const Support& s, std::size_t t) const {
        if (s.count == 2) {
            if (w_.dim == 2) return !CGAL::collinear(p2(s.point[0]), p2(s.point[1]), p2(t));
            return !CGAL::collinear(p3(s.point[0]), p3(s.point[1]), p3(t));
        }
        return !CGAL::coplanar(p3(s.point[0]), p3(s.point[1]), p3(s.point[2]), p3(t));
    }

  private:
    const double* at(std::size_t i) const { return w_.data + i * w_.stride; }

    // Whether points i and t have the same coordinates (the smallest ball
    // through i holds no other point).
    bool same(std::size_t i, std::size_t t) const {
        const double* p = at(i);
        const double* q = at(t);
        return p[0] == q[0] && p[1] == q[1] && (w_.dim == 2 || p[2] == q[2]);
    }

    // The orientation determinant of a, b and c of the plane where it lies
    // beyond its rounding (so its sign is the exact one and they are not on
    // one line); 0 where it does not.
    static double clearturn(const double* a, const double* b, const double* c) {
        const double l = (b[0] - a[0]) * (c[1] - a[1]), r = (b[1] - a[1]) * (c[0] - a[0]);
        const double turn = l - r;
        return std::fabs(turn) > 8 * eps * (std::fabs(l) + std::fabs(r)) ? turn : 0;
    }

    // In the plane, the sign of the test in floating point where its error
    // bound settles it: 1 inside, -1 outside, 0 undecided.
    int filtered(const Support& s, std::size_t t) const {
        const double* q = at(t);
        const double* a = at(s.point[0]);
        const double* b = at(s.point[1]);
        const double ax = a[0] - q[0], ay = a[1] - q[1], bx = b[0] - q[0], by = b[1] - q[1];
        constexpr double e = std::numeric_limits<double>::epsilon();
        if (s.count == 2) {
            // In the circle on the diameter ab: (a - q).(b - q) <= 0.
            const double d = ax * bx + ay * by;
            const double bound = 8 * e * (std::fabs(ax * bx) + std::fabs(ay * by));
            return d < -bound ? 1 : d > bound ? -1 : 0;
        }
        const double* c = at(s.point[2]);
        const double turn = clearturn(a, b, c);
        if (turn == 0) return 0;
        double bound = 0;
        const double det = kernel::incircle(a, b, c, q, bound);
        if (!(std::fabs(det) > bound)) return 0;
        return (det > 0) == (turn > 0) ? 1 : -1;
    }

    Kernel::Point_2 p2(std::size_t i) const {
        const double* p = w_.data + i * w_.stride;
        return {p[0], p[1]};
    }
    Kernel::Point_3 p3(std::size_t i) const {
        const double* p = w_.data + i * w_.stride;
        return {p[0], p[1], p[2]};
    }
    const View& w_;
};

// Whether point i is one of the support's, on the ball's boundary by its
// making (the exact test would say so at the cost of exact arithmetic).
bool onsupport(const Support& s, std::size_t i) {
    return std::find(s.point.begin(), s.point.begin() + s.count, i) != s.point.begin() + s.count;
}

// Centre of the smallest ball through the support, in working coordinates.
Vec centre(const View& w, const Support& s) {
    const Vec a = w[s.point[0]];
    if (s.count == 1) return a;
    const Vec b = sub(w[s.point[1]], a);
    if (s.count == 2) return add(a, mul(0.5, b));
    const Vec c = sub(w[s.point[2]], a);
    if (s.count == 3) {
        const Vec n = cross(b, c);
        const Vec x = cross(sub(mul(dot(b, b), c), mul(dot(c, c), b)), n);
        return add(a, mul(1 / (2 * dot(n, n)), x));
    }
    const Vec d = sub(w[s.point[3]], a);
    double m[9] = {2 * b[0], 2 * b[1], 2 * b[2], 2 * c[0], 2 * c[1],
                   2 * c[2], 2 * d[0], 2 * d[1], 2 * d[2]};
    double r[3] = {dot(b, b), dot(c, c), dot(d, d)};
    if (!solve(3, m, r)) return a;
    return add(a, {r[0], r[1], r[2]});
}

// Welzl's move-to-front recursion on the sample: the smallest ball of
// list[0, end) with the support level[depth] on its boundary, left in *best.
// Each depth keeps its support in place (`level`), so that the recursion
// copies no ball: a support is overwritten only by a new one of its depth,
// when the ball it made is no longer the best.
struct Welzl {
    const Balls& balls;
    int dim;
    std::vector<std::size_t>& list;
    std::array<Support, 5> level{};
    const Support* best = &level[0];

    void run(std::size_t end, int depth) {
        const Support& boundary = level[static_cast<std::size_t>(depth)];
        best = &boundary;
        if (boundary.count == dim + 1 || depth + 1 == static_cast<int>(level.size())) return;
        for (std::size_t i = 0; i < end; ++i) {
            if (best->settled) i = balls.clearlyinside(best->circle, list.data(), i, end);
            if (i == end) break;
            if (balls.inside(*best, list[i])) continue;
            if (!balls.proper(boundary, list[i])) continue; // never asked in exact arithmetic
            Support& next = level[static_cast<std::size_t>(depth) + 1];
            next.count = boundary.count + 1;
            next.point = boundary.point;
            next.point[boundary.count] = list[i];
            balls.prepare(next);
            run(i, depth + 1);
            const std::size_t front = list[i];
            std::copy_backward(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i),
                               list.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            list[0] = front;
        }
    }
};

// In the plane, below 256 points, the recursion in the points' index order
// meets nearly every point outside the ball of those before it. Where the
// circle's support is unique (two or three points and every other point
// strictly inside) its bits do not depend on the order either: the index
// order's first support point is the support's last index (the one point
// that leaves the ball of all before it for good), the second is the other
// of two, and the centre of three is the same whichever of the other two
// comes second (swapping them negates its intermediate terms exactly). Every
// point of such a support is needed: the recursion, whose balls contain
// their boundaries, never adds a third point on the circle of two others'
// diameter. So the recursion runs on a scrambled order, which meets few
// points outside, and its support is taken in that order where it is unique;
// false, and nothing taken, where it is not.
bool scrambled(const View& w, const Balls& balls, Support& s) {
    std::vector<std::size_t> list(w.n);
    for (std::size_t i = 0; i < w.n; ++i) list[i] = i;
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    for (std::size_t i = w.n; i > 1; --i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        std::swap(list[i - 1], list[(state >> 33) % i]);
    }
    Welzl welzl{balls, w.dim, list};
    welzl.run(list.size(), 0);
    Support found = *welzl.best;
    if (found.count < 2) return false;
    for (std::size_t i = 0; i < w.n; ++i) {
        if (found.settled) i = balls.clearlyinside(found.circle, list.data(), i, w.n);
        if (i == w.n) break;
        if (!onsupport(found, list[i]) && balls.side(found, list[i]) != 1) return false;
    }
    const auto first = found.point.begin(), last = first + found.count;
    std::sort(first, last, std::greater<>());
    balls.prepare(found);
    s = found;
    return true;
}

// The first sample: the extreme points along a few directions and an even
// spread of the rest (every point where there are fewer than 256). In the
// plane the directions out of it add nothing: their values are 0 or those of
// x and y, whose extremes are taken already, and point 0 is in the spread.
std::vector<std::size_t> firstsample(const View& w) {
    std::vector<std::size_t> out;
    const std::size_t step = std::max<std::size_t>(1, w.n / 128);
    out.reserve(w.n / step + 1);
    for (std::size_t i = 0; i < w.n; i += step) out.push_back(i);
    if (step == 1) return out;
    const std::array<Vec, 7> dirs = {
        {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, -1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}}};
    const int ndirs = w.dim == 2 ? 4 : 7;
    std::array<std::size_t, 14> pick{};
    std::array<double, 14> value;
    value.fill(-inf);
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        for (int k = 0; k < ndirs; ++k) {
            const double v = dot(q, dirs[k]);
            if (v > value[2 * k]) value[2 * k] = v, pick[2 * k] = i;
            if (-v > value[2 * k + 1]) value[2 * k + 1] = -v, pick[2 * k + 1] = i;
        }
    }
    const auto picked = pick.begin() + 2 * ndirs;
    std::sort(pick.begin(), picked);
    std::vector<std::size_t> merged(out.size() + static_cast<std::size_t>(2 * ndirs));
    std::merge(out.begin(), out.end(), pick.begin(), picked, merged.begin());
    merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
    return merged;
}

} // namespace

Found pkradial(const Moments& mo, const Options& options, bool indexorder) {
    Found out;
    const View& w = mo.view;
    const Balls balls(w);
    std::vector<std::size_t> sample = firstsample(w);
    Support s;
    const bool unique = !indexorder && w.dim == 2 && sample.size() == w.n && scrambled(w, balls, s);
    for (int round = 0; !unique; ++round) {
        Welzl welzl{balls, w.dim, sample};
        welzl.run(sample.size(), 0);
        s = *welzl.best;
        const Vec c = centre(w, s);
        double r2 = 0;
        bool sound = true; // the floating ball passes through its support
        for (int k = 0; k < s.count; ++k)
            r2 = std::max(r2, dot(sub(w[s.point[k]], c), sub(w[s.point[k]], c)));
        for (int k = 0; k < s.count; ++k) {
            const Vec d = sub(w[s.point[k]], c);
            sound = sound && dot(d, d) >= r2 * (1 - 1e-12);
        }
        const double clear = sound ? r2 * (1 - 1e-9) : -1;
        std::vector<std::pair<double, std::size_t>> outside;
        for (std::size_t i = 0; i < w.n; ++i) {
            const Vec d = sub(w[i], c);
            const double d2 = dot(d, d);
            if (d2 < clear || onsupport(s, i) || balls.inside(s, i)) continue;
            outside.emplace_back(-d2, i);
        }
        if (outside.empty()) break;
        if (round > 60) {
            out.failure = "the circumscribed feature could not be found";
            return out;
        }
        const std::size_t take = std::min<std::size_t>(outside.size(), 512);
        std::partial_sort(outside.begin(), outside.begin() + take, outside.end());
        for (std::size_t k = 0; k < take; ++k) sample.push_back(outside[k].second);
    }
    out.found = true;
    out.point = centre(w, s);
    const Spread all = spread(w, out.point);
    out.radius = all.top;
    if (!options.certificate) return out;
    // The support surrounds the centre: its barycentric coordinates in the
    // support's hull are not negative.
    Certificate& c = out.certificate;
    c.upper = all.top;
    double lower = inf;
    for (int k = 0; k < s.count; ++k) lower = std::min(lower, norm(sub(w[s.point[k]], out.point)));
    bool surrounds = s.count == 2;
    if (s.count >= 3) {
        const int m = s.count;
        // Solve for weights: sum l_k p_k = centre, sum l_k = 1 (least squares for
        // three points in space, which lie in one plane with the centre).
        double A[16] = {}, b[4] = {};
        for (int r = 0; r < m; ++r) {
            const Vec pr = w[s.point[r]];
            for (int k = 0; k < m; ++k) {
                const Vec pk = w[s.point[k]];
                A[r * m + k] = dot(pr, pk) + 1;
            }
            b[r] = dot(pr, out.point) + 1;
        }
        if (solve(m, A, b)) {
            surrounds = true;
            for (int k = 0; k < m; ++k) surrounds = surrounds && b[k] >= -1e-9;
        }
    }
    if (!surrounds || s.count < 2) {
        c.lower = 0;
        c.why = "the points on the feature do not surround its centre";
        return out;
    }
    c.lower = std::min(lower, c.upper);
    c.certified = c.upper - c.lower <= certifiedgap(all.zone(), 1 + norm(out.point));
    if (!c.certified) c.why = "the bounds on the radius differ by more than 1e-9 of the form error";
    return out;
}

} // namespace formeval::pointset::kernel
