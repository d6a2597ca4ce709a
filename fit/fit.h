// Fitting engines for models linear in their n parameters (n <= 5): the model
// value at point p is sum_j gs[j] * u[p][j], deviations are model value minus
// observation. Least squares first, then the minimum-zone (Chebyshev) fit by
// exchange over a reference set of n + 1 points. Last, the adapters through
// which the evaluations call them.
#pragma once

#include "base/base.h"

#include <array>
#include <cstddef>

namespace formeval {

// Least-squares parameters gs[0..n-1] of numpt coefficient rows x and
// observations r, through the normal equations in g. A singular system leaves
// gs as it was (the solver says so on the console).
void lsgen(const Row5* x, const double* r, double* gs, Row7* g, int n, int numpt);

// Deviations err[p] = model value - r[p] under the parameters gs.
void error(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt);

// The deviations, as error computes them, and the index of the point maxerp
// would pick, in one pass.
int errmax(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt);

// Least-squares form error: max(0, largest deviation) - min(0, smallest).
double lsqerr(const double* err, int n, int numpt);

// The n + 1 points of largest non-zero |deviation|, largest first: indices in
// ne, magnitudes in em. Where fewer deviations are non-zero, em[k] is 0 and
// ne[k] keeps the caller's value.
void lsqmax(const double* err, int* ne, double* em, int n, int numpt);

// Multipliers of the reference set v (rows 0..n): lamda[i] = (-1)^i times the
// determinant of the rows without row i, so that sum_i lamda[i] * v[i] = 0.
// A pivot below cri makes that multiplier exactly 0.
void lamdacal(const Row6* v, int n, double* lamda);

// Sum of |lamda[i]| over i = 0..n.
double sumlamda(const double* lamda, int n);

// Levelled deviation h = -(sum_i lamda[i] * sr[i]) / sum_i |lamda[i]| of the
// reference set v with observations sr. A degenerate set (sum below cri) is
// reported on the console ("dl= ") and gives 0.
double hmzgen(const Row6* v, const double* sr, int n, int numpt);

// Parameters gs of the fit through n reference points of s at the shifted
// observations f, solved in g. When lamda[n] is negligible, reference row n
// replaces the last row j with a non-negligible multiplier. A singular system
// leaves gs as it was.
void shape(const Row6* s, const double* f, const double* lamda, double* gs, Row7* g, int n);

// The deviation of largest magnitude, with its sign; the first on ties, 0 when
// every deviation is 0.
double maxer(const double* err, int numpt);

// Index of the point maxer picks; 0 when every deviation is 0.
int maxerp(const double* err, int numpt);

// The deviation of point `worst` as maxer reports it: 0 when it is 0 (or
// NaN), with maxer's trace.
double maxat(const double* err, int worst);

// Stiefel exchange rule: the position (0..n) in the reference set v that the
// entering point knt takes, from the ratios of the entering row's coefficients
// over the reference rows to the multipliers. Needs every lamda non-zero;
// works in sm and xm, whose previous contents stand if the system is singular.
int stiefexchange(const Row5* u, const double* f, Row7* sm, const Row6* v, double* xm,
                  const double* lamda, double hmax, int n, int numpt, int knt, double h);

// Trial exchange: the position whose replacement by point knt gives the
// largest |levelled deviation|, or -1 (with a message) when every trial set is
// degenerate. v and vr are changed only during the trials and restored exactly.
int triexchange(const Row5* u, const double* f, Row6* v, double* vr, int n, int numpt, int knt);

// Rounding of a deviation, in units of the double's precision (epsilon) of
// the terms it is computed from: a deviation no larger is rounding noise.
// The deviations of exactly fitting lines and planes up to 1e9 from the
// origin, under a fit through their reference set, measured at most 25 units
// of the terms that fit carries to them (tests/fit measure it again); a real
// deviation, however small against the coordinates, is not taken for
// rounding once it is 64 units of them.
constexpr double roundingunits = 64;

// The zone width mzgen returns when the operator stopped the exchange.
constexpr double stoppedzone = 1.0e9;

// Minimum-zone (Chebyshev) fit from the starting set ne: returns the zone
// width 2|h|, the fit in gs, its deviations in err, its set in ne. gs and err
// must hold the fit lsgen and error made; all-zero err or numpt <= n give 0 at
// once, touching nothing. An invalid ne is replaced by a random set. After 20
// counts it asks the operator; "N" or a closed console raises problem, clears
// g and returns 1.0e9. sm, xm, g are work arrays.
double mzgen(const Row5* u, const double* f, int* ne, double* gs, double* err, Row7* sm, double* xm,
             Row7* g, int n, int numpt);

// Replaces ne[0..n] by n + 1 distinct random point indices drawn from
// std::rand. Needs numpt > n; leaves ne alone otherwise.
void rotate(int* ne, int n, int numpt);

// History of the reference sets of one mzgen call: entry ntri holds the set of
// count ntri; entries never recorded hold -1.
constexpr int nhist = 100;
using Refset = std::array<int, 6>;

// Records ne[0..n] as entry ntri of hist (entries beyond nhist - 1 are not
// recorded) and reports whether an earlier entry 0..ntri-1 holds the same set,
// writing "duplicate reference set found" for each when oqt > 1.
bool dupcheck(int ntri, const int* ne, int n, Refset* hist);

// The adapters: the engines as every evaluation calls them.

// Least-squares half of every evaluation: lsgen, error, lsqerr on the rows a
// and observations f. gs must hold start values (they stand if the normal
// equations are singular). Returns the least-squares form error.
double lsfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt);

