// The `results` command: reads each job stream as formeval does, evaluates
// every record with formeval's computations and the exact references, and
// prints them as tables, CSV or JSON. A file that cannot be read or holds a
// broken stream is reported with its line and the others go on; a record
// that cannot be evaluated is reported and left out.
#include "report/commands/commands.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

// Reads and evaluates one file; false when it cannot be read or is broken.
bool evaluatefile(const std::string& path, const ResultsOptions& o, FileResults& results,
                  std::ostream& err) {
    std::ifstream in;
    if (!openinput(path, in, err)) return false;
    RecordStream stream;
    try {
        stream = readrecords(in, path);
    } catch (const FileError& e) {
        complain(err, e);
        return false;
    }
    results.file = path;
    results.jobs = stream.jobs;
    const auto note = [&](const std::string& text) {
        results.notes.push_back(text);
        err << "formreport: " << printable(path) << ": " << text << "\n";
    };
    for (const UnknownJob& u : stream.unknown) note(u.text);

    const bool large = stream.records.size() >= static_cast<std::size_t>(progressrecords);
    Progress progress(err, "evaluating " + printable(path), stream.records.size(),
                      showprogress(o.progress, large), "records");
    for (std::size_t k = 0; k < stream.records.size(); ++k) {
        progress.update(k);
        Evaluated e = evaluaterecord(stream.records[k]);
        const std::string name = recordname(e.record);
        for (const Fit& r : e.fits)
            if (!r.said.empty())
                note(name + ": the " + methodname(r.method) +
                     " computation said: " + oneline(r.said));
        for (const std::string& n : e.notes) note(name + ": " + n);
        if (!e.failure.empty()) {
            note(name + ": not evaluated: " + e.failure);
            continue;
        }
        e.record.c = {}; // the point count is all the output needs of the points
        results.records.push_back(std::move(e));
    }
    progress.finish();
    return true;
}

} // namespace

int results(const ResultsOptions& o, std::ostream& out, std::ostream& err) {
    if (!pointset::exactreferences()) return unavailable(err, "results", "CGAL and GLPK");
    std::vector<FileResults> files;
    int status = exitok;
    for (const std::string& path : o.inputs) {
        FileResults f;
        if (evaluatefile(path, o, f, err))
            files.push_back(std::move(f));
        else
            status = exitinput;
    }
    using Printer = void (*)(std::ostream&, const std::vector<FileResults>&, const ResultsOptions&);
    constexpr std::array<Printer, 3> printers = {printresults, printresultscsv, printresultsjson};
    printers[static_cast<std::size_t>(o.format)](out, files, o);
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
