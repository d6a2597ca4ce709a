// Job 2620: perturbation study of the least-squares circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void lscircunptb() {
    circunptb(2620, lscircocal,
              "Started least square circularity uncertainty calculation by perturbation");
}

} // namespace formeval
