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
    const auto code = parseint(text.substr(0, equals));
    if (!code || !shapeofjob(*code))
        return "'" + shortitem(text) + "': " + shortitem(text.substr(0, equals)) +
               " is not the code of a job that evaluates a record";
    options.jobtolerances[*code] = limit;
    return "";
}

std::optional<double> tolerancefor(const ResultsOptions& options, int job) {
    const auto found = options.jobtolerances.find(job);
    if (found != options.jobtolerances.end()) return found->second;
    return options.tolerance;
}

} // namespace formeval::report
