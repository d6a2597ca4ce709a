// A stack of sections in the results: its own measures as rows beside its
// sections' and its cylinder's, and as a table.
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

// A row with every field empty but the file's, the record's and the unit.
std::vector<Field> blankrow(const std::vector<Field>& from) {
    std::vector<Field> row = from;
    for (Field& f : row) {
        if (f.name == "file" || f.name == "job" || f.name == "line" || f.name == "points" ||
            f.name == "unit")
            continue;
        if (f.kind == Field::Kind::number) f.number = notapplicable;
        if (f.kind == Field::Kind::whole) f.whole = 0;
        if (f.kind == Field::Kind::truth) f = textfield(f.name.c_str(), "");
        if (f.kind == Field::Kind::text) f.text.clear();
    }
    return row;
}

void set(std::vector<Field>& row, const char* name, double value) {
    for (Field& f : row)
        if (f.name == name) f.number = value;
}

void set(std::vector<Field>& row, const char* name, const std::string& text) {
    for (Field& f : row)
        if (f.name == name) f.text = text;
}

} // namespace

std::vector<std::vector<Field>> stackrows(const FileResults& file, const ResultsOptions& options) {
    if (!file.stack || file.records.empty()) return {};
    const Evaluated& cylinder = file.records.back();
    const std::vector<Field> blank =
        blankrow(rowfields(file.file, cylinder, Fit{}, rowoptions(options, cylinder, true)));
    const StackMeasures& m = *file.stack;
    std::vector<std::vector<Field>> rows;
    const auto add = [&](const char* method, double error) {
        rows.push_back(blank);
        set(rows.back(), "shape", "stack");
        set(rows.back(), "method", method);
        set(rows.back(), "computed_by", "pointset");
        set(rows.back(), "error", error);
    };
    add("taper", m.diameterchange);
    set(rows.back(), "slope_x", m.taper);
    add("axis straightness", m.axis);
    add("generatrix straightness", m.generatrix);
    set(rows.back(), "angle_degrees", m.generatrixangle);
    return rows;
}

void printstack(std::ostream& out, const StackMeasures& m, int digits) {
    const auto number = [digits](double v) {
        return std::isnan(v) ? std::string() : formatnumber(v, digits);
    };
    const std::vector<std::vector<std::string>> rows = {
        {"taper: radius per unit of z", number(m.taper), ""},
        {"taper: change of diameter", number(m.diameterchange), ""},
        {"axis straightness", number(m.axis), ""},
        {"generatrix straightness", number(m.generatrix), number(m.generatrixangle)},
    };
    printaligned(out, {"stack", "value", "at degrees"}, {false, true, true}, rows);
}

} // namespace formeval::report
