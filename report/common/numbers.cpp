// Reading and writing numbers: whole-token parsing of the numbers formeval
// reads and writes, and the two ways formreport prints them.
#include "report/common/common.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace formeval::report {

FileError::FileError(std::string file, long line, const std::string& why, long column)
    : std::runtime_error(why), file_(std::move(file)), line_(line), column_(column) {}

namespace {

// Formatted stream input takes a leading '+'; from_chars does not.
std::string_view withoutplus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

} // namespace

std::optional<double> parsenumber(std::string_view text) {
    text = withoutplus(text);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseint(std::string_view text) {
    text = withoutplus(text);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::string formatnumber(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

std::string roundtrip(double value) {
    char text[64];
    const auto [stop, status] = std::to_chars(text, text + sizeof text, value);
    return status == std::errc() ? std::string(text, stop) : formatnumber(value, 17);
}

} // namespace formeval::report
