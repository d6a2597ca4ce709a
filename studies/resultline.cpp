// The result line of one study repetition. It starts a line of its own when
// result.txt does not end with a line break: the evaluators' items end
// without one, and a number glued to them would corrupt both.
#include "studies/studies.h"

#include <ostream>

namespace formeval {

void resultline(int ii, const double* ans) {
    startline();
    ofile << ii << "\t" << ans[0] << "\t" << ans[1] << "\t" << ans[2] << "\t" << ans[3] << "\n";
}

} // namespace formeval
