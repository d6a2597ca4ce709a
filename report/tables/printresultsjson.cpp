// `formreport results --json`: one object per record and reference under
// "rows", with the same names as the CSV columns and null where a row has no
// value, and every record left out under "notes".
#include "report/tables/json.h"
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

nlohmann::ordered_json jsonvalue(const Field& f) {
    switch (f.kind) {
    case Field::Kind::number:
        return std::isfinite(f.number) ? nlohmann::ordered_json(f.number)
                                       : nlohmann::ordered_json();
    case Field::Kind::whole:
        return f.whole;
    case Field::Kind::truth:
        return f.truth;
    case Field::Kind::text:
        break;
    }
    return f.text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(f.text);
}

void printresultsjson(std::ostream& out, const std::vector<FileResults>& files,
                      const ResultsOptions& options) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    nlohmann::ordered_json notes = nlohmann::ordered_json::array();
    nlohmann::ordered_json inputs = nlohmann::ordered_json::array();
    const bool features = options.feature || haspointsetrows(files);
    for (const FileResults& file : files) {
        if (options.feature)
            inputs.push_back({{"file", file.file},
                              {"feature", pointset::featurename(*options.feature)},
                              {"points", file.jobs},
                              {"records_evaluated", file.records.size()}});
        else
            inputs.push_back({{"file", file.file},
                              {"jobs", file.jobs},
                              {"records_evaluated", file.records.size()}});
        for (const std::string& note : file.notes)
            notes.push_back({{"file", file.file}, {"note", note}});
        for (const Evaluated& e : file.records)
            for (const Fit& r : e.fits) {
                nlohmann::ordered_json row = nlohmann::ordered_json::object();
                for (const Field& f : rowfields(file.file, e, r, options, features))
                    row[f.name] = jsonvalue(f);
                rows.push_back(std::move(row));
            }
    }
    const std::string programs = "lines along y, planes along z, Cartesian circles "
                                 "and spheres radially, polar jobs in their "
                                 "linearised model";
    const std::string deviations =
        options.feature ? std::string(orthogonaltext)
        : features ? "formeval and exact rows: " + programs + "; pointset rows: " + orthogonaltext
                   : programs;
    nlohmann::ordered_json document = {{"unit", options.unit},
                                       {"deviations", deviations},
                                       {"files", std::move(inputs)},
                                       {"rows", std::move(rows)},
                                       {"notes", std::move(notes)}};
    out << document.dump(2) << "\n";
}

} // namespace formeval::report
