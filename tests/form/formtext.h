// Reading the evaluators' output in tests: the text with its numbers taken
// out, so that labels and separators can be compared exactly and numbers
// within floating-point error, and the items of a job apart from the engines'
// trace.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval::test {

struct Numbers {
    std::string skeleton;       // the text with every number replaced by '#'
    std::vector<double> values; // the numbers in order
};

// A number starts where a digit, a sign or a point follows something that is
// not part of a word or a number, so that the digit of a label like "y0=" or
// "hm[i]" stays in the text.
inline Numbers numbers(const std::string& text) {
    Numbers out;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const char before = i > 0 ? text[i - 1] : ' ';
        const bool wordbefore = std::isalnum(static_cast<unsigned char>(before)) || before == '.';
        if (!wordbefore && (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.')) {
            char* end = nullptr;
            const double value = std::strtod(text.c_str() + i, &end);
            if (end != text.c_str() + i) {
                out.skeleton += '#';
                out.values.push_back(value);
                i = static_cast<size_t>(end - text.c_str());
                continue;
            }
        }
        out.skeleton += c;
        ++i;
    }
    return out;
}

// Same text apart from numbers, and every number within tol of its match.
inline void expectnear(const std::string& actual, const std::string& expected, double tol) {
    const Numbers a = numbers(actual);
    const Numbers e = numbers(expected);
    EXPECT_EQ(a.skeleton, e.skeleton) << "actual:\n" << actual << "\nexpected:\n" << expected;
    if (a.values.size() != e.values.size()) return;
    for (size_t k = 0; k < a.values.size(); ++k)
        EXPECT_NEAR(a.values[k], e.values[k], tol) << "number " << k << " of\n" << actual;
}

// The lines of the output that the job itself wrote: drops the engines' trace
// lines (least squares, exchange) and empty lines, keeps the rest in order.
inline std::vector<std::string> items(const std::string& text) {
    static const char* const engine[] = {"erlsq=",
                                         "lamda[i]=",
                                         "sum of lamdas",
                                         "h= ",
                                         "nzl= ",
                                         "Coefficients=",
                                         "in maxer",
                                         "hm[i]",
                                         "cri*cri=",
                                         "hmax=",
                                         "knt= ",
                                         "m[i]=",
                                         "q[i]=",
                                         "ht= ",
                                         "dl= ",
                                         "ne[i]s= ",
                                         "Removing from reference set",
                                         "duplicate reference set found"};
    std::vector<std::string> kept;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        bool trace = line.empty();
        for (const char* prefix : engine) trace = trace || line.rfind(prefix, 0) == 0;
        if (!trace) kept.push_back(line);
    }
    return kept;
}

// items() joined by line breaks.
inline std::string itemtext(const std::string& text) {
    std::string joined;
    for (const std::string& line : items(text)) joined += line + "\n";
    return joined;
}

inline int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The numbers after the last occurrence of label, up to the end of its line.
inline std::vector<double> lastline(const std::string& text, const std::string& label) {
    const size_t at = text.rfind(label);
    if (at == std::string::npos) return {};
    const size_t end = text.find('\n', at + 1);
    return numbers(text.substr(at, end == std::string::npos ? std::string::npos : end - at)).values;
}

// A value with the 12 significant digits of the program's output.
inline std::string g12(double value) {
    std::ostringstream text;
    text.precision(12);
    text << value;
    return text.str();
}

} // namespace formeval::test
