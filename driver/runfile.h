// A run file of the program's entry point, read or appended to through the
// system's calls with a buffer of its own; private to the dispatcher.
#pragma once

#include <streambuf>
#include <string>
#include <sys/types.h>

namespace formeval {

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
