// formeval: form-error evaluation of measured points. Reads job codes and job
// records from "cir1.txt", appends results to "result.txt" and intermediate
// results to "intres.txt", all in the working directory.
#include "base/base.h"
#include "driver/dispatch.h"
#include "driver/runfile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>

namespace {

using namespace formeval;

// A run file that cannot be opened: no job runs, since none could be read or
// none of its results kept.
int cannotopen(const char* what, const runfile& file) {
    std::cerr << "formeval: cannot open " << what << ": "
              << (errno == 0 && file.notregular()
                      ? std::string("it is ") + file.notregular() + ", not a regular file"
                      : std::string(std::strerror(errno)))
              << "; no job is run\n";
    std::cout << "\a";
    return exitfiles;
}

// A run file that another run of formeval is appending to: its lines and
// this run's would interleave.
int inuse(const char* name) {
    std::cerr << "formeval: " << name
              << " is in use by another run of formeval in this directory; no job is run\n";
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

extern "C" void onstop(int signal) {
    requeststop(signal);
}

// A console that has gone (a pipe whose reader ended) and a file size limit
// make writes fail (EPIPE, EFBIG) instead of killing the run, so that they
// are handled as the write errors they are. SIGINT and SIGTERM ask the run
// to stop at the end of a job or of a study's repetition; a second one ends
// it at once. A signal the run was started with ignored stays ignored.
void handlesignals() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        struct sigaction stop {};
        stop.sa_handler = onstop;
        sigemptyset(&stop.sa_mask);
        stop.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &stop, nullptr);
    }
}

} // namespace

int main() {
    // The console is written through its own buffer rather than line by line
    // through C stdio: the studies write a line per repetition. Reading the
    // console still flushes it first (std::cin is tied to std::cout).
    std::ios::sync_with_stdio(false);
    handlesignals();
    runfile jobs;
    runfile results;
    runfile intermediate;
    if (!jobs.openread("cir1.txt")) {
        if (errno != ENOENT) return cannotopen("cir1.txt", jobs);
        std::cerr << "formeval: cannot open cir1.txt; there are no jobs to run\n";
    }
    if (!results.openappend("result.txt")) return cannotopen("result.txt for appending", results);
    if (!intermediate.openappend("intres.txt"))
        return cannotopen("intres.txt for appending", intermediate);
    if (!results.lock()) return inuse("result.txt");
    if (!intermediate.samefile(results) && !intermediate.lock()) return inuse("intres.txt");
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
