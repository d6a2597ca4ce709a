// The run files, read or appended to through the system's calls. A write that
// fails (a full disk, a file that is a link to /dev/full) is remembered, not
// retried: nothing more goes to that file, so that what it holds ends where
// the failure struck, and the dispatcher stops the run. The partly written
// line is then cut away, so that no cut line can pass for a whole one.
#include "driver/runfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace formeval {

runfile::~runfile() {
    if (fd_ < 0) return;
    if (writing_) drain();
    ::close(fd_);
}

namespace {

// Opens `path` with `flags` into fd and describes it in st. A directory is
// refused (EISDIR): reading one gives nothing and writing one is refused.
bool openfile(const char* path, int flags, int& fd, struct stat& st) {
    fd = ::open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) return true;
    const int why = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    fd = -1;
    errno = why;
    return false;
}

} // namespace

bool runfile::openread(const char* path) {
    struct stat st {};
    if (!openfile(path, O_RDONLY, fd_, st)) return false;
    setg(buffer_, buffer_, buffer_);
    return true;
}

bool runfile::openappend(const char* path) {
    struct stat st {};
    if (!openfile(path, O_WRONLY | O_APPEND | O_CREAT, fd_, st)) return false;
    writing_ = true;
    regular_ = S_ISREG(st.st_mode);
    start_ = regular_ ? st.st_size : 0;
    if (start_ > 0) {
        char last = '\n';
        const int readable = ::open(path, O_RDONLY | O_CLOEXEC);
        if (readable >= 0) {
            if (::pread(readable, &last, 1, start_ - 1) != 1) last = '\n';
            ::close(readable);
        }
        midline_ = last != '\n';
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return true;
}

runfile::int_type runfile::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (fd_ < 0 || error_ != 0) return traits_type::eof();
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got > 0) {
            setg(buffer_, buffer_, buffer_ + got);
            return traits_type::to_int_type(*gptr());
        }
        if (got == 0) return traits_type::eof();
        if (errno != EINTR) {
            error_ = errno;
            return traits_type::eof();
        }
    }
}

bool runfile::drain() {
    const char* from = pbase();
    const char* const to = pptr();
    setp(buffer_, buffer_ + sizeof buffer_);
    if (error_ != 0 || fd_ < 0) return false;
    while (from < to) {
        const ssize_t put = ::write(fd_, from, static_cast<std::size_t>(to - from));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error_ = put < 0 ? errno : EIO;
            return false;
        }
        const char* const end = from + put;
        const char* const lastbreak = std::find(std::reverse_iterator<const char*>(end),
                                                std::reverse_iterator<const char*>(from), '\n')
                                          .base();
        if (lastbreak != from) lastline_ = written_ + (lastbreak - from);
        written_ += put;
        from = end;
    }
    return true;
}

runfile::int_type runfile::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize runfile::xsputn(const char* s, std::streamsize n) {
    std::streamsize done = 0;
    while (done < n) {
        if (error_ != 0) return done;
        const std::streamsize room = epptr() - pptr();
        if (room == 0) {
            if (!drain()) return done;
            continue;
        }
        const std::streamsize part = std::min(room, n - done);
        std::memcpy(pptr(), s + done, static_cast<std::size_t>(part));
        pbump(static_cast<int>(part));
        done += part;
    }
    return done;
}

int runfile::sync() {
    if (!writing_) return 0;
    return drain() ? 0 : -1;
}

void runfile::cutback(const std::string& note) {
    if (fd_ < 0 || error_ == 0 || !regular_) return;
    const off_t keep = start_ + lastline_;
    if (::ftruncate(fd_, keep) != 0) return;
    // The line before may be an earlier run's, left without a line break.
    const bool open = lastline_ == 0 ? midline_ : false;
    const std::string line = (open ? "\n" : "") + note + "\n";
    if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        (void)::ftruncate(fd_, keep);
}

} // namespace formeval
