// Exact predicates and global search: the in-circle test with its error
// bound, the convex hull, the sharpness of a minimax optimum and a branch and
// bound over cubes.
#pragma once

#include "pointset/frame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <queue>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

// The in-circle determinant of q against the circle through a, b, c in the
// plane (positive inside when a, b, c turn counterclockwise), and its
// floating-point error bound (Shewchuk's, rounded up): its sign is certain
// when |det| > bound.
inline double incircle(const double* a, const double* b, const double* c, const double* q,
                       double& bound) {
    const double ax = a[0] - q[0], ay = a[1] - q[1], bx = b[0] - q[0], by = b[1] - q[1];
    const double cx = c[0] - q[0], cy = c[1] - q[1];
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double permanent = a2 * (std::fabs(bx * cy) + std::fabs(by * cx)) +
                             b2 * (std::fabs(cx * ay) + std::fabs(cy * ax)) +
                             c2 * (std::fabs(ax * by) + std::fabs(ay * bx));
    bound = 11 * eps * permanent;
    return a2 * (bx * cy - by * cx) + b2 * (cx * ay - cy * ax) + c2 * (ax * by - ay * bx);
}

// The circle through three points of the plane (or on two as diameter) in
// floating point: the centre o, the squared radius r2, and the margin beyond
// which |q - o|^2 - r2 has the sign of the exact in-circle test's value.
struct FloatCircle {
    double o[2] = {};
    double r2 = 0;
    double margin = 0;
};

// The circle of a, b and c (c null: on the diameter ab) where it is well
// conditioned (its centre's error under 1e-6 of the radius); false, and no
// circle, elsewhere. With o* the true centre and e = o - o*, the exact
// value |q - o*|^2 - r*^2 is |q - o|^2 - r2 + 2 e.(q - a) for three points
// (r2 measured to a, from which o* is as far as from b and c), and
// |q - o|^2 + 2 e.(q - o) + |e|^2 - r*^2 for two (o the rounded midpoint).
// For three points 2 (b - a).e = |a - o|^2 - |b - o|^2 and likewise for c,
// so |e| <= |M^-1| |residuals| with M = 2 (b - a; c - a) and |M^-1| <=
// |M|_F / |det M|. Where |q - o| <= 2R, |q - a| <= 3R; the squares' rounding
// is well within 64 eps r2. The bounds are taken through squares (and the
// residuals' norm through its two terms' sum), one square root in all: the
// circle is made afresh at every step of the circumscribed circle's search.
inline bool floatcircle(const double* a, const double* b, const double* c, FloatCircle& f) {
    const double bx = b[0] - a[0], by = b[1] - a[1];
    const double b2 = bx * bx + by * by;
    double shift2 = 0, shiftR = 0; // the centre's error bound squared, and times R
    if (!c) {
        f.o[0] = (a[0] + b[0]) / 2;
        f.o[1] = (a[1] + b[1]) / 2;
        f.r2 = b2 / 4;
        const double shift = 2 * eps * (std::fabs(f.o[0]) + std::fabs(f.o[1])) * (1 + 1e-9);
        shift2 = shift * shift;
        shiftR = shift * (std::fabs(bx) + std::fabs(by)) / 2; // R <= (|bx| + |by|) / 2
    } else {
        const double cx = c[0] - a[0], cy = c[1] - a[1];
        const double turn = bx * cy - by * cx;
        const double turnbound = 8 * eps * (std::fabs(bx * cy) + std::fabs(by * cx));
        if (!(std::fabs(turn) > 100 * turnbound)) return false;
        const double c2 = cx * cx + cy * cy;
        const double half = 1 / (2 * turn);
        f.o[0] = a[0] + (cy * b2 - by * c2) * half;
        f.o[1] = a[1] + (bx * c2 - cx * b2) * half;
        const auto squared = [&](const double* p) {
            const double dx = p[0] - f.o[0], dy = p[1] - f.o[1];
            return dx * dx + dy * dy;
        };
        const double ra = squared(a), rb = squared(b), rc = squared(c);
        const double residual =
            std::fabs(ra - rb) + std::fabs(ra - rc) + 16 * eps * std::max({ra, rb, rc});
        // |M|_F / |det M| with det M = 4 turn, its rounding (under 1 %)
        // allowed for, and that of these products.
        const double k = 0.51 * residual / std::fabs(turn) * (1 + 1e-9);
        shift2 = k * k * (b2 + c2);
        shiftR = k * std::sqrt((b2 + c2) * ra);
        f.r2 = ra;
    }
    if (!(shift2 <= 1e-12 * f.r2) || !std::isfinite(f.r2)) return false;
    f.margin = (6 * shiftR + shift2 + 64 * eps * f.r2) * (1 + 1e-9);
    return true;
}

