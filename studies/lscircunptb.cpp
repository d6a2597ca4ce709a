// Job 2620: perturbation study of the least-squares circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void lscircunptb(const jobinfo& job) {
    circunptb(job, "Started least square circularity uncertainty calculation by perturbation");
}

} // namespace formeval
