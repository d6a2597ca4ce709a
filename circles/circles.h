// Peak and valley circles: the minimum circumscribing (peak) and maximum
// inscribing (valley) circles of measured points. Both start from the
// minimum-zone centre and search over circles through three points, of which
// only the third is ever replaced.
#pragma once

#include "base/job.h"
#include "form/form.h"

#include <array>

namespace formeval {

// Job 2700: circularity against the peak circle. A record with fewer than
// mincircle points is rejected with a message and nothing is evaluated.
void pkcirco(const jobinfo& job);

// Peak circle of the points (u, v): the minimum-zone centre by stages, then the
// three-point search from the three outermost points; fills ans, leaves u, v
// unchanged. Asks the operator after 5 stages and after 10 search cycles.
// Fewer than mincircle points, or a minimum-zone circle that is not finite:
// says so and fills ans with NaN.
void pkcircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Checks that numpt points are enough for a peak or valley circle. When they
// are not, says so on the console, fills ans with NaN and returns false.
bool enoughpts(int numpt, Circlefit& ans);

// Checks that the minimum-zone circle (x0, y0, r0) a "peak" or "valley"
// circle starts from is finite. When it is not, says so on the console, fills
// ans with NaN and returns false.
bool finitemz(double x0, double y0, double r0, const char* kind, Circlefit& ans);

// Peak point k (0..2): p[k], np[k] become the largest deviation among the
// points other than np[0..k-1], and its index; the last of equal largest wins.
// np[k] stays 0 when no deviation qualifies (NaN).
void pkpoint(const double* err, int numpt, int k, double* p, int* np);

// Three-point search of the peak circle from the triple np: replaces np[2]
// (and p[2]) until no point lies more than cri outside the circle (x0, y0, r0).
// Returns false, having said why, when it ended without a circle of its own:
// no answer at its operator prompt, or a triple without a finite circle.
bool pksearch(const double* u, const double* v, int numpt, double* p, int* np, double& x0,
              double& y0, double& r0);

// Outcome of a three-point circle: a circle, a triple on one line or with a
// repeated point, or a solution that is not a finite circle.
enum class tpfit { circle, singular, nonfinite };

// Circle through the points tri[0..2] of (u, v), from the system
// u^2 + v^2 + A u + B v + C = 0 solved by gauss. Sets x0, y0, r0 only when it
// returns tpfit::circle.
tpfit tpcirc(const double* u, const double* v, const int* tri, double& x0, double& y0, double& r0);

// Says on the console that the triple tri of a "peak" or "valley" search gave
// no circle, and that the minimum-zone circle of that kind is used instead.
void notpcirc(const char* kind, const int* tri, tpfit fit);

// Job 2800: circularity against the valley circle. A record with fewer than
// mincircle points is rejected with a message and nothing is evaluated.
void vacirco(const jobinfo& job);

// Valley circle of the points (u, v): the minimum-zone centre by stages, then
// the three-point search from the three innermost points; fills ans, leaves
// u, v unchanged. Never asks: both loops are bounded and say so when they stop.
// Fewer than mincircle points, or a minimum-zone circle that is not finite:
// says so and fills ans with NaN.
void vacircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Valley point k (0..2): vp[k], nv[k] become the smallest deviation among the
// points other than nv[0..k-1], and its index; the last of equal smallest
// wins. The scan starts at 1000000; nv[k] stays 0 when nothing is below it.
void vapoint(const double* err, int numpt, int k, double* vp, int* nv);

// Three-point search of the valley circle from the triple nv: replaces nv[2]
// (and vp[2]) until no point lies more than cri inside the circle (x0, y0, r0),
// for at most max(numpt, 10) cycles. Returns false, having said why, when it
// ended without a circle of its own: at that bound, or at a triple without a
// finite circle.
bool vasearch(const double* u, const double* v, int numpt, double* vp, int* nv, double& x0,
              double& y0, double& r0);

// The four circle computations, each listed once, in the order of
// circlemethod: the jobs that evaluate or study a circle point at one of them
// from their table entry, and formreport runs them all.
inline constexpr std::array<circlecomputation, 4> circlecomputations = {
    circlecomputation{circlemethod::leastsquares, "lscircocal", lscircocal, minlscircle},
    circlecomputation{circlemethod::minimumzone, "mzcircocal", mzcircocal, mincircle},
    circlecomputation{circlemethod::peak, "pkcircocal", pkcircocal, mincircle},
    circlecomputation{circlemethod::valley, "vacircocal", vacircocal, mincircle}};

// The entry of circlecomputations for `method`.
constexpr const circlecomputation& computationof(circlemethod method) {
    return circlecomputations[static_cast<std::size_t>(method)];
}

// Runs `computation` on the points (u, v) outside a job, as a job of its own
// would start it: `tolerance` into cri, trace level 0, no stopped exchange
// pending. `problem` is left as the computation leaves it.
void computecircle(const circlecomputation& computation, double tolerance, const double* u,
                   const double* v, int numpt, Circlefit& ans);

} // namespace formeval
