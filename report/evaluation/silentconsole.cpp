// Runs formeval's computations without a console: the console and the run
// files bound to buffers, the console's input closed so that an operator
// prompt takes its way out at once instead of waiting.
#include "report/evaluation/evaluation.h"

#include "base/base.h"
#include "driver/dispatch.h"

#include <iostream>

namespace formeval::report {

SilentConsole::SilentConsole()
    : coutbuf_(std::cout.rdbuf(&said_)), cinbuf_(std::cin.rdbuf(&noinput_)),
      imfilebuf_(imfile.rdbuf(&files_)) {
    std::cin.clear();
    bindresult(&files_, false);
}

SilentConsole::~SilentConsole() {
    std::cout.rdbuf(coutbuf_);
    std::cin.rdbuf(cinbuf_);
    std::cin.clear();
    bindresult(nullptr, false);
    imfile.rdbuf(imfilebuf_);
}

std::string SilentConsole::said() {
    std::string text = said_.str();
    said_.str("");
    return text;
}

} // namespace formeval::report
