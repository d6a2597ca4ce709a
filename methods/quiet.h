// The methods library's own: running the batch program's computations
// silently and one at a time, the points of a call in its arrays, and the
// computations behind each kind of evaluation job.
#pragma once

#include "base/base.h"
#include "base/job.h"
#include "methods/methods.h"

#include <array>
#include <ios>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace formeval::methods {

// For its lifetime: holds the library's lock, binds the console and the run
// files to buffers, closes the console's input, and starts a computation as a
// job of its own would (the random state every job starts from, cri the
// tolerance, trace level 0, no stopped exchange). Restores the console, its
// format, the input and the three globals afterwards; result.txt's stream is
// left unbound.
class Quiet {
  public:
    explicit Quiet(double tolerance);
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

    // The lines written on the console since the last call, blank ones left
    // out.
    std::vector<std::string> said();

  private:
    std::lock_guard<std::mutex> lock_;
    std::stringbuf console_, noinput_, files_;
    std::ios format_;
    std::streambuf* coutbuf_;
    std::streambuf* cinbuf_;
    std::streambuf* imfilebuf_;
    double cri_;
    int oqt_;
    bool problem_;
};

// The points of a call as the batch program's columns (each of nsz numbers),
// or why they cannot be evaluated.
struct Columns {
    std::array<std::vector<double>, 3> c;
    int numpt = 0;
    Refusal refusal = Refusal::none;
    std::string failure;
};

// Checks the points as the batch program reads a record, in its order of
// refusals: `dimension` coordinates, at most maxpoints points, every
// coordinate finite and within +-maxcoordinate, at least `fewest` points;
// copies them into columns when they pass.
Columns columns(const Points& points, int dimension, int fewest);

// A result of job `job` by `criterion`, not evaluated yet, or refused and why.
Result outcome(int job, Criterion criterion, Refusal refusal = Refusal::none, std::string why = "");

// Fills the ISO parameters of the result's deviations.
void measure(Result& r);

// Keeps what the computation said with the result, and what its notes say
// of it.
void noted(Result& r, std::vector<std::string> said);

// The computations behind the evaluation jobs, on points that passed their
// job's checks, inside a Quiet.
// Both fits of the jobs that fit once: a line, a plane, the polar circle and
// sphere.
std::vector<Result> fitonce(const jobinfo& entry, const Columns& cols);
// The circle computation of a Cartesian circle job, or the staged sphere.
Result staged(const jobinfo& entry, const Columns& cols, double tolerance);

} // namespace formeval::methods
