// The pass over the points that gives a circle or sphere result its form
// error and tells, on the way, whether a yardstick could beat it, so that
// the yardsticks themselves (their own least-squares fit to full precision)
// are found only when one might.
//
// Every point's distance rho_i from the result's centre m is a convex
// function of the centre, with curvature at most 1 / rho. About another
// centre m + t it is therefore at least rho_i - u_i.t (u_i the unit vector
// from m to the point) and at most that plus |t|^2 / (2 (rho_i - |t|)). The
// points farthest from m and those nearest bound, through these, the
// farthest and nearest distances about the centroid (t known) and about the
// least-squares centre, which one Gauss-Newton step from m locates to within
// what the step's contraction allows. Only points within 2 |t| of the
// farthest (nearest) distance can be the farthest (nearest) about m + t.
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

// What the pass gathers: the deviations' extremes (both starting at 0), the
// distances' extremes, the centroid's sums and the normal equations of a
// Gauss-Newton step from m (rows (1, u_i), right-hand side rho_i).
struct Pass {
    double p = 0;
    double q = 0;
    double spread = 0; // the sum of |deviation|
    double far = 0;
    double near = std::numeric_limits<double>::infinity();
    double sum[3] = {};
    double ata[4][4] = {};
    double atb[4] = {};
    bool atcentre = false;
};

// The deviations' extremes, both from 0, and the sum of their sizes.
void extremes(const double* err, int numpt, Pass& s) {
    double p = 0;
    double q = 0;
    double spread = 0;
    for (int i = 0; i < numpt; ++i) {
        if (err[i] > p) p = err[i];
        if (err[i] < q) q = err[i];
        spread += std::fabs(err[i]);
    }
    s.p = p;
    s.q = q;
    s.spread = spread;
}

template <int D>
void gather(const double* const* c, int numpt, const double* centre, double radius, double* err,
            Pass& s) {
    double sum[D] = {};
    double su[D] = {};
    double suu[D][D] = {};
    double srho = 0;
    double surho[D] = {};
    double far = 0;
    double near = std::numeric_limits<double>::infinity();
    for (int i = 0; i < numpt; ++i) {
        double d[D];
        double squares = 0;
        for (int k = 0; k < D; ++k) {
            d[k] = c[k][i] - centre[k];
            squares += d[k] * d[k];
            sum[k] += c[k][i];
        }
        const double rho = std::sqrt(squares);
        err[i] = rho - radius;
        far = std::max(far, rho);
        near = std::min(near, rho);
        const double inverse = 1 / rho;
        for (int k = 0; k < D; ++k) {
            const double u = d[k] * inverse;
            su[k] += u;
            surho[k] += d[k];
            for (int l = k; l < D; ++l) suu[k][l] += u * (d[l] * inverse);
        }
        srho += rho;
    }
    s.far = far;
    s.near = near;
    s.atcentre = !(near > 0);
    s.ata[0][0] = numpt;
    s.atb[0] = srho;
    for (int k = 0; k < D; ++k) {
        s.sum[k] = sum[k];
        s.ata[0][k + 1] = s.ata[k + 1][0] = su[k];
        s.atb[k + 1] = surho[k];
        for (int l = k; l < D; ++l) s.ata[k + 1][l + 1] = s.ata[l + 1][k + 1] = suu[k][l];
    }
    extremes(err, numpt, s);
}

#if defined(__SSE2__)
double sum(__m128d v) {
    return _mm_cvtsd_f64(_mm_add_sd(v, _mm_unpackhi_pd(v, v)));
}

