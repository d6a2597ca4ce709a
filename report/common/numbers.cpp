// Reading and writing numbers: whole-token parsing of the numbers formeval
// reads and writes, and the two ways formreport prints them.
#include "report/common/common.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace formeval::report {

FileError::FileError(std::string file, long line, const std::string& why, long column)
    : std::runtime_error(why), file_(std::move(file)), line_(line), column_(column) {}

std::string FileError::place() const {
    std::string out = file_;
    if (line_ > 0) out += ":" + std::to_string(line_);
    if (line_ > 0 && column_ > 0) out += ":" + std::to_string(column_);
    return out;
}

namespace {

// Formatted stream input takes a leading '+'; from_chars does not.
std::string_view withoutplus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

// What printf's %.*g or %.*f would print, by to_chars (no locale, no
// format string to parse).
std::string printed(double value, std::chars_format format, int precision) {
    // Room for the longest fixed notation of a double, 309 digits and 17
    // decimals; to_chars prints what printf's %.*g, %.*e or %.*f would.
    char text[400];
    const auto [stop, status] = std::to_chars(text, text + sizeof text, value, format, precision);
    if (status != std::errc()) return "?";
    return std::string(text, stop);
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
    return printed(value, std::chars_format::general, digits);
}

std::string formatfixed(double value, int decimals) {
    if (decimals > 17) return formatnumber(value, 17);
    std::string text = printed(value, std::chars_format::fixed, std::max(decimals, 0));
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string roundtrip(double value) {
    char text[64];
    const auto [stop, status] = std::to_chars(text, text + sizeof text, value);
    return status == std::errc() ? std::string(text, stop) : formatnumber(value, 17);
}

namespace {

// Counts of the snapping quantum stay below this, exact in a double.
constexpr double mostcounts = 1e15;

// `digits` (a decimal number's digits, the first not 0) rounded to `keep` of
// them, a half away from zero; `exponent` (of the last digit) follows.
std::string rounddigits(std::string digits, std::size_t keep, int& exponent) {
    if (digits.size() <= keep) return digits;
    const bool up = digits[keep] >= '5';
    exponent += static_cast<int>(digits.size() - keep);
    digits.resize(keep);
    if (!up) return digits;
    std::size_t k = keep;
    while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
    if (k > 0) {
        ++digits[k - 1];
        return digits;
    }
    // 99.9 became 100.0: one digit more, a place higher.
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
    return digits;
}

} // namespace

std::string formatlabel(double value, int digits, double resolution) {
    if (!std::isfinite(value) || value == 0 || digits < 1 || digits > 15)
        return formatnumber(value == 0 ? 0.0 : value, digits);
    // The quantum 10^exponent: at or below the resolution, and no finer than
    // fifteen digits of the value resolve.
    const int finest = static_cast<int>(std::floor(std::log10(std::fabs(value)))) - 14;
    int exponent = finest;
    if (resolution > 0 && std::isfinite(resolution))
        exponent = std::max(finest, static_cast<int>(std::floor(std::log10(resolution))));
    const auto scaledby = [value](int e) {
        return e < 0 ? value * std::pow(10.0, -e) : value / std::pow(10.0, e);
    };
    double scaled = scaledby(exponent);
    // The logarithm may round up to a power of ten: one place coarser then.
    if (!(std::fabs(scaled) < mostcounts)) scaled = scaledby(++exponent);
    if (!(std::fabs(scaled) < mostcounts)) return formatnumber(value, digits);
    const long long counts = std::llround(scaled);
    if (counts == 0) return formatnumber(0.0, digits);
    const std::string kept =
        rounddigits(std::to_string(std::llabs(counts)), static_cast<std::size_t>(digits), exponent);
    const std::string decimal = (counts < 0 ? "-" : "") + kept + "e" + std::to_string(exponent);
    return formatnumber(std::strtod(decimal.c_str(), nullptr), digits);
}

} // namespace formeval::report
