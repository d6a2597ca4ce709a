// formeval: form-error evaluation of measured points. Reads job codes and job
// records from "cir1.txt", appends results to "result.txt" and intermediate
// results to "intres.txt", all in the working directory.
#include "driver/dispatch.h"
#include "driver/driver.h"

#include <fstream>
#include <iostream>

namespace {

// Whether the file exists and its last character is not a line break.
bool endsmidline(const char* path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file || file.tellg() <= 0) return false;
    file.seekg(-1, std::ios::end);
    return file.get() != '\n';
}

} // namespace

int main() {
    using namespace formeval;
    // The console is written through its own buffer rather than line by line
    // through C stdio: the studies write a line per repetition. Reading the
    // console still flushes it first (std::cin is tied to std::cout).
    std::ios::sync_with_stdio(false);
    std::filebuf jobs;
    std::filebuf results;
    std::filebuf intermediate;
    const bool midline = endsmidline("result.txt");
    if (!jobs.open("cir1.txt", std::ios::in))
        std::cerr << "formeval: cannot open cir1.txt; there are no jobs to run\n";
    if (!results.open("result.txt", std::ios::out | std::ios::app))
        std::cerr << "formeval: cannot open result.txt for appending; results will not be kept\n";
    if (!intermediate.open("intres.txt", std::ios::out | std::ios::app))
        std::cerr << "formeval: cannot open intres.txt for appending; intermediate results will "
                     "not be kept\n";
    data.rdbuf(&jobs);
    bindresult(results.is_open() ? &results : nullptr, midline);
    imfile.rdbuf(&intermediate);

    const int status = runjobs();

    ofile.flush();
    imfile.flush();
    data.rdbuf(nullptr);
    bindresult(nullptr, false);
    imfile.rdbuf(nullptr);
    return status;
}