// Where q lies against the circle f: 1 inside, -1 outside, 0 too near its
// edge for floating point to tell. Beyond twice the radius q is outside,
// since the centre errs by under 1e-6 of it.
inline int circleside(const FloatCircle& f, const double* q) {
    const double dx = q[0] - f.o[0], dy = q[1] - f.o[1];
    const double d2 = dx * dx + dy * dy;
    if (d2 > 4 * f.r2) return -1;
    const double x = d2 - f.r2;
    return x < -f.margin ? 1 : x > f.margin ? -1 : 0;
}

// The first of the points data + list[k] * stride, k in [from, end), that
// circleside does not place inside (end where it places them all): the scan
// of the circumscribed circle's search, two points a step where SSE2 is, each
// lane doing the scalar test's operations.
inline std::size_t firstnotinside(const FloatCircle& f, const double* data, std::size_t stride,
                                  const std::size_t* list, std::size_t from, std::size_t end) {
    std::size_t i = from;
#if defined(__SSE2__)
    // Inside is |q - o|^2 - r2 < -margin (beyond 4 r2 that fails too).
    const __m128d ox = _mm_set1_pd(f.o[0]), oy = _mm_set1_pd(f.o[1]);
    const __m128d r2 = _mm_set1_pd(f.r2), low = _mm_set1_pd(-f.margin);
    for (; i + 2 <= end; i += 2) {
        const __m128d p = _mm_loadu_pd(data + list[i] * stride);
        const __m128d q = _mm_loadu_pd(data + list[i + 1] * stride);
        const __m128d dx = _mm_sub_pd(_mm_unpacklo_pd(p, q), ox);
        const __m128d dy = _mm_sub_pd(_mm_unpackhi_pd(p, q), oy);
        const __m128d x = _mm_sub_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), r2);
        const int inside = _mm_movemask_pd(_mm_cmplt_pd(x, low));
        if (inside != 3) return i + (inside & 1);
    }
#endif
    for (; i < end; ++i)
        if (circleside(f, data + list[i] * stride) <= 0) return i;
    return end;
}

// The convex hull of the points as half-spaces n.q <= b (unit outward n, in
// working coordinates), built on exact orientation predicates (hull.cpp).
// Empty when the points span no polygon (polyhedron).
struct Facet {
    Vec n;
    double b;
};
std::vector<Facet> hull(const View& w);

// The least width of points in space and its unit normal, from their hull:
// the narrowest pair of parallel planes holding a polyhedron touches it face
// to vertex or edge to edge, so the least width along the hull's face normals
// and the normals of its pairs of edges is the minimum zone (to the rounding
// of those normals). False when the hull has more than `mostedges` edges or
// spans no polyhedron (hull.cpp; always false without CGAL).
bool hullwidth(const View& w, std::size_t mostedges, Vec& normal, double& width);

// Whether `centre` (coordinates as the points', z ignored in the plane) lies
// strictly inside the hull of the view's points as they are given (its data,
// not the working frame), which are finite and at least dim + 1. With CGAL by
// exact orientation predicates (hull.cpp); without, true only where points
// lie strictly in every orthant about the centre of the coordinate axes or
// of the points' principal axes, beyond rounding (noexact.cpp).
bool surrounds(const View& w, const Point& centre);

