// The pointset library's own kernels, shared by its references (and by any
// feature built on them, such as the cylinder): points in a working frame, the
// moments and their eigenvectors, a dual simplex over implicit constraints, the
// sharpness of a minimax optimum, and a branch and bound over boxes.
//
// Working coordinates: q = (p - origin) * scale with scale a power of two that
// brings the points to unit size, so that no square underflows or overflows.
#pragma once

#include "pointset/pointset.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <queue>
#include <string>
#include <vector>

namespace formeval::pointset::kernel {

using Vec = std::array<double, 3>;
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double eps = std::numeric_limits<double>::epsilon();

inline double dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec sub(const Vec& a, const Vec& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec add(const Vec& a, const Vec& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec mul(double s, const Vec& a) {
    return {s * a[0], s * a[1], s * a[2]};
}
inline double norm(const Vec& a) {
    return std::sqrt(dot(a, a));
}
inline Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The points in working coordinates (z = 0 for points of the plane).
struct View {
    const double* data = nullptr;
    std::size_t n = 0;
    int dim = 2;
    std::size_t stride = 2;
    Vec origin = {0, 0, 0};
    double scale = 1; // working unit per coordinate unit, a power of two

    Vec operator[](std::size_t i) const {
        const double* p = data + i * stride;
        return {(p[0] - origin[0]) * scale, (p[1] - origin[1]) * scale,
                dim == 3 ? (p[2] - origin[2]) * scale : 0.0};
    }
    Vec touser(const Vec& q) const {
        return {origin[0] + q[0] / scale, origin[1] + q[1] / scale,
                dim == 3 ? origin[2] + q[2] / scale : std::numeric_limits<double>::quiet_NaN()};
    }
};

// Centroid, covariance (divided by n) and its eigenvalues (ascending) with
// unit eigenvectors, in working coordinates; the view's origin is the
// centroid. largest: the largest magnitude of a coordinate (coordinate unit).
struct Moments {
    View view;
    std::array<double, 3> values = {0, 0, 0};
    std::array<Vec, 3> vectors = {};
    double largest = 0;
    std::string failure; // a coordinate that is not finite or too large
};
Moments moments(const Points& points);

// A result in working coordinates, before it is measured against the points.
struct Found {
    bool found = false;
    std::string failure;
    Vec point = {0, 0, 0};
    Vec direction = {0, 0, 0};
    double radius = 0;
    Certificate certificate; // in working units
};

// Least squares (lsfit.cpp). Line and plane through the centroid along the
// moments' eigenvectors; circle and sphere by Gauss-Newton on the orthogonal
// distances from the algebraic fit.
Found lslinear(const Moments& m);
Found lsradial(const Moments& m);

// Minimum zone (mzlinear.cpp, mzradial.cpp) and the extreme circles and
// spheres (pkradial.cpp, varadial.cpp).
Found mzlinear(const Moments& m, const Options& options);
Found mzradial(const Moments& m, const Options& options);
Found pkradial(const Moments& m, const Options& options);
Found varadial(const Moments& m, const Options& options);

// Solves the k x k system a x = b (row-major, partial pivoting); false when
// it is singular.
bool solve(int k, double* a, double* b);

// Dual simplex: minimise e.y over y in R^k (k <= 6) subject to c_i.y <= b_i
// for constraints given by the source, from a basis of k constraints whose
// multipliers mu (e + sum mu_j c_j = 0) are not negative. Source:
//   int k;
//   void row(long id, double* c, double& b) const;
//   long worst(const double* y, double& excess) const; // most violated, -1 none
// Ends when no constraint is violated by more than `slack`.
constexpr int mostk = 6;
struct Simplex {
    bool ok = false;
    std::array<double, mostk> y = {};
    std::array<long, mostk> basis = {};
    std::array<double, mostk> mu = {};
    int iterations = 0;
};

template <class Source>
Simplex dualsimplex(const Source& s, const double* e, std::array<long, mostk> basis, double slack,
                    int mostiterations) {
    const int k = s.k;
    Simplex out;
    std::array<double, mostk * mostk> C{};
    std::array<double, mostk> b{};
    for (out.iterations = 0; out.iterations < mostiterations; ++out.iterations) {
        std::array<double, mostk * mostk> T{};
        for (int j = 0; j < k; ++j) {
            s.row(basis[j], &C[j * k], b[j]);
            for (int l = 0; l < k; ++l) T[l * k + j] = C[j * k + l];
        }
        // y from C y = b, mu from C^T mu = -e.
        std::array<double, mostk* mostk> A = C;
        std::array<double, mostk> y = b;
        if (!solve(k, A.data(), y.data())) return out;
        std::array<double, mostk> mu{};
        for (int j = 0; j < k; ++j) mu[j] = -e[j];
        A = T;
        if (!solve(k, A.data(), mu.data())) return out;
        out.y = y;
        out.basis = basis;
        out.mu = mu;
        double excess = 0;
        const long q = s.worst(y.data(), excess);
        if (q < 0 || !(excess > slack)) {
            out.ok = true;
            return out;
        }
        // c_q = C^T alpha; the leaving row keeps every multiplier positive.
        std::array<double, mostk> alpha{};
        double bq = 0;
        s.row(q, alpha.data(), bq);
        A = T;
        if (!solve(k, A.data(), alpha.data())) return out;
        int leave = -1;
        double ratio = inf;
        for (int j = 0; j < k; ++j)
            if (alpha[j] > 1e-13 && std::max(mu[j], 0.0) / alpha[j] < ratio) {
                ratio = std::max(mu[j], 0.0) / alpha[j];
                leave = j;
            }
        if (leave < 0) return out;
        basis[leave] = q;
    }
    return out;
}

// The dual simplex on a working set of constraints (`set`, grown in place):
// solved on the set, then every constraint is checked in one pass and the
// most violated few join the set, until none is violated. A source for it
// also has
//   long size() const;                               // constraints: ids 0 .. size - 1
//   template <class F> void each(const double* y, F f) const; // f(id, excess) for every
//                                                    // constraint that may be the worst
template <class Source> struct Restricted {
    const Source& s;
    int k;
    std::vector<long> ids;
    std::vector<double> rows; // per member: c (k numbers), then b
    Restricted(const Source& source, const std::vector<long>& set)
        : s(source), k(source.k), ids(set), rows(set.size() * (source.k + 1)) {
        for (std::size_t j = 0; j < ids.size(); ++j) {
            double* r = &rows[j * (k + 1)];
            s.row(ids[j], r, r[k]);
        }
    }
    void row(long id, double* c, double& b) const { s.row(id, c, b); }
    long worst(const double* y, double& excess) const {
        long best = -1;
        excess = -inf;
        for (std::size_t j = 0; j < ids.size(); ++j) {
            const double* r = &rows[j * (k + 1)];
            double e = -r[k];
            for (int l = 0; l < k; ++l) e += r[l] * y[l];
            if (e > excess) excess = e, best = ids[j];
        }
        return best;
    }
};

// Sources of up to this many constraints are solved whole (the dual simplex
// over all of them), larger ones on a working set.
constexpr long wholeset = 8192;

template <class Source>
Simplex dualsimplexset(const Source& s, const double* e, std::array<long, mostk> basis,
                       double slack, int mostiterations, std::vector<long>& set) {
    if (s.size() <= wholeset) return dualsimplex(s, e, basis, slack, mostiterations);
    for (int j = 0; j < s.k; ++j) set.push_back(basis[j]);
    Simplex out;
    for (int round = 0; round < 200; ++round) {
        std::sort(set.begin(), set.end());
        set.erase(std::unique(set.begin(), set.end()), set.end());
        const Restricted<Source> r(s, set);
        out = dualsimplex(r, e, basis, slack, mostiterations);
        if (!out.ok) return out;
        basis = out.basis;
        // The most violated constraints of all, at most `batch` of them.
        constexpr std::size_t batch = 64;
        std::vector<std::pair<double, long>> worst;
        s.each(out.y.data(), [&](long id, double excess) {
            if (!(excess > slack)) return;
            if (worst.size() < batch) {
                worst.emplace_back(excess, id);
                std::push_heap(worst.begin(), worst.end(), std::greater<>());
            } else if (excess > worst.front().first) {
                std::pop_heap(worst.begin(), worst.end(), std::greater<>());
                worst.back() = {excess, id};
                std::push_heap(worst.begin(), worst.end(), std::greater<>());
            }
        });
        if (worst.empty()) return out;
        for (const auto& [excess, id] : worst) set.push_back(id);
    }
    out.ok = false;
    return out;
}

// The algebraic circle or sphere's centre (the least-squares solution of
// 2 c.q + k = |q|^2); false when it is singular.
bool algebraic(const View& w, Vec& c);

// Distances of the points from c: largest and smallest, and which points.
struct Spread {
    double top = -inf;
    double bottom = inf;
    std::size_t far = 0;
    std::size_t near = 0;
    double zone() const { return top - bottom; }
};
Spread spread(const View& w, const Vec& c);
Spread spread(const View& w, const std::vector<std::size_t>& subset, const Vec& c);

// A first dual-feasible basis of a Chebyshev fit of m parameters (rows
// a(i), observations f(i); constraint 2i: f - a.x <= h, 2i + 1: a.x - f <= h):
// m + 1 of the candidate points whose rows' null vector has no zero entry,
// signed by it.
template <class Rows>
bool startbasis(const Rows& rows, int m, const std::vector<std::size_t>& candidates,
                std::array<long, mostk>& basis) {
    const int c = static_cast<int>(candidates.size());
    std::array<int, mostk> set{};
    const auto tryset = [&]() {
        double M[25], nu[6], a[6] = {}, f = 0;
        for (int j = 0; j < m; ++j) {
            rows(candidates[set[j]], a, f);
            for (int r = 0; r < m; ++r) M[r * m + j] = a[r];
        }
        rows(candidates[set[m]], a, f);
        for (int r = 0; r < m; ++r) nu[r] = -a[r];
        if (!solve(m, M, nu)) return false;
        nu[m] = 1;
        for (int j = 0; j <= m; ++j) {
            if (!(std::fabs(nu[j]) > 1e-12)) return false;
            basis[j] = 2 * static_cast<long>(candidates[set[j]]) + (nu[j] < 0);
        }
        return true;
    };
    // Subsets in lexicographic order.
    for (int j = 0; j <= m; ++j) set[j] = j;
    while (set[0] <= c - m - 1) {
        if (set[m] < c && tryset()) return true;
        int j = m;
        while (j >= 0 && set[j] >= c - (m - j) - 1) --j;
        if (j < 0) break;
        ++set[j];
        for (int l = j + 1; l <= m; ++l) set[l] = set[l - 1] + 1;
    }
    return false;
}

// The k points of largest and of smallest value met, kept in two heaps.
struct Extremes {
    std::size_t k;
    std::vector<std::pair<double, std::size_t>> high, low; // min-heap, max-heap
    void take(double v, std::size_t i) {
        if (high.size() < k || v > high.front().first) {
            if (high.size() == k)
                std::pop_heap(high.begin(), high.end(), std::greater<>()), high.pop_back();
            high.emplace_back(v, i);
            std::push_heap(high.begin(), high.end(), std::greater<>());
        }
        if (low.size() < k || v < low.front().first) {
            if (low.size() == k) std::pop_heap(low.begin(), low.end()), low.pop_back();
            low.emplace_back(v, i);
            std::push_heap(low.begin(), low.end());
        }
    }
    // Working-set ids of a Chebyshev fit: 2i above the zone, 2i + 1 below.
    std::vector<long> ids() const {
        std::vector<long> out;
        for (const auto& e : high) out.push_back(2 * static_cast<long>(e.second));
        for (const auto& e : low) out.push_back(2 * static_cast<long>(e.second) + 1);
        return out;
    }
};

// The most violated constraint of a source that visits all of them (each).
template <class Source> long worstof(const Source& s, const double* y, double& excess) {
    long best = -1;
    excess = -inf;
    s.each(y, [&](long id, double e) {
        if (e > excess) excess = e, best = id;
    });
    return best;
}

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

// The Chebyshev fit of rows as a linear program in y = (x, h), for rows whose
// first column is all ones (a zone of constant width). Up to `cached` points
// have their rows computed once and kept (m numbers a point: the other
// columns and the observation); more are computed afresh on every pass, which
// keeps memory and its traffic down.
constexpr std::size_t cached = std::size_t(1) << 21;

template <class Rows> struct Chebyshev {
    const Rows& rows;
    std::size_t n;
    int m;
    int k = m + 1;
    std::vector<double> cache;

    Chebyshev(const Rows& r, std::size_t count, int parameters)
        : rows(r), n(count), m(parameters), cache(count <= cached ? count * parameters : 0) {
        double a[6] = {};
        for (std::size_t i = 0; i < n && !cache.empty(); ++i) {
            double* c = &cache[i * m];
            rows(i, a, c[m - 1]);
            for (int j = 1; j < m; ++j) c[j - 1] = a[j];
        }
    }
    double observation(std::size_t i) const {
        if (!cache.empty()) return cache[i * m + m - 1];
        double a[6], f;
        rows(i, a, f);
        return f;
    }
    void at(std::size_t i, double* a, double& f) const {
        if (cache.empty()) return rows(i, a, f);
        const double* c = &cache[i * m];
        a[0] = 1;
        for (int j = 1; j < m; ++j) a[j] = c[j - 1];
        f = c[m - 1];
    }
    void row(long id, double* c, double& b) const {
        double a[6] = {}, f = 0;
        at(static_cast<std::size_t>(id / 2), a, f);
        const double s = id % 2 == 0 ? 1 : -1;
        for (int j = 0; j < m; ++j) c[j] = -s * a[j];
        c[m] = -1;
        b = -s * f;
    }
    long size() const { return 2 * static_cast<long>(n); }
    template <class F> void each(const double* y, F f) const {
        if (cache.empty()) {
            for (std::size_t i = 0; i < n; ++i) {
                double a[6] = {}, o = 0;
                rows(i, a, o);
                double r = o;
                for (int j = 0; j < m; ++j) r -= a[j] * y[j];
                f(2 * static_cast<long>(i) + (r < 0), std::fabs(r) - y[m]);
            }
            return;
        }
        const double* c = cache.data();
        for (std::size_t i = 0; i < n; ++i, c += m) {
            double r = c[m - 1] - y[0];
            for (int j = 1; j < m; ++j) r -= c[j - 1] * y[j];
            f(2 * static_cast<long>(i) + (r < 0), std::fabs(r) - y[m]);
        }
    }
    long worst(const double* y, double& excess) const { return worstof(*this, y, excess); }
};

// The convex hull of the points as half-spaces n.q <= b (unit outward n, in
// working coordinates), built on exact orientation predicates (hull.cpp).
// Empty when the points span no polygon (polyhedron).
struct Facet {
    Vec n;
    double b;
};
std::vector<Facet> hull(const View& w);

// min over unit directions d (of `dim` = 2 or 3 coordinates) in the cone
// n.d <= 0 for every n of `cone`, of max over w of w.d: how fast the minimax of
// functions with gradient differences w at least grows along any feasible
// direction (positive: a sharp minimum). -inf when there is no w.
double sharpness(const std::vector<Vec>& w, const std::vector<Vec>& cone, int dim);

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
