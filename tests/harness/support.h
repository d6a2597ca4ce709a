// Helpers the tests share: reading output back as lines and numbers, the
// study parameters they write to instructions.txt, and the circle record the
// study tests evaluate.
#pragma once

#include "base/job.h"
#include "form/form.h"

#include <cmath>
#include <string>
#include <vector>

namespace formeval::test {

inline const double pi = std::acos(-1.0);

// The lines of text, without their line breaks: every line, or only those
// that hold something.
std::vector<std::string> lines(const std::string& text);
std::vector<std::string> nonblanklines(const std::string& text);

// The numbers a line holds, up to the first item that is not a number.
std::vector<double> numbersin(const std::string& line);

// Whether text holds a number that is not finite: "nan" or "inf", in any
// case and with or without a sign, with no letter right before or after it.
// A linear scan: the studies' outputs run to megabytes.
bool hasnonfinite(const std::string& text);

// instructions.txt with the given stratangle, sampno and stdun; lobeno 3,
// form and alpha 0.
std::string params(double stratangle, int sampno, double stdun = 0.001);

// The record (point count, tolerance 1e-6, x y per point, one line) of n
// points at equal angles about (100, 20), radii alternating 10.01 and 9.99
// (n even): the minimum-zone circle has centre (100, 20), radius 10 and a
// circularity error of 0.02.
std::string alternatingcircle(int n);

// A job code as the manual's table of job codes (docs/formeval.md) describes it: the
// evaluation column and the record column of its row.
struct DocumentedJob {
    int code;
    std::string evaluation;
    std::string record;
};

// Every code of the manual's table of job codes (docs/formeval.md), in the manual's order, or
// nothing when the manual cannot be read.
std::vector<DocumentedJob> documentedjobs();

// Numbers per point of a record as the manual's record column describes it
// ("x y per point": 2, "r θ β (degrees) per point": 3, "—": 0).
int documentedcoordinates(const std::string& record);

// The job table's entry of `code`; throws std::out_of_range for a code no job
// has.
const jobinfo& job(int code);

// The table entry of job `code` with a stand-in circle computation (its
// function and fewest points) in place of the one the table names, the rest
// of the entry (the record's fewest points too) as the table has it: for
// running a study's body on a computation a test controls.
class Standin {
  public:
    Standin(int code, circlefunction function, int minpt);
    Standin(const Standin&) = delete;
    Standin& operator=(const Standin&) = delete;
    const jobinfo& entry() const { return entry_; }
    operator const jobinfo&() const { return entry_; }

  private:
    circlecomputation computation_;
    jobinfo entry_;
};

} // namespace formeval::test
