// The end of a stage loop: the notes of a result that is not a fit, and the
// problem flag as the loop found it or left it.
#include "form/stages.h"

namespace formeval {

void endstages(int stageno, bool unsettled, bool fitted, bool raised) {
    if (problem)
        note("The minimum-zone fit was stopped in stage ", stageno,
             "; the centre is not refined further");
    else if (unsettled)
        note("The centre did not settle within ", maxstages,
             " stages; the evaluation goes on from the last stage");
    if (!fitted)
        note("The fit of stage ", stageno,
             " met a singular system; its centre and radius are not fitted to these points");
    problem = problem || raised;
}

} // namespace formeval
