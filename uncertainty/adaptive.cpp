// The adaptive procedure's stopping rule: each quantity's batches and the
// count, mean and sum of squared deviations of all its values so far,
// merged batch by batch (Chan et al.) so that no value is kept.
#include "uncertainty/uncertainty.h"

#include <cmath>

namespace formeval::uncertainty {

AdaptiveStop::AdaptiveStop(std::size_t quantities, int digits, Basispoints coverage)
    : digits_(digits), coverage_(coverage), q_(quantities) {}

bool AdaptiveStop::add(const std::vector<std::vector<double>>& values) {
    bool all = true;
    for (std::size_t q = 0; q < q_.size(); ++q) {
        Running& r = q_[q];
        const statistics::Statistics s = statistics::summarise(values[q], coverage_);
        r.batches.push_back({s.mean, s.sd, s.low, s.high});
        if (s.count > 0) {
            const double n = static_cast<double>(s.count);
            const double shift = s.mean - r.mean;
            const double total = r.count + n;
            r.squares +=
                (s.hassd ? s.sd * s.sd * (n - 1) : 0) + shift * shift * r.count * n / total;
            r.mean += shift * n / total;
            r.count = total;
        }
        const double u = r.count > 1 ? std::sqrt(r.squares / (r.count - 1)) : 0;
        const double delta = statistics::numericaltolerance(u, digits_);
        const statistics::BatchValues spread = statistics::batchspreads(r.batches);
        r.stable = r.batches.size() >= 2 && s.hasinterval;
        for (const double x : spread) r.stable = r.stable && x <= delta;
        all = all && r.stable;
    }
    return all;
}

} // namespace formeval::uncertainty
