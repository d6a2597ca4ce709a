// Random streams: what filling the tables costs, a whole run of the program
// on an empty job stream to set it against, and the cost of single draws.
#include "random/random.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace formeval;

// Both tables filled from their rules, as on the first draw of a run.
void BM_TableFill(benchmark::State& state) {
    for (auto _ : state) {
        resetstreams();
        benchmark::DoNotOptimize(lcgrandgt(0));
        double seed[6];
        mrandgt(seed, 0);
        benchmark::DoNotOptimize(seed[0]);
    }
}
BENCHMARK(BM_TableFill)->Unit(benchmark::kMicrosecond);

// Runs formeval once in dir with its output discarded; returns its exit status.
int runformeval(const fs::path& dir) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null < 0 || ::chdir(dir.c_str()) != 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0)
            ::_exit(126);
        ::execl(FORMEVAL_BINARY, FORMEVAL_BINARY, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Start to exit of the program on an empty job stream.
void BM_EmptyRun(benchmark::State& state) {
    std::string pattern = (fs::temp_directory_path() / "formeval-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("cannot make a scratch directory");
        return;
    }
    const fs::path dir = pattern;
    std::ofstream(dir / "cir1.txt").close();
    for (auto _ : state) {
        if (runformeval(dir) != 0) {
            state.SkipWithError("formeval did not end cleanly");
            break;
        }
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_EmptyRun)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Lcgrand(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(lcgrand(0));
}
BENCHMARK(BM_Lcgrand);

void BM_Mrand(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(mrand(0));
}
BENCHMARK(BM_Mrand);

void BM_Randnorm(benchmark::State& state) {
    float n[2];
    for (auto _ : state) {
        randnorm(0, n);
        benchmark::DoNotOptimize(n[0]);
    }
}
BENCHMARK(BM_Randnorm);

} // namespace
