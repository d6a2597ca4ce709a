// Built without CGAL and GLPK: no exact references. The ISO parameters and
// the geometry work; the references say why they cannot.
#include "pointset/kernels.h"

namespace formeval::pointset {

bool exactreferences() {
    return false;
}

LinearZone chebyshevzone(const std::vector<ModelRow>&, const std::vector<double>&, int) {
    throw Unavailable();
}

RadialZone minzone(const std::vector<Point>&, int) {
    throw Unavailable();
}

ExtremeCircle enclosingcircle(const std::vector<Point>&) {
    throw Unavailable();
}

ExtremeCircle inscribedcircle(const std::vector<Point>&) {
    throw Unavailable();
}

namespace kernel {

Found pkradial(const Moments&, const Options&) {
    Found out;
    out.failure = "built without CGAL: no circumscribed feature";
    return out;
}

std::vector<Facet> hull(const View&) {
    return {};
}

} // namespace kernel

} // namespace formeval::pointset
