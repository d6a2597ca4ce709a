// Differential run: generates job streams from a seed and runs each with two
// formeval executables in scratch directories, comparing exit status, console,
// standard error, result.txt and intres.txt byte for byte. Prints the first
// difference of every stream that differs, and a closing count; exits 1 when
// any stream differs, 2 on a wrong command line.
//
//   formeval_differential [--jobs N] [--keep DIR] [--only I] BASELINE CANDIDATE [COUNT] [SEED]
//
// Stream i depends only on the seed and i, so `--only I` repeats one stream of
// a larger run, and `--keep DIR` writes the inputs of every differing stream
// (or of the one stream chosen with --only) to DIR/stream-I/ (cir1.txt,
// instructions.txt, console-in, result.txt and intres.txt as they were before
// the run).
//
//   formeval_differential --write DIR FORMEVAL [COUNT] [SEED]
//
// runs each stream once with FORMEVAL and writes DIR/stream-I/cir1.txt (the
// stream, when it has one) and result.txt (as the run left it, when there
// is one): inputs for the differential run of formreport.
#include "driver/dispatch.h"
#include "tests/harness/harness.h"
#include "tests/harness/jobgen.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace formeval::test {
namespace {

// splitmix64: small, fast, and the same on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool percent(int p) { return below(100) < p; }
    template <class T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

  private:
    std::uint64_t state_;
};

// How often a job of the table is drawn: the evaluations most, the
// 1000-repetition Monte Carlo and the perturbation studies less, the sampling
// studies (10 000 repetitions each) and the 10 000-repetition Monte Carlo
// studies rarely, the 100 000-repetition ones (weight 0) only now and then. The
// point counts stay below 24 (or exceed the capacity, which is refused), so a
// stream runs in well under a second.
int weight(const jobinfo& job) {
    switch (job.kind) {
    case jobkind::evaluation:
        return 30;
    case jobkind::montecarlo:
        return job.repetitions == 1000 ? 15 : job.repetitions == 10000 ? 5 : 0;
    case jobkind::perturbation:
        return 15;
    case jobkind::sampling:
        return 10;
    default:
        return 10;
    }
}
constexpr int longpermille = 2; // draws of a weight-0 job, per thousand

// Codes no job has: the dispatcher says so and reads on.
constexpr int unknowncodes[] = {1001, 1234, -7, 2513, 99999};
constexpr int unknownweight = 20;

constexpr const char* badtokens[] = {"x",   "abc",  "1e", "--3",   "12.5.1", "nan",
                                     "inf", "0x10", "+",  "2600x", "1,5"};
constexpr const char* answers[] = {"Y", "N",  "y",   "n",  "x",   "0",       "5",     "3",   "1",
                                   "2", "-1", "abc", "12", "100", "0 1 2 3", "2 0 1", "1e3", "4.5"};
constexpr const char* badinstructions[] = {
    "",    "10 4",           "10 4 x 3 0 0",        "10 36.5 0.001 3 0 0",
    "abc", "10 4 0.001 3 0", "10 -4 0.001 3 0 0 9", "1e400 4 0.001 3 0 0",
};

int drawcode(Random& r) {
    std::vector<int> rare;
    for (const jobinfo& job : jobtable())
        if (weight(job) == 0) rare.push_back(job.code);
    if (!rare.empty() && r.below(1000) < longpermille)
        return rare[static_cast<std::size_t>(r.below(static_cast<int>(rare.size())))];
    int total = unknownweight;
    for (const jobinfo& job : jobtable()) total += weight(job);
    int at = r.below(total);
    for (const jobinfo& job : jobtable()) {
        if (at < weight(job)) return job.code;
        at -= weight(job);
    }
    return r.pick(unknowncodes);
}

bool haspoints(int code) {
    const jobinfo* job = findjob(code);
    return job && job->points != pointform::none;
}

// Replaces the whitespace-separated token number k (counted from 0) of text.
std::string replacetoken(const std::string& text, int k, const std::string& with) {
    std::size_t at = 0;
    for (int seen = 0;; ++seen) {
        at = text.find_first_not_of(" \n", at);
        if (at == std::string::npos) return text;
        const std::size_t end = std::min(text.find_first_of(" \n", at), text.size());
        if (seen == k) return text.substr(0, at) + with + text.substr(end);
        at = end;
    }
}

int tokens(const std::string& text) {
    std::istringstream in(text);
    int n = 0;
    for (std::string word; in >> word;) ++n;
    return n;
}

