// Input quoted in a message or drawn in a picture: well-formed UTF-8
// characters that print stay as they are; control characters and bytes that
// are not UTF-8 become escapes, so that a NUL byte no longer
// ends the message and a stray byte no longer makes cairo refuse the text.
#include "report/common/common.h"

#include <algorithm>
#include <cstdio>

namespace formeval::report {

namespace {

// Length of the well-formed UTF-8 sequence of a printable character at the
// start of `text`, or 0.
std::size_t printablecharacter(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead >= 0x20 && lead < 0x7f) return 1;
    std::size_t length = 0;
    unsigned long code = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0u) != 0x80u) return 0;
        code = code << 6 | (byte(i) & 0x3fu);
    }
    constexpr unsigned long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool wellformed =
        code >= shortest[length] && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
    const bool control = code >= 0x80 && code < 0xa0;
    return wellformed && !control ? length : 0;
}

} // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const char c = text.front();
        std::size_t length = printablecharacter(text);
        if (length > 0) {
            out.append(text.substr(0, length));
        } else {
            length = 1;
            if (c == '\t') {
                out += "\\t";
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '\r') {
                out += "\\r";
            } else {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(c));
                out += escape;
            }
        }
        text.remove_prefix(length);
    }
    return out;
}

std::string shortitem(std::string_view item) {
    constexpr std::size_t shown = 40;
    std::string text = printable(item.substr(0, shown));
    if (item.size() > shown) text += "...";
    return text;
}

std::string shortitems(std::string_view message) {
    constexpr std::size_t longest = 80;
    constexpr std::size_t kept = 40;
    std::string out;
    while (!message.empty()) {
        const std::size_t run = std::min(message.find_first_of(" \n"), message.size());
        out.append(message.substr(0, run > longest ? kept : run));
        if (run > longest) out += "...";
        out.append(message.substr(run, 1));
        message.remove_prefix(std::min(run + 1, message.size()));
    }
    return out;
}

std::string xmltext(std::string_view text) {
    std::string out;
    for (const char c : printable(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace formeval::report
