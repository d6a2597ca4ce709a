// The polar command: roundness charts of a job stream's circle records,
// filtered and analysed into harmonics if asked, and plots of its
// straightness and flatness records, with their tables.
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

bool finitecircle(const Fit& f) {
    return std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.r);
}

// Why a reference circle cannot be drawn, or "".
std::string undrawable(const Fit& f) {
    if (!finitecircle(f))
        return "its centre (" + formatnumber(f.x, 6) + ", " + formatnumber(f.y, 6) +
               ") and radius " + formatnumber(f.r, 6) + " are not finite numbers";
    if (!(f.r > 0)) return "its radius is " + formatnumber(f.r, 6);
    return "";
}

std::string jobname(const std::string& file, const JobRecord& r) {
    return file + ": " + recordname(r);
}

} // namespace

double magnification(const PolarOptions& o, const PolarData& d, const std::string& name,
                     std::ostream& err) {
    const double radius = d.centre.r;
    const double automatic =
        automagnification(std::max(-d.lowest, d.highest), radius, PolarLayout{});
    if (o.magnification <= 0) return automatic;
    if (magnificationfits(o.magnification, d.lowest, d.highest, radius, PolarLayout{}))
        return o.magnification;
    err << "formreport: " << name << ": at magnification " << formatnumber(o.magnification, 6)
        << " the deviations leave the plot; it is drawn at " << formatnumber(automatic, 6) << "\n";
    return automatic;
}

namespace {

constexpr double twopi = 2 * 3.14159265358979323846;

// The cut-offs of a filter: "50 UPR", "15 to 500 UPR"; a morphological
// filter's disk: "disk radius 0.2".
std::string cutofftext(const ProfileFilter& f) {
    if (f.morphological()) return "disk radius " + formatnumber(f.diskradius, 6);
    if (f.band())
        return formatnumber(f.longwave, 6) + " to " + formatnumber(f.shortwave, 6) + " UPR";
    return formatnumber(f.cutoff, 6) + " UPR";
}

// How the harmonics' profile was filtered, after "filtered ": "at 50 UPR"
// for the Gaussian, "by the robust Gaussian (ISO 16610-31) filter at 50 UPR",
// "by the morphological closing filter, disk radius 0.2".
std::string harmonicsfilter(const ProfileFilter& f) {
    if (f.type == FilterType::gaussian) return "at " + cutofftext(f);
    return "by the " + filterkind(f.type) + " filter" + (f.morphological() ? ", " : " at ") +
           cutofftext(f);
}

// The chart's note of the filter.
std::string notename(const ProfileFilter& f) {
    if (f.morphological()) return filterkind(f.type) + " filter, " + cutofftext(f);
    if (f.type != FilterType::gaussian)
        return filterkind(f.type) + " filter, cut-off " + cutofftext(f);
    return f.band() ? "Gaussian band-pass filter, " + cutofftext(f)
                    : "Gaussian filter, cut-off " + cutofftext(f);
}

// The filter as the chart's legend names it: "Gaussian filter 50 UPR (ISO
// 16610-21)", "spline (ISO 16610-22) filter 50 UPR".
std::string chartfiltername(const ProfileFilter& f) {
    if (f.type == FilterType::gaussian)
        return "Gaussian filter " + cutofftext(f) + " (ISO 16610-21)";
    return filterkind(f.type) + " filter " + cutofftext(f);
}

// The closed profile of the record about its least-squares circle, filtered
// at equal angles: the mean line of a low-pass, or a band set off from the
// circle; `note` what the filter did beyond its definition (see
// filterclosedsamples).
profile::Filtered filteredprofile(const XY& r, const Fit& ls, const ProfileFilter& f,
                                  std::string& note) {
    note.clear();
    const profile::Circle c{ls.x, ls.y, ls.r};
    if (!f.band() && f.type == FilterType::gaussian)
        return profile::filtered(r.x, r.y, c, f.cutoff);
    const profile::EqualAngles samples = profile::equalangles(profile::profileabout(r.x, r.y, c));
    const std::vector<double> band =
        f.band() ? profile::bandpassfilter(samples.deviation, f.longwave, f.shortwave)
                 : filterclosedsamples(samples.deviation, twopi * c.r, f, f.cutoff, &note);
    profile::Filtered out;
    out.resampled = samples.resampled;
    const double n = static_cast<double>(band.size());
    for (std::size_t k = 0; k < band.size(); ++k) {
        const double t = samples.start + twopi * static_cast<double>(k) / n;
        out.x.push_back(c.x + (c.r + band[k]) * std::cos(t));
        out.y.push_back(c.y + (c.r + band[k]) * std::sin(t));
    }
    return out;
}

// The record's profile filtered into `out`, as `results` filters it: a
// closed one at equal angles about the least-squares circle, an arc along
// its length by the regression filter at the cut-off's wavelength; `how`
// the chart's note, `unresolved` a cut-off finer than the points resolve
// (FilteredPoints). Returns why it could not be, or "".
std::string filterrecord(const XY& r, const Fit& ls, bool closed, const ProfileFilter& f, XY& out,
                         std::string& how, std::string& unresolved) {
    if (closed) {
        std::string firstpass;
        profile::Filtered mean = filteredprofile(r, ls, f, firstpass);
        unresolved = unresolvedclosed(mean.x.size(), f, f.band() ? f.shortwave : f.cutoff);
        how = notename(f) + (mean.resampled
                                 ? "; the profile resampled at " + std::to_string(mean.x.size()) +
                                       " equal angles first"
                                 : std::string());
        if (!firstpass.empty()) how += "; " + firstpass;
        out.x = std::move(mean.x);
        out.y = std::move(mean.y);
        return "";
    }
    std::vector<double> xy;
    for (std::size_t i = 0; i < r.x.size(); ++i) xy.insert(xy.end(), {r.x[i], r.y[i]});
    FilteredPoints arc = filterpoints({xy.data(), r.x.size(), 2, 2}, pointset::Feature::circle, f);
    if (!arc.failure.empty()) return arc.failure;
    how = notename(f) + "; " + arc.how;
    unresolved = arc.unresolved;
    out.x.clear();
    out.y.clear();
    for (std::size_t i = 0; i + 1 < arc.coordinates.size(); i += 2) {
        out.x.push_back(arc.coordinates[i]);
        out.y.push_back(arc.coordinates[i + 1]);
    }
    return "";
}

bool ranged(const PolarOptions& o) {
    return o.harmonicsfrom != 1 || o.harmonicsto != profile::maxharmonic;
}

// The harmonics of the range with their phases; none where the profile
// resolves none of them.
std::vector<profile::Harmonic> spectrum(const XY& shown, const Fit& ls, const PolarOptions& o) {
    const profile::EqualAngles samples =
        profile::equalangles(profile::profileabout(shown.x, shown.y, {ls.x, ls.y, ls.r}));
    try {
        return profile::harmonicspectrum(samples.deviation, samples.start, o.harmonicsfrom,
                                         o.harmonicsto);
    } catch (const std::invalid_argument&) { return {}; }
}

// Amplitudes indexed by UPR, 0 outside the spectrum.
std::vector<double> amplitudes(const std::vector<profile::Harmonic>& spectrum) {
    std::vector<double> out(spectrum.empty() ? 1
                                             : static_cast<std::size_t>(spectrum.back().upr) + 1);
    for (const profile::Harmonic& k : spectrum) out[static_cast<std::size_t>(k.upr)] = k.amplitude;
    return out;
}

} // namespace

