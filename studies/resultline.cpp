// The result line of one study repetition. It starts a line of its own when
// result.txt does not end with a line break: the evaluators' items end
// without one, and a number glued to them would corrupt both. A repetition
// whose points no circle fits says so in place of the four numbers, so that
// the line count and numbering of the block stay whole.
#include "form/form.h"
#include "studies/studies.h"

#include <ostream>

namespace formeval {

void repetitionresult(std::ostream& out, int ii, const Circlefit& ans) {
    out << ii << "\t";
    if (circlefound(ans))
        out << ans[0] << "\t" << ans[1] << "\t" << ans[2] << "\t" << ans[3];
    else
        out << "no circle fits these points";
}

void resultline(int ii, const Circlefit& ans) {
    startline();
    repetitionresult(ofile, ii, ans);
    ofile << "\n";
}

} // namespace formeval
