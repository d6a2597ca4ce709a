// Job 2800: circularity against the valley (maximum inscribing) circle.
#include "circles/circles.h"

#include <iostream>

namespace formeval {

void vacirco() {
    std::cout << "Started Valley circle calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(2800, mincircpts, numpt, u, v)) return;
    double ans[4];
    vacircocal(u, v, numpt, ans);
}

} // namespace formeval
