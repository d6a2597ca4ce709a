// The bound on every study's repetitions; no bound unless the fuzz target
// sets one.
#include "studies/studies.h"

#include <limits>

namespace formeval {

int repetitionlimit = std::numeric_limits<int>::max();

} // namespace formeval
