// The dispatcher: the table of job codes, the job loop, and the binding of the
// run files. Used by the program's entry point, the tests and formreport; the
// computation subsystems never need it.
#pragma once

#include <streambuf>
#include <string>
#include <sys/types.h>

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
constexpr int exitfiles = 2;  // a run file could not be opened or read: no job was run
constexpr int exitwrite = 3;  // result.txt, intres.txt or the console could not be written

// Reads job codes from `data` until the stream ends and runs each job, and
// rings the console bell at the end. Stops after a job whose record broke the
// stream, or after which result.txt or intres.txt holds a failed write.
// Returns the exit status.
int runjobs();

// Binds result.txt's stream to `target`. `midline` says whether what the
// target already holds ends without a line break (a file appended to).
void bindresult(std::streambuf* target, bool midline);

// A run file, read or appended to through the system's calls with a buffer of
// its own. It remembers the first failed read or write (its errno) and stops
// there: a failed write is not retried and nothing later is written.
class runfile : public std::streambuf {
  public:
    runfile() = default;
    ~runfile() override;
    runfile(const runfile&) = delete;
    runfile& operator=(const runfile&) = delete;

    // Opens `path` for reading, or for appending (created when absent). False,
    // with errno set, when it cannot be opened or is a directory.
    bool openread(const char* path);
    bool openappend(const char* path);

    // Whether a file opened for appending held text that ends without a line
    // break.
    bool endsmidline() const { return midline_; }

    // The errno of the first read or write that failed; 0 when none did.
    int error() const { return error_; }

    // After a failed write to a regular file: cuts away what this run wrote
    // after its last whole line, then adds the line `note` if it can be
    // written whole.
    void cutback(const std::string& note);

  protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    bool drain();

    int fd_ = -1;
    bool writing_ = false;
    bool regular_ = false;
    bool midline_ = false;
    int error_ = 0;
    off_t start_ = 0;    // size of the file when opened for appending
    off_t written_ = 0;  // bytes written since
    off_t lastline_ = 0; // of them, those up to the last line break
    char buffer_[1 << 15];
};

} // namespace formeval
