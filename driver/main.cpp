// formeval: form-error evaluation of measured points. Reads job codes and job
// records from "cir1.txt", appends results to "result.txt" and intermediate
// results to "intres.txt", all in the working directory.
#include "base/base.h"
#include "driver/dispatch.h"
#include "driver/runfile.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

namespace {

using namespace formeval;

// A run file that cannot be opened: no job runs, since none could be read or
// none of its results kept.
int cannotopen(const char* what) {
    std::cerr << "formeval: cannot open " << what << ": " << std::strerror(errno)
              << "; no job is run\n";
    std::cout << "\a";
    return exitfiles;
}

// After the run: says which file failed and why, and cuts a file whose
// writes failed back to its last whole line.
int checkfile(runfile& file, const char* name, int status) {
    if (file.error() == 0) return status;
    const std::string why = std::strerror(file.error());
    std::cerr << "formeval: " << name << ": " << why << '\n';
    file.cutback(std::string("formeval stopped here: ") + name + " could not be written (" + why +
                 ")");
    return status == exitclean ? exitwrite : status;
}

} // namespace

int main() {
    // The console is written through its own buffer rather than line by line
    // through C stdio: the studies write a line per repetition. Reading the
    // console still flushes it first (std::cin is tied to std::cout).
    std::ios::sync_with_stdio(false);
    runfile jobs;
    runfile results;
    runfile intermediate;
    if (!jobs.openread("cir1.txt")) {
        if (errno != ENOENT) return cannotopen("cir1.txt");
        std::cerr << "formeval: cannot open cir1.txt; there are no jobs to run\n";
    }
    if (!results.openappend("result.txt")) return cannotopen("result.txt for appending");
    if (!intermediate.openappend("intres.txt")) return cannotopen("intres.txt for appending");
    data.rdbuf(&jobs);
    bindresult(&results, results.endsmidline());
    imfile.rdbuf(&intermediate);

    int status = runjobs();

    ofile.flush();
    imfile.flush();
    data.rdbuf(nullptr);
    bindresult(nullptr, false);
    imfile.rdbuf(nullptr);
    status = checkfile(results, "result.txt", status);
    status = checkfile(intermediate, "intres.txt", status);
    if (jobs.error() != 0) {
        std::cerr << "formeval: cir1.txt could not be read to its end: "
                  << std::strerror(jobs.error()) << '\n';
        if (status == exitclean) status = exitfiles;
    }
    if (!std::cout.flush()) {
        std::cerr << "formeval: the console output could not be written\n";
        if (status == exitclean) status = exitwrite;
    }
    return status;
}
