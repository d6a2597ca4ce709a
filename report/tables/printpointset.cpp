// The pointset library's rows as tables: a point file's feature, and the
// orthogonal references beside a job record's own (--orthogonal). Each
// feature is given by a point and a direction and, when round, a radius;
// deviations are normal to it.
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

using pointset::Feature;

const char* const meaning[] = {
    "point: the centre of a circle or sphere, the foot of the points' centroid on a line,",
    "plane or cylinder axis; direction: the unit direction of a line or axis, the unit",
    "normal of a plane. error: the form error t of the reference. t, p, v, q: total (p + v),",
    "peak (largest deviation outside or on the normal's side), valley (depth of the deepest",
    "point on the other side) and root mean square; STR lines, FLT planes, RON circles, SPH",
    "spheres, CYL cylinders. certified: the optimum of the criterion is proven to 1e-9",
    "(its lower and upper bounds agree); otherwise the bracket [lower, upper] is given.",
};

Feature featureof(const Evaluated& e) {
    return e.feature ? *e.feature : featureofshape(e.shape);
}

struct Layout {
    std::vector<std::string> heads;
    std::vector<bool> numeric;
};

Layout layout(Feature f, bool tolerance) {
    Layout l;
    const auto add = [&l](std::initializer_list<const char*> heads, bool numeric) {
        for (const char* h : heads) {
            l.heads.push_back(h);
            l.numeric.push_back(numeric);
        }
    };
    add({"reference", "by"}, false);
    const bool round = f == Feature::circle || f == Feature::sphere;
    const bool solid = f != Feature::line && f != Feature::circle;
    if (round)
        add({"centre x", "centre y"}, true);
    else
        add({"point x", "point y"}, true);
    if (solid) add({round ? "centre z" : "point z"}, true);
    if (f == Feature::line || f == Feature::cylinder) add({"direction x", "direction y"}, true);
    if (f == Feature::plane) add({"normal x", "normal y"}, true);
    if (f == Feature::plane || f == Feature::cylinder)
        add({f == Feature::plane ? "normal z" : "direction z"}, true);
    if (f != Feature::line && f != Feature::plane) add({"radius"}, true);
    add({"error"}, true);
    const std::string stem = pointset::isostem(f);
    for (const char* p : {"t", "p", "v", "q"}) {
        l.heads.push_back(stem + p);
        l.numeric.push_back(true);
    }
    if (tolerance) {
        add({"tolerance"}, true);
        add({"pass"}, false);
    }
    add({"notes"}, false);
    return l;
}

std::string flags(const Fit& r, int digits) {
    if (r.method == Method::leastsquares) return "";
    std::string text = r.arc ? "arc; " : "";
    if (r.certificate.certified) return text + "certified";
    return text + "not certified: " + r.certificate.why + " [" +
           formatnumber(r.certificate.lower, digits) + ", " +
           formatnumber(r.certificate.upper, digits) + "]";
}

std::vector<std::string> cells(Feature f, const Fit& r, const std::optional<double>& tolerance,
                               int digits) {
    const auto num = [digits](double v) { return std::isnan(v) ? "" : formatnumber(v, digits); };
    std::vector<std::string> c = {methodname(r.method), sourcename(r.source)};
    const int dimension = f == Feature::line || f == Feature::circle ? 2 : 3;
    for (int k = 0; k < dimension; ++k) c.push_back(num(r.point[static_cast<std::size_t>(k)]));
    if (f == Feature::line || f == Feature::plane || f == Feature::cylinder)
        for (int k = 0; k < dimension; ++k)
            c.push_back(num(r.direction[static_cast<std::size_t>(k)]));
    if (f != Feature::line && f != Feature::plane) c.push_back(num(r.r));
    c.insert(c.end(), {num(r.error), num(r.iso.t), num(r.iso.p), num(r.iso.v), num(r.iso.q)});
    if (tolerance) c.insert(c.end(), {num(*tolerance), r.error <= *tolerance ? "pass" : "FAIL"});
    c.push_back(flags(r, digits));
    return c;
}

void table(std::ostream& out, const Evaluated& e, const ResultsOptions& o) {
    const std::optional<double> tolerance = tolerancefor(o, e);
    const Feature f = featureof(e);
    const Layout l = layout(f, tolerance.has_value());
    std::vector<std::vector<std::string>> rows;
    for (const Fit& r : e.fits)
        if (r.source == Source::pointset) rows.push_back(cells(f, r, tolerance, o.digits));
    printaligned(out, l.heads, l.numeric, rows);
}

std::string span(const Evaluated& e) {
    if (std::isnan(e.largestgap)) return "";
    const std::string gap = "largest gap " + formatnumber(e.largestgap, 4) + " degrees";
    if (e.largestgap < 180) return ", all round (" + gap + ")";
    return ", an arc of " + formatnumber(360 - e.largestgap, 4) + " degrees (" + gap + ")";
}

} // namespace

void printpointsetrows(std::ostream& out, const Evaluated& e, const ResultsOptions& o) {
    bool any = false;
    for (const Fit& r : e.fits) any = any || r.source == Source::pointset;
    if (!any) return;
    out << "   orthogonal " << pointset::featurename(featureof(e))
        << " (pointset): deviations normal to the feature\n";
    table(out, e, o);
}

void printorthogonallegend(std::ostream& out) {
    out << "pointset rows (--orthogonal): the feature in any orientation, deviations normal to it\n"
           "(orthogonal distances), positive outside a circle, sphere or cylinder and on the\n"
           "normal's side of a line or plane;\n";
    for (const char* text : meaning) out << text << "\n";
}

void printpointresults(std::ostream& out, const std::vector<FileResults>& files,
                       const ResultsOptions& o) {
    out << "Lengths in " << o.unit << ". Deviations normal to the feature (orthogonal distances),\n"
        << "positive outside a circle, sphere or cylinder and on the normal's side of a line or "
           "plane.\n";
    for (const char* text : meaning) out << text << "\n";
    for (const FileResults& file : files) {
        const std::size_t left = file.notes.size();
        out << "\n" << file.file << ": " << file.jobs << (file.jobs == 1 ? " point" : " points");
        for (const Evaluated& e : file.records)
            out << ", " << pointset::featurename(featureof(e)) << span(e);
        if (left > 0)
            out << "; " << left << (left == 1 ? " note" : " notes") << " on standard error";
        out << "\n";
        for (const Evaluated& e : file.records) table(out, e, o);
    }
}

} // namespace formeval::report