// min over unit directions d (of `dim` = 2 or 3 coordinates) in the cone
// n.d <= 0 for every n of `cone`, of max over w of w.d: how fast the minimax of
// functions with gradient differences w at least grows along any feasible
// direction (positive: a sharp minimum). -inf when there is no w.
double sharpness(const std::vector<Vec>& w, const std::vector<Vec>& cone, int dim);

// The same in N dimensions over the first `most` vectors: with the origin
// inside their hull, its distance from the nearest facet (the hyperplane of
// some N of them with all of them on one side); 0 or less where it is not
// inside. normal(d) gives a vector normal to the N - 1 rows of d.
template <std::size_t N, class Normal>
double hulldepth(const std::vector<std::array<double, N>>& w, std::size_t most, Normal normal) {
    using V = std::array<double, N>;
    const auto dot = [](const V& a, const V& b) {
        double s = 0;
        for (std::size_t k = 0; k < N; ++k) s += a[k] * b[k];
        return s;
    };
    const std::size_t n = std::min(w.size(), most);
    double size = 0;
    for (std::size_t i = 0; i < n; ++i) size = std::max(size, std::sqrt(dot(w[i], w[i])));
    if (!(size > 0) || n < N) return 0;
    double degenerate = 1e-12; // of size^(N - 1), the normal's length
    for (std::size_t k = 1; k < N; ++k) degenerate *= size;
    double depth = inf;
    bool facet = false;
    std::array<std::size_t, N> ix;
    for (std::size_t k = 0; k < N; ++k) ix[k] = k;
    for (;;) {
        std::array<V, N - 1> d;
        for (std::size_t r = 0; r + 1 < N; ++r)
            for (std::size_t c = 0; c < N; ++c) d[r][c] = w[ix[r + 1]][c] - w[ix[0]][c];
        V m = normal(d);
        const double length = std::sqrt(dot(m, m));
        if (length > degenerate) {
            for (double& x : m) x /= length;
            const double offset = dot(m, w[ix[0]]);
            bool above = false, below = false;
            for (std::size_t t = 0; t < n && !(above && below); ++t) {
                const double side = dot(m, w[t]) - offset;
                above = above || side > 1e-12 * size;
                below = below || side < -1e-12 * size;
            }
            if (!(above && below)) {
                facet = true;
                depth = std::min(depth, above ? -offset : offset);
            }
        }
        // The next N of the n in increasing order.
        std::size_t k = N;
        while (k > 0 && ix[k - 1] == n - N + k - 1) --k;
        if (k == 0) break;
        ++ix[k - 1];
        for (std::size_t j = k; j < N; ++j) ix[j] = ix[j - 1] + 1;
    }
    return facet ? depth : 0;
}

// The neighbourhood of a local optimum of a minimax of distances, within which it
// is proven the best: where the distances' unit gradients u_j at the optimum
// have sharpness sigma (least max_j u_j.e over directions e), a move of s
// changes each distance d_j by at least sigma s less s^2 / (2 (d - s)), d
// the nearest, which leaves it the best within 2 sigma d / (1 + 2 sigma),
// less a part in 1e9 for rounding; 0 where sigma is not positive.
struct Neighbourhood {
    Vec c;
    double radius;
};
inline double ballradius(double sigma, double d) {
    return sigma > 0 ? 2 * sigma * d / (1 + 2 * sigma) * (1 - 1e-9) : 0;
}

// Branch and bound over cubes: proves that an objective is at least
// `threshold` on a cube, except where the problem says it is covered.
// Problem:
//   double bound(const Vec& mid, double half); // lower bound on the cube; inf: excluded
//   bool settle(const Vec& mid, double half);  // a cube not excluded: may improve the
//                                              // incumbent (lowering threshold()) or
//                                              // strengthen later bounds; true if it did either
//   double threshold() const;
// Returns the least lower bound over the cubes left when the budget ran out
// (inf when every cube was excluded).
struct Cube {
    Vec mid;
    double half;
    double bound;
    bool operator<(const Cube& o) const { return bound > o.bound; } // least bound first
};

