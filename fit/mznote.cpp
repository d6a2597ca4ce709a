// The note of a job that fits once: its minimum-zone listing follows whatever
// the exchange did, so a fit the operator stopped, or one that met a singular
// system, is said to be none, on the console and in result.txt, just before.
#include "fit/fit.h"
#include "linalg/linalg.h"

namespace formeval {

void mznote(double emz) {
    if (emz == stoppedzone)
        note("The minimum-zone fit was stopped before it converged; its zone width is not a "
             "result");
    else if (!solved())
        note("The minimum-zone fit met a singular system; its parameters are not fitted to "
             "these points");
}

} // namespace formeval
