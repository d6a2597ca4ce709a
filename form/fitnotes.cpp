// The notes of the jobs that fit a model once (lines, planes, polar circles
// and spheres): their listings follow whatever the fit did, so a fit that is
// not one is said to be so, on the console and in result.txt, just before.
#include "fit/fit.h"
#include "form/form.h"
#include "linalg/linalg.h"

namespace formeval {

void lsnote() {
    if (!solved())
        note("The least-squares fit met a singular system; its parameters are not fitted to "
             "these points");
}

void mznote(double emz) {
    if (emz == stoppedzone)
        note("The minimum-zone fit was stopped before it converged; its zone width is not a "
             "result");
    else if (!solved())
        note("The minimum-zone fit met a singular system; its parameters are not fitted to "
             "these points");
}

} // namespace formeval
