// Analysis of roundness profiles: a profile as radial deviations about a
// circle, where it was measured (all round or an arc), the profile at equal
// angles, its harmonics and the Gaussian profile filter of ISO 16610-21.
//
// Coordinates and deviations are in any one unit (results in the same);
// angles in radians, counterclockwise from +x; frequencies in undulations
// per revolution (UPR). Nothing here writes anything; the functions are safe
// to call from several threads. The harmonic analysis and the filter need
// FFTW: where the library was built without it, `spectral()` is false and
// they throw Unavailable.
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
// equal angles as there are points (`resampled`). No points, no samples.
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

// The cut-offs of the filter, UPR.
constexpr std::array<int, 4> cutoffs = {15, 50, 150, 500};

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
