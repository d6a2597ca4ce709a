// The base layer below every computation: the point-array size and row
// types, the three program-wide globals, the run-file streams and the output
// helpers. Everything else of formeval builds on it; it builds on nothing.
#pragma once

#include <array>
#include <iostream>
#include <streambuf>
#include <type_traits>

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

// Binds result.txt's stream to `target` (null: unbound). `midline` says
// whether what the target already holds ends without a line break (a file
// appended to), for startline.
void bindresult(std::streambuf* target, bool midline);

// Count of what the computations did that a repeated computation would not
// repeat unseen: a message written whatever the trace level, a question to
// the operator, a draw from std::rand. A stage loop that comes back to an
// earlier state of its own with this count unchanged, at a trace level that
// keeps it silent, will repeat itself for ever.
unsigned long events();
void event();

// A request to stop the run early: the signal (SIGINT or SIGTERM) that came,
// or 0. The program's entry point requests the stop from its signal handler
// (requeststop is safe to call there); the studies end at the end of a
// repetition when one is pending, the dispatcher at the end of a job, so
// that the run files end at a whole line of the program's output.
int stoprequest();
void requeststop(int signal);

// Writes a number to `out` as `out << value` does (the default notation at
// the stream's precision), but faster.
void putnumber(std::ostream& out, double value);
void putnumber(std::ostream& out, int value);

// Writes a number to the console and then to result.txt, formatted once.
void bothnumber(double value);

// Writes one output item to the console and then the same item to result.txt.
template <class Item> void bothitem(const Item& item) {
    if constexpr (std::is_same_v<Item, double>) {
        bothnumber(item);
    } else {
        std::cout << item;
        ofile << item;
    }
}

// Writes output items to the console and to result.txt, each stream receiving
// them in order.
template <class... Items> void both(const Items&... items) {
    (bothitem(items), ...);
}

// Starts a line of its own in result.txt unless what it holds so far, from
// this run or an earlier one, ends with a line break (or is empty).
void startline();

// A note that the result which follows is not to be trusted as it stands (a
// fit that did not settle, was stopped, or met a singular system), whatever
// the trace level: an item of its own on the console, and a line of its own
// in result.txt, so that a reader of either finds it just before that result.
template <class... Items> void note(const Items&... items) {
    std::cout << "\n";
    (std::cout << ... << items);
    startline();
    (ofile << ... << items);
}

} // namespace formeval
