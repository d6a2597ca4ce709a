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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace formeval {

runfile::~runfile() {
    if (fd_ < 0) return;
    if (writing_) drain();
    ::close(fd_);
}

namespace {

// What a file is, when it is neither a regular file nor a directory.
const char* kindof(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

} // namespace

// Opens `path` with `flags`, without waiting (a FIFO opened to read would
// wait for a writer, and one opened to write fails at once without a
// reader), and keeps it only if it is a regular file; another kind is looked
// at first, so that its open cannot wait or touch a device.
bool runfile::openfile(const char* path, int flags) {
    notregular_ = nullptr;
    struct stat st {};
    if (::stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        // A directory is refused as the system refuses to write one.
        notregular_ = S_ISDIR(st.st_mode) ? nullptr : kindof(st.st_mode);
        errno = notregular_ ? 0 : EISDIR;
        return false;
    }
    fd_ = ::open(path, flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) return false;
    const bool described = ::fstat(fd_, &st) == 0;
    if (!described || !S_ISREG(st.st_mode)) {
        const int why = !described ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
        notregular_ = why == 0 ? kindof(st.st_mode) : nullptr;
        ::close(fd_);
        fd_ = -1;
        errno = why;
        return false;
    }
    path_ = path;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    device_ = st.st_dev;
    inode_ = st.st_ino;
    return true;
}

bool runfile::openread(const char* path) {
    if (!openfile(path, O_RDONLY)) return false;
    setg(buffer_, buffer_, buffer_);
    return true;
}

bool runfile::openappend(const char* path) {
    if (!openfile(path, O_WRONLY | O_APPEND | O_CREAT)) return false;
    writing_ = true;
    regular_ = true;
    setp(buffer_, buffer_ + sizeof buffer_);
    return true;
}

bool runfile::lock() {
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
    // The size, and whether the file ends mid-line, once no other run can
    // be writing to it.
    struct stat st {};
    start_ = ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    if (start_ > 0) {
        char last = '\n';
        const int readable = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (readable >= 0) {
            if (::pread(readable, &last, 1, start_ - 1) != 1) last = '\n';
            ::close(readable);
        }
        midline_ = last != '\n';
    }
    return true;
}

bool runfile::samefile(const runfile& other) const {
    return fd_ >= 0 && other.fd_ >= 0 && device_ == other.device_ && inode_ == other.inode_;
}

runfile::int_type runfile::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (fd_ < 0 || error_ != 0) return traits_type::eof();
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got > 0) {
            setg(buffer_, buffer_, buffer_ + got);
            if (atstart_) {
                // A UTF-8 byte-order mark, which some editors put at the
                // start of a text file, is no part of the first item.
                atstart_ = false;
                static const char bom[] = "\xef\xbb\xbf";
                if (got >= 3 && std::memcmp(buffer_, bom, 3) == 0) {
                    setg(buffer_, buffer_ + 3, buffer_ + got);
                    if (got == 3) continue;
                }
            }
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
    struct stat st {};
    const bool ours = ::fstat(fd_, &st) == 0 && st.st_size == start_ + written_;
    const off_t keep = ours ? start_ + lastline_ : st.st_size;
    if (ours && ::ftruncate(fd_, keep) != 0) return;
    // The line before may be an earlier run's, left without a line break,
    // or, when the file is no longer as this run left it, anyone's.
    const bool open = !ours || (lastline_ == 0 ? midline_ : false);
    const std::string line = (open ? "\n" : "") + note + "\n";
    if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size()) && ours)
        (void)::ftruncate(fd_, keep);
}

} // namespace formeval