// The pass of a plane's points two at a time: each deviation (the same
// square root and difference) and extreme as one by one; the sums, which
// only bound, taken in two lanes.
template <>
void gather<2>(const double* const* c, int numpt, const double* centre, double radius, double* err,
               Pass& s) {
    const __m128d m0 = _mm_set1_pd(centre[0]);
    const __m128d m1 = _mm_set1_pd(centre[1]);
    const __m128d r = _mm_set1_pd(radius);
    const __m128d one = _mm_set1_pd(1);
    __m128d sum0 = _mm_setzero_pd(), sum1 = sum0, su0 = sum0, su1 = sum0, suu00 = sum0,
            suu01 = sum0, suu11 = sum0, srho = sum0, surho0 = sum0, surho1 = sum0;
    __m128d far = sum0;
    __m128d near = _mm_set1_pd(std::numeric_limits<double>::infinity());
    int i = 0;
    for (; i + 1 < numpt; i += 2) {
        const __m128d x = _mm_loadu_pd(c[0] + i);
        const __m128d y = _mm_loadu_pd(c[1] + i);
        const __m128d d0 = _mm_sub_pd(x, m0);
        const __m128d d1 = _mm_sub_pd(y, m1);
        const __m128d rho = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(d0, d0), _mm_mul_pd(d1, d1)));
        _mm_storeu_pd(err + i, _mm_sub_pd(rho, r));
        // max and min return their second operand for a NaN distance, which
        // is therefore never taken, as one by one.
        far = _mm_max_pd(rho, far);
        near = _mm_min_pd(rho, near);
        const __m128d inverse = _mm_div_pd(one, rho);
        const __m128d u0 = _mm_mul_pd(d0, inverse);
        const __m128d u1 = _mm_mul_pd(d1, inverse);
        sum0 = _mm_add_pd(sum0, x);
        sum1 = _mm_add_pd(sum1, y);
        su0 = _mm_add_pd(su0, u0);
        su1 = _mm_add_pd(su1, u1);
        surho0 = _mm_add_pd(surho0, d0);
        surho1 = _mm_add_pd(surho1, d1);
        suu00 = _mm_add_pd(suu00, _mm_mul_pd(u0, u0));
        suu01 = _mm_add_pd(suu01, _mm_mul_pd(u0, u1));
        suu11 = _mm_add_pd(suu11, _mm_mul_pd(u1, u1));
        srho = _mm_add_pd(srho, rho);
    }
    double lanes[2][2];
    _mm_storeu_pd(lanes[0], far);
    _mm_storeu_pd(lanes[1], near);
    s.far = std::max(lanes[0][0], lanes[0][1]);
    s.near = std::min(lanes[1][0], lanes[1][1]);
    s.sum[0] = sum(sum0);
    s.sum[1] = sum(sum1);
    s.atb[0] = sum(srho);
    s.ata[0][1] = sum(su0);
    s.ata[0][2] = sum(su1);
    s.atb[1] = sum(surho0);
    s.atb[2] = sum(surho1);
    s.ata[1][1] = sum(suu00);
    s.ata[1][2] = sum(suu01);
    s.ata[2][2] = sum(suu11);
    for (; i < numpt; ++i) {
        const double d0 = c[0][i] - centre[0];
        const double d1 = c[1][i] - centre[1];
        const double rho = std::sqrt(d0 * d0 + d1 * d1);
        err[i] = rho - radius;
        s.far = std::max(s.far, rho);
        s.near = std::min(s.near, rho);
        const double inverse = 1 / rho;
        const double u0 = d0 * inverse;
        const double u1 = d1 * inverse;
        s.sum[0] += c[0][i];
        s.sum[1] += c[1][i];
        s.atb[0] += rho;
        s.ata[0][1] += u0;
        s.ata[0][2] += u1;
        s.atb[1] += d0;
        s.atb[2] += d1;
        s.ata[1][1] += u0 * u0;
        s.ata[1][2] += u0 * u1;
        s.ata[2][2] += u1 * u1;
    }
    s.atcentre = !(s.near > 0);
    s.ata[0][0] = numpt;
    s.ata[1][0] = s.ata[0][1];
    s.ata[2][0] = s.ata[0][2];
    s.ata[2][1] = s.ata[1][2];
    extremes(err, numpt, s);
}
#endif

double dot(const double* a, const double* b, int dim) {
    double s = 0;
    for (int d = 0; d < dim; ++d) s += a[d] * b[d];
    return s;
}

// The Gauss-Newton step (radius R in x[0], shift in x[1..dim]) and a bound
// on the norm of the normal matrix's inverse: the smaller of its Frobenius
// norm and the inverse of the matrix's least Gershgorin bound; false when the
// matrix is singular.
bool step(const Pass& s, int dim, double* x, double& inverse) {
    const int n = dim + 1;
    Row7 a[6] = {};
    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) a[j][k] = s.ata[j][k];
        a[j][n] = s.atb[j];
    }
    if (!solvequietly(a, n, x)) return false;
    double frobenius = 0;
    for (int col = 0; col < n; ++col) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < n; ++k) a[j][k] = s.ata[j][k];
            a[j][n] = j == col ? 1 : 0;
        }
        double e[5];
        if (!solvequietly(a, n, e)) return false;
        for (int j = 0; j < n; ++j) frobenius += e[j] * e[j];
    }
    double gershgorin = std::numeric_limits<double>::infinity();
    for (int j = 0; j < n; ++j) {
        double off = 0;
        for (int k = 0; k < n; ++k)
            if (k != j) off += std::fabs(s.ata[j][k]);
        gershgorin = std::min(gershgorin, s.ata[j][j] - off);
    }
    inverse = std::sqrt(frobenius);
    if (gershgorin > 0) inverse = std::min(inverse, 1 / gershgorin);
    return std::isfinite(inverse);
}

// A centre m + t, t known to within delta.
struct Offset {
    double t[3] = {};
    double delta = 0;
};

// The two centres judged: the centroid and the least-squares centre.
constexpr int count = 2;

