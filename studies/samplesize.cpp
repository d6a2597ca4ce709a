// The sample size of one selection: the file's value, or while that is below
// 1 or above the number of points, a new one asked for at the console. The
// file is not changed, so the next selection asks again. When the console
// gives no usable size, every point is used.
#include "base/prompt.h"
#include "studies/studies.h"

#include <iostream>
#include <string>

namespace formeval {

int samplesize(int sampno, int numpt) {
    if (sampno >= 1 && sampno <= numpt) return sampno;
    long long value = 0;
    const asked a = askwhole(
        [] {
            std::cout << "\n"
                      << "Number of sample points less than no of data points"
                      << "\a\a\a\a\a\aEnter new number of sample points:";
        },
        [numpt](long long v) { return v >= 1 && v <= numpt; },
        [numpt](const std::string& word) {
            std::cout << "\nThe answer " << word << " is not a sample size from 1 to " << numpt;
        },
        value);
    if (a == asked::answered) return static_cast<int>(value);
    if (a == asked::closed)
        std::cout << "\nNo sample size could be read from the console";
    else
        std::cout << "\n" << maxtries << " answers in a row could not be used";
    std::cout << "; all " << numpt << " data points are used";
    return numpt;
}

} // namespace formeval
