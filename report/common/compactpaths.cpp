// SVG path data made small for a page of hundreds of charts: cairo writes
// every number to four decimals and every command, absolute.
#include "report/common/common.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace formeval::report {

namespace {

// A number in tenths of a unit, written short: 7 ".7", -12 "-1.2", 30 "3".
std::string tenths(long long t) {
    const bool negative = t < 0;
    const unsigned long long a = negative ? 0ULL - static_cast<unsigned long long>(t) : t;
    std::string out = negative ? "-" : "";
    if (a >= 10) out += std::to_string(a / 10);
    if (a % 10 != 0)
        out += "." + std::to_string(a % 10);
    else if (a < 10)
        out += "0";
    return out;
}

struct Token {
    char command = 0; // 0: a number
    double number = 0;
};

// The tokens of path data; empty when it holds anything else.
std::vector<Token> tokens(const std::string& d) {
    std::vector<Token> out;
    const char* p = d.c_str();
    while (*p != 0) {
        if (*p == ' ' || *p == ',') {
            ++p;
        } else if (std::isalpha(static_cast<unsigned char>(*p))) {
            if (std::string_view("MmLlHhVvCcSsQqTtAaZz").find(*p) == std::string_view::npos)
                return {};
            out.push_back({*p++, 0});
        } else {
            char* end = nullptr;
            const double v = std::strtod(p, &end);
            // Beyond any drawing's size (and what tenths in a long long hold).
            if (end == p || !(std::fabs(v) < 1e12)) return {};
            out.push_back({0, v});
            p = end;
        }
    }
    return out;
}

long long tenthsof(double v) {
    return std::llround(v * 10);
}

bool onlylines(const std::vector<Token>& t) {
    for (const Token& k : t)
        if (k.command != 0 && k.command != 'M' && k.command != 'L' && k.command != 'Z')
            return false;
    return true;
}

// Path data of move-tos, line-tos and closes: each move-to's point absolute,
// every line-to after it (and a move-to's further pairs, which are line-tos)
// as the step from the point before, in one run of "l", all in tenths.
// Computed on the points rounded to tenths, so the steps add up exactly.
std::string relativelines(const std::vector<Token>& t) {
    std::string out;
    char command = 0;
    std::size_t count = 0; // numbers read since the command
    long long x = 0, y = 0, startx = 0, starty = 0, pending = 0;
    bool inrun = false;
    for (const Token& k : t) {
        if (k.command != 0) {
            command = k.command;
            count = 0;
            if (command == 'Z') {
                out += " Z";
                x = startx;
                y = starty;
                inrun = false;
            }
            continue;
        }
        const long long v = tenthsof(k.number);
        if (count++ % 2 == 0) {
            pending = v;
            continue;
        }
        if (command == 'M' && count == 2) {
            out += std::string(out.empty() ? "" : " ") + "M " + tenths(pending) + " " + tenths(v);
            startx = x = pending;
            starty = y = v;
            inrun = false;
            continue;
        }
        if (!inrun) out += " l";
        inrun = true;
        out += " " + tenths(pending - x) + " " + tenths(v - y);
        x = pending;
        y = v;
    }
    return out;
}

// Any other path data: every number to tenths, absolute.
std::string absolutetenths(const std::vector<Token>& t) {
    std::string out;
    for (const Token& k : t) {
        if (!out.empty()) out += ' ';
        out += k.command != 0 ? std::string(1, k.command) : tenths(tenthsof(k.number));
    }
    return out;
}

std::string compactdata(const std::string& d) {
    const std::vector<Token> t = tokens(d);
    if (t.empty()) return d;
    return onlylines(t) ? relativelines(t) : absolutetenths(t);
}

} // namespace

std::string compactpaths(const std::string& svg) {
    std::string out;
    out.reserve(svg.size());
    std::size_t at = 0;
    for (std::size_t d; (d = svg.find(" d=\"", at)) != std::string::npos;) {
        const std::size_t begin = d + 4;
        const std::size_t end = svg.find('"', begin);
        if (end == std::string::npos) break;
        out.append(svg, at, begin - at);
        out += compactdata(svg.substr(begin, end - begin));
        at = end;
    }
    out.append(svg, at, std::string::npos);
    return out;
}

} // namespace formeval::report
