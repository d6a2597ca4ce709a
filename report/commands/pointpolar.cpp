// polar for point files: the chart of the file's feature from the pointset
// library's references, computed on every point — the roundness chart of a
// circle, the straightness profile of a line, the flatness map of a plane,
// the developed map of a cylinder or cone (a sphere has no chart) — with the table
// of its form errors. Profiles of many points are drawn decimated, keeping
// their extremes, and the chart says so.
#include "report/commands/commands.h"
#include "report/pointfiles/pointfiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <ostream>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

using pointset::Feature;

using Frame = std::array<Vector, 2>;

double dot(const double* a, const Vector& b, const Point& origin, int dimension) {
    double s = 0;
    for (int k = 0; k < dimension; ++k) s += (a[k] - origin[k]) * b[k];
    return s;
}

// Two unit vectors normal to `n` and to each other, (e, n x e): e is x
// projected normal to n (y where n is within 25 degrees of x), so that a
// plane near the x-y plane keeps x and y, and a cylinder's angle starts
// from x.
Frame frameabout(const Vector& n) {
    const int k = std::fabs(n[0]) > 0.9 ? 1 : 0;
    Vector e = {0, 0, 0};
    e[k] = 1;
    const double along = e[0] * n[0] + e[1] * n[1] + e[2] * n[2];
    for (int j = 0; j < 3; ++j) e[j] -= along * n[j];
    const double norm = std::hypot(e[0], e[1], e[2]);
    for (double& v : e) v /= norm;
    const Vector f = {n[1] * e[2] - n[2] * e[1], n[2] * e[0] - n[0] * e[2],
                      n[0] * e[1] - n[1] * e[0]};
    return {e, f};
}

// The points a chart shows: the file's, or with a filter the profile of a
// circle or line filtered, as `results` evaluates it; `filter` says which
// ("" unfiltered).
struct FilteredFile {
    PointFile points;
    std::string filter;
};

FilteredFile filteredfile(const PolarOptions& o, const PointFile& pf, std::ostream& err) {
    FilteredFile out{pf, ""};
    if (!o.filter.any()) return out;
    const FilteredPoints f = filterpoints(pf.points(), *o.feature, o.filter);
    if (!f.failure.empty()) {
        err << "formreport: " << printable(pf.file) << ": drawn unfiltered: " << f.failure << "\n";
        return out;
    }
    if (!f.unresolved.empty())
        err << "formreport: " << printable(pf.file) << ": " << f.unresolved << "\n";
    out.points.coordinates = f.coordinates;
    out.filter = filtername(o.filter, o.unit) + (f.how.empty() ? "" : "; " + f.how);
    return out;
}

struct Charted {
    Evaluated e;                    // the pointset references, as the charts take them
    std::vector<double> deviations; // of each point from the minimum zone
};

// The form errors, each printed one way at the map's resolution.
std::string errorstext(const Evaluated& e, const Subunit& u, double resolution) {
    std::string text;
    for (const Fit& f : e.fits)
        text += std::string(text.empty() ? "" : ", ") + referencename(f.criterion) + " " +
                formatlabel(f.error * u.factor, 4, resolution) + " " + u.name;
    return text;
}

// The straightness profile: each point's position along the minimum-zone
// line and deviation normal to it; the least-squares line in that frame.
// The chart draws a long profile decimated, keeping its extremes.
void drawline(const PolarOptions& o, const PointFile& pf, const Charted& c, const fs::path& svg,
              const std::string& title, const std::string& captiontext, const Subunit& u) {
    const Fit& mz = c.e.fit(Criterion::minimumzone);
    const Fit& ls = c.e.fit(Criterion::leastsquares);
    const Vector n = {-mz.direction[1], mz.direction[0], 0};
    JobRecord r; // the points in the zone's frame: along it (x) and off it (y)
    for (std::size_t i = 0; i < pf.count(); ++i) {
        r.c[0].push_back(dot(&pf.coordinates[2 * i], mz.direction, mz.point, 2));
        r.c[1].push_back(c.deviations[i]);
    }
    // The drawing reads lines as y = intercept + slope x: the minimum zone is
    // the axis, the least-squares line its offset and slope in this frame.
    Evaluated e = c.e;
    const auto of = [&e](Criterion method) -> Fit& {
        return *std::find_if(e.fits.begin(), e.fits.end(),
                             [method](const Fit& f) { return f.criterion == method; });
    };
    Fit& zero = of(Criterion::minimumzone);
    zero.intercept = zero.slopex = 0;
    Fit& least = of(Criterion::leastsquares);
    const double du = ls.direction[0] * mz.direction[0] + ls.direction[1] * mz.direction[1];
    const double dn = ls.direction[0] * n[0] + ls.direction[1] * n[1];
    least.slopex = dn / du;
    least.intercept = dot(ls.point.data(), n, mz.point, 2) -
                      least.slopex * dot(ls.point.data(), mz.direction, mz.point, 2);
    picture(svg, o.png, [&](const std::string& path, Format format) {
        drawstraightness(path, format, r, e, u, title, captiontext, true);
    });
}

