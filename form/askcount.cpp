// The operator prompt of a loop counter: the whole number typed replaces the
// counter. A closed console, or an answer that is not a whole number, lets the
// caller take its safe way out instead of asking again at every turn of the
// loop.
#include "form/form.h"

#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>

namespace formeval {

namespace {

// A whole number, brought into the range the counter can go on counting from:
// the loop adds 1 before it compares, so INT_MAX itself would overflow.
bool wholenumber(const std::string& token, int& value) {
    char* end = nullptr;
    const long long number = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != '\0') return false;
    if (number < INT_MIN) {
        value = INT_MIN;
    } else if (number > INT_MAX - 1) {
        value = INT_MAX - 1;
    } else {
        value = static_cast<int>(number);
    }
    return true;
}

} // namespace

bool askcount(const char* question, const char* otherwise, int& counter) {
    // The trace so far is in result.txt while the operator thinks it over.
    ofile.flush();
    std::cout << question << std::flush;
    std::string token;
    if (!(std::cin >> token)) {
        std::cout << "\nNo answer at the console" << otherwise;
        return false;
    }
    if (!wholenumber(token, counter)) {
        std::cout << "\nThe answer " << token << " is not a whole number" << otherwise;
        return false;
    }
    return true;
}

} // namespace formeval
