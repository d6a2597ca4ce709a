// Uncertainty of the reference features of a point set: the Monte Carlo
// method of JCGM 101:2008 (GUM Supplement 1), with fixed or adaptive trials,
// and the GUM law of propagation (JCGM 100:2008) beside it, validated against
// it as JCGM 101 8 does; a budget of each contribution's share; the statement
// a certificate can quote, rounded; the decision rules of ISO 14253-1.
//
// Lengths are in the unit of the coordinates; scale errors are relative
// (dimensionless), squareness errors in radians; every result is in the unit
// of its quantity. Nothing here keeps state between calls or writes anything;
// propagate runs its trials on threads of its own, and its results are the
// same to the last bit whatever their number. It does not throw for inputs it
// cannot use: it says why in `failure`.
#pragma once

// Relative to this header, so that it holds both in the source tree and
// installed under include/formeval/.
#include "../pointset/pointset.h"
#include "../statistics/statistics.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace formeval::uncertainty {

using pointset::Criterion;
using pointset::Feature;
using statistics::Basispoints;

// The input model.

// Distributions of an input about 0: gaussian of standard deviation `width`;
// rectangular (uniform), triangular and arcsine (U-shaped) over
// [-width, width].
enum class Distribution { gaussian, rectangular, triangular, arcsine };

// The standard uncertainty of a distribution of that width: width, width/√3,
// width/√6, width/√2.
double standarduncertainty(Distribution d, double width);

// Where a contribution acts. Per point, drawn afresh for every point of a
// trial: `coordinates` every coordinate on its own (isotropic for a gaussian);
// `x`, `y`, `z` one coordinate; `normal` along the feature's normal at the
// point (a probe's error): a circle's or sphere's radial direction from the
// measured centre, a cylinder's from its axis, a line's or plane's normal, a
// cone's normal to its surface (the radial direction tilted back along the
// axis by the half apex angle).
// Systematic, one draw shared by every point of a trial: `scale` every
// coordinate times 1 + e, `scalex`... one coordinate (e relative); `offsetx`...
// a translation along an axis (a length); `squarenessxy` x + e y,
// `squarenessxz` x + e z, `squarenessyz` y + e z (e in radians).
enum class Acts {
    coordinates,
    x,
    y,
    z,
    normal,
    scale,
    scalex,
    scaley,
    scalez,
    offsetx,
    offsety,
    offsetz,
    squarenessxy,
    squarenessxz,
    squarenessyz
};

// Whether a contribution is drawn once per trial; whether its width is a
// length (per-point ones, offsets), not relative or an angle.
bool systematic(Acts a);
bool lengthwidth(Acts a);

struct Contribution {
    std::string name; // for the budget
    Acts acts = Acts::coordinates;
    Distribution distribution = Distribution::gaussian;
    double width = 0; // >= 0: a standard deviation, or a half-width
};

// How a trial perturbs the measured points: per point i, every per-point
// contribution in the order given; then x' = (1 + sx) x + exy y + exz z + ox,
// y' = (1 + sy) y + eyz z + oy, z' = (1 + sz) z + oz, with s the sum of the
// common and the axis' scale errors.

struct Options {
    long trials = 100000;     // M, when digits is 0
    int digits = 0;           // > 0: the adaptive procedure (JCGM 101 7.9) to this many
                              // significant digits (1 to 4) of every u(y)
    int tolerancedigits = 2;  // fixed M: the digits of u(y) that set delta (1 to 4)
    long maxtrials = 1000000; // where the adaptive procedure stops unconverged
    Basispoints coverage = statistics::defaultcoverage;
    std::uint64_t seed = 1;
    int threads = 0;           // 0: every core
    bool gum = true;           // the law of propagation, the budget and the validation
    bool certifytrials = true; // certify every trial's result (always the measured one)
    bool correctbias = true;   // quote a bias-corrected estimate where the bias is significant
    long budget = 100000;      // cells of the measured reference's certifying search
    long trialbudget = 2000;   // of each trial's and GUM input's: a search that runs out
                               // leaves that result uncertified (counted), not late; a
                               // cone's trials are not searched (0), only bracketed
    // Called now and then on the calling thread with the trials done and
    // those planned (the adaptive procedure: done, maxtrials); may be null.
    void (*progress)(void* context, long done, long planned) = nullptr;
    void* context = nullptr;
};

