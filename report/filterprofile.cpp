// A record's closed profile about its least-squares circle, filtered or
// analysed into harmonics at equal angles.
#include "report/report.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

std::vector<PolarPoint> profileabout(const CircleRecord& record, const Circle& circle) {
    std::vector<PolarPoint> out;
    for (std::size_t i = 0; i < record.x.size(); ++i) {
        const double dx = record.x[i] - circle.x;
        const double dy = record.y[i] - circle.y;
        out.push_back({std::atan2(dy, dx), std::hypot(dx, dy) - circle.r});
    }
    std::sort(out.begin(), out.end(),
              [](const PolarPoint& a, const PolarPoint& b) { return a.angle < b.angle; });
    return out;
}

CircleRecord filteredrecord(const CircleRecord& record, const Circle& ls, int cutoff,
                            bool& resampled) {
    const EqualAngles e = equalangles(profileabout(record, ls));
    resampled = e.resampled;
    const std::vector<double> mean = gaussianfilter(e.deviation, cutoff);
    CircleRecord out = record;
    out.x.clear();
    out.y.clear();
    const double step = 2 * std::acos(-1.0) / static_cast<double>(mean.size());
    for (std::size_t k = 0; k < mean.size(); ++k) {
        const double angle = e.start + step * static_cast<double>(k);
        out.x.push_back(ls.x + (ls.r + mean[k]) * std::cos(angle));
        out.y.push_back(ls.y + (ls.r + mean[k]) * std::sin(angle));
    }
    return out;
}

Harmonics harmonics(const CircleRecord& record, const Circle& ls) {
    const EqualAngles e = equalangles(profileabout(record, ls));
    Harmonics h;
    h.points = e.deviation.size();
    h.resampled = e.resampled;
    h.amplitude = harmonicamplitudes(e.deviation, maxharmonic);
    return h;
}

} // namespace formeval::report
