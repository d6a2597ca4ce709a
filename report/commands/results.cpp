// The `results` command: reads each job stream as formeval does, evaluates
// every record with formeval's computations and the exact references, and
// prints them as tables, CSV or JSON. A file that cannot be read or holds a
// broken stream is reported with its line and the others go on; a record
// that cannot be evaluated is reported and left out. With an uncertainty
// model, each part's form error is propagated through it for a guarded
// verdict.
#include "report/commands/commands.h"
#include "report/pointfiles/pointfiles.h"

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

// Whether a job record's profile can be filtered: lines and circles.
bool filterable(Feature feature) {
    return feature == Feature::line || feature == Feature::circle;
}

// With an uncertainty model and a tolerance for the part: the y and U of its
// form error by the model, on `points`, those its verdict is taken from;
// progress of the trials on `err` when `show`.
void guardband(Evaluated& e, const pointset::Points& points, const ResultsOptions& o,
               const std::string& name, bool show, std::ostream& err) {
    if (decisionrule(o) != uncertainty::Rule::guarded || !tolerancefor(o, e)) return;
    uncertainty::Options engine = o.engine;
    const long planned = engine.digits > 0 ? engine.maxtrials : engine.trials;
    Progress progress(err, "trials of " + name, static_cast<std::uintmax_t>(planned),
                      show && showprogress(o.progress, static_cast<double>(planned) *
                                                               static_cast<double>(points.count) >=
                                                           1e7),
                      "trials");
    engine.progress = showtrials;
    engine.context = &progress;
    e.uncertain = uncertainform(points, e.feature, o.criterion, o.model, engine);
    if (engine.digits == 0) progress.finish();
}

// A point set of `feature` held in `c`, as the pointset library takes it.
pointset::Points pointsof(const std::vector<double>& c, Feature feature) {
    const int d = pointset::traits(feature).dimension;
    return {c.data(), c.size() / static_cast<std::size_t>(d), d, static_cast<std::size_t>(d)};
}

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
                note(name + ": the " + referencename(r.criterion) +
                     " computation said: " + oneline(r.said));
        for (const std::string& n : e.notes) note(name + ": " + n);
        if (!e.failure.empty()) {
            note(name + ": not evaluated: " + e.failure);
            ++results.refused;
            continue;
        }
        const bool filtered = o.filter.any() && filterable(e.feature);
        std::vector<double> judged; // the filtered profile, when the verdict is of it
        if (o.orthogonal || filtered) {
            const std::size_t before = e.notes.size();
            addorthogonal(e, filtered ? o.filter : ProfileFilter{}, filtered ? &judged : nullptr);
            if (!e.filter.empty()) e.filter = filtername(o.filter, o.unit);
            for (std::size_t k = before; k < e.notes.size(); ++k) note(name + ": " + e.notes[k]);
        }
        if (decisionrule(o) == uncertainty::Rule::guarded) {
            if (!filtered) judged = cartesian(e.record);
            guardband(e, pointsof(judged, e.feature), o, printable(path) + ": " + name, false, err);
        }
        e.record.c = {}; // the point count is all the output needs of the points
        results.records.push_back(std::move(e));
    }
    progress.finish();
    return true;
}

// A point file's stack of sections into `results`: its sections' circles,
// its cylinder and its measures; a stack that cannot be evaluated is noted
// and leaves no record.
template <class Note>
bool evaluatestackfile(const PointFile& points, const ResultsOptions& o, FileResults& results,
                       const Note& note, std::ostream& err) {
    Stack s = evaluatestack(points.points(), points.sections.empty() ? nullptr : &points.sections);
    if (!s.failure.empty()) {
        note("no stack evaluated: " + s.failure);
        return true;
    }
    for (const std::string& n : s.cylinder.notes) note("the cylinder of all sections: " + n);
    for (std::size_t k = 0; k < s.sections.size(); ++k) {
        Evaluated& e = s.sections[k];
        for (const std::string& n : e.notes)
            note("section " + std::to_string(e.section) + ": " + n);
        e.record.line = points.firstline;
        guardband(e, pointsof(s.points[k], e.feature), o,
                  printable(points.file) + ": section " + std::to_string(e.section), true, err);
        results.records.push_back(std::move(e));
    }
    if (!s.cylinder.ok()) {
        note("no cylinder evaluated of all sections: " + s.cylinder.failure);
        results.records.clear();
        return true;
    }
    s.cylinder.record.line = points.firstline;
    guardband(s.cylinder, points.points(), o, printable(points.file), true, err);
    results.records.push_back(std::move(s.cylinder));
    results.stack = s.measures;
    return true;
}

