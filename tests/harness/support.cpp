#include "tests/harness/support.h"

#include <cctype>
#include <sstream>

namespace formeval::test {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> nonblanklines(const std::string& text) {
    std::vector<std::string> out;
    for (std::string& line : lines(text))
        if (!line.empty()) out.push_back(std::move(line));
    return out;
}

std::vector<double> numbersin(const std::string& line) {
    std::vector<double> out;
    std::istringstream in(line);
    for (double x; in >> x;) out.push_back(x);
    return out;
}

bool hasnonfinite(const std::string& text) {
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    const auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        const char a = lower(text[i]);
        if (a != 'n' && a != 'i') continue;
        const char b = lower(text[i + 1]);
        const char c = lower(text[i + 2]);
        const bool word = (a == 'n' && b == 'a' && c == 'n') || (a == 'i' && b == 'n' && c == 'f');
        if (word && (i == 0 || !letter(text[i - 1])) &&
            (i + 3 == text.size() || !letter(text[i + 3])))
            return true;
    }
    return false;
}

std::string params(double stratangle, int sampno, double stdun) {
    std::ostringstream s;
    s << stratangle << ' ' << sampno << ' ' << stdun << " 3 0 0\n";
    return s.str();
}

std::string alternatingcircle(int n) {
    std::ostringstream s;
    s.precision(17);
    s << n << " 0.000001";
    for (int i = 0; i < n; ++i) {
        const double r = i % 2 ? 9.99 : 10.01;
        s << ' ' << 100 + r * std::cos(2 * pi * i / n) << ' ' << 20 + r * std::sin(2 * pi * i / n);
    }
    return s.str() + "\n";
}

} // namespace formeval::test
