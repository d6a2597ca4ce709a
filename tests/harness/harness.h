// Test harness: runs jobs in process on string buffers, or runs the built
// formeval end to end in a fresh temporary directory.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace formeval::test {

// Whether the tests run under the sanitizers, ten times slower: the
// brute-force cross-checks there take fewer samples, their full strength
// being the optimised build's run.
#ifdef FORMEVAL_SANITIZED
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

// Binds the console, the job stream and both result files to string buffers
// and restores the start values of the globals, for the lifetime of the
// object. Output precision is 12 on the console and result.txt, as the
// dispatcher sets it before every job.
class Session {
  public:
    explicit Session(const std::string& jobs = "", const std::string& input = "");
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::string console() const { return console_.str(); }
    std::string result() const { return result_.str(); }
    std::string intres() const { return intres_.str(); }
    // Forgets what was written so far.
    void clear();

  private:
    std::stringbuf jobs_, input_, console_, result_, intres_;
    std::streambuf* coutbuf_;
    std::streambuf* cinbuf_;
    std::streamsize coutprecision_;
};

// Makes a fresh temporary directory the working directory for the lifetime
// of the object, for in-process tests of routines that open files by name
// (instructions.txt), and removes it afterwards.
class Workdir {
  public:
    Workdir();
    ~Workdir();
    Workdir(const Workdir&) = delete;
    Workdir& operator=(const Workdir&) = delete;

    const std::filesystem::path& path() const { return dir_; }
    // Writes (replaces) a file in the directory.
    void write(const std::string& name, const std::string& text) const;
    void remove(const std::string& name) const;

  private:
    std::filesystem::path previous_, dir_;
};

// One end-to-end run of the formeval executable.
struct Run {
    std::string executable;                   // the formeval to run; "": the one this build made
    std::optional<std::string> jobs = "";     // cir1.txt; nullopt: no such file
    std::optional<std::string> instructions;  // instructions.txt; nullopt: no such file
    std::string input;                        // console input; the console closes after it
    std::optional<std::string> result_before; // result.txt before the run
    std::optional<std::string> intres_before; // intres.txt before the run
    double timeout = 60;                      // seconds before a run counts as hung
    double kill_after = 0;                    // if > 0: kill the run after so many seconds
    int signal = 0;                           // if not 0: send it once, after signal_after seconds
    double signal_after = 0;
    long long file_size_limit = 0; // if > 0: no file may grow beyond so many bytes
    bool console_closed = false;   // the console is a pipe whose reader has gone (EPIPE, SIGPIPE)
    // Called with the scratch directory after the files above are written.
    std::function<void(const std::filesystem::path&)> prepare;
};

struct Outcome {
    std::string console; // standard output
    std::string errors;  // standard error
    std::string result;  // result.txt after the run ("" when absent)
    std::string intres;  // intres.txt after the run ("" when absent)
    bool result_exists = false;
    bool intres_exists = false;
    int status = -1;     // exit status, or -1 when the run did not exit
    int killedby = 0;    // the signal that ended the run, if one did
    bool hung = false;   // killed because it outlived its timeout
    bool killed = false; // killed on purpose (kill_after)
};

// Runs formeval as `setup` says. Without setup.executable, the one this build
// made, or the one the environment variable FORMEVAL_UNDER_TEST names (to run
// the end-to-end tests against another build, a previous one, say). The run
// starts with every signal at its default disposition.
Outcome run(const Run& setup);

// A job stream text from numbers, separated by blanks.
std::string stream(std::initializer_list<double> items);

// Path of a file in the project's test data.
std::string testdata(const std::string& name);

// A parameterised test case's name made from text, so that CTest names stay
// the same from build to build: letters and digits kept, a minus sign before
// a digit spelled "minus", every other run of characters one underscore (none
// at either end); "Blank" for text without a letter or digit.
std::string testname(const std::string& text);

// A number as a test name part: 0.003 gives "0_003", -3000 "minus3000".
std::string testname(double number);

// Numbers as a test name part, joined by underscores; "None" for no numbers.
std::string testname(const std::vector<double>& numbers);

// Name generator for INSTANTIATE_TEST_SUITE_P: names each case
// testname(describe(parameter)).
template <class Describe> auto namedby(Describe describe) {
    return [describe](const auto& info) { return testname(describe(info.param)); };
}

} // namespace formeval::test
