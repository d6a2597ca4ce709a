// The result row of one reference of a record: its fields in column order,
// each with its unit.
#include "report/rows/rows.h"

#include <cmath>

namespace formeval::report {

namespace {

Field number(const char* name, double value, FieldUnit unit = FieldUnit::length) {
    Field f = numberfield(name, value);
    f.unit = unit;
    return f;
}

// A truth value that only some rows have: empty (null) on the others.
Field maybe(const char* name, bool applies, bool value) {
    if (applies) return truthfield(name, value);
    return textfield(name, "");
}

// The pointset feature's fields of a row; a cone's apex angle after them
// when `cones`.
void featurefields(std::vector<Field>& f, const Evaluated& e, const Fit& r, bool cones);

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

std::vector<Field> rowfields(const std::string& file, const Evaluated& e, const Fit& r,
                             const RowOptions& o) {
    const bool program = r.source == Source::program;
    const bool ours = r.source == Source::pointset;
    // Rows with a certificate: the exact ones, and the pointset library's but
    // its least squares.
    const bool exact =
        r.source == Source::exact || (ours && r.criterion != Criterion::leastsquares);
    const bool compared = program && !std::isnan(r.exacterror);
    const bool extreme =
        r.criterion == Criterion::circumscribed || r.criterion == Criterion::inscribed;
    const std::optional<double>& tolerance = o.tolerance;
    std::vector<Field> f = {
        textfield("file", file),
        wholefield("job", e.record.ordinal),
        e.pointfile ? numberfield("code", notapplicable) : wholefield("code", e.record.job),
        // A row of points given to a function has no line.
        e.record.line > 0 ? wholefield("line", e.record.line) : numberfield("line", notapplicable),
        wholefield("points", e.record.numpt),
        textfield("shape", shapename(e)),
        number("largest_gap_degrees", e.largestgap, FieldUnit::degrees),
        textfield("method", referencename(r.criterion)),
        textfield("computed_by", sourcename(r.source)),
        number("centre_x", r.x),
        number("centre_y", r.y),
        number("centre_z", r.z),
        number("radius", r.r),
        number("intercept", r.intercept),
        number("slope_x", r.slopex, FieldUnit::none),
        number("slope_y", r.slopey, FieldUnit::none),
        number("error", r.error),
        number("t", r.iso.t),
        number("p", r.iso.p),
        number("v", r.iso.v),
        number("q", r.iso.q),
        number("exact_error", r.exacterror),
        number("minus_exact", compared ? r.error - r.exacterror : notapplicable),
        maybe("inexact", compared, r.inexact),
        maybe("fitted", program, r.fitted),
        // An arc is known where the points' gap is, of a circle's
        // circumscribing and inscribing references (a sphere's or a cylinder's
        // pointset rows have none).
        maybe("arc", extreme && !std::isnan(e.largestgap) && (!ours || std::isnan(r.point[2])),
              r.arc),
        maybe("on_hull", r.source == Source::exact && r.criterion == Criterion::inscribed,
              r.onhull),
        maybe("certified", exact, r.certificate.certified),
        number("lower_bound", exact ? r.certificate.lower : notapplicable),
        number("upper_bound", exact ? r.certificate.upper : notapplicable),
        textfield("not_certified_because", exact ? r.certificate.why : ""),
        number("tolerance", tolerance ? *tolerance : notapplicable),
        maybe("pass", tolerance.has_value(), tolerance && r.error <= *tolerance),
        textfield("unit", o.unit),
    };
    // With a filter, which rows are of the filtered profile (the others say
    // "none"); without, the columns stay as they were.
    if (o.filtered) f.push_back(textfield("filter", ours && !e.filter.empty() ? e.filter : "none"));
    if (o.features) featurefields(f, e, r, o.cones);
    if (o.sections) {
        f.push_back(wholefield("section", e.section));
        f.push_back(number("z", e.sectionz, FieldUnit::length));
        f.push_back(number("angle_degrees", notapplicable, FieldUnit::degrees));
    }
    return f;
}

namespace {

void featurefields(std::vector<Field>& f, const Evaluated& e, const Fit& r, bool cones) {
    const bool ours = r.source == Source::pointset;
    const auto at = [&](const char* name, double value, FieldUnit unit) {
        f.push_back(number(name, ours ? value : notapplicable, unit));
    };
    f.push_back(textfield("feature", ours ? pointset::featurename(e.feature) : ""));
    at("point_x", r.point[0], FieldUnit::length);
    at("point_y", r.point[1], FieldUnit::length);
    at("point_z", r.point[2], FieldUnit::length);
    at("direction_x", r.direction[0], FieldUnit::none);
    at("direction_y", r.direction[1], FieldUnit::none);
    at("direction_z", r.direction[2], FieldUnit::none);
    if (cones) at("apex_angle_degrees", 2 * r.angle * 45 / std::atan(1.0), FieldUnit::degrees);
}

} // namespace

} // namespace formeval::report
