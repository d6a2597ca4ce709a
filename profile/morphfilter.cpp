// The morphological closing and opening filters with a disk: the dilation
// of the profile by the disk's upper half (the heights of the centre of a
// disk resting on it), then the erosion of that by the lower half (the
// disk's underside as it rests there). Centres are taken at the profile's
// own positions.
#include "profile/profile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace formeval::profile {

namespace {

// The positions within `radius` of each point, walked by `visit(i, j,
// distance)`; round a periodic profile the nearest copy of each, at most
// half the period either way.
template <class Visit>
void neighbours(const std::vector<double>& position, double radius, double period, Visit visit) {
    const std::size_t n = position.size();
    const double reach = period > 0 ? std::min(radius, period / 2) : radius;
    const double shifts[] = {-period, 0, period};
    for (std::size_t i = 0; i < n; ++i) {
        for (const double shift : shifts) {
            if (shift != 0 && !(period > 0)) continue;
            // The copy's positions within reach: a binary search for the
            // first, then along until past it.
            auto j =
                std::lower_bound(position.begin(), position.end(), position[i] - shift - reach);
            for (; j != position.end(); ++j) {
                const double d = *j + shift - position[i];
                if (d > reach) break;
                visit(i, static_cast<std::size_t>(j - position.begin()), d);
            }
        }
    }
}

void checkmorph(const std::vector<double>& position, const std::vector<double>& value,
                double radius, double period) {
    if (position.size() != value.size())
        throw std::invalid_argument("morphological filter: as many positions as values are needed");
    if (!(radius > 0) || !std::isfinite(radius))
        throw std::invalid_argument("morphological filter: the disk radius must be above 0");
    if (!(period >= 0) || !std::isfinite(period))
        throw std::invalid_argument("morphological filter: the period must be 0 or above");
    for (std::size_t i = 0; i < position.size(); ++i) {
        if (!std::isfinite(position[i]) || !std::isfinite(value[i]))
            throw std::invalid_argument("morphological filter: a position or value is not finite");
        if (i > 0 && !(position[i] > position[i - 1]))
            throw std::invalid_argument("morphological filter: positions must increase");
    }
    if (period > 0 && !position.empty() && !(position.back() - position.front() < period))
        throw std::invalid_argument(
            "morphological filter: a periodic profile's positions span less than its period");
}

} // namespace

std::vector<double> closingfilter(const std::vector<double>& position,
                                  const std::vector<double>& value, double radius, double period) {
    checkmorph(position, value, radius, period);
    const std::size_t n = value.size();
    const auto height = [radius](double d) {
        return std::sqrt(std::max(0.0, radius * radius - d * d));
    };
    std::vector<double> centre(n, -HUGE_VAL), out(n, HUGE_VAL);
    neighbours(position, radius, period, [&](std::size_t i, std::size_t j, double d) {
        centre[i] = std::max(centre[i], value[j] + height(d));
    });
    neighbours(position, radius, period, [&](std::size_t i, std::size_t j, double d) {
        out[i] = std::min(out[i], centre[j] - height(d));
    });
    // The disk resting on a point leaves it there: (z + h) - h may round
    // below z.
    for (std::size_t i = 0; i < n; ++i) out[i] = std::max(out[i], value[i]);
    return out;
}

std::vector<double> openingfilter(const std::vector<double>& position,
                                  const std::vector<double>& value, double radius, double period) {
    std::vector<double> turned(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) turned[i] = -value[i];
    std::vector<double> out = closingfilter(position, turned, radius, period);
    for (double& v : out) v = -v;
    return out;
}

} // namespace formeval::profile
