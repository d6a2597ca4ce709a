// formreport's result row: one reference of a record or point file as the
// fields every output gives of it. Their names, kinds and units are defined
// here once; the text, CSV and JSON tables, the HTML report and the Python
// package's to_dict take their values from these rows, each choosing its
// fields and its words for them.
#pragma once

#include "report/evaluation/evaluation.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// What a field's value is measured in: the unit of the coordinates (a length),
// degrees, or nothing (a count, a ratio, a name, a flag).
enum class FieldUnit { none, length, degrees };

// One field of an output row: a number (NaN: none), a whole number, a text
// (empty: none) or a truth value.
struct Field {
    enum class Kind { number, whole, text, truth } kind = Kind::text;
    std::string name;
    double number = notapplicable;
    long whole = 0;
    std::string text;
    bool truth = false;
    FieldUnit unit = FieldUnit::none;
};

// A field of each kind, its unit none.
Field numberfield(const char* name, double value);
Field wholefield(const char* name, long value);
Field textfield(const char* name, std::string value);
Field truthfield(const char* name, bool value);

// What a row needs beyond its record and reference.
struct RowOptions {
    std::optional<double> tolerance; // of the record, where one applies
    std::string unit;                // the data's unit, in words
    bool filtered = false;           // the output filters profiles: each row says which it is of
    bool features = false;           // the output has pointset rows: their feature's fields follow
    bool sections = false; // the output has stacks of sections: section, z, angle_degrees follow
    bool cones = false;    // the output has cones: apex_angle_degrees follows the feature's fields
};

// The fields of the row of one reference of a record, in column order; every
// row of an output has the same names:
//   file job code line points shape largest_gap_degrees method computed_by
//   centre_x centre_y centre_z radius intercept slope_x slope_y error t p v q
//   exact_error minus_exact inexact fitted arc on_hull certified lower_bound
//   upper_bound not_certified_because tolerance pass unit
// then `filter` where the output filters, and `feature point_x point_y point_z
// direction_x direction_y direction_z` where it has pointset rows, then
// `apex_angle_degrees` where it has cones (a cone's full angle at its apex,
// twice pointset's half angle, in degrees; its radius is the radius at its
// point), and `section z angle_degrees` where it has stacks of sections (a
// section from 1 and its z; 0 and none for the stack's own rows,
// angle_degrees only of its generatrix straightness). A field a
// row has no value of is NaN (a number) or empty (a text; the truth values
// and texts of only some rows). The lengths are in the coordinates' unit, the
// gap in degrees.
std::vector<Field> rowfields(const std::string& file, const Evaluated& record, const Fit& reference,
                             const RowOptions& options);

// The row's field of that name; nullptr where it has none.
const Field* fieldnamed(const std::vector<Field>& row, std::string_view name);

// Who computed a row: "formeval", "exact" or "pointset".
const char* sourcename(Source source);

// A field as CSV writes it: a number in its shortest round-trip form, empty
// for NaN; a text quoted when it holds a separator, a quote or a line break.
std::string csvfield(const Field& f);

} // namespace formeval::report
