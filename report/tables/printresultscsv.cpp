// `formreport results --csv`: one row per record and reference, numbers in
// their shortest round-trip form, an empty field where a row has no value.
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

// A field quoted when it holds a separator, a quote or a line break.
std::string csvtext(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string csvfield(const Field& f) {
    switch (f.kind) {
    case Field::Kind::number:
        return std::isnan(f.number) ? "" : roundtrip(f.number);
    case Field::Kind::whole:
        return std::to_string(f.whole);
    case Field::Kind::truth:
        return f.truth ? "true" : "false";
    case Field::Kind::text:
        break;
    }
    return csvtext(f.text);
}

void printresultscsv(std::ostream& out, const std::vector<FileResults>& files,
                     const ResultsOptions& options) {
    bool header = true;
    const bool features = options.feature || haspointsetrows(files);
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records)
            for (const Fit& r : e.fits) {
                const std::vector<Field> fields = rowfields(file.file, e, r, options, features);
                if (header) {
                    for (std::size_t k = 0; k < fields.size(); ++k)
                        out << (k ? "," : "") << fields[k].name;
                    out << "\n";
                    header = false;
                }
                for (std::size_t k = 0; k < fields.size(); ++k)
                    out << (k ? "," : "") << csvfield(fields[k]);
                out << "\n";
            }
    if (header) {
        // No rows: the header alone, so that a reader still finds the columns.
        const Evaluated none;
        const std::vector<Field> fields = rowfields("", none, Fit{}, options, features);
        for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << fields[k].name;
        out << "\n";
    }
}

} // namespace formeval::report
