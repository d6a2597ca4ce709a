// The note of a three-point search that met a triple without a circle: the
// minimum-zone circle of its side stands in for the search's result.
#include "circles/circles.h"

#include <iostream>

namespace formeval {

void notpcirc(const char* kind, const int* tri, tpfit fit) {
    note("The circle through ", kind, " points ", tri[0] + 1, ",", tri[1] + 1, ",", tri[2] + 1,
         fit == tpfit::singular ? " does not exist: they lie on one line or repeat"
                                : " is not finite",
         "; the minimum zone ", kind, " circle is used");
}

} // namespace formeval