// lsfit for the stages of the staged fits, which read neither the
// least-squares deviations nor the error: the fit, its deviations in err when
// `deviations` is set (the minimum-zone exchange starts from them), and
// lsqerr only where it writes its trace (oqt > 2).
void lsstart(const Row5* a, const double* f, double* gs, double* err, int n, int numpt,
             bool deviations);

// Minimum-zone half, after lsfit: the exchange from the n + 1 points of
// largest least-squares deviation, with every work array started at zeros.
// Returns the zone width (0 for exactly fitting data, stoppedzone when
// stopped).
double mzfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt);

// The zone a minimum-zone job reports: emz (2|h| from mzfit), or the spread
// of the fit's deviations err (largest minus smallest) when that exceeds emz
// by more than rounding, so that the zone holds every point.
double fullzone(double emz, const Row5* a, const double* f, const double* gs, const double* err,
                int n, int numpt);

// The least-squares fit of a model whose first column is 1, solved on the
// other columns and the observations moved to their means, quietly, so that
// points far from the origin keep their digits: parameters in gs[0..n-1].
// False when those columns are dependent.
bool centredlsq(const Row5* a, const double* f, int n, int numpt, double* gs);

// The spread (largest minus smallest) of the deviations of the fit gs of a
// model whose first column is 1, computed about the means of the columns and
// observations, which leaves out the shift common to every deviation and
// keeps the digits of points far from the origin; `rounding` receives what
// rounding it may still carry.
double centredspread(const Row5* a, const double* f, const double* gs, int n, int numpt,
                     double& rounding);

// Notes before a job's listing that its least-squares or minimum-zone fit
// met a singular system (solved() is false), or that the minimum-zone fit was
// stopped (emz is stoppedzone): the numbers that follow are not a fit.
void lsnote();
void mznote(double emz);

// What a job that fits its model once (1000, 2000, 3000, 4000) finds: the
// parameters and form error of its least-squares and its minimum-zone fit, as
// the job prints them, and whether each is a fit (not left by a singular
// system; the minimum-zone exchange not stopped).
struct fitpair {
    std::array<double, 5> lsparams{};
    std::array<double, 5> mzparams{};
    double lserror = 0;
    double mzerror = 0;
    bool lsfitted = true;
    bool mzfitted = true;
    // Noted: the least-squares fit lost its digits to the size of the
    // coordinates (it is not the least-squares fit); the minimum zone did
    // (its width is not the spread of its deviations), or is wider than the
    // spread about the least-squares fit (it is not the minimum zone).
    bool lsdigitslost = false;
    bool mzdigitslost = false;
    bool mzbeaten = false;
};

// The two halves of fitboth.
enum class fithalf { leastsquares, minimumzone };

// A job's listing after each half of fitboth: a callable taking the half, its
// parameters gs, its deviations err and the form error it reports, held by
// reference for the call (a lambda given to fitboth lives as long); or none.
class fitlisting {
  public:
    fitlisting() = default;
    fitlisting(std::nullptr_t) {}
    template <class Listing>
    fitlisting(const Listing& listing)
        : listing_(&listing),
          call_([](const void* l, fithalf half, const double* gs, const double* err, double error) {
              (*static_cast<const Listing*>(l))(half, gs, err, error);
          }) {}

    explicit operator bool() const { return call_ != nullptr; }
    void operator()(fithalf half, const double* gs, const double* err, double error) const {
        call_(listing_, half, gs, err, error);
    }

  private:
    const void* listing_ = nullptr;
    void (*call_)(const void*, fithalf, const double*, const double*, double) = nullptr;
};

// Both fits of the n-parameter model with rows a (first column 1) and
// observations f, as the jobs that fit once make them: lsfit, then mzfit from
// the least-squares fit and fullzone. Each result is checked against the same
// fit on coordinates moved to their means (centredlsq, centredspread): a
// least-squares error, or a zone width, that differs from it by more than
// 1e-6 of it and its rounding has lost digits to the size of the
// coordinates; a zone wider than the spread about the least-squares fit is
// not the minimum zone. With a listing (a job's), each half's notes (lsnote,
// mznote, and these) and then its listing follow it; without one (a caller
// that wants the numbers) nothing is written but what the engines write.
void fitboth(const Row5* a, const double* f, int n, int numpt, fitpair& fits,
             fitlisting listing = nullptr);

} // namespace formeval
