// The body of the polar jobs, circle and sphere alike: the model is linear in
// its parameters about the fixed polar origin, so it is fitted once; points
// whose directions leave it undetermined are refused first.
#include "form/jobs.h"

namespace formeval {

void polarjob(const jobinfo& job, const char* start, void (*listing)(const polarhalf& half)) {
    recordpoints p;
    if (!startjob(job, start, p)) return;
    const int dim = coordinates(job.points);
    double d[3][nsz];
    Row5 a[nsz];
    if (dim == 2)
        polarcirclerows(p.c1, p.numpt, d[0], d[1], a);
    else
        polarsphererows(p.c1, p.c2, p.numpt, d[0], d[1], d[2], a);
    const double* const record[3] = {p.c0, p.c1, p.c2};
    if (!jobdetermined(job, record, p.numpt)) return;
    const double* const directions[3] = {d[0], d[1], d[2]};
    fitpair fits;
    fitboth(a, p.c0, dim + 1, p.numpt, fits,
            [&](fithalf half, const double* gs, const double* err, double error) {
                listing({half, p, directions, gs, err, error});
            });
}

} // namespace formeval
