// Job dispatcher and run files: the sizes, row types, globals and streams that
// every subsystem shares, and the routines that read the job stream.
#pragma once

#include <array>
#include <iostream>

namespace formeval {

// Capacity of every point array; a job may use at most this many points.
constexpr int nsz = 2048;

using Row5 = std::array<double, 5>; // coefficient row of one point (first n used)
using Row6 = std::array<double, 6>; // row of a reference matrix
using Row7 = std::array<double, 7>; // row of an augmented system, right-hand side in column n

// Program-wide state; single-threaded, no locking.
extern double cri;   // tolerance of the current job, read from its record
extern int oqt;      // trace level: progress items when > 1, detail items when > 2
extern bool problem; // raised when the operator stops a minimum-zone run

// Run-file streams. main binds them to "cir1.txt", "result.txt" and
// "intres.txt"; tests bind them to string buffers. The console is std::cout
// and std::cin.
extern std::istream data;
extern std::ostream ofile;
extern std::ostream imfile;

// The dispatcher: reads job codes from `data` until the stream ends and runs
// each job. Returns the exit status: 0 at a clean end of the stream, 1 when
// the stream broke inside a record or where a job code was expected.
int runjobs();

// Largest coordinate magnitude a record may hold. The minimum-zone fit of a
// plane forms products of three coordinates, which must stay finite.
constexpr double maxcoordinate = 1e100;

// Reads the record of job `job`: the point count, the tolerance into `cri`,
// then `numpt` points of two coordinates (c2 null) or three into c0, c1, c2.
// Returns true when the points can be evaluated (at least minpt of them,
// every coordinate within +-maxcoordinate). Otherwise it has said why on
// the console and in result.txt, has read past the points where it could, and
// has reported a broken job stream on standard error.
bool readrecord(int job, int minpt, int& numpt, double* c0, double* c1, double* c2 = nullptr);

// Binds result.txt's stream to `target`. `midline` says whether what the
// target already holds ends without a line break (a file appended to).
void bindresult(std::streambuf* target, bool midline);

// Starts a line of its own in result.txt unless what it holds so far, from
// this run or an earlier one, ends with a line break (or is empty).
void startline();

// Writes one output item to the console and then the same item to result.txt.
template <class... Items> void both(const Items&... items) {
    (std::cout << ... << items);
    (ofile << ... << items);
}

} // namespace formeval