// The random numbers: MRG32k3a (L'Ecuyer 1999), stream `seed` of the streams
// 2^127 draws apart from the state 12345 (L'Ecuyer et al. 2002); trial t
// draws from its substream t (2^76 draws apart), reached by jump-ahead, so
// that no trial depends on another or on which thread runs it. Gaussian
// variates by the ziggurat (Marsaglia and Tsang 2000), others from uniforms.

// The Monte Carlo result of one quantity, from the trials that gave a
// feature, and its GUM counterpart.
struct Quantity {
    std::string name;    // "radius", "centre_x", "t" ... (quantitynames)
    bool length = true;  // in the coordinates' unit; false: dimensionless, or an angle
    bool angle = false;  // an angle in radians (a cone's apex_angle); length is false
    double measured = 0; // of the points as given
    // Monte Carlo: y the average, u(y) the standard deviation, the
    // probabilistically symmetric and the shortest interval (JCGM 101 7.6,
    // 7.7); U the distance from y to the farther end of the symmetric
    // interval, so that y +- U holds it; k = U / u(y) (0 when u(y) is 0).
    statistics::Statistics mc;
    double U = 0;
    double k = 0;
    double tolerance = 0;   // delta (JCGM 101 7.9.2) of u(y) at the digits asked
    bool converged = false; // adaptive: stable; fixed M: stable within its 10 batches
    long needed = 0;        // fixed M, not converged: about as many trials would be
    // GUM: y the measured value, u_c(y) from the sensitivities, k for the
    // coverage probability of a Gaussian, U = k u_c(y).
    bool hasgum = false;
    double gumu = 0;
    double gumk = 0;
    double gumU = 0;
    // Validation (JCGM 101 8.2): d_low = |y - U - y_low|, d_high = |y + U -
    // y_high| against the Monte Carlo interval; validated when both <= delta.
    double dlow = 0;
    double dhigh = 0;
    bool validated = false;
    // Per contribution, in the order given: its part u_i(y) of u_c(y) and
    // sensitivity c_i = u_i(y) / u(x_i) (per-point ones: the root sum of
    // squares over the points).
    std::vector<double> budget;
    std::vector<double> sensitivity;
    std::vector<double> values; // the trials' values, in trial order
    // The Monte Carlo average less the measured value: what the noise the
    // model adds to the points, which already carry noise, shifts the
    // quantity by.
    double bias = 0;
    // What the statement quotes: the Monte Carlo's own y, u(y), U, k and
    // symmetric interval where |bias| is at most a tenth of u(y) (or within
    // 1e-12 of the largest coordinate's magnitude, rounding); otherwise
    // (`corrected`) the measured value less `correction`, the mean shift the
    // model's noise gives a denoised copy of the points (a parametric
    // bootstrap), with the shifts' interval reflected about it and each end
    // widened in quadrature by k `correctionu` (k of a Gaussian for the
    // coverage), the standard uncertainty of that correction: the root mean square error of the
    // same procedure on 20 pseudo-measurements of the copy, whose bias is known. Points too sparse
    // for their form to be told from the noise cannot be denoised (`denoised` false): the
    // correction is then made about the points as measured and its standard uncertainty is at least
    // itself. u is then the shifts' standard deviation and correctionu in quadrature, U the
    // distance from y to the farther end, k = U / u.
    struct Estimate {
        double y = 0, u = 0, U = 0, k = 0, low = 0, high = 0;
        bool corrected = false;
        bool denoised = false;
        double correction = 0;
        double correctionu = 0;
    } quoted;
};

struct Result {
    bool ok = false;
    std::string failure;
    pointset::Reference measured; // the reference of the points as given, certified
    std::vector<Quantity> quantities;
    long trials = 0; // M
    bool adaptive = false;
    long batch = 0; // trials a batch (adaptive), 0 otherwise
    long batches = 0;
    bool converged = false; // every quantity
    int digits = 2;         // of the numerical tolerance: digits, or tolerancedigits
    long failed = 0;        // trials whose points gave no feature, left out
    long uncertified = 0;   // trials whose result was not certified (when asked)
    std::string gumfailure; // why there is no GUM result, when asked for and missing
    long gumevaluations = 0;
    std::vector<double> inputu; // u(x_i) of each contribution
};

