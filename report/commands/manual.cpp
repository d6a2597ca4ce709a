// The help texts, read from the manual built into formreport: a marked block
// "<!-- help KEY -->" ... "<!-- end -->" of paragraphs, or "<!-- options KEY
// -->" ... "<!-- end -->" around a table of options and their help. Backticks
// are the manual's markup and no part of the text.
#include "report/commands/commands.h"

#include <stdexcept>

namespace formeval::report {

extern const char* const manualtext;

namespace {

// The lines between the block's marks.
std::string_view block(std::string_view manual, const std::string& kind, const std::string& key) {
    const std::string open = "<!-- " + kind + " " + key + " -->\n";
    const std::size_t start = manual.find(open);
    const std::size_t end = manual.find("<!-- end -->", start);
    if (start == std::string_view::npos || end == std::string_view::npos)
        throw std::logic_error("the manual has no " + kind + " block '" + key + "'");
    return manual.substr(start + open.size(), end - start - open.size());
}

std::string unmarked(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '`') out += c;
    return out;
}

// Leading and trailing blanks off.
std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string helptext(std::string_view manual, const std::string& key) {
    const std::string_view text = block(manual, "help", key);
    std::string out;
    bool paragraph = false; // a paragraph is open
    bool blank = false;     // a blank line since its last line
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = trimmed(text.substr(at, end - at));
        at = end + 1;
        if (line.empty()) {
            blank = paragraph;
            continue;
        }
        if (paragraph) out += blank ? "\n\n" : " ";
        out += unmarked(line);
        paragraph = true;
        blank = false;
    }
    return out;
}

std::string optionhelp(std::string_view manual, const std::string& table,
                       const std::string& names) {
    const std::string_view text = block(manual, "options", table);
    const std::string row = "| `" + names + "` | ";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.substr(0, row.size()) != row) continue;
        line.remove_prefix(row.size());
        const std::size_t close = line.rfind(" |");
        return unmarked(line.substr(0, close));
    }
    throw std::logic_error("the manual has no help for " + names + " in '" + table + "'");
}

std::string helptext(const std::string& key) {
    return helptext(manualtext, key);
}

std::string optionhelp(const std::string& table, const std::string& names) {
    return optionhelp(manualtext, table, names);
}

} // namespace formeval::report
