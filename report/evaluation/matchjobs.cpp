// Matches the study blocks of a result file to the study jobs of the job
// stream that made it, and evaluates each job's points once without noise:
// the measured value the simulation is about.
#include "report/evaluation/evaluation.h"

#include "driver/dispatch.h"
#include "methods/methods.h"

namespace formeval::report {

namespace {

// Repetitions a study job writes; 1 for a perturbation study's line.
long studylength(int job) {
    const jobinfo* entry = findjob(job);
    return entry->kind == jobkind::perturbation ? 1 : entry->repetitions;
}

bool fits(const Block& b, const JobRecord& r, bool next) {
    const bool perturbation = findjob(r.job)->kind == jobkind::perturbation;
    if (perturbation != (b.kind == Block::Kind::perturbation)) return false;
    const long length = studylength(r.job);
    // A block cut short is taken only by the study that comes next.
    return b.lines == length || (next && b.lines < length);
}

// The computation a study repeats, as the job table names it.
Criterion studied(int job) {
    return methods::evaluationjob(methods::studiedjob(job))->criteria.front();
}

} // namespace

std::vector<std::string> matchjobs(std::vector<Block>& blocks, const JobStream& stream,
                                   const std::string& file) {
    std::vector<std::string> notes;
    const auto& studies = stream.studies;
    std::size_t next = 0;
    for (Block& b : blocks) {
        std::size_t found = studies.size();
        for (std::size_t k = next; k < studies.size() && found == studies.size(); ++k)
            if (fits(b, studies[k], k == next)) found = k;
        // A result file may hold several runs of the stream: start it again.
        for (std::size_t k = 0; k < next && found == studies.size(); ++k)
            if (fits(b, studies[k], k == 0)) found = k;
        if (found == studies.size()) {
            notes.push_back("block " + std::to_string(b.number) + " (lines " +
                            std::to_string(b.firstline) + "-" + std::to_string(b.lastline) +
                            ") matches no study job of " + file);
            continue;
        }
        next = found + 1;
        const JobRecord& r = studies[found];
        b.job = r.job;
        b.jobname = "job " + std::to_string(r.job) + " (job " + std::to_string(r.ordinal) + " of " +
                    file + ", line " + std::to_string(r.line) + ")";
        if (b.kind == Block::Kind::perturbation) continue;
        const Evaluated e = evaluatecircle(planepoints(r), r.cri);
        if (!e.ok()) {
            notes.push_back(b.jobname + ": its points cannot be evaluated: " + e.failure);
            continue;
        }
        const Fit& c = e.fit(studied(r.job));
        b.measured = {c.x, c.y, c.r, c.error};
        b.hasmeasured = true;
    }
    return notes;
}

} // namespace formeval::report
