// Form evaluators: the job routines and computations for straightness,
// circularity, flatness and sphericity. Circles and spheres given in Cartesian
// coordinates are evaluated in stages about a moving centre.
//
// Circle fit result `ans`: centre x, centre y, radius, circularity error
// (largest minus smallest radial deviation, both extremes starting at 0).
#pragma once

#include "driver/driver.h"

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

// Minimum-zone half, after lsfit: the exchange from the n + 1 points of
// largest least-squares deviation, with every work array started at zeros.
// Returns the zone width (0 for exactly fitting data, 1.0e9 when stopped).
double mzfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt);

// Whether the rows a (column 0 all ones) determine all n parameters of the
// model. If not, writes "Job <job> not evaluated: <why>" to the console and
// result.txt. A column within 1e-10 of a combination of the others counts as
// dependent.
bool determined(int job, const Row5* a, int n, int numpt, const char* why);

// Whether the points (u, v) determine a circle: not all on one line (nor all
// at one place). If not, says so on the console and in result.txt as job
// `job` not evaluated.
bool circledetermined(int job, const double* u, const double* v, int numpt);

// Bound on the centre stages of the staged circle and sphere evaluations;
// converging data settle in a handful of stages.
constexpr int maxstages = 1000;

// A linearised circle fit to points given relative to a trial centre:
// gs[0] radius, gs[1], gs[2] shift of the fitted centre from the trial centre.
using circfit = void (*)(const double* x, const double* y, double* gs, int numpt);

// Centroid of the points: the first centre estimate of the staged fits.
void centroid(const double* u, const double* v, int numpt, double& x0, double& y0);

// One stage of a staged circle fit: fits the points (u, v) relative to the
// centre estimate (x0, y0), moves the estimate by the fitted shift and sets r0.
// gs carries the fit parameters from stage to stage. Returns the squared shift.
double circstage(circfit fit, const double* u, const double* v, int numpt, double* gs, double& x0,
                 double& y0, double& r0);

// Says on the console that a staged fit stopped at its stage bound.
void stagelimit();

// Whether a circle (radius r0 about (x0, y0)) is made of finite numbers.
// Collinear or coincident points make the linearised fits singular; a solve
// whose last pivot vanishes then yields infinite or NaN parameters.
bool finitecircle(double x0, double y0, double r0);

// Fills a circle fit result with NaN: no circle fits the points.
void nocircle(double* ans);

// Whether a circle fit result holds a circle (see nocircle).
bool circlefound(const double* ans);

// Writes to the console and result.txt that job `job` found no circle.
void nocirclejob(int job);

// Says on the console that the operator stopped the exchange of stage
// `stageno`, after which a staged fit runs no further stages.
void fitstopped(int stageno);

// Flushes result.txt, writes `question` to the console and reads a whole
// number into `counter` (one beyond the counter's range becomes its bound).
// When the console gives none (it is closed, or the answer is not a whole
// number) it says so, adds `otherwise`, and returns false.
bool askcount(const char* question, const char* otherwise, int& counter);

// The end of a stage loop that cleared `problem` before its first stage
// (`raised` says whether it was set then): reports a stage whose exchange the
// operator stopped, or else a loop that stopped `unsettled` at its bound, and
// leaves problem raised if it was raised before or during the loop.
void endstages(int stageno, bool unsettled, bool raised);

// The stages of a staged circle fit from the centroid, until the squared shift
// is at most 0.0001 r0, maxstages have run or the operator has stopped a
// stage's exchange (problem stays raised), with each stage's detail items.
// Leaves the final centre in (x0, y0) and the last stage's radius in r0; a
// stage whose fit is not finite ends the loop with those values (see
// finitecircle). Each stage's number is written when oqt > stagelevel. With
// `ask` (the peak circle) there is no stage bound: after five stages the
// operator's whole number replaces the stage counter, and a console that
// gives none ends the loop with the current centre.
void circstages(circfit fit, const double* u, const double* v, int numpt, double& x0, double& y0,
                double& r0, int stagelevel = 2, bool ask = false);

// Spread of the exact radial deviations of the points from the circle (x0, y0,
// r0), both extremes starting at 0; lists each point and its deviation when
// `listing` is set.
double circdev(const double* u, const double* v, int numpt, double x0, double y0, double r0,
               bool listing);

// The staged circle computation shared by the least-squares and minimum-zone
// circles: stages with `fit`, then the exact radial deviations (listed when oqt
// > listlevel), the error after `label` and the circle (when oqt > 2); fills
// ans, or nocircle when the fit is not finite.
void circocal(circfit fit, const char* label, int listlevel, const double* u, const double* v,
              int numpt, double* ans);

// Rows (1, x/r, y/r) and observations r = sqrt(x^2 + y^2) of the linearised
// circle about the origin; a point at the origin gets (1, 0, 0).
void circrows(const double* x, const double* y, int numpt, Row5* a, double* z);

// Job 1000: least-squares and minimum-zone straightness, deviations in y.
// Needs three points with at least two distinct x.
void mzst();

// One linearised minimum-zone circle fit to points given relative to a trial
// centre: a least-squares start, then the exchange. gs[0] radius, gs[1],
// gs[2] centre shift. Needs at least four points for a reference set.
void circ(const double* x, const double* y, double* gs, int numpt);

// Minimum-zone circle of the points (u, v) by stages from the centroid; fills
// ans and leaves u, v unchanged. Silent when oqt <= 1 (but for a stage bound
// hit); needs at least four points.
void mzcircocal(const double* u, const double* v, int numpt, double* ans);

// Job 2500: minimum-zone circularity of Cartesian points.
void mzcirco();

// Job 2000: least-squares and minimum-zone circularity of polar points (r,
// angle in degrees) about a fixed origin, fitted once without re-centring.
void mzcir();

// Job 3000: least-squares and minimum-zone flatness, deviations in z. Needs
// four points not all on one line in the x-y plane.
void mzflt();

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

// Job 4000: least-squares and minimum-zone sphericity of spherical polar
// points (r, azimuth, elevation in degrees) about a fixed origin.
void mzsph();

// Job 4500: minimum-zone sphericity of Cartesian points, by stages from the
// centroid.
void mzsphco();

// One linearised least-squares circle fit to points given relative to a trial
// centre: gs[0] radius, gs[1], gs[2] centre shift. gs keeps its previous
// contents when the normal equations are singular.
void lscirc(const double* x, const double* y, double* gs, int numpt);

// Least-squares circle of the points (u, v) by stages from the centroid;
// fills ans and leaves u, v unchanged.
void lscircocal(const double* u, const double* v, int numpt, double* ans);

// Job 2600: least-squares circularity of Cartesian points.
void lscirco();

} // namespace formeval
