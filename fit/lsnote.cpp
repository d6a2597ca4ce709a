// The note of a job that fits once: its least-squares listing follows
// whatever the fit did, so a fit that met a singular system is said to be
// none, on the console and in result.txt, just before.
#include "fit/fit.h"
#include "linalg/linalg.h"

namespace formeval {

void lsnote() {
    if (!solved())
        note("The least-squares fit met a singular system; its parameters are not fitted to "
             "these points");
}

} // namespace formeval
