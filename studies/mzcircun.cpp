// Jobs 2510, 2511, 2512: Monte Carlo study of the minimum-zone circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzcircun(const jobinfo& job) {
    circun(job, "Started minimum zone circularity uncertainty calculation", "", watchproblem::yes);
}

} // namespace formeval
