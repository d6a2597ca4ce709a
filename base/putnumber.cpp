// Numbers for the console and the run files, written as formatted stream
// output writes them in its default notation (printf's %.*g with the
// stream's precision), through std::to_chars, which gives the same text in a
// fraction of the time: a study writes a line per repetition.
#include "base/base.h"

#include <charconv>
#include <cmath>

namespace formeval {

namespace {

// Room for the longest %.17g text, and more.
constexpr int room = 64;

// The text of `value` at `precision`; false when the stream should write it
// (not finite, where the spelling of NaN's sign is the stream's business).
bool text(double value, std::streamsize precision, char* first, char*& last) {
    if (!std::isfinite(value)) return false;
    const auto result = std::to_chars(first, first + room, value, std::chars_format::general,
                                      static_cast<int>(precision));
    last = result.ptr;
    return result.ec == std::errc();
}

// Whether `out` writes doubles in the default notation, unpadded.
bool plainreal(const std::ostream& out) {
    constexpr auto changed =
        std::ios::floatfield | std::ios::showpos | std::ios::showpoint | std::ios::uppercase;
    return out.width() == 0 && (out.flags() & changed) == 0;
}

} // namespace

void putnumber(std::ostream& out, double value) {
    char buffer[room];
    char* end = buffer;
    if (!plainreal(out) || !text(value, out.precision(), buffer, end))
        out << value;
    else
        out.write(buffer, end - buffer);
}

void putnumber(std::ostream& out, int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (out.width() != 0 ||
        (out.flags() & (std::ios::basefield | std::ios::showpos)) != std::ios::dec)
        out << value;
    else
        out.write(buffer, result.ptr - buffer);
}

void bothnumber(double value) {
    if (std::cout.precision() != ofile.precision()) {
        putnumber(std::cout, value);
        putnumber(ofile, value);
        return;
    }
    char buffer[room];
    char* end = buffer;
    if (!plainreal(std::cout) || !plainreal(ofile) ||
        !text(value, std::cout.precision(), buffer, end)) {
        std::cout << value;
        ofile << value;
        return;
    }
    std::cout.write(buffer, end - buffer);
    ofile.write(buffer, end - buffer);
}

} // namespace formeval
