// The dispatcher: the table of job codes, the job loop, and the binding of the
// run files. Used by the program's entry point, the tests and formreport; the
// computation subsystems never need it.
#pragma once

#include <streambuf>

namespace formeval {

// What each point of a job's record holds after the count and the tolerance.
enum class pointform {
    none,      // the job has no record
    xy,        // Cartesian x y
    rtheta,    // polar: radius, angle in degrees
    xyz,       // Cartesian x y z
    rthetabeta // spherical polar: radius, azimuth, elevation in degrees
};

// Numbers per point of a record of that form.
constexpr int coordinates(pointform p) {
    return p == pointform::none ? 0 : p == pointform::xy || p == pointform::rtheta ? 2 : 3;
}

enum class feature { none, line, circle, plane, sphere };

enum class jobkind { empty, evaluation, montecarlo, perturbation, sampling };

// One job code: everything the dispatcher, the record reader, formreport and
// the tests need to know of it. A new job is one entry here and its routine.
struct jobinfo {
    int code;
    void (*routine)(int code); // null for the empty job
    pointform points;
    int minpt; // fewest points the evaluation takes
    feature shape;
    jobkind kind;
    const char* evaluates; // one line for people
};

// Every job code, in increasing order.
struct jobrange {
    const jobinfo* first;
    const jobinfo* last;
    const jobinfo* begin() const { return first; }
    const jobinfo* end() const { return last; }
};
jobrange jobtable();

// The entry of `code`, or null for a code no job has.
const jobinfo* findjob(int code);

// Exit statuses of a run.
constexpr int exitclean = 0;  // the job stream ended cleanly
constexpr int exitbroken = 1; // the job stream broke inside a record or at a job code

// Reads job codes from `data` until the stream ends and runs each job.
// Returns the exit status.
int runjobs();

// Binds result.txt's stream to `target`. `midline` says whether what the
// target already holds ends without a line break (a file appended to).
void bindresult(std::streambuf* target, bool midline);

} // namespace formeval
