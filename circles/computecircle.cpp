// One circle computation called outside a job (formreport's references and
// reports): set up as a job of its own would start it, silent but for what it
// says whatever the trace level.
#include "circles/circles.h"

namespace formeval {

void computecircle(const circlecomputation& computation, double tolerance, const double* u,
                   const double* v, int numpt, Circlefit& ans) {
    oqt = 0;
    cri = tolerance;
    problem = false;
    computation.function(u, v, numpt, ans);
}

} // namespace formeval
