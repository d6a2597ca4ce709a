// Uncertainty studies of the circle evaluations: Monte Carlo repetition with
// normal coordinate noise, perturbation of one coordinate at a time, and
// sampling-strategy studies over subsets of a densely measured circle. The
// studies take their parameters from "instructions.txt" in the working
// directory and write one tab-separated line per repetition to result.txt.
#pragma once

#include "base/job.h"
#include "form/form.h"

namespace formeval {

// The six fields of instructions.txt, in file order. Fields 2 and 4 hold
// whole numbers when read as integers, and whatever the file says when all
// six are read as doubles.
struct studyparams {
    double stratangle = 0; // half-width in degrees of the stratified offset
    double sampno = 0;     // sample size (called pointno when read as a double)
    double stdun = 0;      // standard deviation of the coordinate noise
    double lobeno = 0;     // read and not used
    double form = 0;       // read and not used
    double alpha = 0;      // read and not used
};

// The two ways instructions.txt is read: fields 2 and 4 extracted as
// integers (the selections and the sampling studies; an integer extraction
// stops at a decimal point and leaves the rest for the next field), or all
// six extracted as doubles (the noise generator).
enum readas : unsigned { asint = 1, asreal = 2 };

// Reads instructions.txt at the start of study job `job`, in each reading the
// study will use (asint, asreal or both). False, after saying why on the
// console and in result.txt, when the file is missing, unreadable or does not
// hold six numbers; the caller then skips the job.
bool studystart(int job, unsigned readings);

// The parameters as instructions.txt holds them now, in reading `how`. A file
// that has gone or become unusable during a study leaves the values read
// last, which the console is told once per study (all zeros if none were).
studyparams instructions(readas how);

// Noisy copy of the points: uu[i] = u[i] + n0 * stdun, vv[i] = v[i] + n1 *
// stdun, where (n0, n1) is the next normal pair of stream i, so point i always
// draws from stream i. Re-reads stdun from instructions.txt on every call.
void addrand(const double* u, const double* v, int numpt, double* uu, double* vv);

// The common start of the selections: sampno as instructions.txt gives it,
// or, while that is below 1 or above numpt, a size asked for at the console.
// A console that gives no number yields numpt, with a message.
int samplesize(int sampno, int numpt);

// Simple random sample without replacement: fills pno with distinct indices
// of 0..numpt-1 in draw order (uniform stream 0) and returns how many. The
// indices go to the console and intres.txt, each followed by a tab.
int select(int* pno, int numpt);

// Uniform spacing: a random start, then steps of numpt / sampno indices
// around the circle; returns the sample size. The start index goes to the
// console and intres.txt, followed by a tab.
int selectunif(int* pn, int numpt);

// Stratified sampling: each index one nominal step after the previous one,
// jittered by up to +-stratangle degrees and wrapped into 0..numpt-1; a
// repeated index is redrawn, within a bound, then the nearest free index is
// taken. Returns the sample size; writes only the stratangle > 180 warning.
int selectstrat(int* pn, int numpt);

// One repetition's result, ii and the four entries of ans separated by tabs,
// without line break; for points no circle fits, ii and a tab and "no circle
// fits these points".
void repetitionresult(std::ostream& out, int ii, const Circlefit& ans);

// One repetition's result line to result.txt, on a line of its own.
void resultline(int ii, const Circlefit& ans);

// The console label of a Monte Carlo study that shows no result lines on the
// console, only the repetition numbers.
constexpr const char* noconsoleline = nullptr;

// Whether a Monte Carlo study watches the minimum-zone engine's problem flag.
enum class watchproblem { no, yes };

// The most repetitions a study runs: the full count unless this is lower. Only
// the fuzz target lowers it, at start-up, so that an input holding a study
// reaches the same code through a few repetitions.
extern int repetitionlimit;

// The Monte Carlo study of job `job`: reads the record, then per repetition
// (the entry's repetitions, at most repetitionlimit) adds noise (when the
// entry's noise says so), evaluates with the entry's circle computation at
// trace level 1 and writes the result line. label noconsoleline: no console
// result line; "" or a name: the line, with that name before ii.
// watch: whether a repetition whose minimum-zone exchange was stopped
// (`problem` set) dumps its noisy points to intres.txt.
void circun(const jobinfo& job, const char* start, const char* label, watchproblem watch);

// Jobs 2510, 2511, 2512: Monte Carlo study of the minimum-zone circle.
void mzcircun(const jobinfo& job);

// Jobs 2610, 2611, 2612: Monte Carlo study of the least-squares circle.
void lscircun(const jobinfo& job);

// Jobs 2710, 2711, 2712: Monte Carlo study of the peak circle.
void pkcircun(const jobinfo& job);

// Jobs 2810, 2811, 2812: Monte Carlo study of the valley circle.
void vacircun(const jobinfo& job);

// The perturbation study of job `job`: evaluates the points with the entry's
// circle computation, then with each coordinate moved by +-2.5 in turn (each
// result to intres.txt), and writes nominal -+ 2 standard uncertainties of
// the four results.
void circunptb(const jobinfo& job, const char* start);

// Job 2520: perturbation study of the minimum-zone circle.
void mzcircunptb(const jobinfo& job);

// Job 2620: perturbation study of the least-squares circle.
void lscircunptb(const jobinfo& job);

// The sampling study of job `job`: the entry's repetitions (at most
// repetitionlimit) times, select by the entry's strategy, add noise when the
// entry's noise says so, evaluate with the entry's circle computation at
// trace level 0, write the result line. A sample smaller than the
// computation's fewest points is not evaluated and said so.
void circsamp(const jobinfo& job, const char* start);

// Jobs 2550, 2560, 2570: sampling study of the minimum-zone circle, the
// picked points as measured.
void mzsampstrat(const jobinfo& job);

// Jobs 2555, 2565, 2575: sampling study of the minimum-zone circle with
// coordinate noise added to the picked points.
void mzsampunstrat(const jobinfo& job);

} // namespace formeval
