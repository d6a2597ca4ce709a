// Form evaluators: the job routines and computations for straightness,
// circularity, flatness and sphericity. Circles and spheres given in Cartesian
// coordinates are evaluated in stages about a moving centre.
#pragma once

#include "base/job.h"
#include "linalg/linalg.h"

#include <array>
#include <cstddef>
#include <optional>

namespace formeval {

// Fewest points of each evaluation: the minimum-zone fits need a reference set
// of n + 1 points (a line 3, a circle and a plane 4, a sphere 5); the
// least-squares circle needs three.
constexpr int minline = 3;
constexpr int mincircle = 4;
constexpr int minlscircle = 3;
constexpr int minplane = 4;
constexpr int minsphere = 5;

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
// Returns the zone width (0 for exactly fitting data, 1.0e9 when stopped).
double mzfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt);

// The zone a minimum-zone job reports: emz (2|h| from mzfit), or the spread
// of the fit's deviations err (largest minus smallest) when that exceeds emz
// by more than rounding, so that the zone holds every point.
double fullzone(double emz, const Row5* a, const double* f, const double* gs, const double* err,
                int n, int numpt);

// Notes before a job's listing that its least-squares or minimum-zone fit
// met a singular system (solved() is false), or that the minimum-zone fit was
// stopped (emz is the abort value stoppedzone): the numbers that follow are
// not a fit.
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
};

// Both fits of the n-parameter model with rows a and observations f, as the
// jobs that fit once make them (lsfit, then mzfit and fullzone).
void fitboth(const Row5* a, const double* f, int n, int numpt, fitpair& fits);

// How far numpt points of dim coordinates (columns c[0..dim-1], dim <= 3)
// spread in every direction of their space: the smallest singular value of
// the points moved to their centroid over the largest; 0 when every point is
// the same. Neither moving nor turning the points changes it.
double spreadratio(const double* const* c, int dim, int numpt);

// Why the points of a job of that feature and point form are refused when
// they leave its model undetermined (a line's points all at one x, a circle's
// on one line, and so on): the reason every such job, and formreport, gives.
const char* whyundetermined(feature shape, pointform points);

// Whether the points spread in every direction enough to determine a model
// (spreadratio at least 1e-8). If not, writes "Job <job> not evaluated: <why>"
// to the console and result.txt.
bool determined(int job, const double* const* c, int dim, int numpt, const char* why);

// Whether the points (u, v) determine a circle: not all on one line (nor all
// at one place). If not, says so on the console and in result.txt as job
// `job` not evaluated.
bool circledetermined(int job, const double* u, const double* v, int numpt);

// Whether the points determine a line of deviations in y: their spread in x
// is not negligible against their spread. If not, says so as circledetermined
// does.
bool linedetermined(int job, const double* x, const double* y, int numpt);

// Bound on the centre stages of the staged circle and sphere evaluations;
// converging data settle in a handful of stages.
constexpr int maxstages = 1000;

// A linearised circle fit to points given relative to a trial centre:
// gs[0] radius, gs[1], gs[2] shift of the fitted centre from the trial centre.
using stagefit = void (*)(const double* x, const double* y, double* gs, int numpt);

// Centroid of the points: the first centre estimate of the staged fits.
void centroid(const double* u, const double* v, int numpt, double& x0, double& y0);

// One stage of a staged circle fit: fits the points (u, v) relative to the
// centre estimate (x0, y0), moves the estimate by the fitted shift and sets r0.
// gs carries the fit parameters from stage to stage. Returns the squared shift.
double circstage(stagefit fit, const double* u, const double* v, int numpt, double* gs, double& x0,
                 double& y0, double& r0);

// Whether a circle (radius r0 about (x0, y0)) is made of finite numbers.
// Collinear or coincident points make the linearised fits singular; a solve
// whose last pivot vanishes then yields infinite or NaN parameters.
bool finitecircle(double x0, double y0, double r0);

// Fills a circle fit result with NaN: no circle fits the points.
void nocircle(Circlefit& ans);

// Whether a circle fit result holds a circle (see nocircle).
bool circlefound(const Circlefit& ans);

// Writes to the console and result.txt that job `job` found no circle.
void nocirclejob(int job);

// Flushes result.txt, writes `question` to the console and reads a whole
// number into `counter` (one beyond the counter's range becomes its bound).
// When the console gives none (it is closed, or the answer is not a whole
// number) it says so, adds `otherwise`, and returns false.
bool askcount(const char* question, const char* otherwise, int& counter);

// The end of a stage loop that cleared `problem` before its first stage
// (`raised` says whether it was set then): notes, on the console and in
// result.txt, a stage whose exchange the operator stopped, or else a loop that
// stopped `unsettled` at its bound, and a last stage whose fit met a singular
// system (not `fitted`); leaves problem raised if it was raised before or
// during the loop.
void endstages(int stageno, bool unsettled, bool fitted, bool raised);

