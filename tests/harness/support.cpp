#include "tests/harness/support.h"

#include "driver/dispatch.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

namespace {

// The cells of a table row "| a | b | c |", trimmed.
std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line.substr(1));
    for (std::string cell; std::getline(in, cell, '|');) {
        const std::size_t first = cell.find_first_not_of(' ');
        const std::size_t last = cell.find_last_not_of(' ');
        out.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return out;
}

bool codes(const std::string& cell) {
    return !cell.empty() && cell.find_first_not_of("0123456789, ") == std::string::npos;
}

} // namespace

std::vector<DocumentedJob> documentedjobs() {
    std::vector<DocumentedJob> jobs;
    std::ifstream readme(FORMEVAL_SOURCE_DIR "/docs/formeval.md");
    bool inside = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("## ", 0) == 0) inside = line == "## Job codes";
        if (!inside || line.rfind("| ", 0) != 0) continue;
        const std::vector<std::string> row = cells(line);
        if (row.size() != 3 || !codes(row[0])) continue;
        std::istringstream list(row[0]);
        for (std::string code; std::getline(list, code, ',');)
            jobs.push_back({std::stoi(code), row[1], row[2]});
    }
    return jobs;
}

int documentedcoordinates(const std::string& record) {
    std::istringstream words(record.substr(0, record.find(" per point")));
    int count = 0;
    for (std::string word; words >> word;)
        if (word != "(degrees)" && word != "—") ++count;
    return count;
}

const jobinfo& job(int code) {
    const jobinfo* entry = findjob(code);
    if (entry == nullptr) throw std::out_of_range("no job has the code " + std::to_string(code));
    return *entry;
}

Standin::Standin(int code, circlefunction function, int minpt)
    : computation_{circlemethod::minimumzone, "standin", function, minpt}, entry_(job(code)) {
    if (entry_.circle != nullptr) computation_.method = entry_.circle->method;
    entry_.circle = &computation_;
}

} // namespace formeval::test