// The flatness map in the plane's own frame, or the developed surface of a
// feature round about an axis (a cylinder or cone): the angle about the
// minimum-zone axis against the position along it.
void drawmap(const PolarOptions& o, const PointFile& pf, const Charted& c, const fs::path& svg,
             const std::string& title, const Subunit& u) {
    const Fit& mz = c.e.fit(Criterion::minimumzone);
    const pointset::FeatureTraits& t = pointset::traits(*o.feature);
    const bool cylinder = t.radius && t.direction == pointset::Direction::along;
    const Frame f = frameabout(mz.direction);
    DeviationMap m;
    const double degree = std::atan(1.0) / 45;
    for (std::size_t i = 0; i < pf.count(); ++i) {
        const double* p = &pf.coordinates[3 * i];
        const double a = dot(p, f[0], mz.point, 3), b = dot(p, f[1], mz.point, 3);
        if (cylinder) {
            const double angle = std::atan2(b, a) / degree;
            m.u.push_back(angle < 0 ? angle + 360 : angle);
            m.v.push_back(dot(p, mz.direction, mz.point, 3));
        } else {
            m.u.push_back(a);
            m.v.push_back(b);
        }
        m.d.push_back(c.deviations[i] * u.factor);
    }
    for (const double v : pf.coordinates) m.scale = std::max(m.scale, std::fabs(v) * u.factor);
    m.cylinder = cylinder;
    m.cone = *o.feature == Feature::cone;
    m.title = title;
    m.caption = chartcaption(o.header, "");
    std::string form = t.form;
    form[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(form[0])));
    m.what = form + ": " + errorstext(c.e, u, zonecontacts(m.d, m.scale).tolerance);
    const std::string what = std::string(t.name) + (cylinder ? " (outward positive)" : "");
    m.key = pf.count() <= mostmapdots
                ? "Each point coloured by its deviation normal to the minimum-zone " + what
                : "Cells coloured by the mean deviation of their points normal to the "
                  "minimum-zone " +
                      what + "; triangles: the highest and the lowest point";
    if (cylinder) {
        m.samescale = false;
        m.ulow = 0;
        m.uhigh = 360;
        m.ulabel = "angle about the axis (degrees)";
        m.vlabel = withunit("position along the axis", o.unit);
        m.key = "Developed: " + m.key;
    } else {
        m.ulabel = withunit("u: x projected onto the plane", o.unit);
        m.vlabel = withunit("v, in the plane", o.unit);
    }
    picture(svg, o.png,
            [&](const std::string& path, Format format) { drawdeviationmap(path, format, m, u); });
}

XY planepoints(const PointFile& pf) {
    XY r;
    for (std::size_t i = 0; i < pf.count(); ++i) {
        r.x.push_back(pf.coordinates[2 * i]);
        r.y.push_back(pf.coordinates[2 * i + 1]);
    }
    return r;
}

