// Job 2800: circularity against the valley (maximum inscribing) circle.
#include "circles/circles.h"
#include "driver/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

void vacirco() {
    std::cout << "Started Valley circle calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(2800, numpt, u, v) || !circledetermined(2800, u, v, numpt)) return;
    double ans[4];
    vacircocal(u, v, numpt, ans);
}

} // namespace formeval
