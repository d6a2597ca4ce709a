// Coverage-guided fuzzing of the job stream (libFuzzer). An input is either
// taken as the job stream's text itself, or decoded into a job stream of
// well-formed records whose points are built to be awkward: noisy features,
// equal, collinear and repeated points, points at the centroid, coordinates
// near 1e150 and 1e-150, odd tolerances and study parameters. Every input runs
// through the dispatcher on string buffers with the console input closed, from
// the program's start state, in a scratch working directory that holds the
// studies' instructions.txt.
#include "driver/dispatch.h"
#include "driver/driver.h"
#include "random/random.h"

#include <cmath>
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

struct Bytes {
    const std::uint8_t* at;
    size_t left;
    std::uint8_t next() {
        if (left == 0) return 0;
        --left;
        return *at++;
    }
};

enum Shape { plane2, polar2, cartesian3, polar3 };

struct Job {
    int code;
    Shape shape;
};

// Every job code but the long Monte Carlo variants, which differ from the
// 1000-repetition ones only in the count. The studies repeat an evaluation
// thousands of times and would dominate the fuzzer's time: the evaluations
// come three times as often as they.
constexpr Job jobs[] = {
    {1000, plane2},     {2000, polar2},     {2500, plane2},     {2600, plane2},
    {2700, plane2},     {2800, plane2},     {3000, cartesian3}, {4000, polar3},
    {4500, cartesian3}, {1000, plane2},     {2000, polar2},     {2500, plane2},
    {2600, plane2},     {2700, plane2},     {2800, plane2},     {3000, cartesian3},
    {4000, polar3},     {4500, cartesian3}, {1000, plane2},     {2000, polar2},
    {2500, plane2},     {2600, plane2},     {2700, plane2},     {2800, plane2},
    {3000, cartesian3}, {4000, polar3},     {4500, cartesian3}, {2510, plane2},
    {2520, plane2},     {2550, plane2},     {2555, plane2},     {2560, plane2},
    {2565, plane2},     {2570, plane2},     {2575, plane2},     {2610, plane2},
    {2620, plane2},     {2710, plane2},     {2810, plane2},     {0, plane2},
    {1001, plane2},
};
constexpr int njobs = sizeof jobs / sizeof jobs[0];

constexpr double tolerances[] = {1e-9, 0, 1e-6, 1e-3, 1, -1e-6, 1e300, 1e-300};

// Points of the feature a job expects, in the job's own coordinates.
void feature(Shape shape, int i, int numpt, double noise, double scale, double* c) {
    const double t = 2 * std::acos(-1.0) * i / (numpt > 0 ? numpt : 1);
    switch (shape) {
    case plane2:
        c[0] = scale * (3 + std::cos(t) * (1 + noise));
        c[1] = scale * (-2 + std::sin(t) * (1 + noise));
        break;
    case polar2:
        c[0] = scale * (1 + noise);
        c[1] = 360.0 * i / (numpt > 0 ? numpt : 1);
        break;
    case cartesian3:
        c[0] = scale * (5 + std::cos(t) * std::cos(3 * t) * (1 + noise));
        c[1] = scale * (1 + std::sin(t) * std::cos(3 * t) * (1 + noise));
        c[2] = scale * (-4 + std::sin(3 * t) * (1 + noise));
        break;
    case polar3:
        c[0] = scale * (1 + noise);
        c[1] = 360.0 * i / (numpt > 0 ? numpt : 1);
        c[2] = 80.0 * std::sin(5 * t);
        break;
    }
}

void record(Bytes& in, std::ostringstream& out) {
    const Job job = jobs[in.next() % njobs];
    out << job.code << '\n';
    if (job.code == 0 || job.code == 1001) return;
    const std::uint8_t countbyte = in.next();
    const int numpt = countbyte == 255 ? 2049 : countbyte == 254 ? -3 : countbyte % 24;
    out << numpt << ' ' << tolerances[in.next() % 8] << '\n';
    const int dim = job.shape == plane2 || job.shape == polar2 ? 2 : 3;
    const std::uint8_t kind = in.next();
    const double scale = kind & 16 ? 1e150 : kind & 32 ? 1e-150 : 1;
    for (int i = 0; i < numpt; ++i) {
        double c[3];
        const double noise = (static_cast<int>(in.next()) - 128) * 1e-4;
        switch (kind % 6) {
        case 0:
            feature(job.shape, i, numpt, noise, scale, c);
            break;
        case 1:
            feature(job.shape, 0, numpt, 0, scale, c);
            break; // all equal
        case 2:
            feature(job.shape, i % 2, numpt, 0, scale, c);
            break; // repeated
        case 3:
            for (int d = 0; d < dim; ++d) c[d] = scale * i * (d + 1);
            break; // collinear
        case 4:    // one at the centre
            feature(job.shape, i, numpt - 1, noise, scale, c);
            if (i == numpt - 1)
                for (int d = 0; d < dim; ++d) c[d] = job.shape == plane2 ? scale * (d ? -2 : 3) : 0;
            break;
        default:
            for (int d = 0; d < dim; ++d) c[d] = scale * (static_cast<int>(in.next()) - 128);
        }
        for (int d = 0; d < dim; ++d) out << c[d] << ' ';
        out << '\n';
    }
}

void instructions(Bytes& in) {
    constexpr double angles[] = {0, 10, 90, 180, 200, 400, -5, 1e9};
    constexpr int sizes[] = {4, 1, 0, -3, 6, 12, 100, 3};
    constexpr double noises[] = {0, 1e-3, 1, 1e6};
    const std::uint8_t b = in.next();
    std::ofstream("instructions.txt")
        << angles[b % 8] << ' ' << sizes[(b >> 3) % 8] << ' ' << noises[(b >> 6) % 4] << " 3 0 0\n";
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
        instructions(in);
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
