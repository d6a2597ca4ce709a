// The summary's verdict on a block's convergence check, in words.
#include "report/tables/tables.h"

#include <algorithm>

namespace formeval::report {

std::string convergenceverdict(const Convergence& c, long repetitions) {
    if (!c.judged)
        return "too few repetitions to judge: the check needs " +
               std::to_string(convergencebatches) + " batches of at least " +
               std::to_string(convergencebatch);
    const std::string tolerance = " (delta " + formatnumber(c.tolerance, 2) + ")";
    if (c.stableafter > 0)
        return "stable after " + std::to_string(c.stableafter) + " of " +
               std::to_string(repetitions) + " repetitions" + tolerance;
    std::string text = "not stable in " + std::to_string(repetitions) + " repetitions" + tolerance;
    const auto enough = std::find_if(studylengths.begin(), studylengths.end(),
                                     [&](long n) { return n >= c.needed; });
    text += "; about " + std::to_string(c.needed) + " needed";
    if (enough == studylengths.end())
        return text + ", more than the largest study's " + std::to_string(studylengths.back());
    return text + ": a study of " + std::to_string(*enough);
}

} // namespace formeval::report
