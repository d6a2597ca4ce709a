// Jobs 2550, 2560, 2570: sampling-strategy study of the minimum-zone circle,
// the picked points evaluated as measured.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzsampstrat(int nchois) {
    circsamp(nchois, mzcircocal, mincircle,
             "Started sampling strategy in minimum zone circularity calculation",
             samplenoise::none);
}

} // namespace formeval
