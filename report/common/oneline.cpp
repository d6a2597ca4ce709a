// What a computation said on its console, for a message of one line.
#include "report/common/common.h"

namespace formeval::report {

std::string oneline(const std::string& said) {
    constexpr std::size_t longest = 300;
    std::string out;
    for (const char c : said) {
        const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ' || c == '\a';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (out.size() > longest) out = out.substr(0, longest) + " ...";
    return out;
}

} // namespace formeval::report
