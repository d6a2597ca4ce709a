// Jobs 2610, 2611, 2612: Monte Carlo study of the least-squares circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void lscircun(const jobinfo& job) {
    circun(job, "Started least square circularity uncertainty calculation", noconsoleline,
           watchproblem::no);
}

} // namespace formeval
