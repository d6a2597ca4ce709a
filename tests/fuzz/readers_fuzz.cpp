// Coverage-guided fuzzing of formreport's readers (libFuzzer): point files
// with every way of choosing their columns, job streams, result files, model
// files, header files, and the values, contributions and tolerances of the
// command line. The first byte of an input picks the reader and its
// settings, the rest is the text read. A reader may refuse its text with
// FileError or say why not; anything else (a crash, a sanitizer's report,
// another exception, a point that is not finite) is a fault.
#include "report/common/common.h"
#include "report/pointfiles/pointfiles.h"
#include "report/readers/readers.h"
#include "report/statement/statement.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace formeval::report;

const std::array<PointColumns, 11> columnchoices = {{
    {{}, 2},
    {{}, 3},
    {{"1", "2"}, 2},
    {{"2", "1"}, 2},
    {{"x", "y"}, 2},
    {{"1", "2", "3"}, 3},
    {{"x", "y", "z"}, 3},
    {{"3", "x", "2"}, 3},
    {{"angle", "radius"}, 2},
    {{"radius"}, 2},
    {{"z", "angle=x", "radius=2"}, 3, AngleUnit::radians, 1.0},
}};

const std::array<const char*, 4> unitchoices = {"mm", "um", "MM", defaultunit};

// Stops the run at a fault: libFuzzer keeps the input that caused it.
void fault(const char* what) {
    std::fprintf(stderr, "readers_fuzz: %s\n", what);
    std::abort();
}

void points(std::string_view text, unsigned choice) {
    std::istringstream in{std::string(text)};
    const PointColumns& columns = columnchoices[choice % columnchoices.size()];
    try {
        const PointFile f = readpointfile(in, "p.csv", columns);
        for (const double v : f.coordinates)
            if (!std::isfinite(v)) fault("a point that is not finite");
        if (f.coordinates.size() != f.count() * static_cast<std::size_t>(columns.dimension))
            fault("coordinates that make no whole points");
    } catch (const FileError&) {}
}

void records(std::string_view text) {
    std::istringstream in{std::string(text)};
    try {
        const JobStream sorted = sortrecords(readrecords(in, "cir1.txt"));
        for (const JobRecord& r : sorted.circles)
            if (r.c[0].size() != r.c[1].size()) fault("a circle record of uneven coordinates");
    } catch (const FileError&) {}
}

void results(std::string_view text, unsigned choice) {
    std::istringstream in{std::string(text)};
    std::ostringstream warnings;
    ScanOptions options;
    options.skipmalformed = choice % 2 == 1;
    try {
        scanresults(in, "result.txt", options, warnings);
    } catch (const FileError&) {}
}

void model(std::string_view text, unsigned choice) {
    std::istringstream in{std::string(text)};
    try {
        for (const auto& c : readmodel(in, "model.txt", unitchoices[choice % unitchoices.size()]))
            if (!(c.width >= 0) || !std::isfinite(c.width)) fault("a width that is no width");
    } catch (const FileError&) {}
}

void header(std::string_view text) {
    std::istringstream in{std::string(text)};
    try {
        for (const auto& [label, value] : readheaderfile(in, "head.txt"))
            if (label.find('\n') != std::string::npos || value.find('\n') != std::string::npos)
                fault("a header field across lines");
    } catch (const FileError&) {}
    encodingrefusal(text.substr(0, 4));
}

// One line of the command line's values each: a value of each kind, a
// contribution, a tolerance, a quantity.
void values(std::string_view text, unsigned choice) {
    const std::string unit = unitchoices[choice % unitchoices.size()];
    std::string why;
    for (const ValueKind kind : {ValueKind::length, ValueKind::relative, ValueKind::angle})
        if (const auto v = parsevalue(text, kind, unit, why); v && !std::isfinite(*v))
            fault("a value that is not finite");
    formeval::uncertainty::Contribution c;
    parsecontribution(text, unit, c);
    ToleranceLimits limits;
    if (parsetolerance(text, unit, limits).empty() && limits.limits.low > limits.limits.high)
        fault("a tolerance whose limits are the wrong way round");
    readsasvalue(text);
    knownquantity(std::string(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned choice = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (choice % 6) {
    case 0:
        points(text, choice / 6);
        break;
    case 1:
        records(text);
        break;
    case 2:
        results(text, choice / 6);
        break;
    case 3:
        model(text, choice / 6);
        break;
    case 4:
        header(text);
        break;
    default:
        values(text, choice / 6);
        break;
    }
    return 0;
}
