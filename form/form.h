// Form evaluators: the job routines and computations for straightness,
// circularity, flatness and sphericity. Circles and spheres given in Cartesian
// coordinates are evaluated in stages about a moving centre.
//
// Circle fit result `ans`: centre x, centre y, radius, circularity error
// (largest minus smallest radial deviation, both extremes starting at 0).
#pragma once

#include "driver/driver.h"

namespace formeval {

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

// Rows (1, x/r, y/r) and observations r = sqrt(x^2 + y^2) of the linearised
// circle about the origin; a point at the origin gets (1, 0, 0).
void circrows(const double* x, const double* y, int numpt, Row5* a, double* z);

// One linearised least-squares circle fit to points given relative to a trial
// centre: gs[0] radius, gs[1], gs[2] centre shift. gs keeps its previous
// contents when the normal equations are singular.
void lscirc(const double* x, const double* y, double* gs, int numpt);

// Least-squares circle of the points (u, v) by stages from the centroid;
// fills ans and leaves u, v unchanged.
void lscircocal(const double* u, const double* v, int numpt, double* ans);

// Job 2600: least-squares circularity of Cartesian points.
void lscirco();

// One linearised minimum-zone circle fit to points given relative to a trial
// centre: a least-squares start, then the exchange. gs[0] radius, gs[1],
// gs[2] centre shift. Needs at least four points for a reference set.
void circ(const double* x, const double* y, double* gs, int numpt);

} // namespace formeval
