// The `uncertainty` command: reads each input (point files, or the records
// of job streams), propagates the input model through the reference feature
// of its points, and prints the statements; draws each quantity's histogram
// and convergence if asked. An input that cannot be read is reported and the
// others go on; a point set that cannot be evaluated is reported and left
// out.
#include "report/commands/commands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>
#include <ostream>
#include <set>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

using uncertainty::Quantity;

// A stack's sections as point sets of their own, circles in x and y named
// "section k, z Z" in order of z, before the whole stack (`whole`, named "all
// sections"); false, said on `err`, where the points make no stack.
bool stackof(const PointFile& read, PointSet& whole, std::vector<PointSet>& sets,
             std::ostream& err) {
    const pointset::Points points = read.points();
    const Sections sections =
        stacksections(points, read.sections.empty() ? nullptr : &read.sections);
    if (!sections.failure.empty()) {
        err << "formreport: " << printable(read.file) << ": " << sections.failure << "\n";
        return false;
    }
    for (std::size_t k = 0; k < sections.members.size(); ++k) {
        PointSet p;
        p.file = whole.file;
        p.section = static_cast<int>(k) + 1;
        p.z = sections.z[k];
        p.record = "section " + std::to_string(p.section) + ", z " + formatnumber(p.z, 12);
        p.stem = whole.stem + "-section" + std::to_string(p.section);
        p.feature = pointset::Feature::circle;
        p.dimension = 2;
        p.coordinates = sectionxy(points, sections.members[k]);
        sets.push_back(std::move(p));
    }
    whole.record = "all sections";
    return true;
}

// The point sets of one input: a point file's one (a stack's sections and
// itself with --sections), or a job stream's records'; false when it cannot
// be read or is malformed.
bool readinput(const std::string& path, const UncertaintyOptions& o, std::vector<PointSet>& sets,
               std::ostream& err) {
    if (o.feature) {
        std::optional<PointFile> read = readpoints(path, *o.feature, o.columns, o.progress, err);
        if (!read) return false;
        if (const std::string hint = polarhint(*read, *o.feature); !hint.empty())
            err << "formreport: " << printable(path) << ": " << hint << "\n";
        PointSet p;
        p.file = path;
        p.stem = fs::path(path).stem().string();
        p.feature = *o.feature;
        p.dimension = read->dimension;
        if (o.sections && !stackof(*read, p, sets, err)) return false;
        p.coordinates = std::move(read->coordinates);
        sets.push_back(std::move(p));
        return true;
    }
    std::ifstream in;
    if (!openinput(path, in, err)) return false;
    try {
        RecordStream stream = readrecords(in, path);
        std::vector<std::string> notes;
        sets = recordpointsets(stream, path, notes);
        for (const std::string& n : notes)
            err << "formreport: " << printable(path) << ": " << n << "\n";
    } catch (const FileError& e) {
        complain(err, e);
        return false;
    }
    return true;
}

// The values of a quantity as the pictures show them: lengths in the
// deviations' sub-unit, locations and sizes less a round value near the
// measured one; angles in degrees.
Shown shownof(const Quantity& q, const UncertaintyOptions& o) {
    Shown sh;
    if (q.angle) {
        sh.factor = 45 / std::atan(1.0);
        sh.unit = "degrees";
        return sh;
    }
    if (!q.length) {
        sh.unit = "1";
        return sh;
    }
    const Subunit u = subunit(o.unit, q.mc.sd > 0 ? q.mc.sd : std::fabs(q.mc.mean));
    sh.factor = u.factor;
    sh.unit = u.name;
    const bool form = q.name == "t" || q.name == "p" || q.name == "v" || q.name == "q";
    if (!form) {
        sh.offset = std::round(q.measured * sh.factor) / sh.factor;
        if (!std::isfinite(sh.offset)) sh.offset = 0;
    }
    return sh;
}

std::string slug(std::string name) {
    for (char& c : name)
        if (c == '_') c = '-';
    return name;
}

