// Jobs 2555, 2565, 2575: sampling-strategy study of the minimum-zone circle
// with coordinate noise added to the picked points.
#include "form/form.h"
#include "studies/studies.h"

namespace formeval {

void mzsampunstrat(int nchois) {
    circsamp(nchois, mzcircocal, mincircle,
             "Started sampling strategy with Point coordinate uncertainty in minimum zone "
             "circularity calculation",
             samplenoise::added);
}

} // namespace formeval