// The bytes jobgen's record() decodes, chosen so that half the records are
// plausible: a noisy feature at coordinates near 1 with a usual tolerance,
// some of them far from the origin or on an arc. The rest are as awkward as
// random bytes make them.
std::vector<std::uint8_t> recordbytes(Random& r) {
    std::vector<std::uint8_t> bytes(256);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(r.next());
    if (r.percent(50)) {
        bytes[0] = static_cast<std::uint8_t>(4 + r.below(20)); // 4 to 23 points
        bytes[1] = r.percent(50) ? 0 : 2;                      // cri 1e-9 or 1e-6
        // A multiple of 6 (a noisy feature) without bits 4 and 5 (unscaled); 66
        // has bit 6 (far from the origin), 132 bit 7 (an arc).
        const int where = r.below(10);
        bytes[2] = static_cast<std::uint8_t>(where < 2 ? 66 : where < 4 ? 132 : 6 * r.below(2));
    }
    return bytes;
}

struct Stream {
    Run run;
    std::string about; // the job codes and the awkward parts, for the report
};

Stream makestream(std::uint64_t seed, int index) {
    Random r(seed * 0x100000001B3u + static_cast<std::uint64_t>(index));

    Stream s;
    std::ostringstream about;
    std::ostringstream text;
    text.precision(17);
    std::string previous;
    const int njobs = 1 + r.below(4);
    about << "jobs";
    for (int k = 0; k < njobs; ++k) {
        if (!previous.empty() && r.percent(10)) {
            text << previous; // the same job again: studies and random streams carry state
            about << " (again)";
            continue;
        }
        const int code = drawcode(r);
        std::ostringstream job;
        job.precision(17);
        job << code << '\n';
        if (haspoints(code)) {
            const std::vector<std::uint8_t> bytes = recordbytes(r);
            Bytes in{bytes.data(), bytes.size()};
            record(in, code, job);
        }
        previous = job.str();
        text << previous;
        about << ' ' << code;
    }
    std::string jobs = text.str();
    if (r.percent(4)) {
        const std::string bad = r.pick(badtokens);
        jobs = replacetoken(jobs, 0, bad);
        about << "; job code " << bad;
    }
    if (r.percent(8)) {
        const std::string bad = r.pick(badtokens);
        jobs = replacetoken(jobs, r.below(std::max(1, tokens(jobs))), bad);
        about << "; a token " << bad;
    }
    if (r.percent(8) && !jobs.empty()) {
        jobs.resize(jobs.size() - 1 - r.below(static_cast<int>(jobs.size() / 3 + 1)));
        about << "; cut short";
    }
    if (r.percent(2)) {
        s.run.jobs = std::nullopt;
        about << "; no cir1.txt";
    } else {
        s.run.jobs = jobs;
    }

    if (r.percent(8)) {
        s.run.instructions = std::nullopt;
        about << "; no instructions.txt";
    } else if (r.percent(8)) {
        s.run.instructions = r.pick(badinstructions);
        about << "; instructions \"" << *s.run.instructions << '"';
    } else {
        s.run.instructions = instructions(static_cast<std::uint8_t>(r.next()));
    }

    if (r.percent(40)) {
        about << "; console closed";
    } else {
        const int n = 1 + r.below(8);
        for (int k = 0; k < n; ++k) s.run.input += std::string(r.pick(answers)) + "\n";
        if (r.percent(30)) s.run.input.pop_back();
        about << "; " << n << " console answers";
    }
    if (r.percent(15)) {
        s.run.result_before = "0\t1\t2";
        about << "; result.txt ends mid-line";
    } else if (r.percent(5)) {
        s.run.result_before = "an earlier run\n";
    }
    if (r.percent(5)) s.run.intres_before = "7\t1";
    s.run.timeout = 300;
    s.about = about.str();
    return s;
}

// A line of text, quoted, with control characters shown, cut at 160 characters.
std::string quoted(const std::string& text, std::size_t from) {
    const std::size_t begin = text.rfind('\n', from == 0 ? 0 : from - 1);
    const std::size_t start = begin == std::string::npos || from == 0 ? 0 : begin + 1;
    const std::size_t end = std::min(text.find('\n', from), text.size());
    std::string out = "\"";
    for (std::size_t i = start; i < end && i < start + 160; ++i) {
        const char c = text[i];
        if (c == '\t')
            out += "\\t";
        else if (c == '\a')
            out += "\\a";
        else if (c == '\r')
            out += "\\r";
        else if (static_cast<unsigned char>(c) < 32)
            out += "\\x" + std::to_string(c);
        else
            out += c;
    }
    if (end > start + 160) out += "...";
    return out + (end == text.size() ? "\" (end of file)" : "\"");
}

// The first difference of two texts: where it is and the line on each side.
std::string textdiff(const char* what, const std::string& a, const std::string& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    const std::size_t at = static_cast<std::size_t>(ia - a.begin());
    (void)ib;
    const long line = std::count(a.begin(), a.begin() + static_cast<long>(at), '\n') + 1;
    std::ostringstream out;
    out << what << " differs at line " << line << ", byte " << at << " (" << a.size() << " and "
        << b.size() << " bytes)\n    baseline:  " << quoted(a, at)
        << "\n    candidate: " << quoted(b, at) << '\n';
    return out.str();
}

