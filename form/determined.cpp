// Whether a job's points determine its model. The solver tests every pivot but
// the last, so points that leave one parameter free (a plane's points on one
// line, a line's points at one x) would give infinite or rounding-noise
// parameters and an exchange that can only wander; such a job is refused.
// Modified Gram-Schmidt over the columns of the rows, orthogonalising twice:
// a column whose part independent of the earlier ones is below `dependent`
// times its size is taken as a combination of them. Rounding leaves about
// 1e-15; real measurements stand far above 1e-10.
#include "form/form.h"

#include <cmath>

namespace formeval {

namespace {

constexpr double dependent = 1e-10;

double dot(const double* p, const double* q, int numpt) {
    double s = 0;
    for (int i = 0; i < numpt; ++i) s += p[i] * q[i];
    return s;
}

} // namespace

bool determined(int job, const Row5* a, int n, int numpt, const char* why) {
    double q[5][nsz];
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < numpt; ++i) q[j][i] = a[i][j];
        const double size = std::sqrt(dot(q[j], q[j], numpt));
        for (int pass = 0; pass < 2; ++pass)
            for (int k = 0; k < j; ++k) {
                const double c = dot(q[k], q[j], numpt);
                for (int i = 0; i < numpt; ++i) q[j][i] -= c * q[k][i];
            }
        const double rest = std::sqrt(dot(q[j], q[j], numpt));
        if (!(rest > dependent * size)) {
            both("\n", "Job ", job, " not evaluated: ", why);
            return false;
        }
        for (int i = 0; i < numpt; ++i) q[j][i] /= rest;
    }
    return true;
}

bool circledetermined(int job, const double* u, const double* v, int numpt) {
    Row5 a[nsz];
    for (int i = 0; i < numpt; ++i) a[i] = {1.0, u[i], v[i], 0.0, 0.0};
    return determined(job, a, 3, numpt, "the points lie on one line; they determine no circle");
}

} // namespace formeval
