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
        const bool moved = lsq<D>(
            numpt,
            [&](int i, double* r) {
                double s = 0;
                for (int d = 0; d < dim; ++d) s += (q[d][i] - centre[d]) * (q[d][i] - centre[d]);
                const double dist = std::sqrt(s);
                r[0] = 1;
                for (int d = 0; d < dim; ++d)
                    r[d + 1] = dist > 0 ? (q[d][i] - centre[d]) / dist : 0;
                return dist;
            },
            x);
        if (!moved) break;
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
    for (int i = 0; i < numpt; ++i) {
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
