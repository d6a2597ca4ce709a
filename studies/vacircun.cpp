// Jobs 2810, 2811, 2812: Monte Carlo study of the valley (maximum inscribing)
// circle.
#include "circles/circles.h"
#include "studies/studies.h"

namespace formeval {

void vacircun(const jobinfo& job) {
    circun(job, "Started valley circle circularity uncertainty calculation", "vacircun",
           watchproblem::yes);
}

} // namespace formeval
