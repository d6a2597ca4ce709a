// formreport: study summaries and roundness plots from formeval's files.
#include "report/commands/commands.h"

#include <iostream>

int main(int argc, char** argv) {
    return formeval::report::runcommandline(argc, argv, std::cout, std::cerr);
}
