// Job 2500: minimum-zone circularity of Cartesian points.
#include "driver/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

void mzcirco() {
    constexpr int job = 2500;
    std::cout << "Started circularity error calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(job, numpt, u, v)) return;
    if (!circledetermined(job, u, v, numpt)) return;
    double ans[4];
    mzcircocal(u, v, numpt, ans);
    if (!circlefound(ans)) nocirclejob(job);
}

} // namespace formeval
