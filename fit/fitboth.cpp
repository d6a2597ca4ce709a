// Both fits of a job that fits its model once: the least-squares fit, then
// the minimum-zone fit from it, each followed by the job's notes and listing.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <algorithm>

namespace formeval {

void fitboth(const Row5* a, const double* f, int n, int numpt, fitpair& fits, fitlisting listing) {
    double gs[5] = {};
    double err[nsz];
    fits.lserror = lsfit(a, f, gs, err, n, numpt);
    fits.lsfitted = solved();
    std::copy(gs, gs + 5, fits.lsparams.begin());
    if (listing) {
        lsnote();
        listing(fithalf::leastsquares, gs, err, fits.lserror);
    }
    const double emz = mzfit(a, f, gs, err, n, numpt);
    fits.mzfitted = emz != stoppedzone && solved();
    if (listing) mznote(emz);
    fits.mzerror = fullzone(emz, a, f, gs, err, n, numpt);
    std::copy(gs, gs + 5, fits.mzparams.begin());
    if (listing) listing(fithalf::minimumzone, gs, err, fits.mzerror);
}

} // namespace formeval