// Reads one point file and evaluates its feature by every criterion; false
// when it cannot be read or is malformed.
bool evaluatepointfile(const std::string& path, const ResultsOptions& o, FileResults& results,
                       std::ostream& err) {
    const std::optional<PointFile> read = readpoints(path, *o.feature, o.columns, o.progress, err);
    if (!read) return false;
    PointFile points = *read;
    results.file = path;
    results.jobs = static_cast<long>(points.count());
    const auto note = [&](const std::string& text) {
        results.notes.push_back(text);
        err << "formreport: " << printable(path) << ": " << text << "\n";
    };
    if (const std::string hint = polarhint(points, *o.feature); !hint.empty()) note(hint);
    if (o.outliers > 0 && o.sections) {
        StackOutliers cut = cutstackoutliers(
            points.points(), points.sections.empty() ? nullptr : &points.sections, o.outliers);
        if (!cut.cut.failure.empty()) {
            note("no stack evaluated: the outlier rule cannot be applied: " + cut.cut.failure);
            return true;
        }
        results.outliers = cut.summary;
        results.removed = static_cast<long>(cut.cut.removed.size());
        if (!cut.summary.empty()) note(cut.summary);
        for (const std::string& n : cut.notes) note(n);
        if (!cut.cut.removed.empty()) points.sections = std::move(cut.sections);
        removeoutliers(points, std::move(cut.cut));
    } else if (o.outliers > 0) {
        Outliers cut = cutoutliers(points.points(), *o.feature, o.outliers);
        if (!cut.failure.empty()) {
            note(std::string("no ") + pointset::featurename(*o.feature) +
                 " evaluated: the outlier rule cannot be applied: " + cut.failure);
            return true;
        }
        results.outliers = outliernote(cut, points.count(), *o.feature, o.outliers, 6);
        results.removed = static_cast<long>(cut.removed.size());
        note(results.outliers);
        removeoutliers(points, std::move(cut));
    }
    if (o.sections) return evaluatestackfile(points, o, results, note, err);
    FilteredPoints filtered;
    if (o.filter.any()) {
        filtered = filterpoints(points.points(), *o.feature, o.filter);
        if (!filtered.failure.empty()) {
            note(std::string("no ") + pointset::featurename(*o.feature) +
                 " evaluated: not filtered: " + filtered.failure);
            return true;
        }
        if (!filtered.how.empty()) note("filtered: " + filtered.how);
        if (!filtered.unresolved.empty()) note(filtered.unresolved);
    }
    const int d = pointset::traits(*o.feature).dimension;
    const pointset::Points view =
        o.filter.any() ? pointset::Points{filtered.coordinates.data(),
                                          filtered.coordinates.size() / static_cast<std::size_t>(d),
                                          d, static_cast<std::size_t>(d)}
                       : points.points();
    Evaluated e = evaluatepoints(view, *o.feature);
    e.record.numpt = static_cast<long>(points.count());
    e.record.line = points.firstline;
    if (o.filter.any()) e.filter = filtername(o.filter, o.unit);
    for (const std::string& n : e.notes) note(n);
    if (!e.ok()) {
        note(std::string("no ") + pointset::featurename(*o.feature) + " evaluated: " + e.failure);
        return true;
    }
    guardband(e, view, o, printable(path), true, err);
    results.records.push_back(std::move(e));
    return true;
}

} // namespace

std::vector<FileResults> evaluateinputs(const ResultsOptions& o, std::ostream& err, int& status) {
    std::vector<FileResults> files;
    status = exitok;
    for (const std::string& path : o.inputs) {
        FileResults f;
        if (!(o.feature ? evaluatepointfile(path, o, f, err) : evaluatefile(path, o, f, err))) {
            status = exitinput;
            continue;
        }
        // An input whose records (or points) could none be evaluated has
        // failed; a stream without a record is no error.
        if (f.records.empty() && (o.feature || f.refused > 0)) {
            if (!o.feature)
                err << "formreport: " << printable(path)
                    << ": no record evaluated: every record was left out\n";
            status = exitinput;
        }
        files.push_back(std::move(f));
    }
    return files;
}

int results(const ResultsOptions& o, std::ostream& out, std::ostream& err) {
    if (!pointset::exactreferences()) return unavailable(err, "results", "CGAL");
    if (!o.trend.empty() && !chartsavailable()) return unavailable(err, "--trend", "cairo");
    if ((o.filter.cutoff > 0 || o.filter.band()) && !profile::spectral())
        return unavailable(err, "results --filter and --filter-band", "FFTW");
    if (!o.trend.empty()) {
        const std::string refused = outputrefusal(o.trend, o.inputs);
        if (!refused.empty()) {
            err << "formreport: " << printable(o.trend) << ": " << refused << "\n";
            return exitusage;
        }
    }
    ResultsOptions judged = o;
    if (!readymodel(judged, err)) return exitinput;
    int status = exitok;
    const std::vector<FileResults> files = evaluateinputs(judged, err, status);
    for (const std::string& idle : idletolerances(files, judged))
        err << "formreport: " << idle << "\n";
    if (!o.trend.empty() && !drawbatchtrend(files, judged, err)) status = exitinput;
    using Printer = void (*)(std::ostream&, const std::vector<FileResults>&, const ResultsOptions&);
    constexpr std::array<Printer, 3> printers = {printresults, printresultscsv, printresultsjson};
    printers[static_cast<std::size_t>(o.format)](out, files, judged);
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
