// The tolerances of the form error the results are judged against.
#include "report/tables/tables.h"

#include <cctype>
#include <cmath>
#include <set>

namespace formeval::report {

namespace {

// Whether `text` is a number followed by a word: a value with a unit, right
// or wrong, whose own message says more than the general one.
bool withunit(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(text[end - 1])) &&
           text[end - 1] != '.')
        --end;
    return end > 0 && end < text.size() && parsenumber(text.substr(0, end));
}

} // namespace

std::string addtolerance(const std::string& text, ResultsOptions& options) {
    const std::size_t equals = text.find('=');
    const std::string value = equals == std::string::npos ? text : text.substr(equals + 1);
    // A bare number is in the data's unit; one with a unit (6um) is
    // converted to it, which needs the data's unit named with --unit.
    std::string why;
    const std::optional<double> tolerance = parsevalue(value, ValueKind::length, options.unit, why);
    if (!tolerance && withunit(value)) return "'" + shortitem(text) + "': " + why;
    if (!tolerance || *tolerance < 0)
        return "'" + shortitem(text) +
               "': a tolerance is a number of at least 0, for every job or as "
               "CODE=VALUE for one job code";
    const double limit = *tolerance + 0.0; // -0 is 0
    // One tolerance a target: a second one would silently replace the first.
    const auto twice = [&](const std::string& target) {
        return "'" + shortitem(text) + "': a tolerance " + target +
               " is given twice; give each one once";
    };
    if (equals == std::string::npos) {
        if (options.tolerance) return twice("for every job");
        options.tolerance = limit;
        return "";
    }
    const std::string key = text.substr(0, equals);
    if (pointset::featurenamed(key)) {
        if (!options.featuretolerances.emplace(key, limit).second) return twice("for every " + key);
        return "";
    }
    const auto code = parseint(key);
    if (!code || !methods::recordholds(*code))
        return "'" + shortitem(text) + "': " + shortitem(key) +
               " is not the code of a job that evaluates a record";
    if (!options.jobtolerances.emplace(*code, limit).second)
        return twice("for job " + std::to_string(*code));
    return "";
}

namespace {

// Which tolerance a record takes: its job code's, else its feature's, else
// the one for every record (if any).
enum class Taken { job, feature, every };
Taken takenfrom(const ResultsOptions& options, const Evaluated& record) {
    if (record.record.job != 0 && options.jobtolerances.count(record.record.job) > 0)
        return Taken::job;
    if (options.featuretolerances.count(pointset::featurename(record.feature)) > 0)
        return Taken::feature;
    return Taken::every;
}

} // namespace

std::optional<double> tolerancefor(const ResultsOptions& options, const Evaluated& record) {
    switch (takenfrom(options, record)) {
    case Taken::job:
        return options.jobtolerances.at(record.record.job);
    case Taken::feature:
        return options.featuretolerances.at(pointset::featurename(record.feature));
    case Taken::every:
        break;
    }
    return options.tolerance;
}

std::vector<std::string> idletolerances(const std::vector<FileResults>& files,
                                        const ResultsOptions& options) {
    bool any = false, global = false;
    std::set<int> codes;
    std::set<std::string> features, shared; // taken, and met under a code's tolerance
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            any = true;
            const std::string feature = pointset::featurename(e.feature);
            switch (takenfrom(options, e)) {
            case Taken::job:
                codes.insert(e.record.job);
                shared.insert(feature);
                break;
            case Taken::feature:
                features.insert(feature);
                break;
            case Taken::every:
                global = true;
                break;
            }
        }
    std::vector<std::string> out;
    if (!any) return out;
    for (const auto& [code, value] : options.jobtolerances)
        if (codes.count(code) == 0)
            out.push_back("the tolerance for job " + std::to_string(code) +
                          " judges nothing: no record of job " + std::to_string(code) +
                          " was evaluated");
    for (const auto& [feature, value] : options.featuretolerances)
        if (features.count(feature) == 0)
            out.push_back("the tolerance for every " + feature + " judges nothing: " +
                          (shared.count(feature) > 0
                               ? "every " + feature + " evaluated takes its job code's"
                               : "no " + feature + " was evaluated"));
    if (options.tolerance && !global)
        out.push_back(options.feature ? "the tolerance for every file judges nothing: every part "
                                        "evaluated takes its feature's"
                                      : "the tolerance for every job judges nothing: every record "
                                        "evaluated takes its job code's or its feature's");
    return out;
}

RowOptions rowoptions(const ResultsOptions& options, const Evaluated& record, bool features) {
    return {tolerancefor(options, record),
            options.unit,
            options.filter.any(),
            features,
            options.sections,
            features && options.feature == Feature::cone};
}

} // namespace formeval::report
