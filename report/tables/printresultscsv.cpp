// `formreport results --csv`: one row per record and reference, numbers in
// their shortest round-trip form, an empty field where a row has no value.
#include "report/tables/tables.h"

#include <ostream>

namespace formeval::report {

bool haspointsetrows(const std::vector<FileResults>& files) {
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records)
            for (const Fit& r : e.fits)
                if (r.source == Source::pointset) return true;
    return false;
}

void printresultscsv(std::ostream& out, const std::vector<FileResults>& files,
                     const ResultsOptions& options) {
    bool header = true;
    const bool features = options.feature || haspointsetrows(files);
    const auto print = [&](const std::vector<Field>& fields) {
        if (header) {
            for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << fields[k].name;
            out << "\n";
            header = false;
        }
        for (std::size_t k = 0; k < fields.size(); ++k)
            out << (k ? "," : "") << csvfield(fields[k]);
        out << "\n";
    };
    for (const FileResults& file : files) {
        for (const Evaluated& e : file.records)
            for (const Fit& r : e.fits)
                print(rowfields(file.file, e, r, rowoptions(options, e, features)));
        for (const std::vector<Field>& row : stackrows(file, options)) print(row);
    }
    if (header) {
        // No rows: the header alone, so that a reader still finds the columns.
        const Evaluated none;
        const std::vector<Field> fields =
            rowfields("", none, Fit{}, rowoptions(options, none, features));
        for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << fields[k].name;
        out << "\n";
    }
}

} // namespace formeval::report
