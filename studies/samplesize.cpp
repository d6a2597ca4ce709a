// The sample size of one selection: the file's value, or while that is below
// 1 or above the number of points, a new one asked for at the console. The
// file is not changed, so the next selection asks again.
#include "studies/studies.h"

#include <istream>
#include <limits>

namespace formeval {

int samplesize(int sampno, int numpt) {
    while (sampno < 1 || sampno > numpt) {
        std::cout << "\n"
                  << "Number of sample points less than no of data points"
                  << "\a\a\a\a\a\aEnter new number of sample points:" << std::flush;
        if (!(std::cin >> sampno)) {
            // No answer will come (end of input), or not a number: take the
            // largest valid size rather than asking forever. A bad answer is
            // dropped so that the next prompt reads afresh.
            if (!std::cin.eof()) {
                std::cin.clear();
                std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            }
            std::cout << "\nNo sample size could be read from the console; all " << numpt
                      << " data points are used";
            return numpt;
        }
    }
    return sampno;
}

} // namespace formeval
