// The header file of a filed report: the lines a lab puts at the head of
// every report (part, order, customer ...), as "label: value".
#include "report/common/common.h"

#include <istream>

namespace formeval::report {

namespace {

std::string trimmed(const std::string& t) {
    const std::size_t a = t.find_first_not_of(" \t");
    const std::size_t b = t.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
}

} // namespace

std::vector<std::pair<std::string, std::string>> readheaderfile(std::istream& in,
                                                                const std::string& file) {
    std::vector<std::pair<std::string, std::string>> out;
    long number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) throw FileError(file, number, "a line is 'label: value'");
        out.push_back({trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1))});
    }
    if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
    return out;
}

} // namespace formeval::report
