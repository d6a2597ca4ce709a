// The stage machinery of the staged fits: circles and spheres given in
// Cartesian coordinates are fitted about a trial centre, which each stage
// moves by the fitted shift until the shift is small. The loop, its bound,
// its notes, its operator prompt and the detection of its cycles are here;
// the fits of one stage are the computations' (form/form.h).
#pragma once

#include "base/base.h"
#include "linalg/linalg.h"

#include <cstddef>
#include <optional>

namespace formeval {

// Bound on the centre stages of the staged circle and sphere evaluations;
// converging data settle in a handful of stages.
constexpr int maxstages = 1000;

// A linearised circle fit to points given relative to a trial centre:
// gs[0] radius, gs[1], gs[2] shift of the fitted centre from the trial centre.
using stagefit = void (*)(const double* x, const double* y, double* gs, int numpt);

// Centroid of the points: the first centre estimate of the staged fits.
void centroid(const double* u, const double* v, int numpt, double& x0, double& y0);

// Centroid of the points (u, v, w).
void centroid(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
              double& z0);

// One stage of a staged circle fit: fits the points (u, v) relative to the
// centre estimate (x0, y0), moves the estimate by the fitted shift and sets r0.
// gs carries the fit parameters from stage to stage. Returns the squared shift.
double circstage(stagefit fit, const double* u, const double* v, int numpt, double* gs, double& x0,
                 double& y0, double& r0);

// Whether a circle (radius r0 about (x0, y0)) is made of finite numbers.
// Collinear or coincident points make the linearised fits singular; a solve
// whose last pivot vanishes then yields infinite or NaN parameters.
bool finitecircle(double x0, double y0, double r0);

// Flushes result.txt, writes `question` to the console and reads a whole
// number into `counter` (one beyond the counter's range becomes its bound).
// When the console gives none (it is closed, or the answer is not a whole
// number) it says so, adds `otherwise`, as a note (on the console and in
// result.txt), and returns false.
bool askcount(const char* question, const char* otherwise, int& counter);

// The end of a stage loop that cleared `problem` before its first stage
// (`raised` says whether it was set then): notes, on the console and in
// result.txt, a stage whose exchange the operator stopped, or else a loop that
// stopped `unsettled` at its bound, and a last stage whose fit met a singular
// system (not `fitted`); leaves problem raised if it was raised before or
// during the loop.
void endstages(int stageno, bool unsettled, bool fitted, bool raised);

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

} // namespace formeval
