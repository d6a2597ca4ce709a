// The point sets of a job stream's records, as the pointset library takes
// them: Cartesian, point by point.
#include "report/statement/statement.h"

#include <cmath>
#include <filesystem>

namespace formeval::report {

namespace {

// The record's points interleaved, polar ones (angles in degrees) turned
// Cartesian.
std::vector<double> cartesian(const JobRecord& r, Shape shape) {
    const double degree = std::acos(-1.0) / 180;
    std::vector<double> out;
    for (std::size_t i = 0; i < r.c[0].size(); ++i) {
        const double a = r.c[0][i];
        const double b = r.c[1][i];
        switch (shape) {
        case Shape::polarcircle:
            out.insert(out.end(), {a * std::cos(b * degree), a * std::sin(b * degree)});
            break;
        case Shape::polarsphere: {
            const double beta = r.c[2][i] * degree;
            out.insert(out.end(), {a * std::cos(beta) * std::cos(b * degree),
                                   a * std::cos(beta) * std::sin(b * degree), a * std::sin(beta)});
            break;
        }
        case Shape::plane:
        case Shape::sphere:
            out.insert(out.end(), {a, b, r.c[2][i]});
            break;
        default:
            out.insert(out.end(), {a, b});
            break;
        }
    }
    return out;
}

pointset::Feature featureof(Shape shape) {
    switch (shape) {
    case Shape::line:
        return pointset::Feature::line;
    case Shape::plane:
        return pointset::Feature::plane;
    case Shape::sphere:
    case Shape::polarsphere:
        return pointset::Feature::sphere;
    default:
        return pointset::Feature::circle;
    }
}

} // namespace

std::vector<PointSet> recordpointsets(RecordStream& stream, const std::string& file,
                                      std::vector<std::string>& notes) {
    std::vector<PointSet> out;
    const std::string stem = std::filesystem::path(file).stem().string();
    for (JobRecord& r : stream.records) {
        const std::optional<Shape> shape = shapeofjob(r.job);
        if (!shape) continue;
        if (!r.refused.empty()) {
            notes.push_back(recordname(r) + ": not evaluated: " + r.refused);
            continue;
        }
        PointSet p;
        p.file = file;
        p.record = recordname(r);
        p.stem = stem + "-job" + std::to_string(r.ordinal);
        p.feature = featureof(*shape);
        p.dimension =
            p.feature == pointset::Feature::line || p.feature == pointset::Feature::circle ? 2 : 3;
        p.coordinates = cartesian(r, *shape);
        r.c = {};
        out.push_back(std::move(p));
    }
    for (const UnknownJob& u : stream.unknown) notes.push_back(u.text);
    return out;
}

} // namespace formeval::report
