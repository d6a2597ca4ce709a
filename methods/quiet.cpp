// Running the batch program's computations silently and one at a time: its
// state is program-wide.
#include "methods/quiet.h"
#include "random/random.h"

#include <iostream>

namespace formeval::methods {

namespace {

std::mutex computing;

} // namespace

Quiet::Quiet(double tolerance)
    : lock_(computing), format_(nullptr), coutbuf_(std::cout.rdbuf(&console_)),
      cinbuf_(std::cin.rdbuf(&noinput_)), imfilebuf_(imfile.rdbuf(&files_)), cri_(cri), oqt_(oqt),
      problem_(problem) {
    format_.copyfmt(std::cout);
    std::cin.clear();
    bindresult(&files_, false);
    restartrandom();
    cri = tolerance;
    oqt = 0;
    problem = false;
}

Quiet::~Quiet() {
    std::cout.copyfmt(format_);
    std::cout.rdbuf(coutbuf_);
    std::cin.rdbuf(cinbuf_);
    std::cin.clear();
    bindresult(nullptr, false);
    imfile.rdbuf(imfilebuf_);
    cri = cri_;
    oqt = oqt_;
    problem = problem_;
}

std::vector<std::string> Quiet::said() {
    std::istringstream text(console_.str());
    console_.str("");
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    return lines;
}

} // namespace formeval::methods
