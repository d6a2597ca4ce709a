// Built without CGAL: no circumscribed feature and no hull to bound an
// inscribed centre; the references say so, the rest works.
#include "pointset/kernels.h"

namespace formeval::pointset {

bool exactreferences() {
    return false;
}

namespace kernel {

Found pkradial(const Moments&, const Options&) {
    return notfound("built without CGAL: no circumscribed feature");
}

std::vector<Facet> hull(const View&) {
    return {};
}

bool hullwidth(const View&, std::size_t, Vec&, double&) {
    return false;
}

} // namespace kernel

} // namespace formeval::pointset
