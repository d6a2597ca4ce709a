// What a circle job says when no circle fits its points.
#include "form/jobs.h"

namespace formeval {

void nocirclejob(int job) {
    both("\n", "Job ", job,
         ": no circle fits these points (the fit is not finite: are they collinear or all at "
         "one place?)");
}

} // namespace formeval