// The roundness chart of the circle, its profile decimated when long; a
// filtered profile drawn over the one measured. With --harmonics, the bar
// chart of a closed profile's harmonics beside it, their table's row into
// `harmonics`.
void drawcircle(const PolarOptions& o, const PointFile& pf, const FilteredFile& shown,
                const Charted& c, const fs::path& svg, const std::string& title, std::ostream& err,
                PlotRow& row, std::vector<HarmonicRow>& harmonics) {
    Evaluated e = c.e;
    PolarData data = polardata(planepoints(shown.points), e);
    PolarLabels labels;
    labels.title = title;
    labels.unit = o.unit;
    labels.filter = shown.filter;
    labels.caption = chartcaption(o.header, shown.filter);
    labels.fixeddecimals = o.fixeddecimals;
    if (!shown.filter.empty()) labels.unfiltered = polardata(planepoints(pf), e).profile;
    labels.deviations = subunit(o.unit, data.zoneouter - data.zoneinner);
    labels.magnification = magnification(o, data, printable(pf.file), err);
    thinprofile(data, labels, o.drawnpoints);
    picture(svg, o.png, [&](const std::string& path, Format format) {
        drawpolar(path, format, data, e, labels);
    });
    if (o.harmonics && data.closed) {
        fs::path bars = svg;
        bars.replace_filename(svg.stem().string() + "-harmonics.svg");
        harmonics.push_back(drawnharmonics(o, printable(svg.stem().string()),
                                           planepoints(shown.points),
                                           e.fit(Criterion::leastsquares), labels.deviations,
                                           !shown.filter.empty(), title, labels.caption, bars));
    } else if (o.harmonics) {
        err << "formreport: " << printable(pf.file) << ": no harmonics: the points form an arc, "
            << "which is no closed profile\n";
    }
    row.magnification = labels.magnification;
    row.evaluation = std::move(e);
}

// A section's profile: each point's deviation from the least-squares
// circle, by angle.
std::vector<PolarPoint> sectionprofile(const std::vector<double>& xy, const Fit& ls) {
    std::vector<PolarPoint> profile;
    const double turn = 2 * std::acos(-1.0);
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
        const double dx = xy[i] - ls.x, dy = xy[i + 1] - ls.y;
        const double a = std::atan2(dy, dx);
        profile.push_back({a < 0 ? a + turn : a, std::hypot(dx, dy) - ls.r});
    }
    std::sort(profile.begin(), profile.end(),
              [](const PolarPoint& a, const PolarPoint& b) { return a.angle < b.angle; });
    return profile;
}