// The uncertainty of every quantity of the reference feature of the points
// by the criterion. Fails for: points the feature cannot be evaluated on
// (pointset::evaluate's failures); a contribution with a width that is
// negative or not finite, or along z for points in the plane; no
// contribution of nonzero width; fewer trials than the coverage interval
// needs (M - pM < 1), or more than maxtrials; digits outside 0 to 4 or
// tolerancedigits outside 1 to 4; a coverage not above 0 and below 100 %;
// every trial failing.
Result propagate(const pointset::Points& points, Feature feature, Criterion criterion,
                 const std::vector<Contribution>& model, const Options& options);

// The quantities of a feature by a criterion, in output order, as its traits
// (pointset::traits) give them: the location (centre_x... of a feature with a
// centre, else point_x...), the direction (direction_x... along a line,
// normal_x... of a plane, axis_x... in space), the radius and diameter of a
// round feature (a cone's at its point), a cone's apex_angle (its full
// angle at the apex, twice pointset's half angle, in radians), else a line's
// slope dy/dx and a line's or plane's offset (its signed distance from the
// origin along its normal); then t, p, v, q where the criterion does not fix
// them (p = v = t/2 for the minimum zone; p is 0 for the circumscribed, v
// for the inscribed feature). Every trial's direction is turned to the
// measured one's way; a cone turned so keeps its surface with its angle
// negated (it narrows that way), so that a nearly cylindrical cone's
// apex_angle varies continuously about 0 rather than its axis flipping.
std::vector<std::string> quantitynames(Feature feature, Criterion criterion);

// The values of those quantities of a reference, in that order.
std::vector<double> quantityvalues(const pointset::Reference& r);

// Whether the quantity is never below 0 (a form parameter, a radius or a
// diameter).
bool nonnegative(const std::string& quantity);

// Batches of the adaptive procedure: max(J, 10^4) trials, J the least whole
// number >= 100 / (1 - p).
long adaptivebatch(Basispoints coverage);

// The adaptive procedure's stopping rule (JCGM 101 7.9.4), fed batch by
// batch: after h >= 2 batches a quantity is stable when twice the standard
// deviation of the average of its batches' means, standard deviations and
// interval ends (at `coverage`) are each at most delta, half a unit in the
// `digits`-th significant digit of the standard deviation of all its values.
class AdaptiveStop {
  public:
    AdaptiveStop(std::size_t quantities, int digits, Basispoints coverage);
    // The next batch, values[q] quantity q's (any number, failed trials left
    // out); true when every quantity is stable.
    bool add(const std::vector<std::vector<double>>& values);
    bool stable(std::size_t q) const { return q_[q].stable; }

  private:
    struct Running { // all values so far, and each batch's four
        double count = 0, mean = 0, squares = 0;
        std::vector<statistics::BatchValues> batches;
        bool stable = false;
    };
    int digits_;
    Basispoints coverage_;
    std::vector<Running> q_;
};

// The coverage factor of a Gaussian for `coverage`: 1.95996... for 95 %.
double gaussianfactor(Basispoints coverage);

// The statement.

// A result rounded for a certificate: U to `digits` significant digits by
// the usual rule, or upwards where that would lower it by more than 5 %
// (EA-4/02); y to the same decimal place, the interval ends outwards to it.
// `decimals`: places after the point (negative: zeros before it).
struct Rounded {
    double y = 0, U = 0, low = 0, high = 0;
    int decimals = 0;
};
Rounded roundstatement(double y, double U, double low, double high, int digits = 2);

// Decision rules for a result y +- U against its tolerance limits.
// guarded (ISO 14253-1): conformance proven when y - U >= low and y + U <=
// high, non-conformance proven when y - U > high or y + U < low, otherwise
// undecided; simple acceptance: accepted when low <= y <= high, otherwise
// rejected.
enum class Rule { guarded, simple };
enum class Verdict { conformance, nonconformance, undecided, accepted, rejected };
struct Limits {
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
};
Verdict decide(double y, double U, const Limits& limits, Rule rule);

// "gaussian" ..., "coordinates" ..., "conformance proven" ...
const char* distributionname(Distribution d);
const char* actsname(Acts a);
const char* verdictname(Verdict v);

} // namespace formeval::uncertainty
