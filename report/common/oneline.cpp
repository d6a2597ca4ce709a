// What a computation said on its console, for a message of one line.
#include "report/common/common.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace formeval::report {

namespace {

// Messages of the batch program's routines that end no line of the console,
// so that the next runs into them.
constexpr std::string_view unended[] = {"Coefficient matrix is singular"};

bool blank(char c) {
    return c == '\n' || c == '\r' || c == '\t' || c == ' ' || c == '\a';
}

// `text` with every run of blanks one blank, none at either end.
std::string squeezed(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!blank(c))
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The messages said, each with how often, in the order first said.
std::vector<std::pair<std::string, int>> messages(std::string_view said) {
    std::vector<std::pair<std::string, int>> out;
    const auto add = [&out](std::string_view text) {
        const std::string m = squeezed(text);
        if (m.empty()) return;
        const auto known = std::find_if(out.begin(), out.end(),
                                        [&m](const auto& seen) { return seen.first == m; });
        if (known == out.end())
            out.emplace_back(m, 1);
        else
            ++known->second;
    };
    std::size_t start = 0;
    for (std::size_t k = 0; k <= said.size(); ++k) {
        if (k == said.size() || said[k] == '\n') {
            add(said.substr(start, k - start));
            start = k + 1;
            continue;
        }
        for (const std::string_view m : unended)
            if (said.substr(k, m.size()) == m) {
                add(said.substr(start, k - start));
                add(m);
                start = k + m.size();
                k = start - 1;
                break;
            }
    }
    return out;
}

} // namespace

std::string oneline(const std::string& said) {
    constexpr std::size_t longest = 300;
    const std::vector<std::pair<std::string, int>> heard = messages(said);
    const bool repeated =
        std::any_of(heard.begin(), heard.end(), [](const auto& m) { return m.second > 1; });
    // A message said again and again is given once, with its count.
    std::string out;
    if (!repeated) {
        out = squeezed(said);
    } else {
        for (const auto& [m, times] : heard)
            out += (out.empty() ? "" : " ") + m +
                   (times > 1 ? " (" + std::to_string(times) + " times)" : "");
    }
    if (out.size() > longest) out = out.substr(0, longest) + " ...";
    return out;
}

} // namespace formeval::report
