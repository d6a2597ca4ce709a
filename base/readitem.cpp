// The items of the job stream: whitespace-separated words, each of which
// must be a number as a whole. A word such as "4.0" where a count belongs, or
// "1.5-2.0", is not read as the number it begins with (which would take the
// rest for the next item and misread every item after it): it is refused.
// What a number looks like is what formatted stream extraction of the same
// type accepts from a word that holds nothing else.
#include "base/record.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <streambuf>

namespace formeval {

namespace {

bool blank(int c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}

// Skips digits from `at`; returns how many there were.
std::size_t digits(std::string_view word, std::size_t& at) {
    const std::size_t start = at;
    while (at < word.size() && digit(word[at])) ++at;
    return at - start;
}

// [+-] (digits [. digits] | . digits) [(e|E) [+-] digits]
bool decimal(std::string_view word) {
    std::size_t at = 0;
    if (at < word.size() && (word[at] == '+' || word[at] == '-')) ++at;
    std::size_t mantissa = digits(word, at);
    if (at < word.size() && word[at] == '.') {
        ++at;
        mantissa += digits(word, at);
    }
    if (mantissa == 0) return false;
    if (at < word.size() && (word[at] == 'e' || word[at] == 'E')) {
        ++at;
        if (at < word.size() && (word[at] == '+' || word[at] == '-')) ++at;
        if (digits(word, at) == 0) return false;
    }
    return at == word.size();
}

} // namespace

bool readword(std::string& word) {
    word.clear();
    std::streambuf* in = data.rdbuf();
    if (in == nullptr || !data.good()) {
        data.setstate(std::ios::failbit);
        return false;
    }
    using traits = std::char_traits<char>;
    int c = in->sgetc();
    while (c != traits::eof() && blank(c)) c = in->snextc();
    while (c != traits::eof() && !blank(c)) {
        if (word.size() > maxword) {
            // Not a number, however it goes on: the stream breaks here, and
            // the rest of the word is neither kept nor read.
            data.setstate(std::ios::failbit);
            return true;
        }
        word.push_back(traits::to_char_type(c));
        c = in->snextc();
    }
    if (c == traits::eof()) data.setstate(std::ios::eofbit);
    if (word.empty()) data.setstate(std::ios::failbit);
    return !word.empty();
}

std::optional<int> intvalue(std::string_view word) {
    if (word.size() > maxword) return std::nullopt;
    const bool plus = !word.empty() && word[0] == '+';
    if (plus) word.remove_prefix(1);
    if (word.empty() || (plus && !digit(word[0]))) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::optional<double> realvalue(std::string_view word) {
    if (word.size() > maxword || !decimal(word)) return std::nullopt;
    if (word[0] == '+') word.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error == std::errc() && end == word.data() + word.size()) return value;
    // Out of range: an overflow is refused, as extraction refuses it; an
    // underflow reads as extraction reads it, through strtod.
    const std::string text(word);
    const double tiny = std::strtod(text.c_str(), nullptr);
    if (std::isinf(tiny)) return std::nullopt;
    return tiny;
}

bool overflows(std::string_view word) {
    return word.size() <= maxword && decimal(word) && !realvalue(word);
}

std::string shownword(std::string_view word) {
    constexpr std::size_t longest = 40;
    std::string shown;
    for (std::size_t i = 0; i < word.size() && i < longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (std::isprint(c)) {
            shown.push_back(static_cast<char>(c));
        } else {
            static const char hex[] = "0123456789abcdef";
            shown += "\\x";
            shown.push_back(hex[c >> 4]);
            shown.push_back(hex[c & 15]);
        }
    }
    if (word.size() > longest) shown += "...";
    return shown;
}

} // namespace formeval
