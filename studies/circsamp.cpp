// The sampling pair: as many times as the job's table entry says, pick a
// sample of the measured points by the strategy it names, add coordinate
// noise where it says so, evaluate the sample with its circle computation and
// write the result line.
#include "base/record.h"
#include "studies/studies.h"

#include <algorithm>
#include <ostream>

namespace formeval {

namespace {

using selection = int (*)(int* pn, int numpt);

// The selection routine of a strategy of the job table.
selection picker(sampling strategy) {
    switch (strategy) {
    case sampling::stratified:
        return selectstrat;
    case sampling::uniform:
        return selectunif;
    default:
        return select;
    }
}

// Says, in result.txt on a line of its own, why a repetition has no result.
void skipped(int ii, int size, int minpt) {
    std::cout << "\n";
    startline();
    both("Repetition ", ii, " not evaluated: a sample of ", size,
         " points is too small; the evaluation needs at least ", minpt, "\n");
}

} // namespace

void circsamp(const jobinfo& job, const char* start) {
    const bool noisy = job.noise == coordinatenoise::added;
    const int minpt = job.circle->minpt;
    recordpoints p;
    if (!startjob(job, std::string(start) + "\n", p)) return;
    const auto& [u, v, unused, numpt] = p;
    if (!studystart(job.code, noisy ? asint | asreal : asint)) return;
    const int sampno = static_cast<int>(instructions(asint).sampno);
    if (sampno >= 1 && sampno < minpt) {
        both("\n", "Job ", job.code, " not evaluated: a sample of ", sampno,
             " points is too small; the evaluation needs at least ", minpt);
        return;
    }

    const selection pick = picker(job.strategy);
    int pno[nsz];
    double uu[nsz];
    double vv[nsz];
    double uuu[nsz];
    double vvv[nsz];
    Circlefit ans;
    const int repetitions = std::min(job.repetitions, repetitionlimit);
    for (int ii = 0; ii < repetitions && !stoprequest(); ++ii) {
        imfile << "\n" << ii << "\t";
        const int size = pick(pno, numpt);
        for (int k = 0; k < size; ++k) {
            uu[k] = u[pno[k]];
            vv[k] = v[pno[k]];
        }
        if (noisy) std::cout << ii << "\n";
        if (size < minpt) {
            skipped(ii, size, minpt);
            continue;
        }
        if (noisy) addrand(uu, vv, size, uuu, vvv);
        oqt = 0;
        job.circle->function(noisy ? uuu : uu, noisy ? vvv : vv, size, ans);
        resultline(ii, ans);
    }
}

} // namespace formeval
