// The dispatcher: the table of job codes and the job loop. Used by the
// program's entry point, the tests and formreport; the computation subsystems
// never need it: each job routine is handed its own entry of the table.
#pragma once

#include "base/job.h"

namespace formeval {

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
constexpr int exitclean = 0;    // the job stream ended cleanly
constexpr int exitbroken = 1;   // the job stream broke inside a record or at a job code
constexpr int exitfiles = 2;    // a run file could not be opened or read: no job was run
constexpr int exitwrite = 3;    // result.txt, intres.txt or the console could not be written
constexpr int exitsignal = 128; // plus the signal (SIGINT, SIGTERM) that stopped the run

// Reads job codes from `data` until the stream ends and runs each job, and
// rings the console bell at the end. Stops after a job whose record broke the
// stream, or after which result.txt or intres.txt holds a failed write, or
// during which a stop was requested (stoprequest; result.txt then says so).
// Returns the exit status.
int runjobs();

} // namespace formeval
