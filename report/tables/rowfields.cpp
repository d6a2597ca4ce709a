// The columns of the CSV and JSON output of `formreport results`, one row per
// record and reference.
#include "report/tables/tables.h"

#include <cmath>

namespace formeval::report {

namespace {

Field number(const char* name, double value) {
    return {Field::Kind::number, name, value, 0, "", false};
}

Field whole(const char* name, long value) {
    return {Field::Kind::whole, name, notapplicable, value, "", false};
}

Field text(const char* name, std::string value) {
    return {Field::Kind::text, name, notapplicable, 0, std::move(value), false};
}

Field truth(const char* name, bool value) {
    return {Field::Kind::truth, name, notapplicable, 0, "", value};
}

// A truth value that only some rows have: empty (null) on the others.
Field maybe(const char* name, bool applies, bool value) {
    if (applies) return truth(name, value);
    return text(name, "");
}

} // namespace

const char* sourcename(Source source) {
    switch (source) {
    case Source::program:
        return "formeval";
    case Source::exact:
        return "exact";
    case Source::pointset:
        break;
    }
    return "pointset";
}

bool haspointsetrows(const std::vector<FileResults>& files) {
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records)
            for (const Fit& r : e.fits)
                if (r.source == Source::pointset) return true;
    return false;
}

std::vector<Field> rowfields(const std::string& file, const Evaluated& e, const Fit& r,
                             const ResultsOptions& o, bool features) {
    const bool program = r.source == Source::program;
    // Rows with a certificate: the exact ones, and the pointset library's
    // but its least squares.
    const bool exact = r.source == Source::exact ||
                       (r.source == Source::pointset && r.method != Method::leastsquares);
    const bool compared = program && !std::isnan(r.exacterror);
    const std::optional<double> tolerance = tolerancefor(o, e);
    const bool pointfile = e.feature.has_value();
    std::vector<Field> f = {
        text("file", file),
        whole("job", e.record.ordinal),
        pointfile ? number("code", notapplicable) : whole("code", e.record.job),
        whole("line", e.record.line),
        whole("points", e.record.numpt),
        text("shape", pointfile ? pointset::featurename(*e.feature) : shapename(e.shape)),
        number("largest_gap_degrees", e.largestgap),
        text("method", methodname(r.method)),
        text("computed_by", sourcename(r.source)),
        number("centre_x", r.x),
        number("centre_y", r.y),
        number("centre_z", r.z),
        number("radius", r.r),
        number("intercept", r.intercept),
        number("slope_x", r.slopex),
        number("slope_y", r.slopey),
        number("error", r.error),
        number("t", r.iso.t),
        number("p", r.iso.p),
        number("v", r.iso.v),
        number("q", r.iso.q),
        number("exact_error", r.exacterror),
        number("minus_exact", compared ? r.error - r.exacterror : notapplicable),
        maybe("inexact", compared, r.inexact),
        maybe("fitted", program, r.fitted),
        maybe("arc",
              (r.method == Method::circumscribing || r.method == Method::inscribing) &&
                  (r.source != Source::pointset || std::isnan(r.point[2])),
              r.arc),
        maybe("on_hull", r.source == Source::exact && r.method == Method::inscribing, r.onhull),
        maybe("certified", exact, r.certificate.certified),
        number("lower_bound", exact ? r.certificate.lower : notapplicable),
        number("upper_bound", exact ? r.certificate.upper : notapplicable),
        text("not_certified_because", exact ? r.certificate.why : ""),
        number("tolerance", tolerance ? *tolerance : notapplicable),
        maybe("pass", tolerance.has_value(), tolerance && r.error <= *tolerance),
        text("unit", o.unit),
    };
    if (!features) return f;
    const bool ours = r.source == Source::pointset;
    const auto at = [&](const char* name, double value) {
        f.push_back(number(name, ours ? value : notapplicable));
    };
    f.push_back(
        text("feature",
             ours ? pointset::featurename(pointfile ? *e.feature : featureofshape(e.shape)) : ""));
    at("point_x", r.point[0]);
    at("point_y", r.point[1]);
    at("point_z", r.point[2]);
    at("direction_x", r.direction[0]);
    at("direction_y", r.direction[1]);
    at("direction_z", r.direction[2]);
    return f;
}

} // namespace formeval::report
