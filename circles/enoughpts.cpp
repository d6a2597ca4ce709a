// The guard of the peak and valley circles against too few points: their
// minimum-zone centre needs a reference set of four. A caller that passes
// fewer gets NaN rather than a circle that looks like a result.
#include "circles/circles.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

bool enoughpts(int numpt, Circlefit& ans) {
    if (numpt >= mincircle) return true;
    std::cout << "\n"
              << numpt << " points are too few for a peak or valley circle; it needs at least "
              << mincircle;
    nocircle(ans);
    return false;
}

} // namespace formeval
