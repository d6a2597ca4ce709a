// Peak and valley circles: the minimum circumscribing (peak) and maximum
// inscribing (valley) circles of measured points. Both start from the
// minimum-zone centre and search over circles through three points, of which
// only the third is ever replaced. The two are one computation on either side
// of the circle (circleside), which differs in its texts and trace levels.
// Last, the list of all four circle computations.
#pragma once

#include "base/job.h"
#include "form/form.h"

#include <array>

namespace formeval {

// Job 2700: circularity against the peak circle. A record with fewer than
// mincircle points is rejected with a message and nothing is evaluated.
void pkcirco(const jobinfo& job);

// Job 2800: circularity against the valley circle, likewise.
void vacirco(const jobinfo& job);

// What tells the peak circle from the valley circle: the side of the circle
// whose extreme points it seeks, its texts and its trace levels.
struct circleside {
    bool outside;     // the peak circle: the points farthest outside; else inside
    const char* kind; // "peak" or "valley", in its messages
    // The minimum-zone stages: stage numbers written when oqt > stagelevel;
    // with `ask`, no stage bound but the operator's prompt (see circstages).
    int stagelevel;
    bool ask;
    // The minimum-zone circle and its deviations go to result.txt when
    // oqt > mzlevel, then (oqt > 1) the minimum-zone circle of this side and
    // its three extreme points.
    int mzlevel;
    const char* mzcircle[3]; // labels of its radius, centre x, centre y
    const char* mzpoints;
    // The scans for the extreme points start at this deviation; with
    // `tracepoints` each candidate goes to result.txt when oqt > 2.
    double scanstart;
    bool tracepoints;
    // The search: whether it may run cycle `cycle` (which may be replaced)
    // of points numpt, having said why not; the labels of each cycle's circle;
    // the deviations listed from point 0 or 1; the replacement traced.
    bool (*goon)(int& cycle, int numpt);
    const char* cyclecircle[3];
    int firstlisted;
    bool traceexchange;
    // A search circle beyond the minimum-zone circle of this side (larger for
    // the peak, smaller for the valley) is said to be when oqt > worselevel.
    int worselevel;
    const char* worse;
    // The result, when oqt > 1: the points, the circle, the error.
    const char* points;
    const char* circle[3];
    const char* error;

    // Whether deviation a lies beyond b on this side (outside: a > b).
    bool beyond(double a, double b) const { return outside ? a > b : a < b; }
    // Whether a lies at or beyond b.
    bool atleast(double a, double b) const { return outside ? a >= b : a <= b; }
};

// The peak circle: asks the operator after 5 stages and after 10 search
// cycles. The valley circle: never asks; its search stops after
// max(numpt, 10) cycles.
extern const circleside peakside;
extern const circleside valleyside;

// Peak or valley circle of the points (u, v): the minimum-zone centre by
// stages, then the three-point search from the three extreme points of its
// side; fills ans, leaves u, v unchanged. A circle beyond the minimum-zone
// circle of that side (the minimum-zone centre with the radius that reaches
// the extreme point), or a search that cannot go on, gives way to that
// circle, which holds every point (has none inside). Fewer than mincircle
// points, or a minimum-zone circle that is not finite: says so and fills ans
// with NaN.
void extremecircle(const circleside& side, const double* u, const double* v, int numpt,
                   Circlefit& ans);

// extremecircle on either side.
void pkcircocal(const double* u, const double* v, int numpt, Circlefit& ans);
void vacircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Checks that numpt points are enough for a peak or valley circle. When they
// are not, says so on the console, fills ans with NaN and returns false.
bool enoughpts(int numpt, Circlefit& ans);

// Checks that the minimum-zone circle (x0, y0, r0) a "peak" or "valley"
// circle starts from is finite. When it is not, says so on the console, fills
// ans with NaN and returns false.
bool finitemz(double x0, double y0, double r0, const char* kind, Circlefit& ans);

// Extreme point k (0..2) of a side: p[k], np[k] become the deviation farthest
// on that side among the points other than np[0..k-1], and its index; the
// last of equal deviations wins. The scan starts at side.scanstart; np[k]
// stays 0 when no deviation reaches it (or all are NaN).
void extremepoint(const circleside& side, const double* err, int numpt, int k, double* p, int* np);

// Three-point search of a side from the triple np: replaces np[2] (and p[2])
// by the point farthest beyond the circle (x0, y0, r0) through the triple,
// the first of equal deviations, until none lies more than cri beyond it.
// Returns false, having said why, when it ended without a circle of its own:
// side.goon refused a cycle, or a triple has no finite circle.
bool extremesearch(const circleside& side, const double* u, const double* v, int numpt, double* p,
                   int* np, double& x0, double& y0, double& r0);

// Outcome of a three-point circle: a circle, a triple on one line or with a
// repeated point, or a solution that is not a finite circle.
enum class tpfit { circle, singular, nonfinite };

// Circle through the points tri[0..2] of (u, v), from the system
// u^2 + v^2 + A u + B v + C = 0 solved by gauss. Sets x0, y0, r0 only when it
// returns tpfit::circle.
tpfit tpcirc(const double* u, const double* v, const int* tri, double& x0, double& y0, double& r0);

// Notes, on the console and in result.txt, that the triple tri of a "peak" or "valley" search gave
// no circle, and that the minimum-zone circle of that kind is used instead.
void notpcirc(const char* kind, const int* tri, tpfit fit);

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