// polar --sections: the chart of the stack, `<stem>-stack.svg`, and each
// section's roundness with the stack's measures on `out`.
int stackpolar(const PolarOptions& o, const PointFile& pf, std::ostream& out, std::ostream& err) {
    const std::string file = printable(o.input);
    const Stack s = evaluatestack(pf.points(), pf.sections.empty() ? nullptr : &pf.sections);
    if (!s.failure.empty()) {
        err << "formreport: " << file << ": no stack plotted: " << s.failure << "\n";
        return exitinput;
    }
    if (o.filter.any())
        err << "formreport: " << file << ": the stack's chart is drawn unfiltered\n";
    if (!makedirectory(o.output, err)) return exitinput;
    std::vector<StackSection> sections;
    double largest = 0, radius = 0;
    for (std::size_t k = 0; k < s.sections.size(); ++k) {
        const Fit& ls = *s.sections[k].find(Criterion::leastsquares, Source::pointset);
        sections.push_back({s.sections[k].sectionz, ls.x, ls.y, sectionprofile(s.points[k], ls)});
        radius += ls.r / static_cast<double>(s.sections.size());
        for (const Fit& f : s.sections[k].fits) largest = std::max(largest, f.error);
    }
    const Subunit u = subunit(o.unit, largest);
    const auto length = [&u](double v) { return formatnumber(v * u.factor, 4) + " " + u.name; };
    const auto roundness = [](const Evaluated& e) -> const Fit* {
        return e.find(Criterion::minimumzone, Source::pointset);
    };
    StackLabels labels;
    for (const Evaluated& e : s.sections) {
        labels.levels.push_back(formatnumber(e.sectionz, 6));
        labels.errors.push_back(roundness(e) ? length(roundness(e)->error) : "none");
    }
    const StackMeasures& m = s.measures;
    labels.radius = radius;
    labels.magnification =
        o.magnification > 0 ? o.magnification : stackmagnification(sections, radius);
    labels.title = fs::path(o.input).filename().string() + ": " +
                   std::to_string(s.sections.size()) + " sections, " + std::to_string(pf.count()) +
                   " points";
    labels.note = "Deviations from each section's least-squares circle and offsets of the "
                  "centres magnified \u00d7" +
                  formatnumber(labels.magnification, 6) + "; z from " + formatnumber(m.zlow, 6) +
                  " to " + formatnumber(m.zhigh, 6) +
                  (o.unit.empty() || o.unit == defaultunit ? "" : " " + o.unit);
    labels.key = "Blue: each section's profile, the lowest in front; red: the axis through the "
                 "sections' least-squares centres";
    labels.measures = "Change of diameter " + length(m.diameterchange) + ", axis straightness " +
                      length(m.axis) + ", generatrix straightness " + length(m.generatrix) +
                      " at " + formatnumber(m.generatrixangle, 4) + "\u00b0";
    labels.caption = chartcaption(o.header, "");
    const fs::path svg = fs::path(o.output) / (fs::path(o.input).stem().string() + "-stack.svg");
    picture(svg, o.png, [&](const std::string& path, Format format) {
        drawstack(path, format, sections, labels);
    });
    errno = 0;
    out << file << ": stack of " << s.sections.size() << " sections plotted in "
        << printable(svg.filename().string())
        << "; roundness of each section (RONt, minimum zone) and the stack's measures\n";
    for (const Evaluated& e : s.sections) {
        const Fit* f = roundness(e);
        out << "  section " << e.section << ", z " << formatnumber(e.sectionz, 12) << ": "
            << (f ? formatnumber(f->error, 12) : "none")
            << (!f || f->certificate.certified ? "" : "  not certified: " + f->certificate.why)
            << "\n";
    }
    out << "  taper: change of diameter " << formatnumber(m.diameterchange, 12)
        << ", radius per unit of z " << formatnumber(m.taper, 12) << "\n"
        << "  axis straightness " << formatnumber(m.axis, 12) << "\n"
        << "  generatrix straightness " << formatnumber(m.generatrix, 12) << " at "
        << formatnumber(m.generatrixangle, 12) << " degrees\n";
    return outputwritten(out, err) ? exitok : exitinput;
}

} // namespace

