// Jobs 2710, 2711, 2712: Monte Carlo study of the peak (minimum
// circumscribing) circle.
#include "circles/circles.h"
#include "studies/studies.h"

namespace formeval {

void pkcircun(int nchois) {
    circun(nchois, pkcircocal, "Started peak circle circularity uncertainty calculation",
           "pkcircun", watchproblem::yes);
}

} // namespace formeval
