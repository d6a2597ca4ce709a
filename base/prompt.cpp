// The reading of the operator's answers at the console.
#include "base/prompt.h"

#include <cstdlib>
#include <iostream>

namespace formeval {

std::optional<char> answerchar() {
    std::cout.flush();
    char c = 0;
    if (!(std::cin >> c)) return std::nullopt;
    return c;
}

std::optional<std::string> answerword() {
    std::cout.flush();
    std::string word;
    if (!(std::cin >> word)) return std::nullopt;
    return word;
}

std::optional<long long> wholenumber(const std::string& word) {
    if (word.empty()) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (end == word.c_str() || *end != '\0') return std::nullopt;
    return value;
}

} // namespace formeval
