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

    // Opens `path` for reading, or for appending (created when absent). False
    // when it cannot be opened: with errno set (EISDIR for a directory), or
    // with errno 0 and notregular() saying what it is instead of a regular
    // file (a FIFO, a socket, a device): nothing but a regular file is a run
    // file, and opening one of the others could wait for ever or never end.
    bool openread(const char* path);
    bool openappend(const char* path);

    // Why the last open failed when errno is 0: "a FIFO", "a socket"...
    const char* notregular() const { return notregular_; }

    // Locks the open file for the run, so that no second run appends to it
    // meanwhile. False when another process holds the lock; a file system
    // without locks leaves the file unlocked.
    bool lock();

    // Whether this file and `other`, both open, are the same file.
    bool samefile(const runfile& other) const;

    // Whether a file opened for appending and locked held text that ends
    // without a line break.
    bool endsmidline() const { return midline_; }

    // The errno of the first read or write that failed; 0 when none did.
    int error() const { return error_; }

    // After a failed write to a regular file: cuts away what this run wrote
    // after its last whole line, then adds the line `note` if it can be
    // written whole. Nothing is cut when the file no longer ends where this
    // run's last write left it (another program wrote to it since): the
    // note then goes on a line of its own after what is there.
    void cutback(const std::string& note);

  protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    bool drain();

    bool openfile(const char* path, int flags);

    int fd_ = -1;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    const char* notregular_ = nullptr;
    bool writing_ = false;
    bool regular_ = false;
    bool midline_ = false;
    bool atstart_ = true; // reading: nothing has been read yet
    int error_ = 0;
    off_t start_ = 0;    // size of the file when opened for appending
    off_t written_ = 0;  // bytes written since
    off_t lastline_ = 0; // of them, those up to the last line break
    char buffer_[1 << 15];
};

} // namespace formeval
