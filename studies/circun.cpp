// The Monte Carlo family: repeat noise, evaluation and result line, as many
// times as the job's table entry says, with the computation it names. The
// members differ in the start message, the console result line and whether
// they watch the minimum-zone engine's `problem` flag.
#include "base/record.h"
#include "studies/studies.h"

#include <algorithm>
#include <ostream>

namespace formeval {

namespace {

// The noisy points of a repetition whose evaluation was stopped by the operator.
void dumpproblem(int ii, const double* uu, const double* vv, int numpt) {
    imfile << ii << "\n";
    for (int i = 0; i < numpt; ++i) imfile << uu[i] << "\t" << vv[i] << "\n";
}

} // namespace

void circun(const jobinfo& job, const char* start, const char* label, watchproblem watch) {
    recordpoints p;
    if (!startjob(job, std::string(start) + "\n", p)) return;
    const auto& [u, v, unused, numpt] = p;
    if (!studystart(job.code, asreal)) return;

    const bool noisy = job.noise == coordinatenoise::added;
    const int nrpt = std::min(job.repetitions, repetitionlimit);
    double uu[nsz];
    double vv[nsz];
    Circlefit ans;
    for (int ii = 0; ii < nrpt && !stoprequest(); ++ii) {
        std::cout << ii << "\n";
        if (noisy) addrand(u, v, numpt, uu, vv);
        oqt = 1; // an evaluation may raise it; it holds only until the next repetition
        job.circle->function(noisy ? uu : u, noisy ? vv : v, numpt, ans);
        if (watch == watchproblem::yes && problem) {
            dumpproblem(ii, uu, vv, numpt);
            problem = false;
        }
        if (label != noconsoleline) {
            std::cout << "\n" << label;
            repetitionresult(std::cout, ii, ans);
            std::cout << "\n";
        }
        resultline(ii, ans);
    }
}

} // namespace formeval