int writepictures(const UncertaintyOptions& o, const std::vector<Statement>& all,
                  std::ostream& err) {
    for (const std::string* dir : {&o.histograms, &o.convergence})
        if (!dir->empty() && !makedirectory(*dir, err)) return exitinput;
    int written = 0;
    for (const Statement& s : all)
        for (const Quantity* q : s.shown) {
            const Shown sh = shownof(*q, o);
            HistogramLabels labels;
            labels.title = fs::path(s.points.file).filename().string() +
                           (s.points.record.empty() ? "" : ", " + s.points.record) + ": " +
                           pointset::featurename(s.points.feature) + " by " +
                           pointset::criterionname(o.criterion) + ", " +
                           std::to_string(s.result.trials) + " trials";
            labels.quantity = q->name;
            if (sh.offset != 0)
                labels.quantity += " \u2212 " + formatnumber(sh.offset, 15) +
                                   (o.unit == defaultunit ? "" : " " + o.unit);
            labels.unit = sh.unit;
            labels.coverage = o.engine.coverage;
            labels.hasmeasured = true;
            labels.measured = sh(q->measured);
            labels.gaussian = true;
            labels.gaussianmean = sh(q->mc.mean);
            labels.gaussiansd = q->mc.sd * sh.factor;
            const Statistics statistics = sh(q->mc);
            const std::string stem = s.points.stem + "-" + slug(q->name);
            if (!o.histograms.empty()) {
                Histogram h = makehistogram(q->values, autobins([&] {
                                                std::vector<double> v = q->values;
                                                std::sort(v.begin(), v.end());
                                                return v;
                                            }()));
                h.low = sh(h.low);
                h.high = sh(h.high);
                picture(fs::path(o.histograms) / (stem + ".svg"), o.png,
                        [&](const std::string& path, Format format) {
                            drawhistogram(path, format, h, statistics, labels);
                        });
                ++written;
            }
            if (!o.convergence.empty()) {
                Convergence c = convergence(q->values, o.engine.coverage, s.result.digits);
                if (c.running.empty()) continue;
                c.tolerance = q->tolerance;
                c = sh(c);
                const std::string verdict =
                    (q->converged ? "converged" : "not converged") + std::string(" in ") +
                    std::to_string(s.result.trials) + " trials" +
                    (q->needed > 0 ? "; about " + std::to_string(q->needed) + " needed" : "") +
                    (s.result.adaptive
                         ? " (adaptive, " + std::to_string(s.result.digits) + " significant digits)"
                         : "");
                picture(fs::path(o.convergence) / (stem + "-convergence.svg"), o.png,
                        [&](const std::string& path, Format format) {
                            drawconvergence(path, format, c, statistics, labels, verdict);
                        });
                ++written;
            }
        }
    if (o.progress != ProgressMode::never)
        err << "formreport: " << written << (written == 1 ? " picture" : " pictures")
            << " written\n";
    return exitok;
}

// Whether one of the quantities asked for (or every one, when none is)
// belongs to `feature` by `criterion`.
bool hasany(const std::vector<std::string>& asked, pointset::Feature feature,
            pointset::Criterion criterion) {
    if (asked.empty()) return true;
    const std::vector<std::string> has = uncertainty::quantitynames(feature, criterion);
    return std::any_of(asked.begin(), asked.end(), [&](const std::string& q) {
        return std::find(has.begin(), has.end(), q) != has.end();
    });
}

} // namespace