// Bounds, about each centre m + t, on the farthest distance (from below) and
// the nearest (from above), in far[k] and near[k]; false when a centre may lie
// so far off that the curvature bound fails.
bool bounds(const double* const* c, int dim, int numpt, const double* centre, double radius,
            const double* err, const Pass& s, const Offset (&offsets)[count], double (&far)[count],
            double (&near)[count]) {
    double band = 0;
    double curvature[count] = {};
    for (int k = 0; k < count; ++k) {
        const double length = std::sqrt(dot(offsets[k].t, offsets[k].t, dim)) + offsets[k].delta;
        if (!(s.near > 2 * length)) return false;
        band = std::max(band, 2 * length);
        curvature[k] = length * length / (2 * (s.near - length));
        far[k] = -std::numeric_limits<double>::infinity();
        near[k] = std::numeric_limits<double>::infinity();
    }
    const double outer = s.far - radius - band;
    const double inner = s.near - radius + band;
    for (int i = 0; i < numpt; ++i) {
        if (!(err[i] >= outer || err[i] <= inner)) continue;
        double u[3];
        const double rho = err[i] + radius;
        for (int d = 0; d < dim; ++d) u[d] = (c[d][i] - centre[d]) / rho;
        for (int k = 0; k < count; ++k) {
            const double moved = rho - dot(u, offsets[k].t, dim);
            far[k] = std::max(far[k], moved - offsets[k].delta);
            near[k] = std::min(near[k], moved + offsets[k].delta + curvature[k]);
        }
    }
    for (int k = 0; k < count; ++k)
        if (!std::isfinite(far[k]) || !std::isfinite(near[k])) return false;
    return true;
}

// Whether a centre whose farthest distance is at least `far` and nearest at
// most `near` (each to within slop) surely does not beat the claim.
bool holds(claim what, double value, double far, double near, double slop) {
    switch (what) {
    case claim::zone:
        return value <= far - near - slop;
    case claim::enclosing:
        return value <= far - slop;
    case claim::inscribed:
        return value >= near + slop;
    }
    return false;
}

// Whether neither the centroid nor the least-squares centre beats a result
// of `what` with `value`, judged from the pass s about `base` (dist holding
// each point's distance from it less `radius`).
bool unbeaten(const double* const* c, int dim, int numpt, const double* base, double radius,
              const double* dist, const Pass& s, claim what, double value) {
    if (s.atcentre || numpt <= dim + 1) return false;
    // Rounding of distances found another way, and of the yardsticks'
    // least-squares centre, converged to 1e-13 of the points' extent.
    double reach = s.far;
    for (int k = 0; k < dim; ++k) reach += std::fabs(base[k]);
    const double slop =
        roundingunits * std::numeric_limits<double>::epsilon() * reach + 1e-12 * s.far;

    // The centroid, exactly where the yardsticks put it; the least-squares
    // centre within q |step| / (1 - q) of base + step, q bounding the
    // Gauss-Newton map's contraction there: the normal matrix inverse's norm
    // times the sum of |residual| / distance, the residuals there bounded by
    // those here, and taken twice over for the map's change between here and
    // there.
    Offset at[count];
    for (int k = 0; k < dim; ++k) at[0].t[k] = s.sum[k] / numpt - base[k];
    double x[5];
    double inverse = 0;
    if (!step(s, dim, x, inverse)) return false;
    const double length = std::sqrt(dot(x + 1, x + 1, dim));
    const double residuals = s.spread + numpt * (std::fabs(x[0] - radius) + 4 * length);
    if (!(s.near > 4 * length)) return false;
    const double q = 2 * inverse * residuals / (s.near - 2 * length);
    if (!(q < 0.5)) return false;
    for (int k = 0; k < dim; ++k) at[1].t[k] = x[k + 1];
    at[1].delta = 2 * q * length / (1 - q) + slop;
    // Where the least-squares centre is known to no better than a hundredth
    // of the spread about the base, the bounds would not tell.
    if (!(at[1].delta < 0.01 * (s.far - s.near))) return false;

    double far[count];
    double near[count];
    return bounds(c, dim, numpt, base, radius, dist, s, at, far, near) &&
           holds(what, value, far[0], near[0], slop) && holds(what, value, far[1], near[1], slop);
}

void pass(const double* const* c, int dim, int numpt, const double* base, double radius,
          double* dist, Pass& s) {
    if (dim == 3)
        gather<3>(c, numpt, base, radius, dist, s);
    else
        gather<2>(c, numpt, base, radius, dist, s);
}

} // namespace

Sighting sight(const double* const* c, int dim, int numpt, const double* centre, double radius,
               claim what, double* err) {
    double own[nsz];
    if (!err) err = own;
    Pass s;
    pass(c, dim, numpt, centre, radius, err, s);
    Sighting r;
    r.error = s.p - s.q;
    const double value = what == claim::zone ? r.error : radius;
    if (unbeaten(c, dim, numpt, centre, radius, err, s, what, value)) {
        r.unsure = false;
        return r;
    }
    // A result's centre far from the least-squares centre (one point pulls
    // it, say) is judged from the centroid instead, near which the
    // least-squares centre lies when the points go all round.
    if (s.atcentre || numpt < 1) return r;
    double centroid[3];
    for (int k = 0; k < dim; ++k) centroid[k] = s.sum[k] / numpt;
    double dist[nsz];
    Pass g;
    pass(c, dim, numpt, centroid, radius, dist, g);
    r.unsure = !unbeaten(c, dim, numpt, centroid, radius, dist, g, what, value);
    return r;
}

} // namespace formeval
