// The run files as the operating system may hand them over: a console whose
// reader has gone, a file size limit, an interrupt, a second run on the same
// files, run files that are not regular files, a byte-order mark. Each ends
// the run with its own status and a message, never a kill, a hang or a cut
// line.
#include "driver/runfile.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace formeval {
namespace {

namespace fs = std::filesystem;
using test::run;

const std::string unitcircle = "2600 4 0.000001 1 0 0 1 -1 0 0 -1\n";

// 36 points of a circle of radius 10: a study of it runs long enough to be
// interrupted.
std::string circle36(int job) {
    std::ostringstream text;
    text.precision(17);
    text << job << " 36 1e-6";
    for (int i = 0; i < 36; ++i)
        text << " " << 100 + (10 + 0.001 * (i % 3)) * std::cos(i * test::pi / 18) << " "
             << 20 + (10 + 0.001 * (i % 3)) * std::sin(i * test::pi / 18);
    return text.str() + "\n";
}

// Every line of a result file after `from` is a whole study line, numbered
// from 0 without a gap, up to the line `last`, which ends the file.
void expectwholestudylines(const std::string& result, std::size_t from, const std::string& last) {
    ASSERT_FALSE(result.empty());
    ASSERT_EQ(result.back(), '\n');
    std::istringstream lines(result.substr(from));
    int next = 0;
    bool ended = false;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_FALSE(ended) << "a line after the note: " << line;
        if (line == last) {
            ended = true;
            continue;
        }
        const std::regex study(R"(^([0-9]+)\t[-0-9.e]+\t[-0-9.e]+\t[-0-9.e]+\t[-0-9.e]+$)");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, study)) << line;
        EXPECT_EQ(std::stoi(m[1].str()), next++);
    }
    EXPECT_TRUE(ended) << "the note is missing";
    EXPECT_GT(next, 0);
}

// A console whose reader has gone (formeval | head -1) is a write error: the
// run goes on to its end, keeping every result in result.txt, and ends with
// status 3 and a message, instead of dying of SIGPIPE with no word.
TEST(RunFiles, AConsoleWhoseReaderHasGoneEndsWithStatusThree) {
    test::Run setup;
    setup.jobs = circle36(2610) + unitcircle;
    setup.instructions = "0 4 0.001 3 0 0\n";
    setup.console_closed = true;
    const auto out = run(setup);
    EXPECT_EQ(out.killedby, 0);
    EXPECT_EQ(out.status, 3);
    EXPECT_NE(out.errors.find("formeval: the console output could not be written"),
              std::string::npos)
        << out.errors;
    // The job after the study ran (the study left the trace level at 1).
    EXPECT_NE(out.result.find("999\t"), std::string::npos);
    EXPECT_EQ(out.result.back(), '\n');
}

// A file size limit (ulimit -f) is a full disk to formeval: status 3, the
// file cut back to its last whole line, not a death by SIGXFSZ mid-number.
TEST(RunFiles, AFileSizeLimitIsAWriteError) {
    test::Run setup;
    setup.jobs = circle36(2610);
    setup.instructions = "0 4 0.001 3 0 0\n";
    setup.file_size_limit = 30000;
    const auto out = run(setup);
    EXPECT_EQ(out.killedby, 0);
    EXPECT_EQ(out.status, 3);
    EXPECT_NE(out.errors.find("result.txt: File too large"), std::string::npos) << out.errors;
    ASSERT_FALSE(out.result.empty());
    EXPECT_EQ(out.result.back(), '\n');
}

// An interrupt or a termination request in the middle of a study: the
// repetition under way is finished, result.txt ends with a note on a line of
// its own after whole lines, and the status is the shell's for that signal.
struct Stop {
    const char* name;
    int signal;
    int status;
};

class Interrupted : public testing::TestWithParam<Stop> {};

