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

std::vector<Field> rowfields(const std::string& file, const Evaluated& e, const Fit& r,
                             const ResultsOptions& o) {
    const bool program = r.source == Source::program;
    const bool exact = r.source == Source::exact;
    const bool compared = program && !std::isnan(r.exacterror);
    const std::optional<double> tolerance = tolerancefor(o, e.record.job);
    std::vector<Field> f = {
        text("file", file),
        whole("job", e.record.ordinal),
        whole("code", e.record.job),
        whole("line", e.record.line),
        whole("points", e.record.numpt),
        text("shape", shapename(e.shape)),
        number("largest_gap_degrees", e.largestgap),
        text("method", methodname(r.method)),
        text("computed_by", program ? "formeval" : "exact"),
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
        maybe("arc", r.method == Method::circumscribing || r.method == Method::inscribing, r.arc),
        maybe("on_hull", exact && r.method == Method::inscribing, r.onhull),
        maybe("certified", exact, r.certificate.certified),
        number("lower_bound", exact ? r.certificate.lower : notapplicable),
        number("upper_bound", exact ? r.certificate.upper : notapplicable),
        text("not_certified_because", exact ? r.certificate.why : ""),
        number("tolerance", tolerance ? *tolerance : notapplicable),
        maybe("pass", tolerance.has_value(), tolerance && r.error <= *tolerance),
        text("unit", o.unit),
    };
    return f;
}

} // namespace formeval::report
