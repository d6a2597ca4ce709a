// formreport: study summaries and roundness plots from formeval's files.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <csignal>
#include <iostream>

namespace {

extern "C" void onstop(int signal) {
    formeval::report::removepartial();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main(int argc, char** argv) {
    // A standard output whose reader has gone, and a file size limit, make
    // writes fail (EPIPE, EFBIG), which formreport reports, instead of
    // killing it mid-line. An interrupt removes the picture being written.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : {SIGINT, SIGTERM})
        if (std::signal(signal, onstop) == SIG_IGN) std::signal(signal, SIG_IGN);
    return formeval::report::runcommandline(argc, argv, std::cout, std::cerr);
}
