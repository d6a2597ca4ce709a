// The uncertainty studies' own work per repetition on 360 points (noise,
// re-reading instructions.txt, the console and result lines), and job 2611
// as a whole program on 360 points with the console sent to a file.
#include "base/base.h"
#include "driver/dispatch.h"
#include "random/random.h"
#include "studies/studies.h"
#include "uncertainty/uncertainty.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <utility>
#include <thread>
#include <unistd.h>

namespace formeval {
namespace {

namespace fs = std::filesystem;

constexpr int numpt = 360;
const char* const parameters = "10 36 0.001 3 0 0\n";

// A scratch directory, made the working directory while the object lives.
struct Scratch {
    fs::path previous = fs::current_path();
    fs::path dir;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "formeval-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        fs::current_path(dir);
    }
    ~Scratch() {
        fs::current_path(previous);
        fs::remove_all(dir);
    }
    void write(const char* name, const std::string& text) const {
        std::ofstream(dir / name) << text;
    }
};

// Points at equal angles on a circle of radius 25 about (40, -15), with
// normal radial noise of 2 micrometres in millimetre units.
void circle(double* u, double* v, int count = numpt) {
    std::mt19937 gen(1);
    std::normal_distribution<double> noise(0, 0.002);
    for (int i = 0; i < count; ++i) {
        const double t = 2 * std::acos(-1.0) * i / count;
        const double r = 25 + noise(gen);
        u[i] = 40 + r * std::cos(t);
        v[i] = -15 + r * std::sin(t);
    }
}

// One Monte Carlo repetition without its evaluation: the repetition number
// on the console, the noise (which re-reads instructions.txt), the result
// line in result.txt and, as the minimum-zone, peak and valley studies write
// it (`consoleline`), on the console too; all written to files. The parameter
// file is let settle first, as it does in a long run; a new one is parsed at
// every read.
void BM_Repetition(benchmark::State& state) {
    Scratch scratch;
    scratch.write("instructions.txt", parameters);
    if (state.range(0)) std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    std::filebuf console;
    std::filebuf results;
    console.open("console.txt", std::ios::out);
    results.open("result.txt", std::ios::out);
    std::streambuf* const saved = std::cout.rdbuf(&console);
    bindresult(&results, false);
    ofile.precision(12);
    std::cout.precision(12);

    double u[nsz], v[nsz], uu[nsz], vv[nsz];
    circle(u, v);
    const Circlefit ans = {40.000123456789, -14.999987654321, 25.0000135791, 0.00123456789012};
    studystart(2611, asreal);
    const bool consoleline = state.range(1) != 0;
    int ii = 0;
    for (auto _ : state) {
        std::cout << ii << "\n";
        addrand(u, v, numpt, uu, vv);
        if (consoleline) {
            std::cout << "\n";
            repetitionresult(std::cout, ii, ans);
            std::cout << "\n";
        }
        resultline(ii, ans);
        ++ii;
    }
    benchmark::DoNotOptimize(uu[numpt - 1]);
    std::cout.rdbuf(saved);
    bindresult(nullptr, false);
}
BENCHMARK(BM_Repetition)
    ->ArgNames({"settled", "consoleline"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The noise alone, on a settled parameter file.
void BM_Addrand(benchmark::State& state) {
    Scratch scratch;
    scratch.write("instructions.txt", parameters);
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    double u[nsz], v[nsz], uu[nsz], vv[nsz];
    circle(u, v);
    for (auto _ : state) {
        addrand(u, v, numpt, uu, vv);
        benchmark::DoNotOptimize(uu[0]);
    }
}
BENCHMARK(BM_Addrand)->Unit(benchmark::kMicrosecond);

// The normal pairs alone that the noise of 360 points draws, one from each
// of the streams 0 to 359: the random streams' share of a repetition.
void BM_Randnorm360(benchmark::State& state) {
    float rn[2];
    for (auto _ : state)
        for (int i = 0; i < numpt; ++i) {
            randnorm(i, rn);
            benchmark::DoNotOptimize(rn[0]);
        }
}
BENCHMARK(BM_Randnorm360)->Unit(benchmark::kMicrosecond);

// One read of the parameters from a settled file: a stat, no parse.
void BM_ReadSettledInstructions(benchmark::State& state) {
    Scratch scratch;
    scratch.write("instructions.txt", parameters);
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    for (auto _ : state) benchmark::DoNotOptimize(instructions(asreal).stdun);
}
BENCHMARK(BM_ReadSettledInstructions)->Unit(benchmark::kMicrosecond);

// One read of the parameters when the file has just changed, so that it is
// parsed; the rewrite between reads is not timed.
void BM_ReadChangedInstructions(benchmark::State& state) {
    Scratch scratch;
    int k = 0;
    for (auto _ : state) {
        scratch.write("instructions.txt", k++ % 2 ? "10 36 0.001 3 0 0\n" : "10 36 0.002 3 0 0\n");
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(instructions(asreal).stdun);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_ReadChangedInstructions)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Runs `exe` in the scratch directory with the console to console.txt and
// no console input; its CPU time (user and system) in seconds, or -1 when
// it did not end cleanly.
double runjob(const char* exe) {
    fs::remove("result.txt");
    fs::remove("intres.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = ::open("/dev/null", O_RDONLY);
        if (out < 0 || null < 0 || ::dup2(out, 1) < 0 || ::dup2(null, 0) < 0) ::_exit(126);
        ::execl(exe, exe, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The job file of a study on 360 points (2048 for job 2500).
void writejob(const Scratch& scratch, int job) {
    std::ostringstream jobs;
    jobs.precision(17);
    const int count = job == 2500 ? nsz : numpt;
    double u[nsz], v[nsz];
    circle(u, v, count);
    jobs << job << ' ' << count << " 0.000001\n";
    for (int i = 0; i < count; ++i) jobs << u[i] << ' ' << v[i] << '\n';
    scratch.write("cir1.txt", jobs.str());
    scratch.write("instructions.txt", parameters);
}

// A study job, start to exit, by this build (build 0) or by the one the
// environment variable FORMEVAL_PREVIOUS names (build 1), so that the two run
// side by side in one benchmark run (with --benchmark_repetitions and
// --benchmark_enable_random_interleaving); the time is the job's CPU time,
// and cpu_us_per_repetition spreads it over the repetitions.
void BM_Study(benchmark::State& state) {
    const int job = static_cast<int>(state.range(0));
    const int repetitions = static_cast<int>(state.range(1));
    const char* const exe = state.range(2) ? std::getenv("FORMEVAL_PREVIOUS") : FORMEVAL_BINARY;
    if (!exe || !*exe) {
        state.SkipWithError("FORMEVAL_PREVIOUS names no previous build");
        for (auto _ : state) {
        }
        return;
    }
    Scratch scratch;
    writejob(scratch, job);
    double total = 0;
    for (auto _ : state) {
        const double seconds = runjob(exe);
        if (seconds < 0) {
            state.SkipWithError("formeval did not end cleanly");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["cpu_us_per_repetition"] =
        total / static_cast<double>(state.iterations()) / repetitions * 1e6;
}
const bool studiesregistered = [] {
    const std::pair<int, int> studies[] = {{2511, 10000}, {2611, 10000}, {2711, 10000},
                                           {2811, 10000}, {2520, 1441},  {2550, 10000},
                                           {2560, 10000}, {2570, 10000}};
    for (const auto& [job, repetitions] : studies)
        for (int build : {0, 1})
            benchmark::RegisterBenchmark("BM_Study", BM_Study)
                ->ArgNames({"job", "repetitions", "previous"})
                ->Args({job, repetitions, build})
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(1);
    return true;
}();

// A whole study job on 360 points, start to exit, with the console
// redirected to a file: the job code and its number of repetitions.
void BM_Job(benchmark::State& state) {
    const int job = static_cast<int>(state.range(0));
    const int repetitions = static_cast<int>(state.range(1));
    Scratch scratch;
    writejob(scratch, job);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (runjob(FORMEVAL_BINARY) < 0) {
            state.SkipWithError("formeval did not end cleanly");
            break;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    // Start-up and the table fill spread over the repetitions.
    state.counters["us_per_repetition"] =
        seconds / static_cast<double>(state.iterations()) / repetitions * 1e6;
}
// Each whole job with its repetitions, and how many times it runs: the
// studies of 10 000 repetitions; job 2500 on a record of 2048 points, at trace
// level 3 (most of its time is the listing); the longest Monte Carlo job,
// 100 000 minimum-zone evaluations.
const bool jobsregistered = [] {
    struct Run {
        int job;
        int repetitions;
        int runs;
    };
    for (const Run& r : {Run{2511, 10000, 3}, Run{2611, 10000, 3}, Run{2570, 10000, 3},
                         Run{2520, 1441, 3}, Run{2500, 1, 10}, Run{2512, 100000, 1}})
        benchmark::RegisterBenchmark("BM_Job", BM_Job)
            ->ArgNames({"job", "repetitions"})
            ->Args({r.job, r.repetitions})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(r.runs);
    return true;
}();

// The same Monte Carlo as job 2512 by the uncertainty engine, side by side
// with it: 100 000 trials of the certified minimum-zone circle of the same
// 360 points with the same noise, on one thread and on two (run with
// --benchmark_filter='BM_Job/job:2512|BM_Uncertainty' --benchmark_repetitions=3).
void BM_Uncertainty(benchmark::State& state) {
    double u[numpt], v[numpt];
    circle(u, v);
    std::vector<double> p;
    for (int i = 0; i < numpt; ++i) p.insert(p.end(), {u[i], v[i]});
    uncertainty::Options o;
    o.trials = 100000;
    o.threads = static_cast<int>(state.range(0));
    o.gum = state.range(1) != 0;
    o.certifytrials = true;
    const std::vector<uncertainty::Contribution> model = {
        {"noise", uncertainty::Acts::coordinates, uncertainty::Distribution::gaussian, 0.001}};
    uncertainty::Result r;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        r = uncertainty::propagate({p.data(), numpt, 2, 2}, uncertainty::Feature::circle,
                                   uncertainty::Criterion::minimumzone, model, o);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (!r.ok || r.uncertified > 0) state.SkipWithError("not every trial certified");
    state.counters["us_per_trial"] =
        seconds / static_cast<double>(state.iterations()) / static_cast<double>(o.trials) * 1e6;
}
BENCHMARK(BM_Uncertainty)
    ->ArgNames({"threads", "gum"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace
} // namespace formeval
