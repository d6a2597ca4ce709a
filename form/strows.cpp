// Coefficient rows (1, x) of the line y = y0 + l0 x.
#include "form/form.h"

namespace formeval {

void strows(const double* x, int numpt, Row5* a) {
    for (int i = 0; i < numpt; ++i) a[i] = {1.0, x[i], 0.0, 0.0, 0.0};
}

} // namespace formeval
