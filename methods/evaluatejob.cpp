// An evaluation job's results for points given as arguments: the checks of
// its record, its determinacy test, then its computation, silently.
#include "base/record.h"
#include "driver/dispatch.h"
#include "form/form.h"
#include "methods/quiet.h"

#include <cmath>
#include <sstream>

namespace formeval::methods {

namespace {

// What the determinacy test said after "Job N not evaluated: ".
std::string refusalin(const std::vector<std::string>& said, const jobinfo& entry) {
    const std::string mark = " not evaluated: ";
    for (const std::string& line : said)
        if (const std::size_t at = line.find(mark); at != std::string::npos)
            return line.substr(at + mark.size());
    return whyundetermined(entry.shape, entry.points);
}

// Why formeval would refuse a record of this tolerance, in its words; "" when
// it takes it. A negative one means nothing; one beyond the coordinates'
// range squares to infinity in the pivot test.
std::string tolerancerefusal(double tolerance) {
    if (tolerance >= 0 && tolerance <= maxcoordinate) return "";
    std::ostringstream why;
    why << "the tolerance " << tolerance;
    if (std::isnan(tolerance))
        why << " is not a number";
    else if (tolerance < 0)
        why << " is negative; a tolerance is 0 or more";
    else
        why << " is beyond +-" << maxcoordinate << ", outside the range the evaluations can handle";
    return why.str();
}

} // namespace

std::vector<Result> evaluatejob(int code, const Points& points, double tolerance) {
    const std::optional<Job> job = evaluationjob(code);
    if (!job || job->criteria.empty())
        return {outcome(code, Criterion::leastsquares, Refusal::criterion,
                        "job " + std::to_string(code) + " is no evaluation job")};
    const jobinfo& entry = *findjob(code);
    const Columns cols = columns(points, coordinates(entry.points), entry.minpt);
    if (cols.refusal != Refusal::none)
        return {outcome(code, job->criteria.front(), cols.refusal, cols.failure)};
    if (const std::string why = tolerancerefusal(tolerance); !why.empty())
        return {outcome(code, job->criteria.front(), Refusal::tolerance, why)};
    Quiet quiet(tolerance);
    const double* const c[3] = {cols.c[0].data(), cols.c[1].data(), cols.c[2].data()};
    if (!jobdetermined(entry, c, cols.numpt))
        return {outcome(code, job->criteria.front(), Refusal::undetermined,
                        refusalin(quiet.said(), entry))};
    std::vector<Result> out;
    if (entry.fitted == fits::both) {
        // The fit's own flags say what its notes say, half by half.
        out = fitonce(entry, cols);
        out.front().notes = quiet.said();
    } else {
        out.push_back(staged(entry, cols, tolerance));
        noted(out.front(), quiet.said());
    }
    for (Result& r : out)
        if (r.evaluated) measure(r);
    return out;
}

Result evaluate(const Points& points, Feature feature, Criterion criterion, double tolerance,
                Form form) {
    for (const int code : evaluationjobs(feature, form)) {
        const Job job = *evaluationjob(code);
        for (std::size_t k = 0; k < job.criteria.size(); ++k)
            if (job.criteria[k] == criterion) {
                std::vector<Result> results = evaluatejob(code, points, tolerance);
                Result r = results.size() == job.criteria.size() ? std::move(results[k])
                                                                 : std::move(results.front());
                r.criterion = criterion;
                return r;
            }
    }
    // What the feature's jobs compute, in words: "a line is fitted by least
    // squares or minimum zone only".
    std::string computed;
    for (const int code : evaluationjobs(feature, form)) {
        const Job job = *evaluationjob(code);
        for (const Criterion c : job.criteria)
            computed += std::string(computed.empty() ? "" : " or ") + pointset::traits(c).formeval;
    }
    const std::string what =
        std::string(form == Form::polar ? "a polar " : "a ") + pointset::featurename(feature);
    return outcome(0, criterion, Refusal::criterion,
                   computed.empty() ? "the batch program evaluates no " + what.substr(2)
                                    : what + " is fitted by " + computed + " only");
}

} // namespace formeval::methods
