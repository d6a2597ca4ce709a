// Job 2520: perturbation study of the minimum-zone circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzcircunptb(const jobinfo& job) {
    circunptb(job, "Started minumum zone circularity uncertainty calculation by perturbation");
}

} // namespace formeval
