// What the commands share: opening their inputs, making the directories of
// their pictures, telling of faults, progress and the standard output.
#include "report/commands/commands.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace formeval::report {

namespace fs = std::filesystem;

void complain(std::ostream& err, const FileError& e) {
    err << "formreport: " << printable(e.place()) << ": " << e.what() << "\n";
}

void showbytes(void* context, std::uintmax_t bytes) {
    static_cast<Progress*>(context)->update(bytes);
}

void showtrials(void* context, long done, long planned) {
    static_cast<Progress*>(context)->update(static_cast<std::uintmax_t>(std::min(done, planned)));
}

bool readmodelfile(const std::string& file, const std::string& unit,
                   std::vector<uncertainty::Contribution>& model, std::ostream& err) {
    std::ifstream in;
    if (!openinput(file, in, err, maxmodelbytes)) return false;
    try {
        const std::vector<uncertainty::Contribution> more = readmodel(in, file, unit);
        model.insert(model.end(), more.begin(), more.end());
    } catch (const FileError& e) {
        complain(err, e);
        return false;
    }
    return true;
}

bool readymodel(ResultsOptions& o, std::ostream& err) {
    if (decisionrule(o) != uncertainty::Rule::guarded) return true;
    if (!o.modelfile.empty() && !readmodelfile(o.modelfile, o.unit, o.model, err)) return false;
    if (!o.tolerance && o.jobtolerances.empty() && o.featuretolerances.empty())
        err << "formreport: the uncertainty model guard-bands verdicts against a tolerance, and "
               "no --tolerance is given: nothing to decide, so no trials are run\n";
    return true;
}

// Opens an input file, or says why not.
bool openinput(const std::string& path, std::ifstream& in, std::ostream& err,
               std::uintmax_t limit) {
    if (const std::string why = unreadable(path, limit); !why.empty()) {
        err << "formreport: " << printable(path) << ": " << why << "\n";
        return false;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        err << "formreport: cannot read " << printable(path) << ": "
            << std::error_code(errno, std::generic_category()).message() << "\n";
        return false;
    }
    const std::string why = encodingrefusal(in);
    if (why.empty()) return true;
    err << "formreport: " << printable(path) << ": " << why << "\n";
    return false;
}

std::optional<PointFile> readpoints(const std::string& path, pointset::Feature feature,
                                    PointColumns columns, ProgressMode mode, std::ostream& err) {
    std::ifstream in;
    if (!openinput(path, in, err)) return std::nullopt;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    try {
        Progress progress(err, "reading " + printable(path), ec ? 0 : size,
                          showprogress(mode, !ec && size >= progressbytes));
        // A line or circle measured in space comes with three columns.
        columns.dimension = std::max(columns.dimension, pointset::traits(feature).dimension);
        PointFile points = readpointfile(in, path, columns, showbytes, &progress);
        progress.finish();
        return points;
    } catch (const FileError& e) {
        complain(err, e);
        return std::nullopt;
    }
}

bool makedirectory(const std::string& dir, std::ostream& err) {
    std::error_code ec;
    if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
        err << "formreport: " << printable(dir)
            << ": is a file, not a directory for the pictures\n";
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        err << "formreport: cannot make the directory " << printable(dir) << ": " << ec.message()
            << "\n";
        return false;
    }
    return true;
}

int unavailable(std::ostream& err, const std::string& what, const std::string& packages) {
    err << "formreport: " << what << " needs " << packages
        << ", which this formreport was built without\n";
    return exitusage;
}

bool showprogress(ProgressMode mode, bool large) {
    return mode == ProgressMode::always || (mode == ProgressMode::automatic && large);
}

bool outputwritten(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) return true;
    const int why = errno;
    err << "formreport: the standard output could not be written";
    if (why != 0) err << ": " << std::error_code(why, std::generic_category()).message();
    err << "\n";
    return false;
}

std::string chartcaption(const std::vector<std::pair<std::string, std::string>>& header,
                         const std::string& filter) {
    std::string text;
    for (const auto& [label, value] : header) text += label + ": " + value + "  \u00b7  ";
    return text + "Filter: " + (filter.empty() ? "none" : filter);
}

} // namespace formeval::report
