// `formreport results` as aligned tables: a legend, then per file and record
// a line naming the record and one row per reference.
#include "report/tables/tables.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <ostream>

namespace formeval::report {

namespace {

const char* const legend[] = {
    "Deviations as formeval measures them: lines along y, planes along z, Cartesian circles",
    "and spheres radially, the polar jobs (2000, 4000) in their linearised model about the",
    "polar origin; positive above a line or plane, outside a circle or sphere. error: the",
    "form error as formeval prints it (formeval rows) or the exact optimum (exact rows).",
    "t, p, v, q: total (p + v), peak (largest deviation above the reference), valley (depth",
    "of the deepest point below it) and root mean square; RON for circles, STR for lines,",
    "FLT for planes, SPH for spheres. formeval - exact: how far formeval's error is from the",
    "exact one; inexact: further than formeval's own stopping rule allows (0.5 % of a zone,",
    "twice the job's tolerance for a peak or valley circle), or formeval's own note says it",
    "is not the optimum. not a fit: formeval's note says it did not settle, was stopped, met",
    "a singular system, fell back or lost its digits. arc: the points leave a gap of 180",
    "degrees or more, so no circle is held by them all round. certified: the exact optimum",
    "is proven to 1e-9.",
};

// A column of the table: its head and the row's field it shows (none: the
// notes).
struct Column {
    std::string head;
    const char* field;
    bool number = true;
};

std::vector<Column> columns(Feature feature, bool tolerance) {
    std::vector<Column> c = {{"reference", "method", false}, {"by", "computed_by", false}};
    switch (feature) {
    case Feature::line:
        c.insert(c.end(), {{"intercept", "intercept"}, {"slope", "slope_x"}});
        break;
    case Feature::plane:
        c.insert(c.end(),
                 {{"intercept", "intercept"}, {"slope x", "slope_x"}, {"slope y", "slope_y"}});
        break;
    case Feature::circle:
        c.insert(c.end(),
                 {{"centre x", "centre_x"}, {"centre y", "centre_y"}, {"radius", "radius"}});
        break;
    default:
        c.insert(c.end(), {{"centre x", "centre_x"},
                           {"centre y", "centre_y"},
                           {"centre z", "centre_z"},
                           {"radius", "radius"}});
        break;
    }
    c.push_back({"error", "error"});
    const std::array<std::string, 4> iso = isonames(feature);
    const char* const parameters[] = {"t", "p", "v", "q"};
    for (std::size_t k = 0; k < iso.size(); ++k) c.push_back({iso[k], parameters[k]});
    c.push_back({"formeval - exact", "minus_exact"});
    if (tolerance) c.insert(c.end(), {{"tolerance", "tolerance"}, {"pass", "pass", false}});
    c.push_back({"notes", nullptr, false});
    return c;
}

std::string flags(const Fit& r) {
    std::vector<std::string> out;
    if (!r.fitted) out.push_back("not a fit (formeval's note)");
    if (r.inexact) out.push_back("inexact");
    if (r.arc) out.push_back("arc");
    if (r.onhull) out.push_back("centre on the hull");
    if (r.source == Source::exact)
        out.push_back(r.certificate.certified ? "certified"
                                              : "not certified: " + r.certificate.why);
    std::string text;
    for (const std::string& f : out) text += (text.empty() ? "" : "; ") + f;
    return text;
}

// A field as the table shows it: numbers to `digits`, a pass as pass or FAIL.
std::string cell(const Field& f, int digits) {
    switch (f.kind) {
    case Field::Kind::number:
        return std::isnan(f.number) ? "" : formatnumber(f.number, digits);
    case Field::Kind::truth:
        return f.truth ? "pass" : "FAIL";
    case Field::Kind::whole:
        return std::to_string(f.whole);
    case Field::Kind::text:
        break;
    }
    return f.text;
}

std::vector<std::string> cells(const std::vector<Column>& heads, const Evaluated& e, const Fit& r,
                               const RowOptions& options, int digits) {
    const std::vector<Field> row = rowfields("", e, r, options);
    std::vector<std::string> c;
    for (const Column& h : heads)
        c.push_back(h.field ? cell(*fieldnamed(row, h.field), digits) : flags(r));
    return c;
}

void record(std::ostream& out, const std::string& file, const Evaluated& e,
            const ResultsOptions& o) {
    const std::optional<double> tolerance = tolerancefor(o, e);
    out << "\njob " << e.record.ordinal << " (line " << e.record.line << "): code " << e.record.job
        << ", " << shapename(e) << ", " << e.record.numpt << " points" << extentphrase(e) << "\n";
    const std::vector<Column> heads = columns(e.feature, tolerance.has_value());
    const RowOptions options = rowoptions(o, e, false);
    std::vector<std::vector<std::string>> rows;
    for (const Fit& r : e.fits)
        if (r.source != Source::pointset) rows.push_back(cells(heads, e, r, options, o.digits));
    std::vector<std::string> names;
    std::vector<bool> numeric;
    for (const Column& c : heads) {
        names.push_back(c.head);
        numeric.push_back(c.number);
    }
    printaligned(out, names, numeric, rows);
    printpointsetrows(out, e, o);
    printverdict(out, file, e, o);
}

} // namespace

void printaligned(std::ostream& out, const std::vector<std::string>& heads,
                  const std::vector<bool>& numeric,
                  const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> width(heads.size());
    for (std::size_t k = 0; k < heads.size(); ++k) {
        width[k] = heads[k].size();
        for (const auto& row : rows) width[k] = std::max(width[k], row[k].size());
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text = " ";
        for (std::size_t k = 0; k < heads.size(); ++k) {
            const std::size_t pad = width[k] - cells[k].size();
            text += "  ";
            if (numeric[k])
                text += std::string(pad, ' ') + cells[k];
            else
                text += cells[k] + std::string(k + 1 < heads.size() ? pad : 0, ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << "\n";
    };
    line(heads);
    for (const auto& row : rows) line(row);
}

void printresults(std::ostream& out, const std::vector<FileResults>& files,
                  const ResultsOptions& options) {
    if (options.feature) {
        printpointresults(out, files, options);
        return;
    }
    out << "Lengths in " << options.unit << ".\n";
    printfilter(out, options);
    printrule(out, files, options);
    for (const char* text : legend) out << text << "\n";
    if (options.orthogonal) printorthogonallegend(out);
    for (const FileResults& file : files) {
        const std::size_t left = file.notes.size();
        out << "\n"
            << file.file << ": " << file.jobs << (file.jobs == 1 ? " job, " : " jobs, ")
            << file.records.size()
            << (file.records.size() == 1 ? " record evaluated" : " records evaluated");
        if (left > 0)
            out << "; " << left << (left == 1 ? " note" : " notes") << " on standard error";
        out << "\n";
        for (const Evaluated& e : file.records) record(out, file.file, e, options);
    }
    printbatch(out, files, options);
}

std::string extentphrase(const Evaluated& e) {
    const bool cap = std::any_of(e.fits.begin(), e.fits.end(), [](const Fit& f) { return f.cap; });
    if (cap) return ", a cap (all its points on one side of a plane through its centre)";
    if (std::isnan(e.largestgap)) return "";
    const std::string gap = "largest gap " + formatnumber(e.largestgap, 4) + " degrees";
    if (e.allround && e.largestgap < 180) return ", all round (" + gap + ")";
    return ", an arc of " + formatnumber(360 - e.largestgap, 4) + " degrees (" + gap + ")";
}

} // namespace formeval::report
