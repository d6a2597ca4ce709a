// Coverage-guided fuzzing of the job stream (libFuzzer). An input is either
// taken as the job stream's text itself, or decoded into a job stream of
// well-formed records whose points are built to be awkward (see
// tests/harness/jobgen.h), with odd study parameters. Every input runs
// through the dispatcher on string buffers with the console input closed, from
// the program's start state, in a scratch working directory that holds the
// studies' instructions.txt. A study runs only a few repetitions, so that the
// fuzzer explores hundreds of inputs a second.
#include "base/base.h"
#include "driver/dispatch.h"
#include "random/random.h"
#include "studies/studies.h"
#include "tests/harness/jobgen.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using formeval::runjobs;
using formeval::test::Bytes;

// Every job code of the job table and one it lacks. The evaluations come three
// times as often as the studies, which repeat an evaluation.
std::vector<int> jobcodes() {
    std::vector<int> codes;
    for (const formeval::jobinfo& job : formeval::jobtable()) {
        const int copies = job.kind == formeval::jobkind::evaluation ? 3 : 1;
        for (int k = 0; k < copies; ++k) codes.push_back(job.code);
    }
    codes.push_back(1001);
    return codes;
}
const std::vector<int> jobs = jobcodes();

// A study repeats one evaluation on fresh noise or a fresh sample: a few
// repetitions reach all of its code, where the full counts would hold one
// input for seconds.
constexpr int fuzzrepetitions = 3;

void record(Bytes& in, std::ostringstream& out) {
    const int code = jobs[in.next() % jobs.size()];
    out << code << '\n';
    const formeval::jobinfo* job = formeval::findjob(code);
    if (job && job->points != formeval::pointform::none) formeval::test::record(in, code, out);
}

} // namespace

char scratch[] = "/tmp/formeval-fuzz-XXXXXX";

void cleanup() {
    std::remove("instructions.txt");
    ::rmdir(scratch);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!::mkdtemp(scratch) || ::chdir(scratch) != 0) std::abort();
    formeval::repetitionlimit = fuzzrepetitions;
    std::atexit(cleanup);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, size_t size) {
    if (size == 0) return 0;
    Bytes in{bytes + 1, size - 1};
    std::string text;
    if (bytes[0] & 1) {
        text.assign(reinterpret_cast<const char*>(bytes + 1), size - 1);
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
