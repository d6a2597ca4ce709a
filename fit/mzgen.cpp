// Minimum-zone (Chebyshev) fit by exchange over a reference set of n + 1
// points: level the set, fit through it at +-h, stop when the worst point of
// that fit is within 1 % of h in squares, otherwise exchange the worst point
// in. Degenerate sets are replaced by random ones; after 20 counts the
// operator decides whether to go on.
#include "base/prompt.h"
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <string>

namespace formeval {

namespace {

// Counts before the operator is asked whether to go on.
constexpr int asklimit = 20;
// Every multiplier of a set may be zero: up to n + 1 <= 6 zero multipliers,
// and one pass per sign combination of them.
constexpr int maxzero = 6;
constexpr int maxpass = 1 << maxzero;

// Index sets from a caller may be left short by lsqmax or simply wrong.
bool validset(const int* ne, int n, int numpt) {
    for (int i = 0; i <= n; ++i) {
        if (ne[i] < 0 || ne[i] >= numpt) return false;
        for (int j = 0; j < i; ++j)
            if (ne[i] == ne[j]) return false;
    }
    return true;
}

bool allzero(const double* err, int numpt) {
    for (int i = 0; i < numpt; ++i)
        if (err[i] != 0) return false;
    return true;
}

void load(const Row5* u, const double* f, const int* ne, Row6* v, double* vr, int n) {
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j < n; ++j) v[i][j] = u[ne[i]][j];
        vr[i] = f[ne[i]];
    }
}

// Every multiplier negligible against their sum. A sum of exactly 0 (every
// multiplier 0) counts too: the test against cri * dl cannot see it.
bool degenerate(const double* lamda, double dl, int n) {
    if (dl == 0) return true;
    int count = 0;
    for (int i = 0; i <= n; ++i)
        if (lamda[i] * lamda[i] < cri * dl) ++count;
    return count == n + 1;
}

// Shifts the reference observations by +-h by the sign of their multipliers;
// returns the count of zero multipliers, their positions in nl[1..].
int signs(const double* lamda, const double* vr, double h, double* fr, int* nl, int n) {
    int nzl = 0;
    for (int i = 0; i <= n; ++i) {
        if (lamda[i] < -cri) {
            fr[i] = vr[i] - h;
        } else if (lamda[i] > cri) {
            fr[i] = vr[i] + h;
        } else {
            ++nzl;
            nl[nzl] = i;
            if (oqt > 1) both("\n", "nzl= ", nzl);
        }
    }
    return nzl;
}

void tracepass(double hm, double h) {
    if (oqt > 1) both("\n", "hm[i]", hm);
    if (oqt > 2) {
        both("\n", "hm[i]*hm[i]-h*h=", hm * hm - h * h);
        both("\n", "cri*cri=", cri * cri);
    }
}

// Within 1 % of h in squares. A fit whose parameters are not finite (a
// singular solve with cri = 0) has NaN deviations, which maxer passes over;
// it is never accepted.
bool converged(double hm, double h, const double* gs, int n) {
    if (!(hm * hm - h * h < 0.01 * h * h)) return false;
    for (int j = 0; j < n; ++j)
        if (!std::isfinite(gs[j])) return false;
    return true;
}

// The zone width of a converged set, 2|h|.
double width(double h) {
    return h > 0 ? h + h : -2 * h;
}

bool anynan(const double* err, int numpt) {
    for (int i = 0; i < numpt; ++i)
        if (std::isnan(err[i])) return true;
    return false;
}

// Size of the terms whose sum is the deviation of a point (row, obs) under gs.
double termsize(const Row5& row, double obs, const double* gs, int n) {
    double s = std::fabs(obs);
    for (int j = 0; j < n; ++j) s += std::fabs(gs[j] * row[j]);
    return s;
}

// Weights w with row = sum_i w[i] v[i] over the reference rows 0..n-1;
// false when those rows are dependent.
bool weights(const Row6* v, const Row5& row, int n, double* w) {
    Row7 a[6] = {};
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) a[i][j] = v[j][i];
        a[i][n] = row[i];
    }
    return solvequietly(a, n, w);
}

// What one pass of the exchange tells of the data.
enum class passverdict {
    real,     // the worst deviation is more than rounding
    rounding, // it is rounding noise: the data fit the model up to rounding
    unsure    // it may be rounding, magnified by a fit read far from its points
};

