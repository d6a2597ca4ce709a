// Jobs 2710, 2711, 2712: Monte Carlo study of the peak (minimum
// circumscribing) circle.
#include "circles/circles.h"
#include "studies/studies.h"

namespace formeval {

void pkcircun(const jobinfo& job) {
    circun(job, "Started peak circle circularity uncertainty calculation", "pkcircun",
           watchproblem::yes);
}

} // namespace formeval
