// The circles and spheres a staged result is judged by: about the centroid
// and about the least-squares centre, the zone of two concentric circles
// (spheres) holding every point, the smallest circle holding them all and the
// largest with none inside. Each is a feasible answer of its criterion, so a
// minimum zone, peak or valley result that does worse is not what it claims
// to be. The least-squares centre is found here quietly, on the points moved
// to their centroid and scaled by their extent: an algebraic fit first, then
// Gauss-Newton steps on the distances.
#include "form/form.h"
#include "linalg/linalg.h"

#include <algorithm>
#include <cmath>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval {

namespace {

constexpr int maxsteps = 50;

// The points of dim coordinates moved to their centroid and divided by their
// extent into q; returns the centroid in centre and the extent (0 when every
// point is the same).
double normalised(const double* const* c, int dim, int numpt, double (*q)[nsz], double* centre) {
    double extent = 0;
    for (int d = 0; d < dim; ++d) {
        double s = 0;
        for (int i = 0; i < numpt; ++i) s += c[d][i];
        centre[d] = s / numpt;
        for (int i = 0; i < numpt; ++i) {
            q[d][i] = c[d][i] - centre[d];
            extent = std::max(extent, std::fabs(q[d][i]));
        }
    }
    if (!(extent > 0) || !std::isfinite(extent)) return 0;
    for (int d = 0; d < dim; ++d)
        for (int i = 0; i < numpt; ++i) q[d][i] /= extent;
    return extent;
}

// Least squares of the rows (row(i), rhs(i)) of D + 1 unknowns into x; the
// normal matrix's upper triangle summed and mirrored.
template <int D, class Row> bool lsq(int numpt, Row row, double* x) {
    constexpr int n = D + 1;
    Row7 g[6] = {};
    double r[5];
    for (int i = 0; i < numpt; ++i) {
        const double rhs = row(i, r);
        for (int j = 0; j < n; ++j) {
            for (int k = j; k < n; ++k) g[j][k] += r[j] * r[k];
            g[j][n] += r[j] * rhs;
        }
    }
    for (int j = 0; j < n; ++j)
        for (int k = 0; k < j; ++k) g[j][k] = g[k][j];
    return solvequietly(g, n, x);
}

// The Gauss-Newton step from centre on the distances of the normalised points
// q of D coordinates: the radius in x[0], the shift in x[1..D].
template <int D>
bool gaussnewton(const double (*q)[nsz], int numpt, const double* centre, double* x) {
    return lsq<D>(
        numpt,
        [&](int i, double* r) {
            double s = 0;
            for (int d = 0; d < D; ++d) s += (q[d][i] - centre[d]) * (q[d][i] - centre[d]);
            const double dist = std::sqrt(s);
            r[0] = 1;
            for (int d = 0; d < D; ++d) r[d + 1] = dist > 0 ? (q[d][i] - centre[d]) / dist : 0;
            return dist;
        },
        x);
}

#if defined(__SSE2__)
// The plane's step with two points' distances and directions at a time (the
// same square roots and quotients), each sum still taking its terms point
// by point: the same bits. The normal matrix's sums go in pairs of lanes:
// (00, 01), (02, 03), (11, 12), (13, 22), (23, 33 unused); column 3 is the
// right-hand side.
template <>
bool gaussnewton<2>(const double (*q)[nsz], int numpt, const double* centre, double* x) {
    const __m128d c0 = _mm_set1_pd(centre[0]);
    const __m128d c1 = _mm_set1_pd(centre[1]);
    const __m128d zero = _mm_setzero_pd();
    __m128d g[5] = {zero, zero, zero, zero, zero};
    const auto add = [&](double u0, double u1, double dist) {
        // The products 1 * 1, 1 * u and 1 * dist, exact as one by one.
        const __m128d a = _mm_set_pd(u0, 1);
        const __m128d b = _mm_set_pd(dist, u1);
        const __m128d v0 = _mm_set1_pd(u0);
        g[0] = _mm_add_pd(g[0], a);
        g[1] = _mm_add_pd(g[1], b);
        g[2] = _mm_add_pd(g[2], _mm_mul_pd(v0, _mm_set_pd(u1, u0)));
        g[3] = _mm_add_pd(g[3], _mm_mul_pd(_mm_set_pd(u1, u0), _mm_set_pd(u1, dist)));
        g[4] = _mm_add_sd(g[4], _mm_mul_sd(_mm_set_sd(u1), _mm_set_sd(dist)));
    };
    int i = 0;
    for (; i + 1 < numpt; i += 2) {
        const __m128d d0 = _mm_sub_pd(_mm_loadu_pd(q[0] + i), c0);
        const __m128d d1 = _mm_sub_pd(_mm_loadu_pd(q[1] + i), c1);
        const __m128d dist = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(d0, d0), _mm_mul_pd(d1, d1)));
        const __m128d off = _mm_cmpgt_pd(dist, zero);
        const __m128d u0 = _mm_and_pd(off, _mm_div_pd(d0, dist));
        const __m128d u1 = _mm_and_pd(off, _mm_div_pd(d1, dist));
        double lanes[3][2];
        _mm_storeu_pd(lanes[0], u0);
        _mm_storeu_pd(lanes[1], u1);
        _mm_storeu_pd(lanes[2], dist);
        add(lanes[0][0], lanes[1][0], lanes[2][0]);
        add(lanes[0][1], lanes[1][1], lanes[2][1]);
    }
    for (; i < numpt; ++i) {
        const double d0 = q[0][i] - centre[0];
        const double d1 = q[1][i] - centre[1];
        const double dist = std::sqrt(d0 * d0 + d1 * d1);
        add(dist > 0 ? d0 / dist : 0, dist > 0 ? d1 / dist : 0, dist);
    }
    double s[10];
    for (int k = 0; k < 5; ++k) _mm_storeu_pd(s + 2 * k, g[k]);
    Row7 a[3] = {};
    a[0][0] = s[0];
    a[0][1] = a[1][0] = s[1];
    a[0][2] = a[2][0] = s[2];
    a[0][3] = s[3];
    a[1][1] = s[4];
    a[1][2] = a[2][1] = s[5];
    a[1][3] = s[6];
    a[2][2] = s[7];
    a[2][3] = s[8];
    return solvequietly(a, 3, x);
}
#endif