// Reading the fit at a point whose row weighs the reference rows by more than
// this in all (a point well outside them) magnifies their rounding too much
// to tell it from a deviation on one pass.
constexpr double maxreach = 4;

// Whether the worst deviation hm (at point knt) of the fit through the
// reference set, and the levelled deviation h of that set, are rounding noise
// of the numbers they are computed from: h of the terms of its sum (hsize),
// hm of the point's own terms and those of every reference point the fit
// passes through, weighted by how much the fit carries their rounding to knt
// (the weights of knt's row over the reference rows 0..n-1). A deviation
// within roundingunits of them is rounding; if the weights are large, only
// perhaps. (maxer skips NaN deviations, so they are ruled out.)
passverdict roundingonly(const Row5* u, const double* f, const int* ne, const Row6* v,
                         const double* gs, const double* err, double hm, double h, double hsize,
                         int knt, int n, int numpt) {
    constexpr double unit = roundingunits * std::numeric_limits<double>::epsilon();
    double w[6];
    if (!(std::fabs(h) <= unit * hsize) || anynan(err, numpt) || !weights(v, u[knt], n, w))
        return passverdict::real;
    double size = termsize(u[knt], f[knt], gs, n);
    double reach = 0;
    for (int i = 0; i < n; ++i) {
        size += std::fabs(w[i]) * termsize(u[ne[i]], f[ne[i]], gs, n);
        reach += std::fabs(w[i]);
    }
    if (!(std::fabs(hm) <= unit * size)) return passverdict::real;
    return reach <= maxreach ? passverdict::rounding : passverdict::unsure;
}

// Operator's "N" (or no answer): the reference rows go to the console and to
// intres.txt, the fit system is cleared.
void stoprun(const Row6* v, const double* vr, Row7* g, int n) {
    problem = true;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j < n; ++j) {
            std::cout << v[i][j] << "\t";
            imfile << v[i][j] << "\t";
        }
        std::cout << vr[i] << "\n";
        imfile << vr[i] << "\n";
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= n; ++j) g[i][j] = 0;
}

// The operator's answer could not be had: the run stops as on "N".
void noanswer(asked why) {
    if (why == asked::closed)
        std::cout << "\nNo answer at the console: the run stops as on N\n";
    else
        std::cout << "\n"
                  << maxtries << " answers in a row could not be used: the run stops as on N\n";
}

// A point serial number from the console, asked for until it names a point.
asked readpoint(int i, int numpt, int& point) {
    long long value = 0;
    const asked a = askwhole([i] { std::cout << "Give the serial number of point " << i << "\n"; },
                             [numpt](long long v) { return v >= 0 && v < numpt; },
                             [numpt](const std::string& word) {
                                 std::cout << "No point has the serial number " << word
                                           << "; the points are numbered 0 to " << numpt - 1
                                           << "\n";
                             },
                             value);
    if (a == asked::answered) point = static_cast<int>(value);
    return a;
}

enum class answer { stop, newset, carryon };

// The question after too many counts. On "Y" ne receives the operator's set.
answer ask(int ntri, int* ne, int n, int numpt) {
    event();
    std::cout.flush();
    std::cout << "\nntri=" << ntri << "\nContinue?Y/N"
              << "\a\a\a\a\a";
    const std::optional<char> ans = answerchar();
    if (!ans) {
        noanswer(asked::closed);
        return answer::stop;
    }
    if (*ans == 'N' || *ans == 'n') return answer::stop;
    if (*ans != 'Y' && *ans != 'y') return answer::carryon;
    int chosen[6];
    for (int i = 0; i <= n; ++i) {
        const asked a = readpoint(i, numpt, chosen[i]);
        if (a != asked::answered) {
            noanswer(a);
            return answer::stop;
        }
    }
    for (int i = 0; i <= n; ++i) ne[i] = chosen[i];
    return answer::newset;
}

// The entering point: the first combination's worst point, replaced by each
// combination that improves on its predecessor.
void choose(const double* hm, const int* nhm, int npass, double& hmax, int& knt) {
    hmax = hm[1];
    knt = nhm[1];
    for (int i = 2; i <= npass; ++i)
        if (hm[i] * hm[i] < hm[i - 1] * hm[i - 1]) {
            hmax = hm[i];
            knt = nhm[i];
        }
    if (oqt > 1) {
        both("\n", "hmax=", hmax);
        both("\n", "knt= ", knt);
    }
}

