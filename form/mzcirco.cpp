// Job 2500: minimum-zone circularity of Cartesian points.
#include "form/form.h"

#include <iostream>

namespace formeval {

void mzcirco() {
    constexpr int job = 2500;
    std::cout << "Started circularity error calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(job, 4, numpt, u, v)) return;
    Row5 a[nsz];
    for (int i = 0; i < numpt; ++i) a[i] = {1.0, u[i], v[i], 0.0, 0.0};
    if (!determined(job, a, 3, numpt, "the points lie on one line; they determine no circle"))
        return;
    double ans[4];
    mzcircocal(u, v, numpt, ans);
}

} // namespace formeval
