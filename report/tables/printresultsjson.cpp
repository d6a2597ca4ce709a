// `formreport results --json`: one object per record and reference under
// "rows", with the same names as the CSV columns and null where a row has no
// value, each ending with its part's verdict and decision rule, and every
// record left out under "notes".
#include "report/json/json.h"
#include "report/tables/tables.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

nlohmann::ordered_json number(double v) {
    return std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json();
}

nlohmann::ordered_json jsonverdicts(const std::vector<FileResults>& files,
                                    const ResultsOptions& options) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            const std::optional<Verdict> v = verdictof(file.file, e, options);
            if (!v) continue;
            out.push_back({{"part", v->part},
                           {"criterion", referencename(v->criterion)},
                           {"parameter", v->parameter},
                           {"value", number(v->value)},
                           {"lower_bound", number(v->lower)},
                           {"upper_bound", number(v->upper)},
                           {"tolerance", v->tolerance},
                           {"verdict", verdictword(*v)},
                           {"computed_by",
                            v->reference ? nlohmann::ordered_json(sourcename(v->reference->source))
                                         : nlohmann::ordered_json()},
                           {"filter", v->filter},
                           {"reason", v->why.empty() ? nlohmann::ordered_json()
                                                     : nlohmann::ordered_json(v->why)},
                           {"decision_rule", rulename(v->rule)},
                           {"y", number(v->y)},
                           {"U", number(v->U)}});
        }
    return out;
}

nlohmann::ordered_json jsonsummary(const std::vector<FileResults>& files,
                                   const ResultsOptions& options) {
    const BatchSummary s = batchsummary(files, options);
    nlohmann::ordered_json parameters = nlohmann::ordered_json::object();
    constexpr std::array<const char*, 4> names = {"t", "p", "v", "q"};
    for (std::size_t k = 0; k < names.size(); ++k) {
        const ParameterSpread& d = s.parameters[k];
        parameters[names[k]] = {{"count", d.count},
                                {"minimum", number(d.minimum)},
                                {"mean", number(d.mean)},
                                {"maximum", number(d.maximum)},
                                {"standard_deviation", number(d.deviation)}};
    }
    return {{"parts", s.parts},
            {"criterion", referencename(options.criterion)},
            {"judged", s.judged},
            {"pass", s.pass},
            {"fail", s.fail},
            {"undecided", s.undecided},
            {"decision_rule", anyjudged(files, options) ? nlohmann::ordered_json(rulename(s.rule))
                                                        : nlohmann::ordered_json()},
            {"parameters", std::move(parameters)}};
}

} // namespace

void printresultsjson(std::ostream& out, const std::vector<FileResults>& files,
                      const ResultsOptions& options) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    nlohmann::ordered_json notes = nlohmann::ordered_json::array();
    nlohmann::ordered_json inputs = nlohmann::ordered_json::array();
    const bool features = options.feature || haspointsetrows(files);
    for (const FileResults& file : files) {
        if (options.feature) {
            inputs.push_back({{"file", file.file},
                              {"feature", pointset::featurename(*options.feature)},
                              {"points", file.jobs}});
            // With the outlier rule the rows count the points it kept.
            if (options.outliers > 0) inputs.back()["points_evaluated"] = file.jobs - file.removed;
            inputs.back()["records_evaluated"] = file.records.size();
        } else {
            inputs.push_back({{"file", file.file},
                              {"jobs", file.jobs},
                              {"records_evaluated", file.records.size()}});
        }
        if (file.stack) inputs.back()["sections"] = file.records.size() - 1;
        for (const std::string& note : file.notes)
            notes.push_back({{"file", file.file}, {"note", note}});
        const auto add = [&rows](const std::vector<Field>& fields,
                                 const std::vector<Field>& verdict) {
            nlohmann::ordered_json row = nlohmann::ordered_json::object();
            for (const Field& f : fields) row[f.name] = jsonvalue(f);
            for (const Field& f : verdict) row[f.name] = jsonvalue(f);
            rows.push_back(std::move(row));
        };
        for (const Evaluated& e : file.records) {
            const std::vector<Field> verdict = verdictfields(file.file, e, options);
            for (const Fit& r : e.fits)
                add(rowfields(file.file, e, r, rowoptions(options, e, features)), verdict);
        }
        for (const std::vector<Field>& row : stackrows(file, options)) add(row, noverdictfields());
    }
    const std::string programs = "lines along y, planes along z, Cartesian circles "
                                 "and spheres radially, polar jobs in their "
                                 "linearised model";
    const std::string deviations =
        options.feature == Feature::cone ? std::string(conetext)
        : options.feature                ? std::string(orthogonaltext)
        : features ? "formeval and exact rows: " + programs + "; pointset rows: " + orthogonaltext
                   : programs;
    nlohmann::ordered_json document = {{"unit", options.unit},
                                       {"filter", filtername(options.filter, options.unit)},
                                       {"deviations", deviations},
                                       {"files", std::move(inputs)},
                                       {"rows", std::move(rows)},
                                       {"notes", std::move(notes)},
                                       {"verdicts", jsonverdicts(files, options)},
                                       {"summary", jsonsummary(files, options)}};
    out << document.dump(2) << "\n";
}

} // namespace formeval::report
