// The operator prompt of a loop counter: the whole number typed (at least 1)
// replaces the counter. A console that has closed, or one that gives no
// usable answer, lets the caller take its safe way out instead of asking
// again at every turn of the loop; the way out changes the result, so it is
// a note, on the console and in result.txt.
#include "base/prompt.h"
#include "form/stages.h"

#include <climits>
#include <iostream>
#include <string>

namespace formeval {

bool askcount(const char* question, const char* otherwise, int& counter) {
    // The trace so far is in result.txt while the operator thinks it over.
    ofile.flush();
    long long value = 0;
    const asked a =
        askwhole([question] { std::cout << question; }, [](long long v) { return v >= 1; },
                 [](const std::string& word) {
                     std::cout << "\nThe answer " << word << " is not a whole number of at least 1";
                 },
                 value);
    if (a == asked::closed) {
        note("No answer at the console", otherwise);
        return false;
    }
    if (a == asked::refused) {
        note(maxtries, " answers in a row could not be used", otherwise);
        return false;
    }
    // The loop adds 1 before it compares, so INT_MAX itself would overflow.
    counter = value > INT_MAX - 1 ? INT_MAX - 1 : static_cast<int>(value);
    return true;
}

} // namespace formeval