int pointpolar(const PolarOptions& o, std::ostream& out, std::ostream& err,
               std::vector<FileResults>* charted) {
    const std::string file = printable(o.input);
    if (pointset::traits(*o.feature).centre && pointset::traits(*o.feature).dimension == 3) {
        const char* name = pointset::featurename(*o.feature);
        err << "formreport: " << file << ": polar has no chart of a " << name
            << "; `formreport results --feature " << name << "` evaluates it\n";
        return exitinput;
    }
    if (o.harmonics && *o.feature != Feature::circle)
        err << "formreport: " << file << ": --harmonics is for circles' profiles; the "
            << pointset::featurename(*o.feature) << "'s chart is drawn without them\n";
    std::ifstream in;
    if (!openinput(o.input, in, err)) return exitinput;
    PointFile pf;
    try {
        PointColumns columns = o.columns;
        columns.dimension = pointset::traits(*o.feature).dimension;
        pf = readpointfile(in, o.input, columns);
    } catch (const FileError& e) {
        complain(err, e);
        return exitinput;
    }
    if (const std::string hint = polarhint(pf, *o.feature); !hint.empty())
        err << "formreport: " << file << ": " << hint << "\n";
    if (o.outliers > 0 && o.sections) {
        StackOutliers cut =
            cutstackoutliers(pf.points(), pf.sections.empty() ? nullptr : &pf.sections, o.outliers);
        if (!cut.cut.failure.empty()) {
            err << "formreport: " << file << ": no stack plotted: the outlier rule cannot be "
                << "applied: " << cut.cut.failure << "\n";
            return exitinput;
        }
        if (!cut.summary.empty()) err << "formreport: " << file << ": " << cut.summary << "\n";
        for (const std::string& n : cut.notes) err << "formreport: " << file << ": " << n << "\n";
        if (!cut.cut.removed.empty()) pf.sections = std::move(cut.sections);
        removeoutliers(pf, std::move(cut.cut));
    } else if (o.outliers > 0) {
        Outliers cut = cutoutliers(pf.points(), *o.feature, o.outliers);
        if (!cut.failure.empty()) {
            err << "formreport: " << file << ": no " << pointset::featurename(*o.feature)
                << " plotted: the outlier rule cannot be applied: " << cut.failure << "\n";
            return exitinput;
        }
        err << "formreport: " << file << ": "
            << outliernote(cut, pf.count(), *o.feature, o.outliers, 6) << "\n";
        removeoutliers(pf, std::move(cut));
    }
    if (o.sections) return stackpolar(o, pf, out, err);
    const FilteredFile shown = filteredfile(o, pf, err);
    FitSet fits = pointsetfits(shown.points.points(), *o.feature, true);
    for (const std::string& n : fits.notes) err << "formreport: " << file << ": " << n << "\n";
    const char* feature = pointset::featurename(*o.feature);
    // The chart draws every reference of its feature: all four of a circle.
    const std::size_t needed = *o.feature == Feature::circle ? ncriteria : 2;
    if (!fits.failure.empty() || fits.fits.size() < needed) {
        err << "formreport: " << file << ": no " << feature << " plotted: "
            << (fits.failure.empty() ? "not every reference could be evaluated" : fits.failure)
            << "\n";
        return exitinput;
    }
    if (!makedirectory(o.output, err)) return exitinput;
    if (charted) {
        FileResults f;
        f.file = pf.file;
        f.jobs = static_cast<long>(pf.count());
        Evaluated e;
        e.feature = *o.feature;
        e.pointfile = true;
        for (const Measured& m : fits.fits) e.fits.push_back(m.reference);
        f.records.push_back(std::move(e));
        charted->push_back(std::move(f));
    }
    Charted c;
    c.e.feature = *o.feature;
    c.e.pointfile = true;
    for (Measured& m : fits.fits) {
        m.reference.source = Source::program; // the charts draw the rows they find so
        c.e.fits.push_back(m.reference);
        if (m.reference.criterion == Criterion::minimumzone) c.deviations = std::move(m.deviations);
    }
    const Subunit u = subunit(o.unit, c.e.fit(Criterion::minimumzone).error);
    const std::string stem = fs::path(o.input).stem().string();
    const fs::path svg = fs::path(o.output) / (stem + "-" + feature + ".svg");
    const std::string title = fs::path(o.input).filename().string() + ": " + feature + ", " +
                              std::to_string(pf.count()) + " points";
    PlotRow row{printable(svg.filename().string()), nullptr, 0, Evaluated{}};
    std::vector<HarmonicRow> harmonics;
    if (*o.feature == Feature::circle)
        drawcircle(o, pf, shown, c, svg, title, err, row, harmonics);
    else if (*o.feature == Feature::line)
        drawline(o, shown.points, c, svg,
                 title + (shown.filter.empty() ? "" : ", filtered: " + shown.filter),
                 chartcaption(o.header, shown.filter), u);
    else
        drawmap(o, pf, c, svg, title + (shown.filter.empty() ? "" : ", filtered: " + shown.filter),
                u);
    errno = 0;
    // Quiet: the table of the chart is the note of the file written; the
    // harmonics are results.
    if (o.progress == ProgressMode::never) {
        for (const HarmonicRow& h : harmonics) printharmonics(out, h);
        return outputwritten(out, err) ? exitok : exitinput;
    }
    out << file << ": " << feature << " of " << pf.count() << " points plotted in " << row.file
        << "; form error against each reference (" << pointset::isostem(*o.feature) << "t)\n";
    for (const Fit& f : c.e.fits)
        out << "  " << referencename(f.criterion) << " " << formatnumber(f.error, 12)
            << (f.criterion == Criterion::leastsquares ? ""
                : f.certificate.certified              ? "  certified"
                                                       : "  not certified: " + f.certificate.why)
            << "\n";
    for (const HarmonicRow& h : harmonics) printharmonics(out, h);
    return outputwritten(out, err) ? exitok : exitinput;
}

} // namespace formeval::report
