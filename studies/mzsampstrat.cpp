// Jobs 2550, 2560, 2570: sampling-strategy study of the minimum-zone circle,
// the picked points evaluated as measured.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzsampstrat(const jobinfo& job) {
    circsamp(job, "Started sampling strategy in minimum zone circularity calculation");
}

} // namespace formeval
