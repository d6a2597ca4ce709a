// The `results` command: reads each job stream as formeval does, evaluates
// every record with formeval's computations and the exact references, and
// prints them as tables, CSV or JSON. A file that cannot be read or holds a
// broken stream is reported with its line and the others go on; a record
// that cannot be evaluated is reported and left out.
#include "report/results.h"

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace formeval::report {

namespace fs = std::filesystem;

std::string addtolerance(const std::string& text, ResultsOptions& options) {
    const std::size_t equals = text.find('=');
    const std::string value = equals == std::string::npos ? text : text.substr(equals + 1);
    const auto tolerance = parsenumber(value);
    if (!tolerance || *tolerance < 0)
        return "'" + text +
               "': a tolerance is a number of at least 0, for every job or as "
               "CODE=VALUE for one job code";
    if (equals == std::string::npos) {
        options.tolerance = *tolerance;
        return "";
    }
    const auto code = parseint(text.substr(0, equals));
    if (!code || !shapeofjob(*code))
        return "'" + text + "': " + text.substr(0, equals) +
               " is not the code of a job that evaluates a record";
    options.jobtolerances[*code] = *tolerance;
    return "";
}

std::optional<double> tolerancefor(const ResultsOptions& options, int job) {
    const auto found = options.jobtolerances.find(job);
    if (found != options.jobtolerances.end()) return found->second;
    return options.tolerance;
}

namespace {

// Reads and evaluates one file; false when it cannot be read or is broken.
bool evaluatefile(const std::string& path, const ResultsOptions& o, FileResults& results,
                  std::ostream& err) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        err << "formreport: " << path << ": is a directory, not a file\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "formreport: cannot read " << path << ": "
            << std::error_code(errno, std::generic_category()).message() << "\n";
        return false;
    }
    RecordStream stream;
    try {
        stream = readrecords(in, path);
    } catch (const FileError& e) {
        err << "formreport: " << e.file();
        if (e.line() > 0) err << ":" << e.line();
        err << ": " << e.what() << "\n";
        return false;
    }
    results.file = path;
    results.jobs = stream.jobs;
    const auto note = [&](const std::string& text) {
        results.notes.push_back(text);
        err << "formreport: " << path << ": " << text << "\n";
    };
    for (const UnknownJob& u : stream.unknown) note(u.text);

    const bool large = stream.records.size() >= static_cast<std::size_t>(progressrecords);
    Progress progress(err, "evaluating " + path, stream.records.size(),
                      o.progress == ProgressMode::always ||
                          (o.progress == ProgressMode::automatic && large),
                      "records");
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
    std::vector<FileResults> files;
    int status = exitok;
    for (const std::string& path : o.inputs) {
        FileResults f;
        if (evaluatefile(path, o, f, err))
            files.push_back(std::move(f));
        else
            status = exitinput;
    }
    switch (o.format) {
    case ResultsFormat::table:
        printresults(out, files, o);
        break;
    case ResultsFormat::csv:
        printresultscsv(out, files, o);
        break;
    case ResultsFormat::json:
        printresultsjson(out, files, o);
        break;
    }
    out.flush();
    if (!out) {
        err << "formreport: the results could not be written to standard output\n";
        return exitinput;
    }
    return status;
}

} // namespace formeval::report
