// formeval's four circle computations, once for every part of formreport.
#include "report/evaluation/evaluation.h"

#include "circles/circles.h"
#include "form/form.h"

namespace formeval::report {

const std::array<CircleComputation, nmethods> circlecomputations = {
    CircleComputation{leastsquares, lscircocal, minlscircle},
    CircleComputation{minimumzone, mzcircocal, mincircle},
    CircleComputation{circumscribing, pkcircocal, mincircle},
    CircleComputation{inscribing, vacircocal, mincircle}};

} // namespace formeval::report
