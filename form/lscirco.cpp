// Job 2600: least-squares circularity of Cartesian points.
#include "driver/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

void lscirco() {
    std::cout << "Started least square circularity error calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(2600, numpt, u, v) || !circledetermined(2600, u, v, numpt)) return;
    double ans[4];
    lscircocal(u, v, numpt, ans);
    if (!circlefound(ans)) nocirclejob(2600);
}

} // namespace formeval
