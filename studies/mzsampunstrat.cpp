// Jobs 2555, 2565, 2575: sampling-strategy study of the minimum-zone circle
// with coordinate noise added to the picked points.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzsampunstrat(const jobinfo& job) {
    circsamp(job, "Started sampling strategy with Point coordinate uncertainty in minimum zone "
                  "circularity calculation");
}

} // namespace formeval
