// The study parameters in "instructions.txt". Every noise generation, every
// selection and every study start asks for them afresh, so that an operator
// can change them while a study runs. Parsing on every call would cost more
// than a repetition's own work, so the file is parsed only when stat says it
// may have changed: a different device, inode, size, modification or change
// time, or a modification so recent that a rewrite within the same clock
// tick of the file system could leave all of these as they were.
#include "studies/studies.h"

#include <chrono>
#include <cstddef>
#include <fcntl.h>
#include <fstream>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>

namespace formeval {

namespace {

const char* const path = "instructions.txt";
const char* const fieldname[6] = {"stratangle", "sampno", "stdun", "lobeno", "form", "alpha"};

// A file modified less than this long before it was parsed is parsed again
// at every read: file-system timestamps may be as coarse as two seconds.
constexpr long long settle = 2'000'000'000; // nanoseconds

// One reading of the file: its values, or the field where it failed (0 when
// the file could not be opened).
struct reading {
    studyparams values;
    bool ok = false;
    int failed = 0;
};

struct filekey {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtime = 0;
    long long ctime = 0;
};

// What the file held at the last parse, and the last usable values of each
// reading (since the start of the current study).
struct state {
    bool parsed = false;
    bool settled = false;
    filekey key;
    reading current[2];
    studyparams last[2];
    bool warned = false;
} file;

int slot(readas how) {
    return how == asint ? 0 : 1;
}

long long nanoseconds(const timespec& t) {
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

bool samekey(const filekey& a, const filekey& b) {
    return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtime == b.mtime &&
           a.ctime == b.ctime;
}

// Extracts the six fields in file order, fields 2 and 4 as integers when
// asked to, exactly as formatted extraction does.
reading parse(std::istream& in, readas how) {
    reading r;
    double* const field[6] = {&r.values.stratangle, &r.values.sampno, &r.values.stdun,
                              &r.values.lobeno,     &r.values.form,   &r.values.alpha};
    for (int k = 0; k < 6; ++k) {
        bool good = false;
        if (how == asint && (k == 1 || k == 3)) {
            int whole = 0;
            good = static_cast<bool>(in >> whole);
            *field[k] = whole;
        } else {
            good = static_cast<bool>(in >> *field[k]);
        }
        if (!good) {
            r.failed = k + 1;
            return r;
        }
    }
    r.ok = true;
    return r;
}

// A read-only stream buffer over text already in memory.
class textbuf : public std::streambuf {
  public:
    textbuf(char* text, std::size_t size) { setg(text, text, text + size); }
};

// Parses both readings. The file is read whole with one system call where it
// fits the buffer, as it always does in practice, which costs a fraction of
// opening a file stream; a larger one is read through a file stream.
void parsefile() {
    static char text[4096];
    file.current[0] = file.current[1] = reading{};
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) return;
    std::size_t size = 0;
    ssize_t got = 0;
    while (size < sizeof text && (got = ::read(fd, text + size, sizeof text - size)) > 0)
        size += static_cast<std::size_t>(got);
    ::close(fd);
    if (got < 0) return;
    for (const readas how : {asint, asreal}) {
        if (size < sizeof text) {
            textbuf buffer(text, size);
            std::istream in(&buffer);
            file.current[slot(how)] = parse(in, how);
        } else {
            std::ifstream in(path);
            if (in.is_open()) file.current[slot(how)] = parse(in, how);
        }
    }
}

// Brings file.current up to date with the file.
void refresh() {
    struct stat st {};
    if (::stat(path, &st) != 0) {
        file.parsed = false;
        file.current[0] = file.current[1] = reading{};
        return;
    }
    const filekey key{st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim),
                      nanoseconds(st.st_ctim)};
    if (file.parsed && file.settled && samekey(key, file.key)) return;
    const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    parsefile();
    for (int k = 0; k < 2; ++k)
        if (file.current[k].ok) file.last[k] = file.current[k].values;
    file.parsed = true;
    file.key = key;
    file.settled = key.mtime < now - settle && key.ctime < now - settle;
}

// Why a reading failed, for the messages.
void why(std::ostream& out, const reading& r, readas how) {
    if (r.failed == 0) {
        out << path << " is missing or cannot be read";
        return;
    }
    out << path << " does not hold six numbers: field " << r.failed << " ("
        << fieldname[r.failed - 1] << ") is missing or not "
        << (how == asint && (r.failed == 2 || r.failed == 4) ? "an integer" : "a number");
}

} // namespace

bool studystart(int job, unsigned readings) {
    refresh();
    file.warned = false;
    for (const readas how : {asint, asreal}) {
        if (!(readings & how)) continue;
        const reading& r = file.current[slot(how)];
        if (!r.ok) {
            both("\n", "Job ", job, " not evaluated: ");
            why(std::cout, r, how);
            why(ofile, r, how);
            return false;
        }
    }
    for (const readas how : {asint, asreal}) {
        const reading& r = file.current[slot(how)];
        file.last[slot(how)] = r.ok ? r.values : studyparams{};
    }
    return true;
}

studyparams instructions(readas how) {
    refresh();
    const reading& r = file.current[slot(how)];
    if (r.ok) return r.values;
    if (!file.warned) {
        file.warned = true;
        std::cout << "\n";
        why(std::cout, r, how);
        std::cout << "; the study goes on with the values read last";
    }
    return file.last[slot(how)];
}

} // namespace formeval
