// formeval's own results for a record, from the methods library: the
// evaluation jobs of its feature and point form (the four circle computations
// of a Cartesian circle, the one job of every other feature), each refusing
// the points as formeval's job would. What they said comes back with the
// first reference.
#include "methods/methods.h"
#include "report/evaluation/evaluation.h"

namespace formeval::report {

std::vector<double> interleaved(const JobRecord& record, int dimension) {
    std::vector<double> out;
    out.reserve(record.c[0].size() * static_cast<std::size_t>(dimension));
    for (std::size_t i = 0; i < record.c[0].size(); ++i)
        for (int k = 0; k < dimension; ++k) out.push_back(record.c[static_cast<std::size_t>(k)][i]);
    return out;
}

Measured measured(methods::Result&& r) {
    Measured m;
    Fit& f = m.reference;
    f.criterion = r.criterion;
    f.intercept = r.intercept;
    f.slopex = r.slopex;
    f.slopey = r.slopey;
    f.x = r.x;
    f.y = r.y;
    f.z = r.z;
    f.r = r.r;
    f.error = r.error;
    f.fitted = r.fitted;
    f.notoptimal = r.notoptimal;
    for (const std::string& line : r.notes) f.said += line + "\n";
    m.deviations = std::move(r.deviations);
    return m;
}

FitSet programfits(const JobRecord& record, Feature feature, Form form) {
    FitSet out;
    const int dimension = pointset::traits(feature).dimension;
    const std::vector<double> c = interleaved(record, dimension);
    const pointset::Points points{c.data(), record.c[0].size(), dimension,
                                  static_cast<std::size_t>(dimension)};
    const long numpt = static_cast<long>(record.c[0].size());
    for (const int code : methods::evaluationjobs(feature, form)) {
        const methods::Job job = *methods::evaluationjob(code);
        const Criterion criterion = job.criteria.front();
        if (numpt < job.fewest) {
            out.notes.push_back(std::string("no ") + referencename(criterion) +
                                " circle: " + std::to_string(numpt) +
                                " points are too few; it needs " + std::to_string(job.fewest));
            continue;
        }
        std::vector<methods::Result> results = methods::evaluatejob(code, points, record.cri);
        const methods::Result& first = results.front();
        if (first.refusal == methods::Refusal::undetermined) {
            out.failure = first.failure;
            out.fits.clear();
            out.notes.clear();
            return out;
        }
        if (first.refusal == methods::Refusal::nofit) {
            out.notes.push_back(std::string("no ") + referencename(criterion) +
                                " circle fits these points");
            continue;
        }
        for (methods::Result& r : results) out.fits.push_back(measured(std::move(r)));
    }
    return out;
}

} // namespace formeval::report
