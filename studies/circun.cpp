// The Monte Carlo family: repeat noise, evaluation and result line. The
// members differ in the computation, the start message, the console result
// line and whether they watch the minimum-zone engine's `problem` flag.
#include "driver/record.h"
#include "studies/studies.h"

#include <algorithm>
#include <ostream>

namespace formeval {

namespace {

int repetitions(int nchois) {
    switch (nchois % 10) {
    case 0:
        return 1000;
    case 1:
        return 10000;
    default:
        return 100000;
    }
}

// The noisy points of a repetition whose evaluation was stopped by the operator.
void dumpproblem(int ii, const double* uu, const double* vv, int numpt) {
    imfile << ii << "\n";
    for (int i = 0; i < numpt; ++i) imfile << uu[i] << "\t" << vv[i] << "\n";
}

} // namespace

void circun(int nchois, circcal cal, const char* start, const char* label, watchproblem watch) {
    std::cout << start << "\n";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(nchois, numpt, u, v)) return;
    if (!studystart(nchois, asreal)) return;

    const int nrpt = std::min(repetitions(nchois), repetitionlimit);
    double uu[nsz];
    double vv[nsz];
    Circlefit ans;
    for (int ii = 0; ii < nrpt; ++ii) {
        std::cout << ii << "\n";
        addrand(u, v, numpt, uu, vv);
        oqt = 1; // an evaluation may raise it; it holds only until the next repetition
        cal(uu, vv, numpt, ans);
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
