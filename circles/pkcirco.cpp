// Job 2700: circularity against the peak (minimum circumscribing) circle.
#include "circles/circles.h"
#include "driver/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

void pkcirco() {
    std::cout << "Started Peak circle circulatity calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(2700, numpt, u, v) || !circledetermined(2700, u, v, numpt)) return;
    double ans[4];
    pkcircocal(u, v, numpt, ans);
}

} // namespace formeval
