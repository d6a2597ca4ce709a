// Form evaluators: the computations for straightness, circularity, flatness
// and sphericity, each called with its points and filling its result: the
// determinacy tests, the builders of the linearised models' rows, the fits of
// the jobs that fit once and the staged circles and spheres. The stage loop
// is in form/stages.h, the job routines in form/jobs.h.
#pragma once

#include "base/job.h"
#include "fit/fit.h"
#include "form/stages.h"

#include <array>
#include <limits>

namespace formeval {

// Fewest points of each evaluation: the minimum-zone fits need a reference set
// of n + 1 points (a line 3, a circle and a plane 4, a sphere 5); the
// least-squares circle needs three.
constexpr int minline = 3;
constexpr int mincircle = 4;
constexpr int minlscircle = 3;
constexpr int minplane = 4;
constexpr int minsphere = 5;

// Circle fit result: centre x, centre y, radius, circularity error (largest
// minus smallest radial deviation from the circle, both extremes starting at
// 0, so never negative). Every entry is NaN when no circle fits the points.
using Circlefit = std::array<double, 4>;

// A circle computation: evaluates the points (u, v) and fills the circle fit
// result, leaving u and v unchanged.
using circlefunction = void (*)(const double* u, const double* v, int numpt, Circlefit& ans);

// The four circle computations, in the order formreport lists them.
enum class circlemethod { leastsquares, minimumzone, peak, valley };

// One of the four circle computations (circles/circles.h lists them), which a
// job's table entry names as the computation it evaluates or studies.
struct circlecomputation {
    circlemethod method;
    const char* name; // the routine, e.g. "mzcircocal"
    circlefunction function;
    int minpt; // fewest points it evaluates
};

// Why the points of a job of that feature and point form are refused when
// they leave its model undetermined (a line's points all at one x, a circle's
// on one line, and so on): the reason every such job, and formreport, gives.
const char* whyundetermined(feature shape, pointform points);

// How far numpt points of dim coordinates (columns c[0..dim-1], dim <= 3)
// spread in every direction of their space: the smallest singular value of
// the points moved to their centroid over the largest; 0 when every point is
// the same. Neither moving nor turning the points changes it.
double spreadratio(const double* const* c, int dim, int numpt);

// Smallest spread of the points the evaluations take: below it the products
// of coordinates they form (squares; for the plane, the squares of its
// multipliers, products of four) fall below the range where doubles keep
// their digits (2.2e-308): a circle spread over 1e-158 already loses seven
// digits, one over 1e-160 is wrong; a plane spread over 1e-90 has
// multipliers whose squares are 0.
constexpr double minspread = 1e-150;
constexpr double minplanespread = 1e-70;

// Whether the points spread in every direction enough to determine a model
// (spreadratio at least 1e-8) and spread over at least `smallest` (the
// largest distance of a coordinate from its mean). If not, writes "Job <job>
// not evaluated: <why>" (or why the spread is too small) to the console and
// result.txt.
bool determined(int job, const double* const* c, int dim, int numpt, const char* why,
                double smallest = minspread);

// Whether the points (u, v) determine a circle: not all on one line (nor all
// at one place). If not, says so on the console and in result.txt as job
// `job` not evaluated.
bool circledetermined(int job, const double* u, const double* v, int numpt);

// Whether the points determine a line of deviations in y: their spread in x
// is not negligible against their spread, and they spread over at least
// minspread. If not, says so as circledetermined does.
bool linedetermined(int job, const double* x, const double* y, int numpt);

// The determinacy test of job `job`'s record, whose points' coordinates are
// the columns c[0 .. coordinates(job.points) - 1] as the record gives them:
// a line's spread in x (linedetermined), a plane's in the x-y plane (and at
// least minplanespread), a Cartesian circle's or sphere's in every direction,
// the polar points' directions. Says why not as determined does.
bool jobdetermined(const jobinfo& job, const double* const* c, int numpt);

// The rows of the linearised models, one of n <= 5 coefficients per point.

// Rows (1, x) of the line y = y0 + l0 x of job 1000.
void strows(const double* x, int numpt, Row5* a);

// Rows (1, x/r, y/r) and observations r = sqrt(x^2 + y^2) of the circle
// linearised about the origin of centred coordinates (the points relative to
// a trial centre); a point at the origin gets (1, 0, 0).
void centredcirclerows(const double* x, const double* y, int numpt, Row5* a, double* z);

// Directions (cos, sin) of polar angles in degrees, and the rows (1, cos, sin)
// of job 2000's circle about the polar origin.
void polarcirclerows(const double* theta, int numpt, double* x, double* y, Row5* a);

// Rows (1, x, y) of the plane z = z0 + l0 x + m0 y of job 3000.
void fltrows(const double* x, const double* y, int numpt, Row5* a);

// Rows (1, x/r, y/r, z/r) and observations r = sqrt(x^2 + y^2 + z^2) of the
// sphere linearised about the origin of centred coordinates; a point at the
// origin gets (1, 0, 0, 0).
void centredsphererows(const double* x, const double* y, const double* z, int numpt, Row5* a,
                       double* r);

// Unit directions (x, y, z) of azimuths theta and elevations beta in degrees,
// and the rows (1, x, y, z) of job 4000's sphere about the polar origin.
void polarsphererows(const double* theta, const double* beta, int numpt, double* x, double* y,
                     double* z, Row5* a);

// The fits of the jobs that fit once (fitboth, silently), for callers that
// want the numbers: each with its parameters in the job's order.

// Job 1000's line to the points (x, y), deviations in y: y0, l0.
void stcal(const double* x, const double* y, int numpt, fitpair& fits);

// Job 2000's circle to the polar points (r, theta in degrees): r0, x0, y0 (the
// centre's offsets from the polar origin).
void polarcirclefits(const double* r, const double* theta, int numpt, fitpair& fits);

// Job 3000's plane to the points, deviations in z: z0, l0, m0.
void fltcal(const double* x, const double* y, const double* z, int numpt, fitpair& fits);

// Job 4000's sphere to the spherical polar points: r0, x0, y0, z0 (the
// centre's offsets from the polar origin).
void polarspherefits(const double* r, const double* theta, const double* beta, int numpt,
                     fitpair& fits);

// The staged circles.

// One linearised circle fit to points given relative to a trial centre (rows
// centredcirclerows): the least-squares fit (lsstart), then with
// `minimumzone` the exchange (mzfit). gs[0] radius, gs[1], gs[2] centre shift.
void centredcirclefit(const double* x, const double* y, double* gs, int numpt, bool minimumzone);

// centredcirclefit for the minimum zone: a least-squares start, then the
// exchange. Needs at least four points for a reference set.
void circ(const double* x, const double* y, double* gs, int numpt);

// centredcirclefit for least squares. gs keeps its previous contents when the
// normal equations are singular.
void lscirc(const double* x, const double* y, double* gs, int numpt);

// Radial deviations err of the points from the circle (x0, y0, r0): each
// point's distance from the centre minus the radius, positive outside.
void radialdevs(const double* u, const double* v, int numpt, double x0, double y0, double r0,
                double* err);

// Spread of the exact radial deviations of the points from the circle (x0, y0,
// r0), both extremes starting at 0; lists each point and its deviation when
// `listing` is set.
double circdev(const double* u, const double* v, int numpt, double x0, double y0, double r0,
               bool listing);

// What a circle or sphere result is judged by: the best, among the centroid
// and the least-squares centre (found quietly), of the zone of concentric
// circles (spheres) about it holding every point, the radius of the
// smallest circle about it holding every point and that of the largest with
// none inside about a centre the points surround (circles only; 0 when
// there is none); which centre gave each; and the rounding the distances of
// points with these coordinates carry. Each is a feasible answer of its
// criterion: a minimum zone wider, a peak circle larger or a valley circle
// smaller than it is not what it claims to be.
struct Yardsticks {
    double zone = std::numeric_limits<double>::infinity();
    double enclosing = std::numeric_limits<double>::infinity();
    double inscribed = 0;
    const char* zonecentre = "";
    const char* enclosingcentre = "";
    const char* inscribedcentre = "";
    double rounding = 0;
};

// Whether numpt points of the plane (coordinates c[0], c[1]) surround the
// centre: no angular gap between them, seen from it, of half a turn or more,
// so that no line through it has every point on one side (points at the
// centre count for nothing). Only then is a circle about it with no point
// inside one that the points enclose.
bool surrounds(const double* const* c, int numpt, const double* centre);

// The yardsticks of numpt points of dim (2 or 3) coordinates c[0..dim-1];
// the inscribed circle only when `inscribed` asks for it.
Yardsticks yardsticks(const double* const* c, int dim, int numpt, bool inscribed);

// What a circle or sphere result claims to be: the narrowest zone, the
// smallest circle holding every point or the largest with none inside.
enum class claim { zone, enclosing, inscribed };

// Whether the yardstick of the claim beats a result of it, whose value is its
// form error (a zone) or its radius: wider or larger than the yardstick, or
// smaller than the inscribed one, beyond their rounding and 1e-9 of it.
bool beaten(claim what, double value, const Yardsticks& y);

// A result's form error and whether a yardstick might beat it.
struct Sighting {
    double error = 0;
    bool unsure = true;
};

// One pass over numpt points of dim (2 or 3) coordinates c from the circle or
// sphere (centre, radius) of a result of `what`: the radial deviations' spread
// (both extremes starting at 0, as circdev finds it; each deviation in err
// when given), and `unsure` unless that pass proves no yardstick beats the
// result, in which case `yardsticks` need not be found.
Sighting sight(const double* const* c, int dim, int numpt, const double* centre, double radius,
               claim what, double* err = nullptr);

// Notes, before the listing of a minimum-zone circle or sphere (`what`) of
// form error `error`, that it is wider than the zone about a centre of the
// yardsticks (beaten).
void widenote(const char* what, double error, const Yardsticks& y);

// Fills a circle fit result with NaN: no circle fits the points.
void nocircle(Circlefit& ans);

// Whether a circle fit result holds a circle (see nocircle).
bool circlefound(const Circlefit& ans);

// The staged circle computation shared by the least-squares and minimum-zone
// circles: stages with `fit` (circstages), then the exact radial deviations
// (listed when oqt > listlevel), the error after `label` and the circle (when
// oqt > 2); fills ans, or nocircle when the fit is not finite. With
// `minimumzone`, a result wider than its yardsticks' zone is noted first
// (widenote).
void stagedcircle(stagefit fit, const char* label, int listlevel, const double* u, const double* v,
                  int numpt, Circlefit& ans, bool minimumzone = false);

// Minimum-zone circle of the points (u, v) by stages from the centroid; fills
// ans and leaves u, v unchanged. Silent when oqt <= 1 (but for a stage bound
// hit); needs at least four points.
void mzcircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Least-squares circle of the points (u, v) by stages from the centroid;
// fills ans and leaves u, v unchanged.
void lscircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// The staged sphere.

// One linearised minimum-zone sphere fit to points given relative to a trial
// centre: gs[0] radius, gs[1..3] centre shift. Needs at least five points.
void sph(const double* x, const double* y, const double* z, double* gs, int numpt);

// Sphere fit result: centre x, y, z, radius, sphericity error (largest minus
// smallest radial deviation, both extremes starting at 0).
using Spherefit = std::array<double, 5>;

// Minimum-zone sphere of the points (u, v, w) by stages from the centroid,
// then every point's exact radial deviation (listed with the error and the
// sphere when oqt > 2); fills ans and leaves the points unchanged. Needs at
// least five points.
void sphcocal(const double* u, const double* v, const double* w, int numpt, Spherefit& ans);

} // namespace formeval
