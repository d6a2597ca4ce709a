// A closed profile about a circle, filtered or analysed into harmonics at
// equal angles.
#include "profile/profile.h"

#include <cmath>

namespace formeval::profile {

Filtered filtered(const std::vector<double>& x, const std::vector<double>& y, const Circle& about,
                  double cutoff) {
    const EqualAngles e = equalangles(profileabout(x, y, about));
    Filtered out;
    out.resampled = e.resampled;
    const std::vector<double> mean = gaussianfilter(e.deviation, cutoff);
    const double step = 2 * std::acos(-1.0) / static_cast<double>(mean.size());
    for (std::size_t k = 0; k < mean.size(); ++k) {
        const double angle = e.start + step * static_cast<double>(k);
        out.x.push_back(about.x + (about.r + mean[k]) * std::cos(angle));
        out.y.push_back(about.y + (about.r + mean[k]) * std::sin(angle));
    }
    return out;
}

Harmonics harmonics(const std::vector<double>& x, const std::vector<double>& y,
                    const Circle& about) {
    const EqualAngles e = equalangles(profileabout(x, y, about));
    Harmonics h;
    h.points = e.deviation.size();
    h.resampled = e.resampled;
    h.amplitude = harmonicamplitudes(e.deviation, maxharmonic);
    return h;
}

} // namespace formeval::profile
