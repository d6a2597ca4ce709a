// The sampling pair: 10000 times, pick a sample of the measured points by the
// strategy the job code names, optionally add coordinate noise, evaluate the
// sample and write its result line.
#include "driver/record.h"
#include "studies/studies.h"

#include <algorithm>
#include <ostream>

namespace formeval {

namespace {

constexpr int nrep = 10000;

using selection = int (*)(int* pn, int numpt);

// The tens digit of the job code names the strategy: 5 random, 6 stratified,
// 7 uniform spacing.
selection strategy(int nchois) {
    switch (nchois / 10 % 10) {
    case 5:
        return select;
    case 6:
        return selectstrat;
    default:
        return selectunif;
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

void circsamp(int nchois, circcal cal, int minpt, const char* start, samplenoise noise) {
    const bool noisy = noise == samplenoise::added;
    std::cout << start << "\n";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(nchois, numpt, u, v)) return;
    if (!studystart(nchois, noisy ? asint | asreal : asint)) return;
    const int sampno = static_cast<int>(instructions(asint).sampno);
    if (sampno >= 1 && sampno < minpt) {
        both("\n", "Job ", nchois, " not evaluated: a sample of ", sampno,
             " points is too small; the evaluation needs at least ", minpt);
        return;
    }

    const selection pick = strategy(nchois);
    int pno[nsz];
    double uu[nsz];
    double vv[nsz];
    double uuu[nsz];
    double vvv[nsz];
    Circlefit ans;
    const int repetitions = std::min(nrep, repetitionlimit);
    for (int ii = 0; ii < repetitions; ++ii) {
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
        cal(noisy ? uuu : uu, noisy ? vvv : vv, size, ans);
        resultline(ii, ans);
    }
}

} // namespace formeval