// The stages of a staged circle fit from the centroid, until the squared shift
// is at most 0.0001 r0, maxstages have run or the operator has stopped a
// stage's exchange (problem stays raised), with each stage's detail items.
// Leaves the final centre in (x0, y0) and the last stage's radius in r0; a
// stage whose fit is not finite ends the loop with those values (see
// finitecircle). Each stage's number is written when oqt > stagelevel. With
// `ask` (the peak circle) there is no stage bound: after five stages the
// operator's whole number replaces the stage counter, and a console that
// gives none ends the loop with the current centre.
void circstages(stagefit fit, const double* u, const double* v, int numpt, double& x0, double& y0,
                double& r0, int stagelevel = 2, bool ask = false);

// Brent's cycle detection over the silent stages of a stage loop. A stage is
// silent when it writes nothing (trace level at most 1) and no event (see
// events()) happens in it: its outcome then depends on the loop's state
// alone. A loop whose state comes back, bit for bit, to one it was in after
// silent stages only will go round the same cycle until its stage bound.
class stagecycle {
  public:
    // `size`: bytes of the loop's state, at most 128.
    explicit stagecycle(std::size_t size) : size_(size) {}

    // After stage `stageno` of a loop bounded by maxstages, whose state is now
    // `state`: the stage number the loop may go on from. When the state has
    // come back, that is the stage of the last round of the cycle before the
    // bound that ends in this same state, so that the stages still run end at
    // the bound exactly as all the skipped rounds would have.
    int next(int stageno, const void* state, bool silent);

  private:
    std::size_t size_;
    unsigned char tortoise_[128] = {};
    int power_ = 1;
    int lam_ = 0;
    bool armed_ = false;
};

// The stage loop the staged circle and sphere fits share. `state` is the
// loop's whole state (a struct of numbers: the centre, the radius, the fit
// parameters carried from stage to stage), which stage() updates: it runs one
// stage (fits about the current centre, moves it, sets the radius r0 and
// writes its own detail items) and returns the shift to compare with
// 0.0001 r0, or nothing when its fit is not finite, which ends the loop. The
// loop ends when that shift is small, the operator has stopped a stage's
// exchange, or maxstages have run (without `ask`), and then writes its notes
// (endstages). A silent loop that has come back to an earlier state skips the
// rounds of its cycle (stagecycle). Each stage's number is written when
// oqt > stagelevel. With `ask` (the peak circle) there is no stage bound:
// after five stages the operator's whole number replaces the stage counter,
// and a console that gives none ends the loop with the current centre.
template <class Stage, class State>
void stageloop(Stage stage, const State& state, const double& r0, int stagelevel = 2,
               bool ask = false) {
    constexpr int stageask = 5;
    const bool raised = problem;
    problem = false;
    stagecycle cycle(sizeof state);
    int stageno = 0;
    double cd = 0;
    bool fitted = true;
    bool finite = true;
    do {
        ++stageno;
        if (ask && stageno > stageask &&
            !askcount("\nStage number>5. Do you want to continue?",
                      ": the stage loop ends with the current centre", stageno))
            break;
        if (oqt > stagelevel) both("\n", "Stage Number = ", stageno);
        const unsigned long before = events();
        const std::optional<double> shift = stage();
        fitted = solved();
        if (!shift) {
            finite = false;
            break;
        }
        cd = *shift;
        if (!ask) stageno = cycle.next(stageno, &state, oqt <= 1 && events() == before);
    } while (!problem && cd > 0.0001 * r0 && (ask || stageno < maxstages));
    endstages(stageno, !ask && finite && cd > 0.0001 * r0, fitted, raised);
}

// Radial deviations err of the points from the circle (x0, y0, r0): each
// point's distance from the centre minus the radius, positive outside.
void radialdevs(const double* u, const double* v, int numpt, double x0, double y0, double r0,
                double* err);

// Spread of the exact radial deviations of the points from the circle (x0, y0,
// r0), both extremes starting at 0; lists each point and its deviation when
// `listing` is set.
double circdev(const double* u, const double* v, int numpt, double x0, double y0, double r0,
               bool listing);

// The staged circle computation shared by the least-squares and minimum-zone
// circles: stages with `fit`, then the exact radial deviations (listed when oqt
// > listlevel), the error after `label` and the circle (when oqt > 2); fills
// ans, or nocircle when the fit is not finite.
void circocal(stagefit fit, const char* label, int listlevel, const double* u, const double* v,
              int numpt, Circlefit& ans);

// How a Cartesian circle job says that no circle fits its points: the job
// itself, or the computation, which has said why on the console.
enum class nocirclesaid { byjob, bycomputation };

// A Cartesian circle job (2500, 2600, 2700, 2800): its start message, its
// record, the determinacy test, then the circle computation of its table
// entry, which writes the job's items.
void circjob(const jobinfo& job, const char* start, nocirclesaid nocircle);

// Rows (1, x/r, y/r) and observations r = sqrt(x^2 + y^2) of the linearised
// circle about the origin; a point at the origin gets (1, 0, 0).
void circrows(const double* x, const double* y, int numpt, Row5* a, double* z);

// Rows (1, x) of the line y = y0 + l0 x of job 1000.
void strows(const double* x, int numpt, Row5* a);

