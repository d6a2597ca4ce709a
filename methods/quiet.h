// The methods library's own: running the batch program's computations
// silently, one at a time, and the points of a call in its arrays.
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
// job of its own would (cri the tolerance, trace level 0, no stopped
// exchange). Restores the console, its format, the input and the three
// globals afterwards; result.txt's stream is left unbound.
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

// The points of a call as the batch program's columns (x, y and for three
// coordinates z, each of nsz), or why they cannot be evaluated.
struct Columns {
    std::array<std::vector<double>, 3> c;
    int numpt = 0;
    std::string failure;
};

// Checks the points as the batch program reads a record, in its order of
// refusals: the dimension `dimension` of the feature, at most maxpoints
// points, every coordinate finite and within +-maxcoordinate, at least
// `fewest` points; copies them into columns when they pass.
Columns columns(const Points& points, int dimension, int fewest);

// The result of job `job`'s evaluation by `method`, not evaluated yet;
// `why` not, when given.
Result outcome(int job, Method method, std::string why = "");

// Fills the ISO parameters of the result's deviations.
void measure(Result& r);

} // namespace formeval::methods
