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
    putnumber(out, ii);
    out << '\t';
    if (circlefound(ans)) {
        for (int k = 0; k < 4; ++k) {
            if (k > 0) out << '\t';
            putnumber(out, ans[k]);
        }
    } else
        out << "no circle fits these points";
}

void resultline(int ii, const Circlefit& ans) {
    startline();
    repetitionresult(ofile, ii, ans);
    ofile << "\n";
}

} // namespace formeval
