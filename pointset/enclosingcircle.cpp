// Minimum enclosing circle by Welzl's algorithm (iterative, on the points in
// a fixed shuffled order), every decision "is this point outside the circle
// through these points" made by CGAL's exact predicates, so the points that
// fix the circle are found without rounding. The centre is then constructed
// from them in floating point and the radius taken to the farthest point.
//
// Certificate: the circle reaches every point, and no circle holds the
// support points in less: two points need half their distance, the three
// points of a triangle without an obtuse angle their circumcircle (taken as
// the nearest of them to the centre found).
#include "pointset/kernels.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace formeval::pointset {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point2 = Kernel::Point_2;

struct Support {
    int count = 0;
    std::array<int, 3> point = {-1, -1, -1};
    CGAL::Orientation turn = CGAL::COLLINEAR; // of three points
};

class Welzl {
  public:
    explicit Welzl(const std::vector<Point>& p) {
        for (const Point& q : p) points_.emplace_back(q[0], q[1]);
    }

    Support run() {
        std::vector<int> order(points_.size());
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), std::mt19937(20240611));
        Support s = {1, {order[0], -1, -1}, CGAL::COLLINEAR};
        for (std::size_t i = 1; i < order.size(); ++i) {
            if (inside(s, order[i])) continue;
            s = {1, {order[i], -1, -1}, CGAL::COLLINEAR};
            for (std::size_t j = 0; j < i; ++j) {
                if (inside(s, order[j])) continue;
                s = {2, {order[i], order[j], -1}, CGAL::COLLINEAR};
                for (std::size_t k = 0; k < j; ++k)
                    if (!inside(s, order[k])) s = three(order[i], order[j], order[k]);
            }
        }
        return s;
    }

  private:
    // Whether t lies in the circle on the diameter pq: (p - t).(q - t) <= 0.
    // The sign is taken from floating point where the rounding cannot change
    // it, from CGAL's exact predicate otherwise.
    static bool indiametral(const Point2& p, const Point2& q, const Point2& t) {
        const double ax = p.x() - t.x(), ay = p.y() - t.y();
        const double bx = q.x() - t.x(), by = q.y() - t.y();
        const double dot = ax * bx + ay * by;
        const double bound =
            8 * std::numeric_limits<double>::epsilon() * (std::fabs(ax * bx) + std::fabs(ay * by));
        if (dot < -bound) return true;
        if (dot > bound) return false;
        return CGAL::side_of_bounded_circle(p, q, t) != CGAL::ON_UNBOUNDED_SIDE;
    }

    // Sign of the in-circle determinant of t against the circle through p, q,
    // r (positive inside for a counterclockwise triple), from floating point
    // within Shewchuk's error bound for it, else from CGAL's exact predicate.
    static int incircle(const Point2& p, const Point2& q, const Point2& r, const Point2& t) {
        const double a[2] = {p.x(), p.y()}, b[2] = {q.x(), q.y()}, c[2] = {r.x(), r.y()};
        const double d[2] = {t.x(), t.y()};
        double bound = 0;
        const double det = kernel::incircle(a, b, c, d, bound);
        if (det > bound) return 1;
        if (det < -bound) return -1;
        return CGAL::side_of_oriented_circle(p, q, r, t);
    }

    bool inside(const Support& s, int t) const {
        const Point2& q = points_[t];
        switch (s.count) {
        case 1:
            return q == points_[s.point[0]];
        case 2:
            return indiametral(points_[s.point[0]], points_[s.point[1]], q);
        default:
            return incircle(points_[s.point[0]], points_[s.point[1]], points_[s.point[2]], q) *
                       s.turn >=
                   0;
        }
    }

    // The circle through three points; three on one line (which exact
    // predicates never ask for) fall back to their farthest pair.
    Support three(int a, int b, int c) const {
        const CGAL::Orientation turn = CGAL::orientation(points_[a], points_[b], points_[c]);
        if (turn != CGAL::COLLINEAR) return {3, {a, b, c}, turn};
        const auto far = [&](int i, int k) {
            return CGAL::squared_distance(points_[i], points_[k]);
        };
        if (far(a, b) >= far(a, c) && far(a, b) >= far(b, c))
            return {2, {a, b, -1}, CGAL::COLLINEAR};
        return far(a, c) >= far(b, c) ? Support{2, {a, c, -1}, CGAL::COLLINEAR}
                                      : Support{2, {b, c, -1}, CGAL::COLLINEAR};
    }

    std::vector<Point2> points_;
};

// Centre of the circle through the support points, computed relative to the
// first of them.
std::array<double, 2> centre(const std::vector<Point>& p, const Support& s) {
    const Point& a = p[s.point[0]];
    if (s.count == 1) return {a[0], a[1]};
    const Point& b = p[s.point[1]];
    if (s.count == 2) return {a[0] + (b[0] - a[0]) / 2, a[1] + (b[1] - a[1]) / 2};
    const Point& c = p[s.point[2]];
    const double bx = b[0] - a[0], by = b[1] - a[1], cx = c[0] - a[0], cy = c[1] - a[1];
    const double d = 2 * (bx * cy - by * cx);
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    return {a[0] + (cy * b2 - by * c2) / d, a[1] + (bx * c2 - cx * b2) / d};
}

ExtremeCircle enclosingcircleunit(const std::vector<Point>& p) {
    ExtremeCircle out;
    if (p.size() < 2) return out;
    const Support s = Welzl(p).run();
    const auto [x, y] = centre(p, s);
    double far = 0;
    double near = std::numeric_limits<double>::infinity();
    for (const Point& q : p) {
        const double d = std::hypot(q[0] - x, q[1] - y);
        far = std::max(far, d);
        near = std::min(near, d);
    }
    out.x = x;
    out.y = y;
    out.r = far;
    out.found = std::isfinite(x) && std::isfinite(y) && std::isfinite(far) && far > 0;
    if (!out.found) return out;

    for (int k = 0; k < s.count; ++k) out.support.push_back(s.point[k]);
    std::sort(out.support.begin(), out.support.end());
    Certificate& c = out.certificate;
    c.upper = far;
    const double scale = std::max({far, std::fabs(x), std::fabs(y)});
    const Point& a = p[s.point[0]];
    const Point& b = p[s.point[1]];
    if (s.count == 2) {
        // No circle holds two points less than half their distance apart.
        c.lower = std::hypot(b[0] - a[0], b[1] - a[1]) / 2;
    } else {
        // Nor three points of a triangle without an obtuse angle in less than
        // its circumcircle.
        const Point2 pa(a[0], a[1]), pb(b[0], b[1]), pc(p[s.point[2]][0], p[s.point[2]][1]);
        if (CGAL::angle(pb, pa, pc) == CGAL::OBTUSE || CGAL::angle(pa, pb, pc) == CGAL::OBTUSE ||
            CGAL::angle(pa, pc, pb) == CGAL::OBTUSE) {
            c.why = "the points on the circle do not surround its centre";
            return out;
        }
        c.lower = far;
        for (int k = 0; k < 3; ++k) {
            const Point& q = p[s.point[k]];
            c.lower = std::min(c.lower, std::hypot(q[0] - x, q[1] - y));
        }
    }
    judge(c, far - near, scale,
          "the bounds on the radius differ by more than 1e-9 of the form error");
    return out;
}

} // namespace

ExtremeCircle enclosingcircle(const std::vector<Point>& p) {
    return atunitsize(p, enclosingcircleunit);
}

} // namespace formeval::pointset
