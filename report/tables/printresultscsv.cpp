// `formreport results --csv`: one row per record and reference, numbers in
// their shortest round-trip form, an empty field where a row has no value;
// each row ends with its part's verdict and the rule that decided it.
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
        for (const Evaluated& e : file.records) {
            const std::vector<Field> verdict = verdictfields(file.file, e, options);
            for (const Fit& r : e.fits) {
                std::vector<Field> row =
                    rowfields(file.file, e, r, rowoptions(options, e, features));
                row.insert(row.end(), verdict.begin(), verdict.end());
                print(row);
            }
        }
        for (std::vector<Field>& row : stackrows(file, options)) {
            const std::vector<Field> none = noverdictfields();
            row.insert(row.end(), none.begin(), none.end());
            print(row);
        }
    }
    if (header) {
        // No rows: the header alone, so that a reader still finds the columns.
        const Evaluated none;
        std::vector<Field> fields = rowfields("", none, Fit{}, rowoptions(options, none, features));
        const std::vector<Field> verdict = noverdictfields();
        fields.insert(fields.end(), verdict.begin(), verdict.end());
        for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << fields[k].name;
        out << "\n";
    }
}

} // namespace formeval::report
