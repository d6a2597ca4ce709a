// Job 2520: perturbation study of the minimum-zone circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzcircunptb() {
    circunptb(2520, mzcircocal,
              "Started minumum zone circularity uncertainty calculation by perturbation");
}

} // namespace formeval