// "" when the two runs are the same.
std::string compare(const Outcome& a, const Outcome& b) {
    if (a.hung != b.hung || a.status != b.status) {
        std::ostringstream out;
        out << "exit status " << (a.hung ? std::string("hung") : std::to_string(a.status))
            << " and " << (b.hung ? std::string("hung") : std::to_string(b.status)) << '\n';
        return out.str();
    }
    if (a.console != b.console) return textdiff("console", a.console, b.console);
    if (a.errors != b.errors) return textdiff("standard error", a.errors, b.errors);
    if (a.result_exists != b.result_exists) return "result.txt exists in one run only\n";
    if (a.result != b.result) return textdiff("result.txt", a.result, b.result);
    if (a.intres_exists != b.intres_exists) return "intres.txt exists in one run only\n";
    if (a.intres != b.intres) return textdiff("intres.txt", a.intres, b.intres);
    return "";
}

void keep(const std::filesystem::path& dir, int index, const Run& run) {
    const std::filesystem::path to = dir / ("stream-" + std::to_string(index));
    std::filesystem::create_directories(to);
    const auto put = [&](const char* name, const std::optional<std::string>& text) {
        if (text) std::ofstream(to / name, std::ios::binary) << *text;
    };
    put("cir1.txt", run.jobs);
    put("instructions.txt", run.instructions);
    put("console-in", run.input);
    put("result.txt", run.result_before);
    put("intres.txt", run.intres_before);
}

int usage() {
    std::cerr << "usage: formeval_differential [--jobs N] [--keep DIR] [--only I] BASELINE "
                 "CANDIDATE [COUNT] [SEED]\n"
                 "       formeval_differential [--jobs N] --write DIR FORMEVAL [COUNT] [SEED]\n";
    return 2;
}

// Writes stream `index`'s job stream and the result file `run` left.
void write(const std::filesystem::path& dir, int index, const Run& run, const Outcome& outcome) {
    const std::filesystem::path to = dir / ("stream-" + std::to_string(index));
    std::filesystem::create_directories(to);
    if (run.jobs) std::ofstream(to / "cir1.txt", std::ios::binary) << *run.jobs;
    if (outcome.result_exists) std::ofstream(to / "result.txt", std::ios::binary) << outcome.result;
}

int differential(int argc, char** argv) {
    int threads = 2;
    int only = -1;
    std::string keepdir;
    std::string writedir;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--jobs" || arg == "--keep" || arg == "--only" || arg == "--write") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--write")
                writedir = value;
            else if (arg == "--jobs")
                threads = std::max(1, std::atoi(value.c_str()));
            else if (arg == "--keep")
                keepdir = value;
            else
                only = std::atoi(value.c_str());
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            args.push_back(arg);
        }
    }
    // Writing runs one executable: it stands in as the candidate of the checks below.
    if (!writedir.empty() && !args.empty() && args.size() <= 3)
        args.insert(args.begin() + 1, args[0]);
    if (args.size() < 2 || args.size() > 4) return usage();
    for (int k = 0; k < 2; ++k)
        if (::access(args[k].c_str(), X_OK) != 0) {
            std::cerr << "formeval_differential: " << args[k] << " is not an executable\n";
            return 2;
        }
    const int count = args.size() > 2 ? std::atoi(args[2].c_str()) : 1000;
    const std::uint64_t seed = args.size() > 3 ? std::strtoull(args[3].c_str(), nullptr, 10) : 1;
    const int first = only >= 0 ? only : 0;
    const int last = only >= 0 ? only + 1 : count;

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> reports(static_cast<std::size_t>(last - first));
    std::atomic<int> next{first};
    std::atomic<int> done{0};
    const auto work = [&] {
        for (int i; (i = next++) < last;) {
            Stream s = makestream(seed, i);
            s.run.executable = args[0];
            const Outcome a = run(s.run);
            if (!writedir.empty()) {
                write(writedir, i, s.run, a);
                ++done;
                continue;
            }
            s.run.executable = args[1];
            const Outcome b = run(s.run);
            const std::string diff = compare(a, b);
            if (!diff.empty()) {
                reports[static_cast<std::size_t>(i - first)] =
                    "stream " + std::to_string(i) + " (" + s.about + "): " + diff;
            }
            if (!keepdir.empty() && (!diff.empty() || only >= 0)) keep(keepdir, i, s.run);
            if (++done % 100 == 0) std::cerr << done << " streams run\n";
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();

    int differ = 0;
    for (const std::string& report : reports)
        if (!report.empty()) {
            ++differ;
            std::cout << report;
        }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!writedir.empty()) {
        std::cout << (last - first) << " streams (seed " << seed << ") written to " << writedir
                  << "\n";
        return 0;
    }
    std::cout << (last - first) << " streams (seed " << seed << "), " << differ << " differ; "
              << static_cast<int>(seconds + 0.5) << " s\n";
    return differ == 0 ? 0 : 1;
}

} // namespace
} // namespace formeval::test

int main(int argc, char** argv) {
    return formeval::test::differential(argc, argv);
}
