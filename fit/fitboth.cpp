// Both fits of a job that fits its model once: the least-squares fit, then
// the minimum-zone fit from it, each followed by the job's notes and listing.
#include "fit/fit.h"
#include "linalg/linalg.h"

#include <algorithm>
#include <cmath>

namespace formeval {

namespace {

// A result that differs from its value on centred coordinates by more than
// this fraction of it, and the rounding that value carries, has lost digits;
// a zone wider than the spread about the least-squares fit by more than the
// second fraction (and that rounding) is not the minimum zone.
constexpr double digitsrelative = 1e-6;
constexpr double widerrelative = 1e-9;

bool digitslost(double result, double centred, double rounding) {
    return std::fabs(result - centred) > digitsrelative * centred + rounding;
}

} // namespace

void fitboth(const Row5* a, const double* f, int n, int numpt, fitpair& fits, fitlisting listing) {
    double gs[5] = {};
    double err[nsz];
    fits.lserror = lsfit(a, f, gs, err, n, numpt);
    fits.lsfitted = solved();
    std::copy(gs, gs + 5, fits.lsparams.begin());
    // The least-squares fit on centred coordinates: the yardstick of both
    // halves (a zone is never wider than the spread about it).
    double ls[5] = {};
    double lsrounding = 0;
    const bool centred = centredlsq(a, f, n, numpt, ls);
    const double lsspread = centred ? centredspread(a, f, ls, n, numpt, lsrounding) : 0;
    fits.lsdigitslost = fits.lsfitted && centred && digitslost(fits.lserror, lsspread, lsrounding);
    if (listing) {
        lsnote();
        if (fits.lsdigitslost)
            note("The least-squares fit lost digits to the size of the coordinates; it is not the "
                 "least-squares fit, whose error is ",
                 lsspread);
        listing(fithalf::leastsquares, gs, err, fits.lserror);
    }
    const double emz = mzfit(a, f, gs, err, n, numpt);
    fits.mzfitted = emz != stoppedzone && solved();
    if (listing) mznote(emz);
    fits.mzerror = fullzone(emz, a, f, gs, err, n, numpt);
    std::copy(gs, gs + 5, fits.mzparams.begin());
    if (fits.mzfitted) {
        double rounding = 0;
        const double spread = centredspread(a, f, gs, n, numpt, rounding);
        fits.mzdigitslost = digitslost(fits.mzerror, spread, rounding);
        fits.mzbeaten = centred && fits.mzerror > lsspread * (1 + widerrelative) + lsrounding;
        if (listing && fits.mzdigitslost)
            note("The minimum-zone fit lost digits to the size of the coordinates; the spread of "
                 "its deviations is ",
                 spread);
        if (listing && fits.mzbeaten)
            note("The minimum-zone fit found is wider than the spread about the least-squares "
                 "fit, ",
                 lsspread, "; it is not the minimum zone");
    }
    if (listing) listing(fithalf::minimumzone, gs, err, fits.mzerror);
}

} // namespace formeval
