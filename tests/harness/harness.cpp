#include "tests/harness/harness.h"

#include "base/base.h"
#include "driver/dispatch.h"

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace formeval::test {

namespace fs = std::filesystem;

Session::Session(const std::string& jobs, const std::string& input)
    : jobs_(jobs), input_(input), coutbuf_(std::cout.rdbuf(&console_)),
      cinbuf_(std::cin.rdbuf(&input_)), coutprecision_(std::cout.precision(12)) {
    std::cin.clear();
    data.rdbuf(&jobs_);
    bindresult(&result_, false);
    imfile.rdbuf(&intres_);
    ofile.precision(12);
    imfile.precision(6);
    cri = 0;
    oqt = 3;
    problem = false;
}

Session::~Session() {
    std::cout.rdbuf(coutbuf_);
    std::cout.precision(coutprecision_);
    std::cin.rdbuf(cinbuf_);
    std::cin.clear();
    data.rdbuf(nullptr);
    bindresult(nullptr, false);
    imfile.rdbuf(nullptr);
}

void Session::clear() {
    console_.str("");
    result_.str("");
    intres_.str("");
}

namespace {

fs::path scratchdir(const char* stem) {
    std::string pattern = (fs::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch directory");
    return pattern;
}

void write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The text of a regular file; a device (a link to /dev/full, say) reads as
// empty, since it may never end.
std::string read(const fs::path& path, bool* exists = nullptr) {
    std::error_code ignored;
    if (fs::exists(path, ignored) && !fs::is_regular_file(path, ignored)) {
        if (exists) *exists = true;
        return "";
    }
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

// Redirects descriptor fd of the child to a file; exits the child on failure.
void redirect(int fd, const char* path, int flags) {
    const int file = ::open(path, flags, 0644);
    if (file < 0 || ::dup2(file, fd) < 0) ::_exit(126);
    ::close(file);
}

} // namespace

Workdir::Workdir() : previous_(fs::current_path()), dir_(scratchdir("formeval-work")) {
    fs::current_path(dir_);
}

Workdir::~Workdir() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(dir_, ignored);
}

void Workdir::write(const std::string& name, const std::string& text) const {
    formeval::test::write(dir_ / name, text);
}

void Workdir::remove(const std::string& name) const {
    fs::remove(dir_ / name);
}

Outcome run(const Run& setup) {
    const fs::path dir = scratchdir("formeval-run");

    if (setup.jobs) write(dir / "cir1.txt", *setup.jobs);
    if (setup.instructions) write(dir / "instructions.txt", *setup.instructions);
    if (setup.result_before) write(dir / "result.txt", *setup.result_before);
    if (setup.intres_before) write(dir / "intres.txt", *setup.intres_before);
    write(dir / ".console-in", setup.input);
    if (setup.prepare) setup.prepare(dir);
    // Made absolute before the child changes directory.
    const char* other = std::getenv("FORMEVAL_UNDER_TEST");
    const std::string executable = !setup.executable.empty()
                                       ? fs::absolute(setup.executable).string()
                                   : other && *other ? fs::absolute(other).string()
                                                     : std::string(FORMEVAL_BINARY);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        for (const int s : {SIGINT, SIGTERM, SIGPIPE, SIGXFSZ}) ::signal(s, SIG_DFL);
        if (setup.file_size_limit > 0) {
            // A write beyond the limit raises SIGXFSZ, which formeval must
            // turn into the write error (EFBIG) it is.
            const rlimit limit{static_cast<rlim_t>(setup.file_size_limit),
                               static_cast<rlim_t>(setup.file_size_limit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        redirect(0, ".console-in", O_RDONLY);
        if (setup.console_closed) {
            int ends[2];
            if (::pipe(ends) != 0 || ::dup2(ends[1], 1) < 0) ::_exit(126);
            ::close(ends[0]);
            ::close(ends[1]);
        } else {
            redirect(1, ".console-out", O_WRONLY | O_CREAT | O_TRUNC);
        }
        redirect(2, ".console-err", O_WRONLY | O_CREAT | O_TRUNC);
        ::execl(executable.c_str(), "formeval", static_cast<char*>(nullptr));
        ::_exit(127);
    }

    Outcome out;
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(clock::now() - start).count();
    };
    int wstatus = 0;
    bool signalled = false;
    while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
        if (setup.signal != 0 && !signalled && seconds() > setup.signal_after) {
            signalled = true;
            ::kill(pid, setup.signal);
        }
        if (setup.kill_after > 0 && seconds() > setup.kill_after) {
            out.killed = true;
            ::kill(pid, SIGKILL);
        } else if (seconds() > setup.timeout) {
            out.hung = true;
            ::kill(pid, SIGKILL);
        }
        if (out.killed || out.hung) {
            ::waitpid(pid, &wstatus, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(wstatus) && !out.killed && !out.hung) out.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus) && !out.killed && !out.hung) out.killedby = WTERMSIG(wstatus);

    out.console = read(dir / ".console-out");
    out.errors = read(dir / ".console-err");
    out.result = read(dir / "result.txt", &out.result_exists);
    out.intres = read(dir / "intres.txt", &out.intres_exists);
    fs::remove_all(dir);
    return out;
}

std::string stream(std::initializer_list<double> items) {
    std::ostringstream text;
    text.precision(17);
    for (const double item : items) text << item << ' ';
    return text.str();
}

std::string testdata(const std::string& name) {
    return std::string(FORMEVAL_TESTDATA) + "/" + name;
}

std::string testname(const std::string& text) {
    const auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    std::string name;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digitnext =
            i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]));
        if (alnum(c)) {
            name += c;
            any = true;
        } else if (c == '-' && digitnext) {
            name += "minus";
        } else if (name.empty() || name.back() != '_') {
            name += '_';
        }
    }
    if (!any) return "Blank";
    const std::size_t first = name.find_first_not_of('_');
    return name.substr(first, name.find_last_not_of('_') + 1 - first);
}

std::string testname(double number) {
    std::ostringstream text;
    text << number;
    return testname(text.str());
}

std::string testname(const std::vector<double>& numbers) {
    std::string name;
    for (const double x : numbers) name += (name.empty() ? "" : "_") + testname(x);
    return name.empty() ? "None" : name;
}

} // namespace formeval::test
