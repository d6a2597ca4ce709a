// The operator prompt of a loop counter: the whole number typed replaces the
// counter. A closed console, or an answer that is not a whole number, gives
// the caller the chance to take its safe way out instead of asking again at
// every turn of the loop.
#include "circles/circles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>

namespace formeval {

namespace {

// A whole number the counter can go on counting from: the loop adds 1 before
// it compares, so INT_MAX would overflow.
bool wholenumber(const std::string& token, int& value) {
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(token.c_str(), &end, 10);
    if (end == token.c_str() || *end != '\0' || errno == ERANGE) return false;
    if (number < INT_MIN || number >= INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

} // namespace

bool askcount(const char* question, const char* otherwise, int& counter) {
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
