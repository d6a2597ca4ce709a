// Both fits of a job that fits its model once, as the job makes them, for
// callers that want the numbers rather than the job's listing.
#include "fit/fit.h"
#include "form/form.h"

namespace formeval {

void fitboth(const Row5* a, const double* f, int n, int numpt, fitpair& fits) {
    double gs[5] = {};
    double err[nsz];
    fits.lserror = lsfit(a, f, gs, err, n, numpt);
    fits.lsfitted = solved();
    for (int j = 0; j < 5; ++j) fits.lsparams[j] = gs[j];
    const double emz = mzfit(a, f, gs, err, n, numpt);
    fits.mzfitted = emz != stoppedzone && solved();
    fits.mzerror = fullzone(emz, a, f, gs, err, n, numpt);
    for (int j = 0; j < 5; ++j) fits.mzparams[j] = gs[j];
}

} // namespace formeval