int uncertainty(const UncertaintyOptions& given, std::ostream& out, std::ostream& err) {
    if ((!given.histograms.empty() || !given.convergence.empty()) && !chartsavailable())
        return unavailable(err, "--histograms and --convergence", "cairo");
    if (!given.histograms.empty() || !given.convergence.empty()) {
        const std::string clash = stemclash(given.inputs);
        if (!clash.empty()) {
            err << "formreport: " << clash << "\n";
            return exitusage;
        }
    }
    UncertaintyOptions o = given;
    if (!o.modelfile.empty() && !readmodelfile(o.modelfile, o.unit, o.model, err)) return exitinput;
    int status = exitok;
    std::vector<Statement> all;
    std::set<std::string> offered; // the quantities of the point sets read
    for (const std::string& path : o.inputs) {
        std::vector<PointSet> sets;
        if (!readinput(path, o, sets, err)) {
            status = exitinput;
            continue;
        }
        for (PointSet& p : sets) {
            const std::string name = printable(path) + (p.record.empty() ? "" : ": " + p.record);
            if (const std::string why = lackedquantity(o.quantities, p.feature, o.criterion);
                !why.empty() && !hasany(o.quantities, p.feature, o.criterion)) {
                err << "formreport: " << name << ": not evaluated: " << why << "\n";
                continue;
            }
            for (const std::string& q : uncertainty::quantitynames(p.feature, o.criterion))
                offered.insert(q);
            uncertainty::Options engine = o.engine;
            const long planned = engine.digits > 0 ? engine.maxtrials : engine.trials;
            Progress progress(
                err,
                "trials of " + name +
                    (engine.digits > 0 ? " (adaptive, at most " + std::to_string(planned) + ")"
                                       : ""),
                static_cast<std::uintmax_t>(planned),
                showprogress(o.progress,
                             static_cast<double>(planned) * static_cast<double>(p.count()) >= 1e7),
                "trials");
            engine.progress = showtrials;
            engine.context = &progress;
            Statement s;
            try {
                s.result = uncertainty::propagate({p.coordinates.data(), p.count(), p.dimension,
                                                   static_cast<std::size_t>(p.dimension)},
                                                  p.feature, o.criterion, o.model, engine);
            } catch (const std::bad_alloc&) {
                s.result.failure = "the trials' values need more memory than there is: ask "
                                   "for fewer trials";
            }
            // The adaptive procedure's last count stands: its plan is only a bound.
            if (engine.digits == 0) progress.finish();
            if (!s.result.ok) {
                err << "formreport: " << name << ": not evaluated: " << s.result.failure << "\n";
                continue;
            }
            // A quantity of the feature may have no value for these points
            // (a vertical line has no slope): said, and a point set left
            // with none of the quantities asked for is not evaluated.
            std::string valueless;
            bool anyshown = o.quantities.empty();
            for (const std::string& q : o.quantities) {
                const bool has =
                    std::any_of(s.result.quantities.begin(), s.result.quantities.end(),
                                [&](const uncertainty::Quantity& y) { return y.name == q; });
                anyshown = anyshown || has;
                if (!has && hasany({q}, p.feature, o.criterion))
                    valueless += (valueless.empty() ? "'" : ", '") + printable(q) + "'";
            }
            if (!anyshown) {
                err << "formreport: " << name << ": not evaluated: its points give no finite "
                    << valueless << " (a vertical line has no slope)\n";
                status = exitinput;
                continue;
            }
            if (!valueless.empty())
                err << "formreport: " << name << ": its points give no finite " << valueless
                    << " (a vertical line has no slope): not stated\n";
            s.count = p.count();
            p.coordinates = {};
            s.points = std::move(p);
            decide(s, o);
            all.push_back(std::move(s));
        }
    }
    // A quantity no point set has is a slip of the command line, whatever
    // the others give.
    for (const std::string& q : o.quantities)
        if (!offered.empty() && offered.count(q) == 0) {
            err << "formreport: --quantity: '" << printable(q)
                << "' is a quantity of none of the point sets\n";
            return exitusage;
        }
    if (all.empty()) {
        err << "formreport: nothing evaluated\n";
        return offered.empty() && !o.quantities.empty() && status == exitok ? exitusage : exitinput;
    }
    errno = 0;
    if (o.format == StatementFormat::csv)
        printstatementscsv(out, all, o);
    else if (o.format == StatementFormat::json)
        printstatementsjson(out, all, o);
    else
        printstatements(out, all, o);
    const bool written = outputwritten(out, err);
    const int pictures =
        o.histograms.empty() && o.convergence.empty() ? exitok : writepictures(o, all, err);
    if (!written || pictures != exitok) return exitinput;
    return status;
}

} // namespace formeval::report