// Both fits of job 1000's line to the points (x, y), deviations in y:
// parameters y0, l0.
void stcal(const double* x, const double* y, int numpt, fitpair& fits);

// Job 1000: least-squares and minimum-zone straightness, deviations in y.
// Needs three points with at least two distinct x.
void mzst(const jobinfo& job);

// One linearised minimum-zone circle fit to points given relative to a trial
// centre: a least-squares start, then the exchange. gs[0] radius, gs[1],
// gs[2] centre shift. Needs at least four points for a reference set.
void circ(const double* x, const double* y, double* gs, int numpt);

// Minimum-zone circle of the points (u, v) by stages from the centroid; fills
// ans and leaves u, v unchanged. Silent when oqt <= 1 (but for a stage bound
// hit); needs at least four points.
void mzcircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Job 2500: minimum-zone circularity of Cartesian points.
void mzcirco(const jobinfo& job);

// Directions (cos, sin) of polar angles in degrees, and the rows (1, cos, sin)
// of job 2000's circle about the polar origin.
void cirrows(const double* theta, int numpt, double* x, double* y, Row5* a);

// Both fits of job 2000's circle to the polar points (r, theta in degrees):
// parameters r0, x0, y0 (the centre's offsets from the polar origin).
void circal(const double* r, const double* theta, int numpt, fitpair& fits);

// Job 2000: least-squares and minimum-zone circularity of polar points (r,
// angle in degrees) about a fixed origin, fitted once without re-centring.
void mzcir(const jobinfo& job);

// Rows (1, x, y) of the plane z = z0 + l0 x + m0 y of job 3000.
void fltrows(const double* x, const double* y, int numpt, Row5* a);

// Both fits of job 3000's plane to the points, deviations in z: parameters
// z0, l0, m0.
void fltcal(const double* x, const double* y, const double* z, int numpt, fitpair& fits);

// Job 3000: least-squares and minimum-zone flatness, deviations in z. Needs
// four points not all on one line in the x-y plane.
void mzflt(const jobinfo& job);

// Rows (1, x/r, y/r, z/r) and observations r = sqrt(x^2 + y^2 + z^2) of the
// linearised sphere about the origin; a point at the origin gets (1, 0, 0, 0).
void sphrows(const double* x, const double* y, const double* z, int numpt, Row5* a, double* r);

// One linearised minimum-zone sphere fit to points given relative to a trial
// centre: gs[0] radius, gs[1..3] centre shift. Needs at least five points.
void sph(const double* x, const double* y, const double* z, double* gs, int numpt);

// Centroid of the points (u, v, w).
void centroid(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
              double& z0);

// One stage of the staged sphere fit: fits the points relative to (x0, y0,
// z0) with sph, moves the centre by the fitted shift and sets r0. gs carries
// the fit parameters from stage to stage. Returns the length of the shift.
double sphstage(const double* u, const double* v, const double* w, int numpt, double* gs,
                double& x0, double& y0, double& z0, double& r0);

// The stages of the staged sphere fit from the centroid, until the shift is at
// most 0.0001 r0 long, maxstages have run or the operator has stopped a
// stage's exchange (problem stays raised), with each stage's detail items.
// Leaves the final centre in (x0, y0, z0) and the last stage's radius in r0.
void sphstages(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
               double& z0, double& r0);

// Unit directions (x, y, z) of azimuths theta and elevations beta in degrees,
// and the rows (1, x, y, z) of job 4000's sphere about the polar origin.
void sphprows(const double* theta, const double* beta, int numpt, double* x, double* y, double* z,
              Row5* a);

// Both fits of job 4000's sphere to the spherical polar points: parameters
// r0, x0, y0, z0 (the centre's offsets from the polar origin).
void sphcal(const double* r, const double* theta, const double* beta, int numpt, fitpair& fits);

// Job 4000: least-squares and minimum-zone sphericity of spherical polar
// points (r, azimuth, elevation in degrees) about a fixed origin.
void mzsph(const jobinfo& job);

// Sphere fit result: centre x, y, z, radius, sphericity error (largest minus
// smallest radial deviation, both extremes starting at 0).
using Spherefit = std::array<double, 5>;

// Minimum-zone sphere of the points (u, v, w) by stages from the centroid,
// then every point's exact radial deviation (listed with the error and the
// sphere when oqt > 2); fills ans and leaves the points unchanged. Needs at
// least five points.
void sphcocal(const double* u, const double* v, const double* w, int numpt, Spherefit& ans);

// Job 4500: minimum-zone sphericity of Cartesian points, by stages from the
// centroid.
void mzsphco(const jobinfo& job);

// One linearised least-squares circle fit to points given relative to a trial
// centre: gs[0] radius, gs[1], gs[2] centre shift. gs keeps its previous
// contents when the normal equations are singular.
void lscirc(const double* x, const double* y, double* gs, int numpt);

// Least-squares circle of the points (u, v) by stages from the centroid;
// fills ans and leaves u, v unchanged.
void lscircocal(const double* u, const double* v, int numpt, Circlefit& ans);

// Job 2600: least-squares circularity of Cartesian points.
void lscirco(const jobinfo& job);

} // namespace formeval
