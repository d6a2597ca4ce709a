// Operator prompts: every answer the program reads at the console is read
// here, by one rule. An answer that cannot be used is said to be so and asked
// for again; the caller takes its safe way out after maxtries unusable answers
// in a row, or at once when the console has nothing more to give (its input
// has ended), so that an unattended run never waits and never loops.
#pragma once

#include <optional>
#include <string>

namespace formeval {

// Unusable answers in a row after which a prompt gives up.
constexpr int maxtries = 3;

// The first non-blank character the operator types (the rest of the line
// stays for the next reading), or nothing when the console has closed. The
// console is flushed first.
std::optional<char> answerchar();

// The next word the operator types, or nothing when the console has closed.
// The console is flushed first.
std::optional<std::string> answerword();

// The whole word as a decimal whole number (a sign allowed), or nothing. A
// number beyond the range of long long is that range's bound.
std::optional<long long> wholenumber(const std::string& word);

// How a prompt for a whole number ended.
enum class asked {
    answered, // the value is usable
    closed,   // the console has nothing more to give
    refused   // maxtries answers in a row could not be used
};

// Asks for a whole number: question() writes the question, usable(value)
// decides whether a whole number can be used, refuse(word) says why a word
// cannot. Asks until a usable number comes (into `value`), the console
// closes, or maxtries answers in a row could not be used.
template <class Question, class Usable, class Refuse>
asked askwhole(Question question, Usable usable, Refuse refuse, long long& value) {
    for (int tries = 0; tries < maxtries; ++tries) {
        question();
        const std::optional<std::string> word = answerword();
        if (!word) return asked::closed;
        const std::optional<long long> number = wholenumber(*word);
        if (number && usable(*number)) {
            value = *number;
            return asked::answered;
        }
        refuse(*word);
    }
    return asked::refused;
}

} // namespace formeval
