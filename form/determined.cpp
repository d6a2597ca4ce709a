// Whether a job's points determine its model. Points that leave a parameter
// free (a plane's points on one line, a circle's on one line, a sphere's in
// one plane, a line's all at one x) would give infinite or rounding-noise
// parameters and an exchange that can only wander; such a job is refused.
//
// The judgement depends neither on where the points are nor on how they are
// turned: the points are moved to their centroid and scaled by their extent,
// and the spread in their weakest direction (the smallest singular value) is
// set against the spread in their strongest. The fits solve normal equations,
// whose condition is the square of that ratio: below the square root of the
// double's precision (1.5e-8) the weakest direction keeps no digit, so a
// ratio below 1e-8 is taken as none. A 1 um by 100 mm strip (1e-5) is still
// evaluated; a 1e-12 wiggle on a 10 mm line is not, whatever its direction.
#include "form/form.h"

#include <algorithm>
#include <cmath>

namespace formeval {

namespace {

constexpr double mindetermined = 1e-8;

// Centres the columns of c into q and scales them together so that the
// largest magnitude is 1; false when every point is the same. The points are
// first taken relative to the first of them, which is exact for equal points
// (a mean of equal numbers need not equal them, and would make a spread of
// rounding out of nothing), then relative to their centroid.
bool centred(const double* const* c, int dim, int numpt, double (*q)[nsz], double& extent) {
    extent = 0;
    for (int d = 0; d < dim; ++d) {
        double sum = 0;
        for (int i = 0; i < numpt; ++i) {
            q[d][i] = c[d][i] - c[d][0];
            sum += q[d][i];
        }
        const double mean = sum / numpt;
        for (int i = 0; i < numpt; ++i) {
            q[d][i] -= mean;
            extent = std::max(extent, std::fabs(q[d][i]));
        }
    }
    if (!(extent > 0) || !std::isfinite(extent)) return false;
    for (int d = 0; d < dim; ++d)
        for (int i = 0; i < numpt; ++i) q[d][i] /= extent;
    return true;
}

double dot(const double* p, const double* q, int numpt) {
    double s = 0;
    for (int i = 0; i < numpt; ++i) s += p[i] * q[i];
    return s;
}

// Singular values of the numpt x dim matrix q, as the column norms after
// one-sided Jacobi rotations have made the columns orthogonal. The rotations
// keep the small singular values to full relative precision, which forming
// the product q'q would not.
void singularvalues(double (*q)[nsz], int dim, int numpt, double* sigma) {
    constexpr int maxsweeps = 30;
    constexpr double orthogonal = 1e-15;
    for (int sweep = 0; sweep < maxsweeps; ++sweep) {
        bool rotated = false;
        for (int p = 0; p < dim; ++p)
            for (int r = p + 1; r < dim; ++r) {
                const double alpha = dot(q[p], q[p], numpt);
                const double beta = dot(q[r], q[r], numpt);
                const double gamma = dot(q[p], q[r], numpt);
                if (!(std::fabs(gamma) > orthogonal * std::sqrt(alpha * beta))) continue;
                rotated = true;
                const double zeta = (beta - alpha) / (2 * gamma);
                const double t =
                    std::copysign(1.0, zeta) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
                const double cs = 1 / std::sqrt(1 + t * t);
                const double sn = cs * t;
                for (int i = 0; i < numpt; ++i) {
                    const double a = q[p][i];
                    const double b = q[r][i];
                    q[p][i] = cs * a - sn * b;
                    q[r][i] = sn * a + cs * b;
                }
            }
        if (!rotated) break;
    }
    for (int d = 0; d < dim; ++d) sigma[d] = std::sqrt(dot(q[d], q[d], numpt));
}

bool refuse(int job, const char* why) {
    both("\n", "Job ", job, " not evaluated: ", why);
    return false;
}

// Points that spread over less than `smallest` (but not over nothing, which
// leaves the model undetermined) are refused.
bool tiny(int job, const double* const* c, int dim, int numpt, double smallest) {
    double q[3][nsz];
    double extent = 0;
    if (!centred(c, dim, numpt, q, extent) || extent >= smallest) return false;
    both("\n", "Job ", job, " not evaluated: the points spread over only ", extent, "; below ",
         smallest, " the products of coordinates the evaluation forms lose their digits");
    return true;
}

} // namespace

const char* whyundetermined(feature shape, pointform points) {
    struct reason {
        feature shape;
        pointform points;
        const char* why;
    };
    static constexpr reason reasons[] = {
        {feature::line, pointform::xy, "all points have the same x; they determine no line"},
        {feature::circle, pointform::xy, "the points lie on one line; they determine no circle"},
        {feature::circle, pointform::rtheta,
         "the points lie in fewer than three directions from the origin; they determine no "
         "circle"},
        {feature::plane, pointform::xyz,
         "the points lie on one line in the x-y plane; they determine no plane"},
        {feature::sphere, pointform::xyz, "the points lie in one plane; they determine no sphere"},
        {feature::sphere, pointform::rthetabeta,
         "the directions of the points lie on one circle of the unit sphere; they determine no "
         "sphere"}};
    for (const reason& r : reasons)
        if (r.shape == shape && r.points == points) return r.why;
    return "the points leave the model undetermined";
}

double spreadratio(const double* const* c, int dim, int numpt) {
    double q[3][nsz];
    double extent = 0;
    if (!centred(c, dim, numpt, q, extent)) return 0;
    double sigma[3] = {};
    singularvalues(q, dim, numpt, sigma);
    const double largest = *std::max_element(sigma, sigma + dim);
    const double smallest = *std::min_element(sigma, sigma + dim);
    return largest > 0 ? smallest / largest : 0;
}

bool determined(int job, const double* const* c, int dim, int numpt, const char* why,
                double smallest) {
    if (!(spreadratio(c, dim, numpt) >= mindetermined)) return refuse(job, why);
    return !tiny(job, c, dim, numpt, smallest);
}

bool circledetermined(int job, const double* u, const double* v, int numpt) {
    const double* const c[2] = {u, v};
    return determined(job, c, 2, numpt, whyundetermined(feature::circle, pointform::xy));
}

bool linedetermined(int job, const double* x, const double* y, int numpt) {
    // The spread along x against the spread of the points: a line of
    // deviations in y needs points that stand apart in x.
    double q[2][nsz];
    const double* const c[2] = {x, y};
    double extent = 0;
    if (centred(c, 2, numpt, q, extent)) {
        const double sx = std::sqrt(dot(q[0], q[0], numpt));
        const double sy = std::sqrt(dot(q[1], q[1], numpt));
        if (sx >= mindetermined * std::max(sx, sy)) return !tiny(job, c, 2, numpt, minspread);
    }
    return refuse(job, whyundetermined(feature::line, pointform::xy));
}

bool jobdetermined(const jobinfo& job, const double* const* c, int numpt) {
    const char* why = whyundetermined(job.shape, job.points);
    if (job.points == pointform::rtheta || job.points == pointform::rthetabeta) {
        // The polar models are fitted about a fixed origin: what must spread
        // are the points' directions.
        const int dim = coordinates(job.points);
        double d[3][nsz];
        Row5 a[nsz];
        if (dim == 2)
            polarcirclerows(c[1], numpt, d[0], d[1], a);
        else
            polarsphererows(c[1], c[2], numpt, d[0], d[1], d[2], a);
        const double* const directions[3] = {d[0], d[1], d[2]};
        return determined(job.code, directions, dim, numpt, why);
    }
    switch (job.shape) {
    case feature::line:
        return linedetermined(job.code, c[0], c[1], numpt);
    case feature::plane:
        return determined(job.code, c, 2, numpt, why, minplanespread);
    case feature::sphere:
        return determined(job.code, c, 3, numpt, why);
    default:
        return circledetermined(job.code, c[0], c[1], numpt);
    }
}

} // namespace formeval