TEST_P(Interrupted, StudyEndsAtAWholeLineWithANote) {
    const Stop& s = GetParam();
    test::Run setup;
    setup.jobs = circle36(2512) + unitcircle;
    setup.instructions = "0 4 0.001 3 0 0\n";
    setup.result_before = "earlier run";
    setup.signal = s.signal;
    setup.signal_after = 0.4;
    const auto out = run(setup);
    ASSERT_EQ(out.killedby, 0) << "killed by the signal";
    EXPECT_EQ(out.status, s.status);
    EXPECT_NE(out.errors.find(std::string("formeval: interrupted by ") + s.name +
                              " during job 2512; the run stops there"),
              std::string::npos)
        << out.errors;
    ASSERT_EQ(out.result.rfind("earlier run\n", 0), 0u);
    expectwholestudylines(out.result, 12,
                          std::string("formeval stopped here: the run was interrupted (") + s.name +
                              ")");
    // The job after the study never ran.
    EXPECT_EQ(out.result.find("r0="), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupted,
                         testing::Values(Stop{"SIGINT", SIGINT, 130},
                                         Stop{"SIGTERM", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another run of formeval appending to the same result.txt (here: holding
// its lock) makes this one refuse to start, naming the file: the two would
// interleave their lines.
TEST(RunFiles, ASecondRunOnTheSameFilesIsRefused) {
    for (const char* name : {"result.txt", "intres.txt"}) {
        int held = -1;
        test::Run setup;
        setup.jobs = unitcircle;
        setup.prepare = [&held, name](const fs::path& dir) {
            held = ::open((dir / name).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ASSERT_GE(held, 0);
            ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        };
        const auto out = run(setup);
        ::close(held);
        EXPECT_EQ(out.status, 2) << name;
        EXPECT_NE(out.errors.find(std::string("formeval: ") + name +
                                  " is in use by another run of formeval in this directory; no "
                                  "job is run"),
                  std::string::npos)
            << out.errors;
        EXPECT_EQ(out.result, "");
    }
}

// Run files that are not regular files are refused before anything could
// wait on them: a FIFO without a reader or writer, a socket, a device. The
// run ends at once with status 2 and says what the file is.
struct Special {
    const char* name;
    const char* file;
    const char* kind;
};

class NotRegular : public testing::TestWithParam<Special> {};

TEST_P(NotRegular, IsRefusedAtOnce) {
    const Special& c = GetParam();
    test::Run setup;
    setup.jobs = unitcircle;
    setup.timeout = 10;
    setup.prepare = [&c](const fs::path& dir) {
        fs::remove(dir / c.file);
        if (std::string(c.kind) == "a FIFO") {
            ASSERT_EQ(::mkfifo((dir / c.file).c_str(), 0644), 0);
        } else {
            fs::create_symlink("/dev/null", dir / c.file);
        }
    };
    const auto out = run(setup);
    EXPECT_FALSE(out.hung);
    EXPECT_EQ(out.status, 2);
    EXPECT_NE(out.errors.find(std::string("formeval: cannot open ") + c.file), std::string::npos)
        << out.errors;
    EXPECT_NE(
        out.errors.find(std::string("it is ") + c.kind + ", not a regular file; no job is run"),
        std::string::npos)
        << out.errors;
}

INSTANTIATE_TEST_SUITE_P(Files, NotRegular,
                         testing::Values(Special{"ResultFifo", "result.txt", "a FIFO"},
                                         Special{"IntresFifo", "intres.txt", "a FIFO"},
                                         Special{"JobsFifo", "cir1.txt", "a FIFO"},
                                         Special{"ResultDevice", "result.txt", "a device"},
                                         Special{"JobsDevice", "cir1.txt", "a device"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A UTF-8 byte-order mark at the start of cir1.txt, which some editors write,
// is no part of the first job code.
TEST(RunFiles, AByteOrderMarkIsSkipped) {
    test::Run plain;
    plain.jobs = unitcircle;
    test::Run marked;
    marked.jobs = "\xef\xbb\xbf" + unitcircle;
    const auto a = run(plain);
    const auto b = run(marked);
    EXPECT_EQ(b.status, 0) << b.errors;
    EXPECT_EQ(b.console, a.console);
    EXPECT_EQ(b.result, a.result);
    // Only at the start: elsewhere the same bytes break the stream.
    test::Run inside;
    inside.jobs = unitcircle + "\xef\xbb\xbf" + unitcircle;
    EXPECT_EQ(run(inside).status, 1);
}

// A cut-back after a failed write removes only bytes this run wrote: when
// another program appended to the file since (its lines are not this run's
// to cut), the note goes after them on a line of its own.
TEST(RunFiles, ACutBackNeverRemovesAnotherWritersBytes) {
    const fs::path dir = fs::temp_directory_path() / ("formeval-cut-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path path = dir / "result.txt";
    std::ofstream(path) << "before\n";
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        runfile file;
        if (!file.openappend(path.c_str()) || !file.lock()) ::_exit(10);
        file.sputn("ours\nhalf a li", 14);
        file.pubsync();
        {
            std::ofstream other(path, std::ios::app);
            other << "theirs\n";
        }
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t hard = limit.rlim_max;
        limit.rlim_cur = 200;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string more(400, 'x');
        file.sputn(more.data(), static_cast<std::streamsize>(more.size()));
        file.pubsync();
        if (file.error() == 0) ::_exit(11);
        limit.rlim_cur = hard;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        file.cutback("formeval stopped here");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    fs::remove_all(dir);
    const std::string kept = text.str();
    EXPECT_EQ(kept.rfind("before\nours\nhalf a litheirs\n", 0), 0u) << kept;
    EXPECT_EQ(kept.substr(kept.size() - 23), "\nformeval stopped here\n") << kept;
}

} // namespace
} // namespace formeval
