// The dispatcher: reads job codes from the job stream one after another and
// runs the job the job table gives each, until the stream ends.
#include "base/base.h"
#include "base/record.h"
#include "driver/dispatch.h"
#include "random/random.h"

#include <csignal>
#include <istream>
#include <ostream>
#include <string>

namespace formeval {

namespace {

void dispatch(int nchois) {
    const jobinfo* job = findjob(nchois);
    if (job == nullptr) {
        std::cout << "\nnchois=" << nchois << " does not fit into any programmed case\a";
        ofile << " does not fit into any programmed case";
    } else if (job->routine != nullptr) {
        // Every job starts from the same random state, so that its numbers
        // depend on its record alone, not on the jobs before it.
        restartrandom();
        job->routine(*job);
    }
}

// The run ends: the bell, and the status.
int finish(int status) {
    std::cout << "\a";
    return status;
}

// A word that is not a whole number where a job code belongs.
int notacode(const std::string& word, int jobs, int last) {
    std::cerr << "formeval: job stream broken: an item that is not an integer stands where a "
                 "job code was expected";
    if (jobs > 0) std::cerr << " (after job " << last << ")";
    std::cerr << ": " << shownword(word) << '\n';
    return finish(exitbroken);
}

// A run file whose writes failed: nothing more is run, since nothing more
// could be kept.
int writefailed(int nchois) {
    std::cerr << "formeval: " << (ofile.bad() ? "result.txt" : "intres.txt")
              << " could not be written during job " << nchois << "; the run stops there\n";
    return finish(exitwrite);
}

// The run was asked to stop (SIGINT or SIGTERM): the job it was in has
// ended at a whole line of its output, and result.txt says the run stopped
// there. The status is the shell's for a run ended by that signal.
int interrupted(int nchois, bool injob) {
    const int signal = stoprequest();
    const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
    std::cerr << "formeval: interrupted by " << name;
    if (injob) std::cerr << " during job " << nchois;
    std::cerr << "; the run stops there\n";
    startline();
    ofile << "formeval stopped here: the run was interrupted (" << name << ")\n";
    ofile.flush();
    return finish(exitsignal + signal);
}

} // namespace

int runjobs() {
    std::string word;
    int jobs = 0;
    int last = 0;
    while (readword(word)) {
        if (stoprequest()) return interrupted(last, false);
        const std::optional<int> code = intvalue(word);
        if (!code) return notacode(word, jobs, last);
        const int nchois = *code;
        std::cout.precision(12);
        ofile.precision(12);
        dispatch(nchois);
        // Each job's lines reach the files before the next job starts, so a
        // later crash or kill cannot take them with it.
        ofile.flush();
        imfile.flush();
        if (ofile.bad() || imfile.bad()) return writefailed(nchois);
        // A record that broke the stream has said where.
        if (data.fail()) return finish(exitbroken);
        if (stoprequest()) return interrupted(nchois, true);
        ++jobs;
        last = nchois;
    }
    return finish(exitclean);
}

} // namespace formeval
