// Jobs 2510, 2511, 2512: Monte Carlo study of the minimum-zone circle.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzcircun(int nchois) {
    circun(nchois, mzcircocal, "Started minimum zone circularity uncertainty calculation", "",
           watchproblem::yes);
}

} // namespace formeval