HarmonicRow drawnharmonics(const PolarOptions& o, const std::string& name, const XY& shown,
                           const Fit& ls, const Subunit& unit, bool filtered,
                           const std::string& title, const std::string& caption,
                           const fs::path& bars) {
    HarmonicRow h{name,
                  profile::harmonics(shown.x, shown.y, {ls.x, ls.y, ls.r}),
                  unit,
                  filtered ? harmonicsfilter(o.filter) : "",
                  spectrum(shown, ls, o),
                  ranged(o)};
    if (h.ranged) h.harmonics.amplitude = amplitudes(h.spectrum);
    picture(bars, o.png, [&](const std::string& path, Format format) {
        drawharmonics(path, format, h.harmonics, h.unit, title, harmonicnote(h), caption,
                      o.harmonicsfrom, o.harmonicsto);
    });
    return h;
}

namespace {

int nothingplotted(std::ostream& err, const std::string& file) {
    err << "formreport: " << file << ": nothing plotted: none of its records could be evaluated\n";
    return exitinput;
}

// An angle in whole degrees, from 0 to 360.
std::string degrees(double radians) {
    const double pi = std::acos(-1.0);
    long d = std::lround(radians * 180 / pi) % 360;
    if (d < 0) d += 360;
    if (d == 0 && radians > pi) d = 360;
    return std::to_string(d) + "\u00b0";
}

std::vector<FormRow> drawforms(const PolarOptions& o, const JobStream& stream,
                               const std::string& file, const std::string& stem,
                               std::ostream& err) {
    std::vector<FormRow> rows;
    for (const JobRecord& r : stream.forms) {
        const std::string where = recordname(r);
        Evaluated e = evaluateform(r);
        std::string said;
        for (const Fit& f : e.fits) said += f.said;
        if (!said.empty())
            err << "formreport: " << file << ": " << where << ": the fits said: " << oneline(said)
                << "\n";
        if (!e.ok()) {
            err << "formreport: " << file << ": " << where << ": not plotted: " << e.failure
                << "\n";
            continue;
        }
        const bool plane = e.feature == Feature::plane;
        const Subunit u = subunit(o.unit, e.fit(Criterion::minimumzone).error);
        const std::string title = fs::path(o.input).filename().string() + ": " + where + ", " +
                                  std::to_string(r.c[0].size()) + " points";
        const fs::path svg = fs::path(o.output) / (stem + "-job" + std::to_string(r.ordinal) + "-" +
                                                   std::to_string(r.job) + ".svg");
        const std::string caption = chartcaption(o.header, "");
        picture(svg, o.png, [&](const std::string& path, Format format) {
            if (plane)
                drawflatness(path, format, r, e, u, title, caption);
            else
                drawstraightness(path, format, r, e, u, title, caption);
        });
        rows.push_back({printable(svg.filename().string()), &r, std::move(e)});
    }
    return rows;
}

} // namespace