// Best-first over squares of centres in the plane (z = 0): the least bound
// of the squares left, or `target` when every square reaches it. It stops
// soon (32 squares) after the problem's `bestvalue` falls below the target
// (the squares left still bound the rest from below), or after `budget`.
// Problem: double bound(const Vec& mid, double half); double bestvalue.
template <class Problem>
double centresearch(Problem& pb, const Vec& mid, double half, double target, long budget) {
    constexpr long after = 32;
    std::priority_queue<Cube> open;
    open.push({mid, half, -inf});
    long used = 0, beaten = -1;
    while (!open.empty()) {
        Cube c = open.top();
        if (c.bound >= target) return target;
        open.pop();
        c.bound = std::max(c.bound, pb.bound(c.mid, c.half));
        if (c.bound >= target) continue;
        if (beaten < 0 && pb.bestvalue < target) beaten = used;
        if (++used > budget || (beaten >= 0 && used > beaten + after) || !(c.half > 1e-300)) {
            open.push(c);
            return open.top().bound;
        }
        const double h = c.half / 2;
        for (int corner = 0; corner < 4; ++corner)
            open.push({{c.mid[0] + (corner & 1 ? h : -h), c.mid[1] + (corner & 2 ? h : -h), 0},
                       h,
                       c.bound});
    }
    return target;
}

// Best-first over cells of axis directions, the rotation vectors of the
// square [-pi/2, pi/2]^2 about an axis found (with their opposites, every
// axis): the least bound of the cells left when the budget of cells, or of
// the work it allows (2000 of the problem's `work` a cell), runs out; inf when
// every cell is excluded or the problem begins again (`restart`).
// Problem: bound(mid, half), settle(mid, half) (as for branchbound),
// threshold(), long work, bool restart.
template <class Problem> double directionsearch(Problem& s, long budget, long& used) {
    constexpr long percell = 2000;
    constexpr long largest = std::numeric_limits<long>::max();
    const long most = budget > largest / percell ? largest : percell * budget;
    std::priority_queue<Cube> open;
    open.push({{0, 0, 0}, std::acos(-1.0) / 2, -inf});
    while (!open.empty()) {
        Cube c = open.top();
        if (c.bound >= s.threshold()) return inf;
        open.pop();
        c.bound = std::max(c.bound, s.bound(c.mid, c.half));
        if (c.bound >= s.threshold()) continue;
        if (++used > budget || s.work > most || !(c.half > 1e-300)) {
            open.push(c);
            return open.top().bound;
        }
        if (s.settle(c.mid, c.half)) {
            if (s.restart) return inf;
            c.bound = std::max(c.bound, s.bound(c.mid, c.half));
            if (c.bound >= s.threshold()) continue;
        }
        const double h = c.half / 2;
        for (int corner = 0; corner < 4; ++corner)
            open.push({{c.mid[0] + (corner & 1 ? h : -h), c.mid[1] + (corner & 2 ? h : -h), 0},
                       h,
                       c.bound});
    }
    return inf;
}

template <class Problem>
double branchbound(Problem& pb, const Vec& mid, double half, int dim, long budget, long& used) {
    std::priority_queue<Cube> open;
    open.push({mid, half, -inf});
    while (!open.empty()) {
        Cube c = open.top();
        if (c.bound >= pb.threshold()) return inf;
        open.pop();
        c.bound = pb.bound(c.mid, c.half);
        if (c.bound >= pb.threshold()) continue;
        if (++used > budget) {
            open.push(c);
            return open.top().bound;
        }
        if (pb.settle(c.mid, c.half)) {
            c.bound = pb.bound(c.mid, c.half);
            if (c.bound >= pb.threshold()) continue;
        }
        const double h = c.half / 2;
        if (!(h > 0) || h < 1e-300) return c.bound; // no smaller cube to search
        for (int corner = 0; corner < (1 << dim); ++corner) {
            Vec m = c.mid;
            for (int k = 0; k < dim; ++k) m[k] += (corner >> k & 1) ? h : -h;
            open.push({m, h, c.bound});
        }
    }
    return inf;
}

} // namespace formeval::pointset::kernel
