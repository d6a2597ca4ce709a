// The methods' names and the ISO parameters of a result.
#include "methods/quiet.h"
#include "pointset/pointset.h"

namespace formeval::methods {

const char* methodname(Method method) {
    switch (method) {
    case Method::leastsquares:
        return "least squares";
    case Method::minimumzone:
        return "minimum zone";
    case Method::peak:
        return "peak";
    case Method::valley:
        break;
    }
    return "valley";
}

void measure(Result& r) {
    const pointset::IsoParameters iso = pointset::isoparameters(r.deviations);
    r.t = iso.t;
    r.p = iso.p;
    r.v = iso.v;
    r.q = iso.q;
}

} // namespace formeval::methods