int polar(const PolarOptions& options, std::ostream& out, std::ostream& err,
          std::vector<FileResults>* charted) {
    if (!chartsavailable()) return unavailable(err, "polar", "cairo");
    if ((options.filter.cutoff > 0 || options.filter.band()) && !profile::spectral())
        return unavailable(err, "--filter", "FFTW");
    if (options.harmonics && !profile::spectral()) return unavailable(err, "--harmonics", "FFTW");
    if (options.feature) return pointpolar(options, out, err, charted);
    // A job stream's circle records are closed profiles, filtered in UPR.
    PolarOptions o = options;
    if (o.filter.wavelength > 0) {
        err << "formreport: " << printable(o.input) << ": --filter-wavelength is for point "
            << "files' lines and arcs; a job stream's circle records take --filter or "
            << "--filter-band\n";
        o.filter.wavelength = 0;
    }
    if (!pointset::exactreferences())
        err << "formreport: built without CGAL, the charts show no exact references\n";
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    const std::string file = printable(o.input);
    try {
        const JobStream stream = sortrecords(readrecords(in, o.input));
        for (const std::string& note : stream.notes)
            err << "formreport: " << file << ": " << note << "\n";
        if (stream.circles.empty() && stream.forms.empty()) {
            errno = 0;
            out << file
                << ": no records to plot (circles: jobs 2000, 2500, 2600, 2700, 2800; "
                   "straightness 1000, flatness 3000)\n";
            const bool written = outputwritten(out, err);
            // Records to plot that were all left out: the input has failed.
            if (stream.unplotted > 0) return nothingplotted(err, file);
            return written ? exitok : exitinput;
        }
        if (!makedirectory(o.output, err)) return exitinput;

        const std::string stem = fs::path(o.input).stem().string();
        Progress progress(err, "plotting " + file, stream.circles.size(),
                          showprogress(o.progress, stream.circles.size() >= progressrecords),
                          "records");
        std::vector<PlotRow> rows;
        std::vector<HarmonicRow> harmonicrows;
        for (std::size_t k = 0; k < stream.circles.size(); ++k) {
            progress.update(k);
            const JobRecord& r = stream.circles[k];
            const std::string name = jobname(file, r);
            const XY points = planepoints(r);
            Evaluated e = evaluatecircle(points, r.cri);
            for (const Fit& f : e.fits)
                if (!f.said.empty())
                    err << "formreport: " << name << ": the " << legendname(f.criterion)
                        << " computation said: " << oneline(f.said) << "\n";
            if (!e.ok()) {
                err << "formreport: " << name << ": not plotted: " << e.failure << "\n";
                continue;
            }
            // Everything is drawn about the minimum-zone circle: one that is
            // no circle (its fit met a singular system) leaves nothing to
            // draw about.
            const std::string basis = undrawable(e.fit(Criterion::minimumzone));
            if (!basis.empty()) {
                err << "formreport: " << name << ": not plotted: the chart is drawn about the "
                    << legendname(Criterion::minimumzone) << " circle, and " << basis << "\n";
                continue;
            }
            PolarLabels labels;
            PolarData data = polardata(points, e);
            const std::string stemname =
                stem + "-job" + std::to_string(r.ordinal) + "-" + std::to_string(r.job);
            std::vector<std::string> notes;
            if (!data.closed)
                notes.push_back("arc of " + degrees(data.span) + " (from " + degrees(data.start) +
                                " to " + degrees(data.start + data.span) + ")");
            XY shown = points;
            if (o.filter.any()) {
                XY filtered;
                std::string how, unresolved;
                const std::string why =
                    filterrecord(points, e.fit(Criterion::leastsquares), data.closed, o.filter,
                                 filtered, how, unresolved);
                Evaluated fe = why.empty() ? evaluatecircle(filtered, r.cri) : Evaluated{};
                for (const Fit& f : fe.fits)
                    if (!f.said.empty())
                        err << "formreport: " << name << ": the " << legendname(f.criterion)
                            << " computation said of the filtered profile: " << oneline(f.said)
                            << "\n";
                if (!why.empty()) {
                    err << "formreport: " << name << ": not filtered: " << why << "\n";
                } else if (!fe.ok()) {
                    err << "formreport: " << name << ": not filtered: the filtered profile "
                        << "cannot be evaluated: " << fe.failure << "\n";
                } else {
                    if (!unresolved.empty())
                        err << "formreport: " << name << ": " << unresolved << "\n";
                    labels.unfiltered = polardata(points, fe).profile;
                    data = polardata(filtered, fe);
                    e = std::move(fe);
                    shown = std::move(filtered);
                    labels.filter = chartfiltername(o.filter);
                    notes.push_back(how);
                }
            }
            for (const Criterion c :
                 {Criterion::leastsquares, Criterion::circumscribed, Criterion::inscribed}) {
                if (!data.curves[indexof(c)].empty()) continue;
                const std::string why = undrawable(e.fit(c));
                err << "formreport: " << name << ": the " << legendname(c) << " circle "
                    << (why.empty() ? "does not surround the minimum-zone centre" : why)
                    << "; it is left out of the plot\n";
            }
            labels.magnification = magnification(o, data, name, err);
            labels.unit = o.unit;
            labels.deviations = subunit(o.unit, data.zoneouter - data.zoneinner);
            labels.fixeddecimals = o.fixeddecimals;
            labels.title =
                fs::path(o.input).filename().string() + ": job " + std::to_string(r.job) +
                " (job " + std::to_string(r.ordinal) + " of the stream, line " +
                std::to_string(r.line) + "), " + std::to_string(points.x.size()) + " points" +
                (methods::recordholds(r.job)->form == Form::polar ? " in polar coordinates" : "");
            for (const std::string& note : notes)
                labels.note += (labels.note.empty() ? "" : "; ") + note;
            thinprofile(data, labels, o.drawnpoints);
            labels.caption =
                chartcaption(o.header, labels.filter.empty() ? "" : filtername(o.filter, o.unit));
            const fs::path svg = fs::path(o.output) / (stemname + ".svg");
            picture(svg, o.png, [&](const std::string& path, Format format) {
                drawpolar(path, format, data, e, labels);
            });
            if (o.harmonics && data.closed) {
                harmonicrows.push_back(drawnharmonics(
                    o, printable(stemname), shown, e.fit(Criterion::leastsquares),
                    labels.deviations, !labels.filter.empty(), labels.title, labels.caption,
                    fs::path(o.output) / (stemname + "-harmonics.svg")));
            } else if (o.harmonics) {
                err << "formreport: " << name << ": no harmonics: an arc of " << degrees(data.span)
                    << " is no closed profile\n";
            }
            rows.push_back(
                {printable(svg.filename().string()), &r, labels.magnification, std::move(e)});
        }
        std::vector<FormRow> formrows = drawforms(o, stream, file, stem, err);
        progress.finish();
        errno = 0;
        // Quiet: the charts' table is the note of the files written.
        const bool noted = o.progress != ProgressMode::never;
        if (noted && !stream.circles.empty())
            printplots(out, file, rows, o.filter.any() ? filtername(o.filter, o.unit) : "");
        if (noted && !formrows.empty()) printforms(out, file, formrows, !stream.circles.empty());
        for (const HarmonicRow& h : harmonicrows) printharmonics(out, h);
        const bool written = outputwritten(out, err);
        if (charted && !(rows.empty() && formrows.empty())) {
            FileResults f;
            f.file = file;
            f.jobs = static_cast<long>(stream.circles.size() + stream.forms.size());
            for (PlotRow& r : rows) f.records.push_back(std::move(r.evaluation));
            for (FormRow& r : formrows) f.records.push_back(std::move(r.evaluation));
            charted->push_back(std::move(f));
        }
        // A stream none of whose records to plot could be drawn has failed.
        if (rows.empty() && formrows.empty()) return nothingplotted(err, file);
        return written ? exitok : exitinput;
    } catch (const FileError& e) {
        complain(err, e);
        return exitinput;
    }
}

bool printchartbatch(std::ostream& out, const std::vector<FileResults>& charted,
                     const std::string& unit) {
    ResultsOptions o;
    o.unit = unit;
    const BatchSummary s = batchsummary(charted, o);
    if (s.parts < 2) return false;
    out << "\nbatch: " << s.parts << " charts of " << charted.size()
        << (charted.size() == 1 ? " input" : " inputs")
        << "; t, p, v and q of their minimum-zone references (the exact ones of circle "
           "records, the pointset library's of point files)\n";
    printspread(out, s, o);
    return true;
}

} // namespace formeval::report
