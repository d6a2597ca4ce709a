// The pointset library's rows as tables: a point file's feature, and the
// orthogonal references beside a job record's own (--orthogonal). Each
// feature is given by a point and a direction and, when round, a radius;
// deviations are normal to it.
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

const char* const meaning[] = {
    "point: the centre of a circle or sphere, the foot of the points' centroid on a line,",
    "plane or cylinder axis; direction: the unit direction of a line or axis, the unit",
    "normal of a plane. error: the form error t of the reference. t, p, v, q: total (p + v),",
    "peak (largest deviation outside or on the normal's side), valley (depth of the deepest",
    "point on the other side) and root mean square; STR lines, FLT planes, RON circles, SPH",
    "spheres, CYL cylinders. certified: the optimum of the criterion is proven to 1e-9",
    "(its lower and upper bounds agree); otherwise the bracket [lower, upper] is given.",
};

// A cone's columns and deviations, after the others' legend.
const char* const conemeaning[] = {
    "CON cones: point: the foot of the points' centroid on the axis; direction: the axis the",
    "way the cone widens; radius: its radius at the point; apex angle: its full angle at the",
    "apex, in degrees; deviations normal to its surface, positive outside. A minimum-zone",
    "cone is proven by a global search over its axis, its place and its angle.",
};

// The table's columns: each head, whether it is a number, and the row's
// field it shows (none: the notes).
struct Layout {
    std::vector<std::string> heads;
    std::vector<bool> numeric;
    std::vector<const char*> fields;
};

Layout layout(Feature f, bool tolerance) {
    Layout l;
    const auto add = [&l](const std::string& head, const char* field, bool numeric = true) {
        l.heads.push_back(head);
        l.numeric.push_back(numeric);
        l.fields.push_back(field);
    };
    add("reference", "method", false);
    add("by", "computed_by", false);
    const pointset::FeatureTraits& t = pointset::traits(f);
    const char* const axes[] = {"x", "y", "z"};
    const char* const points[] = {"point_x", "point_y", "point_z"};
    const char* const directions[] = {"direction_x", "direction_y", "direction_z"};
    for (int k = 0; k < t.dimension; ++k)
        add(std::string(t.centre ? "centre " : "point ") + axes[k], points[k]);
    if (t.direction != pointset::Direction::none)
        for (int k = 0; k < t.dimension; ++k)
            add(std::string(t.direction == pointset::Direction::normal ? "normal " : "direction ") +
                    axes[k],
                directions[k]);
    if (t.radius) add("radius", "radius");
    if (f == Feature::cone) add("apex angle", "apex_angle_degrees");
    add("error", "error");
    const std::string stem = pointset::isostem(f);
    for (const char* p : {"t", "p", "v", "q"}) add(stem + p, p);
    if (tolerance) {
        add("tolerance", "tolerance");
        add("pass", "pass", false);
    }
    add("notes", nullptr, false);
    return l;
}

std::string flags(const Fit& r, int digits) {
    if (r.criterion == Criterion::leastsquares) return "";
    std::string text = r.arc ? "arc; " : r.cap ? "cap; " : "";
    if (r.certificate.certified) return text + "certified";
    return text + "not certified: " + r.certificate.why + " [" +
           formatnumber(r.certificate.lower, digits) + ", " +
           formatnumber(r.certificate.upper, digits) + "]";
}

// A field as the table shows it: numbers to `digits`, a pass as pass or FAIL.
std::string cell(const Field& f, int digits) {
    if (f.kind == Field::Kind::number)
        return std::isnan(f.number) ? "" : formatnumber(f.number, digits);
    if (f.kind == Field::Kind::truth) return f.truth ? "pass" : "FAIL";
    return f.text;
}

std::vector<std::string> cells(const Layout& l, const Evaluated& e, const Fit& r,
                               const RowOptions& options, int digits) {
    const std::vector<Field> row = rowfields("", e, r, options);
    std::vector<std::string> c;
    for (const char* field : l.fields)
        c.push_back(field ? cell(*fieldnamed(row, field), digits) : flags(r, digits));
    return c;
}

void table(std::ostream& out, const Evaluated& e, const ResultsOptions& o) {
    const RowOptions options = rowoptions(o, e, true);
    const Layout l = layout(e.feature, options.tolerance.has_value());
    std::vector<std::vector<std::string>> rows;
    for (const Fit& r : e.fits)
        if (r.source == Source::pointset) rows.push_back(cells(l, e, r, options, o.digits));
    printaligned(out, l.heads, l.numeric, rows);
}

// "section 3, z 10: 3600 points, circle, all round (...)", or the stack's
// cylinder: "all sections: 72000 points, cylinder".
void sectionhead(std::ostream& out, const Evaluated& e, int digits) {
    if (e.section > 0)
        out << "section " << e.section << ", z " << formatnumber(e.sectionz, digits) << ": ";
    else
        out << "all sections: ";
    out << e.record.numpt << (e.record.numpt == 1 ? " point, " : " points, ")
        << pointset::featurename(e.feature) << extentphrase(e) << "\n";
}

} // namespace

void printpointsetrows(std::ostream& out, const Evaluated& e, const ResultsOptions& o) {
    bool any = false;
    for (const Fit& r : e.fits) any = any || r.source == Source::pointset;
    if (!any) return;
    out << "   orthogonal " << pointset::featurename(e.feature)
        << " (pointset): deviations normal to the feature";
    if (!e.filter.empty()) out << ", of the profile filtered: " << e.filter;
    out << "\n";
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
    if (o.feature == Feature::cone)
        for (const char* text : conemeaning) out << text << "\n";
    printfilter(out, o);
    printrule(out, files, o);
    for (const FileResults& file : files) {
        const std::size_t left = file.notes.size();
        out << "\n" << file.file << ": " << file.jobs << (file.jobs == 1 ? " point" : " points");
        // The rows are of the points kept: the heading gives both counts.
        if (file.removed > 0)
            out << ", " << file.jobs - file.removed << " evaluated (" << file.removed
                << " removed as outliers)";
        if (file.stack)
            out << ", " << file.records.size() - 1 << " sections from z "
                << formatnumber(file.stack->zlow, o.digits) << " to "
                << formatnumber(file.stack->zhigh, o.digits);
        else
            for (const Evaluated& e : file.records)
                out << ", " << pointset::featurename(e.feature) << extentphrase(e);
        if (left > 0)
            out << "; " << left << (left == 1 ? " note" : " notes") << " on standard error";
        out << "\n";
        for (const Evaluated& e : file.records) {
            if (file.stack) sectionhead(out, e, o.digits);
            table(out, e, o);
            printverdict(out, file.file, e, o);
        }
        if (file.stack) printstack(out, *file.stack, o.digits);
    }
    printbatch(out, files, o);
}

} // namespace formeval::report