// The least-squares centre of the normalised points q of D coordinates, in
// their coordinates.
template <int D> bool lscentre(const double (*q)[nsz], int numpt, double* centre) {
    constexpr int dim = D;
    // The algebraic circle |p|^2 + a.p + b = 0 in the least-squares sense.
    double x[5];
    const bool algebraic = lsq<D>(
        numpt,
        [&](int i, double* r) {
            double s = 0;
            for (int d = 0; d < dim; ++d) {
                r[d] = q[d][i];
                s += q[d][i] * q[d][i];
            }
            r[dim] = 1;
            return -s;
        },
        x);
    if (!algebraic) return false;
    for (int d = 0; d < dim; ++d) centre[d] = -x[d] / 2;
    // Gauss-Newton on the distances: |p_i - c| ~ R + (p_i - c) / |p_i - c| . shift.
    for (int step = 0; step < maxsteps; ++step) {
        if (!gaussnewton<D>(q, numpt, centre, x)) break;
        double shift = 0;
        for (int d = 0; d < dim; ++d) {
            centre[d] += x[d + 1];
            shift = std::max(shift, std::fabs(x[d + 1]));
        }
        if (!(shift > 1e-13)) break;
    }
    for (int d = 0; d < dim; ++d)
        if (!std::isfinite(centre[d])) return false;
    return true;
}

void distances(const double* const* c, int dim, int numpt, const double* centre, double& nearest,
               double& farthest) {
    nearest = std::numeric_limits<double>::infinity();
    farthest = 0;
    int i = 0;
#if defined(__SSE2__)
    // A plane's points two at a time; max and min return their second
    // operand for a NaN distance, which is never taken, as one by one.
    if (dim == 2) {
        const __m128d c0 = _mm_set1_pd(centre[0]);
        const __m128d c1 = _mm_set1_pd(centre[1]);
        __m128d far = _mm_setzero_pd();
        __m128d near = _mm_set1_pd(nearest);
        for (; i + 1 < numpt; i += 2) {
            const __m128d d0 = _mm_sub_pd(_mm_loadu_pd(c[0] + i), c0);
            const __m128d d1 = _mm_sub_pd(_mm_loadu_pd(c[1] + i), c1);
            const __m128d dist = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(d0, d0), _mm_mul_pd(d1, d1)));
            far = _mm_max_pd(dist, far);
            near = _mm_min_pd(dist, near);
        }
        double lanes[2][2];
        _mm_storeu_pd(lanes[0], far);
        _mm_storeu_pd(lanes[1], near);
        farthest = std::max(lanes[0][0], lanes[0][1]);
        nearest = std::min(lanes[1][0], lanes[1][1]);
    }
#endif
    for (; i < numpt; ++i) {
        double s = 0;
        for (int d = 0; d < dim; ++d) s += (c[d][i] - centre[d]) * (c[d][i] - centre[d]);
        const double dist = std::sqrt(s);
        nearest = std::min(nearest, dist);
        farthest = std::max(farthest, dist);
    }
}

} // namespace

Yardsticks yardsticks(const double* const* c, int dim, int numpt, bool inscribed) {
    Yardsticks y;
    double q[3][nsz];
    double centroid[3] = {};
    const double extent = normalised(c, dim, numpt, q, centroid);
    double largest = 0;
    for (int d = 0; d < dim; ++d)
        for (int i = 0; i < numpt; ++i) largest = std::max(largest, std::fabs(c[d][i]));
    y.rounding = roundingunits * std::numeric_limits<double>::epsilon() * largest;
    if (!(extent > 0)) return y;
    double ls[3] = {};
    const bool havels = dim == 3 ? lscentre<3>(q, numpt, ls) : lscentre<2>(q, numpt, ls);
    for (int d = 0; d < dim; ++d) ls[d] = centroid[d] + ls[d] * extent;
    const struct {
        const double* centre;
        const char* name;
        bool there;
    } centres[] = {{ls, "the least-squares centre", havels}, {centroid, "the centroid", true}};
    for (const auto& k : centres) {
        if (!k.there) continue;
        double nearest = 0;
        double farthest = 0;
        distances(c, dim, numpt, k.centre, nearest, farthest);
        if (farthest - nearest < y.zone) {
            y.zone = farthest - nearest;
            y.zonecentre = k.name;
        }
        if (farthest < y.enclosing) {
            y.enclosing = farthest;
            y.enclosingcentre = k.name;
        }
        if (inscribed && nearest > y.inscribed && dim == 2 && surrounds(c, numpt, k.centre)) {
            y.inscribed = nearest;
            y.inscribedcentre = k.name;
        }
    }
    return y;
}

} // namespace formeval
