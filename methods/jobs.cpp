// The evaluation jobs, what each evaluates and computes, read from the job
// table.
#include "circles/circles.h"
#include "driver/dispatch.h"
#include "methods/quiet.h"

#include <algorithm>

namespace formeval::methods {

namespace {

std::optional<Feature> featureof(feature shape) {
    switch (shape) {
    case feature::line:
        return Feature::line;
    case feature::circle:
        return Feature::circle;
    case feature::plane:
        return Feature::plane;
    case feature::sphere:
        return Feature::sphere;
    case feature::none:
        break;
    }
    return std::nullopt;
}

Criterion criterionof(circlemethod method) {
    switch (method) {
    case circlemethod::leastsquares:
        return Criterion::leastsquares;
    case circlemethod::minimumzone:
        return Criterion::minimumzone;
    case circlemethod::peak:
        return Criterion::circumscribed;
    case circlemethod::valley:
        break;
    }
    return Criterion::inscribed;
}

} // namespace

std::optional<Holds> recordholds(int code) {
    const jobinfo* entry = findjob(code);
    if (!entry) return std::nullopt;
    const std::optional<Feature> f = featureof(entry->shape);
    if (!f) return std::nullopt;
    const bool polar = entry->points == pointform::rtheta || entry->points == pointform::rthetabeta;
    return Holds{*f, polar ? Form::polar : Form::cartesian};
}

std::optional<Job> evaluationjob(int code) {
    const jobinfo* entry = findjob(code);
    const std::optional<Holds> holds = recordholds(code);
    if (!entry || !holds || entry->kind != jobkind::evaluation) return std::nullopt;
    Job job;
    job.code = code;
    job.feature = holds->feature;
    job.form = holds->form;
    job.fewest = entry->minpt;
    if (entry->circle) job.criteria = {criterionof(entry->circle->method)};
    if (entry->fitted == fits::both)
        job.criteria = {Criterion::leastsquares, Criterion::minimumzone};
    if (entry->fitted == fits::minimumzone) job.criteria = {Criterion::minimumzone};
    return job;
}

std::vector<int> evaluationjobs(Feature feature, Form form) {
    std::vector<Job> found;
    for (const jobinfo& entry : jobtable())
        if (const std::optional<Job> job = evaluationjob(entry.code);
            job && job->feature == feature && job->form == form && !job->criteria.empty())
            found.push_back(*job);
    std::stable_sort(found.begin(), found.end(), [](const Job& a, const Job& b) {
        return a.criteria.front() < b.criteria.front();
    });
    std::vector<int> codes;
    for (const Job& job : found) codes.push_back(job.code);
    return codes;
}

int studiedjob(int code) {
    const jobinfo* entry = findjob(code);
    if (!entry || !entry->circle || entry->kind == jobkind::evaluation) return 0;
    for (const jobinfo& job : jobtable())
        if (job.kind == jobkind::evaluation && job.circle == entry->circle) return job.code;
    return 0;
}

} // namespace formeval::methods
