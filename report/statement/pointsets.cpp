// The point sets of a job stream's records, as the pointset library takes
// them: Cartesian, point by point.
#include "report/statement/statement.h"

#include <filesystem>

namespace formeval::report {

std::vector<PointSet> recordpointsets(RecordStream& stream, const std::string& file,
                                      std::vector<std::string>& notes) {
    std::vector<PointSet> out;
    const std::string stem = std::filesystem::path(file).stem().string();
    for (JobRecord& r : stream.records) {
        const std::optional<methods::Holds> holds = methods::recordholds(r.job);
        if (!holds) continue;
        if (!r.refused.empty()) {
            notes.push_back(recordname(r) + ": not evaluated: " + r.refused);
            continue;
        }
        PointSet p;
        p.file = file;
        p.record = recordname(r);
        p.stem = stem + "-job" + std::to_string(r.ordinal);
        p.feature = holds->feature;
        p.dimension = pointset::traits(p.feature).dimension;
        p.coordinates = cartesian(r);
        r.c = {};
        out.push_back(std::move(p));
    }
    for (const UnknownJob& u : stream.unknown) notes.push_back(u.text);
    return out;
}

} // namespace formeval::report
