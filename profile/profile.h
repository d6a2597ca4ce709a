// Analysis of roundness profiles: a profile as radial deviations about a
// circle, where it was measured (all round or an arc), the profile at equal
// angles, its harmonics with their phases and the Gaussian profile filters of
// ISO 16610-21 (low-pass and band-pass for closed profiles, the regression
// filter for open ones), with the robust Gaussian, spline, 2RC and
// morphological filters beside them.
//
// Coordinates and deviations are in any one unit (results in the same);
// angles in radians, counterclockwise from +x; frequencies in undulations
// per revolution (UPR). Nothing here writes anything; the functions are safe
// to call from several threads. The harmonic analysis and the filters of
// closed profiles in the frequency domain (Gaussian, band-pass, robust,
// 2RC) need FFTW: where the library was built without it, `spectral()` is
// false and they throw Unavailable.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <vector>

namespace formeval::profile {

// A circle: centre (x, y) and radius r.
struct Circle {
    double x = 0;
    double y = 0;
    double r = 0;
};

// A profile point about a centre.
struct PolarPoint {
    double angle = 0;     // of the point as seen from the centre
    double deviation = 0; // distance from the centre minus the radius
};

// The points (x[i], y[i]) as radial deviations from `about`, about its
// centre, sorted by angle. Points beyond the shorter of x and y are ignored.
std::vector<PolarPoint> profileabout(const std::vector<double>& x, const std::vector<double>& y,
                                     const Circle& about);

// Distance from (fromx, fromy) to the circle c along the direction at
// `angle`; nothing when (fromx, fromy) is not inside c.
std::optional<double> distancealong(const Circle& c, double fromx, double fromy, double angle);

// Where a profile was measured: all round, or an arc. It is an arc when the
// largest angle between neighbouring points exceeds both twice the median
// angle between them and 30 degrees; the arc then runs from `start` over
// `span`, the gap lying before `start`. Fewer than two points: all round.
struct ProfileExtent {
    bool closed = true;
    double start = 0;
    double span = 0;
};
ProfileExtent profileextent(const std::vector<PolarPoint>& sorted);

// A closed profile (sorted by angle) at equal angles from its first point's:
// the deviations themselves when their angles are equal within
// equalangletolerance of a step (coordinates given to a few decimals place
// them so), otherwise linear interpolation between neighbours at as many
// equal angles as there are points (`resampled`). A point the same as the
// one before it (angle and deviation) counts once. No points, no samples.
constexpr double equalangletolerance = 1e-4;
struct EqualAngles {
    double start = 0;
    std::vector<double> deviation;
    bool resampled = false;
};
EqualAngles equalangles(const std::vector<PolarPoint>& sorted);

// Harmonics and filtering.

// Whether the library was built with FFTW, and so with the harmonic
// analysis and the filter.
bool spectral();

// What the harmonic analysis and the filter throw when built without FFTW.
class Unavailable : public std::runtime_error {
  public:
    Unavailable()
        : std::runtime_error("built without FFTW: no harmonic analysis and no profile filter") {}
};

// Undulations per revolution the harmonic analysis of a profile lists.
constexpr int maxharmonic = 50;

// Amplitude of each harmonic k = 0 .. `upto` of samples at equal angles about
// the full circle (a_k cos k theta + b_k sin k theta: sqrt(a_k^2 + b_k^2); the
// mean for k = 0), by a real discrete Fourier transform. Harmonics at or
// above half the sample count cannot be resolved and are left out; no
// samples, no amplitudes.
std::vector<double> harmonicamplitudes(const std::vector<double>& samples, int upto);

// The Gaussian profile filter of ISO 16610-21 for closed profiles: the mean
// line of the samples, each harmonic k weighted by its transmission
// exp(-pi (alpha k / cutoff)^2), alpha = sqrt(ln 2 / pi), 50 % at the
// cut-off `cutoff` (UPR, above 0).
double transmission(double upr, double cutoff);
std::vector<double> gaussianfilter(const std::vector<double>& samples, double cutoff);

// One harmonic of a closed profile: amplitude * cos(upr * theta - phase),
// theta the angle about the centre (radians, counterclockwise from +x).
// Its first crest lies at theta = phase / upr.
struct Harmonic {
    int upr = 0;
    double amplitude = 0; // half the harmonic's peak-to-valley, coordinate unit
    double phase = 0;     // radians, in (-pi, pi]
};

// Harmonics k = from .. upto of n samples at equal angles about the full
// circle, the first sample at angle `start` (radians). upto is cut to n / 2,
// the highest harmonic n samples resolve; at k = n / 2 (n even) only the
// cosine part is seen, so its phase is 0 or pi modulo the step. from below 0
// counts from 0. Throws std::invalid_argument when from > upto.
std::vector<Harmonic> harmonicspectrum(const std::vector<double>& samples, double start, int from,
                                       int upto);

// Band-pass of a closed profile: the harmonics between the long-wave cut-off
// `longwave` and the short-wave cut-off `shortwave` (UPR, 0 < longwave <
// shortwave), each weighted by transmission(k, shortwave) -
// transmission(k, longwave): the Gaussian mean line at the short-wave cut-off
// less the one at the long-wave cut-off. Throws std::invalid_argument when
// the cut-offs are not so ordered.
std::vector<double> bandpassfilter(const std::vector<double>& samples, double longwave,
                                   double shortwave);

// The mean line of an open profile (straightness, an arc): values at
// positions along it (strictly increasing, any spacing; length unit), filtered
// at the cut-off wavelength `cutoff` (same unit, above 0). The Gaussian
// regression filter of the first order: at each position the straight line
// fitted with the Gaussian weights of the closed filter (50 % transmission at
// the cut-off), truncated at one cut-off either side. A cut-off or more from
// the ends this is the Gaussian filter itself; nearer the ends, where half the
// weights are missing, the fitted slope keeps the mean line on a sloping
// profile instead of pulling it towards the level inside, as a renormalised
// Gaussian would. Needs no FFTW. Throws std::invalid_argument when the sizes
// differ, a position is not finite or not increasing, or the cut-off is not
// above 0.
std::vector<double> openfilter(const std::vector<double>& position,
                               const std::vector<double>& value, double cutoff);

// The filters beyond the Gaussian. Each comes for closed profiles (samples
// at equal angles about the full circle, the cut-off in UPR) and open ones
// (positions and values as openfilter takes them, the cut-off a wavelength
// in their unit), and returns the mean line at the samples' or positions'
// places. The open ones throw std::invalid_argument as openfilter does; the
// closed ones when the cut-off is not above 0.

// The median of `values`: the middle one, or the mean of the two middle ones
// of an even count; NaN of none.
double median(std::vector<double> values);

// The robust Gaussian regression filter of ISO 16610-31: the Gaussian
// filter (gaussianfilter, openfilter) iteratively reweighted. Each pass
// weights every point by Tukey's biweight of its residual r from the last
// mean line, (1 - (r / c)^2)^2 within |r| < c and 0 beyond, with
// c = biweightscale * median |r| (4.4478 = 3 * 1.4826: three robust
// standard deviations, the constant of ISO/TS 16610-31 after Seewig, "Linear
// and robust Gaussian regression filters", J. Phys. Conf. Ser. 13, 2005).
// Closed profiles take the zeroth order, the weighted mean of the periodic
// Gaussian window (the Gaussian filter of the weighted values over that of
// the weights; where fewer than about 16 samples span a cut-off wavelength,
// the window sampled, so that every weight stays positive and each mean
// within the values its window weighs); open ones the first order,
// openfilter's regression line.
// The passes stop when no point of the mean line moves by more than
// robusttolerance * c, or after robustiterations passes. Where half the
// points or more lie on the mean line c is 0, and a pass weights those 1 and
// every other 0 (the biweight's limit) until the line stands still. Each pass
// shrinks the change about threefold on a rough profile with a spike: 1e-5 c
// (c about three standard deviations of the roughness) takes ten or so
// passes; a closed profile's pass is one complex transform there and back
// (the weighted values and the weights as its real and imaginary parts), an
// open one's two regressions. A window whose weights are all 0 keeps its
// last value.
// The first mean line is the Gaussian filter's, so that a profile without
// outliers comes out close to it, and a spike is left out of the mean line
// instead of being spread over a cut-off. The closed one needs FFTW.
// A closed profile with little or no roughness (a form without noise, or
// noise far below the form's change across a window) has residuals that
// are the filter's own smooth bias: c collapses to them, and the weighted
// mean of a sloping window, pulled by their one-sided weights, drifts from
// pass to pass until the mean line leaves the profile. Where the passes end
// with a window keeping less than robustleastsupport of its weight, or run
// out still moving the mean line by more than c, the closed filter gives
// the mean line of the first pass instead: every point weighed once by its
// residual from the Gaussian mean line, which leaves a spike out and a
// clean form as the Gaussian passes it; `firstpass`, where given, says
// whether it did.
constexpr double biweightscale = 4.4478;
constexpr double robustleastsupport = 0.1;
constexpr int robustiterations = 50;
constexpr double robusttolerance = 1e-5;
std::vector<double> robustfilter(const std::vector<double>& samples, double cutoff,
                                 bool* firstpass = nullptr);
std::vector<double> robustopenfilter(const std::vector<double>& position,
                                     const std::vector<double>& value, double cutoff);

// The cubic spline filter of ISO 16610-22 (no tension): the mean line w of
// the values z solving (I + alpha^4 Q) w = z, Q the fourth difference
// (D^T D, D the second difference), alpha = 1 / (2 sin(pi step / cut-off)).
// A wave of wavelength L passes by 1 / (1 + alpha^4 (2 sin(pi step / L))^4),
// 1 / (1 + (cut-off / L)^4) for waves long against the step, and by half at
// the cut-off. Closed profiles: D cyclic (periodic ends), step one sample,
// the cut-off n / cutoff samples, solved as a band with the two rows that
// wrap round by the Sherman-Morrison-Woodbury identity. Open ones: natural
// ends (D only inside the profile), and any spacing: it minimises
// sum m_i (z_i - w_i)^2 + beta sum m'_j s_j^2, m_i the length a point stands
// for (half its two steps; the end step at the ends), s_j the second divided
// difference and m'_j half its two steps, beta = step^4 alpha^4 at the mean
// step: at equal steps, the equation above. Both O(n); a cut-off shorter
// than two steps is taken as two. Fewer than three points come back as
// they are. Needs no FFTW.
std::vector<double> splinefilter(const std::vector<double>& samples, double cutoff);
std::vector<double> splineopenfilter(const std::vector<double>& position,
                                     const std::vector<double>& value, double cutoff);

// The 2RC filter of the analogue roundness instruments: two cascaded RC
// high-pass stages, each i w tau / (1 + i w tau), w tau = sqrt(3) at the
// cut-off, so that the roughness they pass, (w tau)^2 / (1 + (w tau)^2) in
// amplitude, is 75 % there; the mean line is the profile less it. It is
// not phase-correct: the trace runs in the order of increasing angle or
// position, and the mean line lags behind the profile. Closed profiles by
// the complex transmission of each harmonic (w the harmonic, needs FFTW);
// open ones by the two stages run along the positions from the first (the
// input linear between points, exact for it; the stages start settled at the
// first value, so the first cut-off or so still carries their transient).
std::vector<double> rcfilter(const std::vector<double>& samples, double cutoff);
std::vector<double> rcopenfilter(const std::vector<double>& position,
                                 const std::vector<double>& value, double cutoff);

// The morphological filters of ISO 16610-41 with a disk of `radius` (the
// values' unit, above 0): closing, the envelope of the disk rolled over the
// profile from above (outside a circle's profile), and opening, from below
// (inside). With the disk's centres at the profile's positions: the
// dilation c_j = max z_k + sqrt(R^2 - (x_k - x_j)^2) over |x_k - x_j| <= R,
// then the closing at x_i = min c_j - sqrt(R^2 - (x_j - x_i)^2) over the
// same neighbours; the opening is the closing of -z, negated. Closing >=
// profile >= opening, both idempotent; a groove narrower than the disk is
// filled, a profile the disk fits everywhere kept (up to the spacing).
// Positions as openfilter takes them; `period` above 0 makes the profile
// periodic (a circle's: positions along the circumference, period its
// length, the positions spanning less than it; the disk reaches the nearest
// copy of each point, at most half the period either way). O(n log n + the
// pairs of points within a disk). Throws std::invalid_argument on the sizes, a
// position or value not finite, positions not increasing, a radius not
// above 0, a period below 0 or not above the positions' span.
std::vector<double> closingfilter(const std::vector<double>& position,
                                  const std::vector<double>& value, double radius,
                                  double period = 0);
std::vector<double> openingfilter(const std::vector<double>& position,
                                  const std::vector<double>& value, double radius,
                                  double period = 0);

// The areal Gaussian filter of ISO 16610-61 of a surface's deviations z at
// scattered positions (u[i], v[i]) (a plane's frame, a cylinder's developed
// surface): at each position the plane a + b du + c dv fitted with the
// Gaussian weights exp(-pi (d / (alpha cutoff))^2), alpha = sqrt(ln 2 / pi),
// of the points within one cut-off (d their distance; 50 % transmission of
// a wave at the cut-off wavelength `cutoff`, above 0), its value there the
// mean surface's: first-order regression, which keeps a tilted surface to
// its edges as openfilter keeps a sloping line. A window too thin to tell a
// tilt (one point, points on a line) gives its weighted mean. `uperiod`
// above 0 makes u periodic (a cylinder's arc length round its axis, period
// 2 pi r), distances along u taken round it. The points are found through a
// grid of cells a cut-off wide: O(n log n + n * the points within a
// cut-off). Throws std::invalid_argument when the sizes differ, a position
// or value is not finite, the cut-off is not above 0 or shorter than 1e-12
// of the extent, or the period is below 0.
// The work of arealfilter on these positions: the pairs of points it
// weighs (each point against every point of the cells about its own), which
// grows with the square of the cut-off; a caller can refuse a cut-off that
// would take hours. Throws as arealfilter does.
double arealpairs(const std::vector<double>& u, const std::vector<double>& v, double cutoff,
                  double uperiod = 0);
std::vector<double> arealfilter(const std::vector<double>& u, const std::vector<double>& v,
                                const std::vector<double>& z, double cutoff, double uperiod = 0);

// The harmonic amplitudes, up to maxharmonic, of the closed profile of the
// points (x[i], y[i]) about `about`, at equal angles (see equalangles).
struct Harmonics {
    std::vector<double> amplitude; // index: undulations per revolution
    std::size_t points = 0;
    bool resampled = false;
};
Harmonics harmonics(const std::vector<double>& x, const std::vector<double>& y,
                    const Circle& about);

// The closed profile of the points about `about`, at equal angles and
// filtered at `cutoff` UPR, as points again.
struct Filtered {
    std::vector<double> x;
    std::vector<double> y;
    bool resampled = false;
};
Filtered filtered(const std::vector<double>& x, const std::vector<double>& y, const Circle& about,
                  double cutoff);

} // namespace formeval::profile