void exchange(const Row5* u, const double* f, int* ne, Row6* v, double* vr, int n, int kq,
              int knt) {
    if (oqt > 1) both("\n", "Removing from reference set kq= ", kq);
    for (int j = 0; j < n; ++j) v[kq][j] = u[knt][j];
    vr[kq] = f[knt];
    ne[kq] = knt;
    if (oqt > 1) {
        both("\n", "ne[i]s= ");
        for (int i = 0; i <= n; ++i) both(ne[i], "\t");
        both("\n");
    }
}

} // namespace

double mzgen(const Row5* u, const double* f, int* ne, double* gs, double* err, Row7* sm, double* xm,
             Row7* g, int n, int numpt) {
    // Too few points for a reference set, or data the least-squares fit
    // already passes through: the zone has width 0.
    if (numpt <= n) return 0;
    if (allzero(err, numpt)) return 0;
    if (!validset(ne, n, numpt)) rotate(ne, n, numpt);
    for (int j = 0; j < n; ++j) xm[j] = 0;
    Refset hist[nhist];
    for (Refset& entry : hist) entry.fill(-1);

    Row6 v[7] = {};
    double vr[7] = {};
    double lamda[7] = {};
    double fr[7] = {};
    int nl[maxzero + 1] = {};
    double hm[maxpass + 1] = {};
    int nhm[maxpass + 1] = {};
    int ntri = 0;
    bool reload = true;
    // Whether every pass so far (at least one) may have seen rounding alone.
    bool allrounding = true;
    int passes = 0;
    double lasth = 0;
    for (;;) {
        if (reload) load(u, f, ne, v, vr, n);
        reload = false;
        ++ntri;
        if (ntri > asklimit && allrounding && passes > 0) {
            // Data that fit the model up to rounding, whose reference sets
            // were never spread enough to tell: the fit is as good as the
            // arithmetic can tell, and no operator could do better.
            return width(lasth);
        }
        if (ntri > asklimit) {
            const answer a = ask(ntri, ne, n, numpt);
            if (a == answer::stop) {
                stoprun(v, vr, g, n);
                return stoppedzone;
            }
            if (a == answer::newset) {
                ntri -= 10;
                reload = true;
                continue;
            }
        }

        lamdacal(v, n, lamda);
        const double dl = sumlamda(lamda, n);
        if (degenerate(lamda, dl, n)) {
            rotate(ne, n, numpt);
            reload = true;
            continue;
        }
        double hn = 0;
        for (int i = 0; i <= n; ++i) hn += lamda[i] * vr[i];
        const double h = -hn / dl;
        double hsize = 0;
        for (int i = 0; i <= n; ++i) hsize += std::fabs(lamda[i] * vr[i]);
        hsize /= dl;
        lasth = h;
        if (oqt > 1) both("\n", "h= ", h);

        const int nzl = signs(lamda, vr, h, fr, nl, n);
        if (nzl > 5) {
            event();
            both("Be careful with the result, number of zero lamdas= ", nzl, "\n");
        }
        const int npass = 1 << nzl;
        for (int p = 1; p <= npass; ++p) {
            for (int j = 1; j <= nzl; ++j) fr[nl[j]] = vr[nl[j]] + ((p >> j) % 2 == 0 ? h : -h);
            shape(v, fr, lamda, gs, g, n);
            const int worst = errmax(u, f, gs, err, n, numpt);
            hm[p] = maxat(err, worst);
            tracepass(hm[p], h);
            if (converged(hm[p], h, gs, n)) return width(h);
            nhm[p] = worst;
            const passverdict verdict =
                roundingonly(u, f, ne, v, gs, err, hm[p], h, hsize, worst, n, numpt);
            if (verdict == passverdict::rounding) return width(h);
            allrounding = allrounding && verdict == passverdict::unsure;
            ++passes;
        }

        double hmax = 0;
        int knt = 0;
        choose(hm, nhm, npass, hmax, knt);
        const int kq = nzl > 0 ? triexchange(u, f, v, vr, n, numpt, knt)
                               : stiefexchange(u, f, sm, v, xm, lamda, hmax, n, numpt, knt, h);
        if (kq == -1) {
            rotate(ne, n, numpt);
            reload = true;
            continue;
        }
        exchange(u, f, ne, v, vr, n, kq, knt);
        dupcheck(ntri, ne, n, hist);
    }
}

} // namespace formeval
