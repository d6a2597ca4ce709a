// Coverage-guided fuzzing of the job stream (libFuzzer). An input is either
// taken as the job stream's text itself, or decoded into a job stream of
// well-formed records whose points are built to be awkward (see
// tests/harness/jobgen.h), with odd study parameters. Every input runs
// through the dispatcher on string buffers with the console input closed, from
// the program's start state, in a scratch working directory that holds the
// studies' instructions.txt.
#include "driver/dispatch.h"
#include "driver/driver.h"
#include "random/random.h"
#include "tests/harness/jobgen.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using formeval::runjobs;
using formeval::test::Bytes;

// Every job code but the long Monte Carlo variants, which differ from the
// 1000-repetition ones only in the count. The studies repeat an evaluation
// thousands of times and would dominate the fuzzer's time: the evaluations
// come three times as often as they.
constexpr int jobs[] = {
    1000, 2000, 2500, 2600, 2700, 2800, 3000, 4000, 4500, 1000, 2000, 2500, 2600, 2700,
    2800, 3000, 4000, 4500, 1000, 2000, 2500, 2600, 2700, 2800, 3000, 4000, 4500, 2510,
    2520, 2550, 2555, 2560, 2565, 2570, 2575, 2610, 2620, 2710, 2810, 0,    1001,
};
constexpr int njobs = sizeof jobs / sizeof jobs[0];

void record(Bytes& in, std::ostringstream& out) {
    const int code = jobs[in.next() % njobs];
    out << code << '\n';
    if (code != 0 && code != 1001) formeval::test::record(in, code, out);
}

} // namespace

char scratch[] = "/tmp/formeval-fuzz-XXXXXX";

void cleanup() {
    std::remove("instructions.txt");
    ::rmdir(scratch);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!::mkdtemp(scratch) || ::chdir(scratch) != 0) std::abort();
    std::atexit(cleanup);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, size_t size) {
    if (size == 0) return 0;
    Bytes in{bytes + 1, size - 1};
    std::string text;
    if (bytes[0] & 1) {
        text.assign(reinterpret_cast<const char*>(bytes + 1), size - 1);
        // The long Monte Carlo variants only repeat the short one's work.
        std::istringstream words(text);
        for (std::string word; words >> word;)
            if (word.size() == 4 && word[0] == '2' && word[2] == '1' &&
                (word[3] == '1' || word[3] == '2'))
                return 0;
        std::ofstream("instructions.txt") << "10 4 0.001 3 0 0\n";
    } else {
        std::ofstream("instructions.txt") << formeval::test::instructions(in.next());
        std::ostringstream out;
        out.precision(17);
        for (int k = 0; k < 3 && in.left > 0; ++k) record(in, out);
        text = out.str();
    }

    std::stringbuf jobstream(text), console, result, intres, input, errors;
    std::streambuf* cout = std::cout.rdbuf(&console);
    std::streambuf* cerr = std::cerr.rdbuf(&errors);
    std::streambuf* cin = std::cin.rdbuf(&input);
    formeval::data.rdbuf(&jobstream);
    formeval::bindresult(&result, false);
    formeval::imfile.rdbuf(&intres);
    formeval::cri = 0;
    formeval::oqt = 3;
    formeval::problem = false;
    formeval::resetstreams();
    std::srand(1);

    runjobs();

    std::cout.rdbuf(cout);
    std::cerr.rdbuf(cerr);
    std::cin.rdbuf(cin);
    std::cin.clear();
    formeval::data.rdbuf(nullptr);
    formeval::bindresult(nullptr, false);
    formeval::imfile.rdbuf(nullptr);
    return 0;
}
