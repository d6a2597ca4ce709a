// The tolerances of the form error the results are judged against.
#include "report/tables/tables.h"

#include <cmath>

namespace formeval::report {

std::string addtolerance(const std::string& text, ResultsOptions& options) {
    const std::size_t equals = text.find('=');
    const std::string value = equals == std::string::npos ? text : text.substr(equals + 1);
    const auto tolerance = parsenumber(value);
    if (!tolerance || *tolerance < 0)
        return "'" + shortitem(text) +
               "': a tolerance is a number of at least 0, for every job or as "
               "CODE=VALUE for one job code";
    const double limit = *tolerance + 0.0; // -0 is 0
    if (equals == std::string::npos) {
        options.tolerance = limit;
        return "";
    }
    const std::string key = text.substr(0, equals);
    if (pointset::featurenamed(key)) {
        options.featuretolerances[key] = limit;
        return "";
    }
    const auto code = parseint(key);
    if (!code || !methods::recordholds(*code))
        return "'" + shortitem(text) + "': " + shortitem(key) +
               " is not the code of a job that evaluates a record";
    options.jobtolerances[*code] = limit;
    return "";
}

std::optional<double> tolerancefor(const ResultsOptions& options, const Evaluated& record) {
    const auto found = options.jobtolerances.find(record.record.job);
    if (record.record.job != 0 && found != options.jobtolerances.end()) return found->second;
    const char* feature = pointset::featurename(record.feature);
    const auto named = options.featuretolerances.find(feature);
    if (named != options.featuretolerances.end()) return named->second;
    return options.tolerance;
}

RowOptions rowoptions(const ResultsOptions& options, const Evaluated& record, bool features) {
    return {tolerancefor(options, record), options.unit, options.filter.any(), features,
            options.sections};
}

} // namespace formeval::report
