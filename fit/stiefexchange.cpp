// The two rules that choose which reference point leaves when the worst point
// of the current fit enters: Stiefel's ratio rule for sets whose multipliers
// are all non-zero, and the trial exchange for sets with zero multipliers.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <iostream>

namespace formeval {

int stiefexchange(const Row5* u, const double* /*f*/, Row7* sm, const Row6* v, double* xm,
                  const double* lamda, double hmax, int n, int /*numpt*/, int knt, double h) {
    // Express the entering row through the reference rows, the last one with
    // coefficient 1: sum_j m[j] * v[j] = -u[knt].
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) sm[i][j] = v[j][i];
        sm[i][n] = -v[n][i] - u[knt][i];
    }
    gauss(sm, n, xm);
    double m[6];
    double q[6];
    for (int j = 0; j < n; ++j) m[j] = xm[j];
    m[n] = 1;
    for (int j = 0; j <= n; ++j) q[j] = m[j] / lamda[j];
    if (oqt > 1) {
        both("\n", "m[i]=");
        for (int j = 0; j <= n; ++j) both(m[j], "  ");
        both("\n", "q[i]=");
        for (int j = 0; j <= n; ++j) both(q[j], "  ");
    }

    // h = 0 counts as negative. The first extreme ratio wins ties.
    const double ehmax = h > 0 ? hmax : -hmax;
    int kq = 0;
    double abc = q[0];
    for (int i = 1; i <= n; ++i) {
        const bool better = ehmax > 0 ? q[i] < abc : q[i] > abc;
        if (better) {
            kq = i;
            abc = q[i];
        }
    }
    return kq;
}

int triexchange(const Row5* u, const double* f, Row6* v, double* vr, int n, int numpt, int knt) {
    double htmax = 0;
    int kq = -1;
    for (int nkq = 0; nkq <= n; ++nkq) {
        const Row6 t = v[nkq];
        const double tr = vr[nkq];
        for (int j = 0; j < n; ++j) v[nkq][j] = u[knt][j];
        vr[nkq] = f[knt];
        const double ht = hmzgen(v, vr, n, numpt);
        if (oqt > 1) both("\n", "ht= ", ht);
        v[nkq] = t;
        vr[nkq] = tr;
        if (ht * ht > htmax * htmax) {
            htmax = ht;
            kq = nkq;
        }
    }
    if (kq == -1) {
        event();
        both("no kq could be found by trial exchange");
    }
    return kq;
}

} // namespace formeval
