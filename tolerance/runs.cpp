// Sections of a feature's points: runs of values apart by a clear gap, as a
// cylinder measured in circles gives them, or slabs of equal length.
#include "tolerance/tolerance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formeval::tolerance {

std::vector<std::vector<std::size_t>> runs(const std::vector<double>& values, int slabs) {
    std::vector<std::vector<std::size_t>> groups;
    if (values.empty()) return groups;
    std::vector<std::size_t> order(values.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t i, std::size_t j) { return values[i] < values[j]; });
    const double low = values[order.front()], spread = values[order.back()] - low;
    if (slabs > 1) {
        groups.resize(static_cast<std::size_t>(slabs));
        for (std::size_t i : order) {
            const double at = spread > 0 ? (values[i] - low) / spread * slabs : 0;
            groups[std::min<std::size_t>(static_cast<std::size_t>(at), groups.size() - 1)]
                .push_back(i);
        }
        groups.erase(
            std::remove_if(groups.begin(), groups.end(), [](const auto& g) { return g.empty(); }),
            groups.end());
    } else {
        groups.emplace_back();
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k > 0 && values[order[k]] - values[order[k - 1]] > spread / 100)
                groups.emplace_back();
            groups.back().push_back(order[k]);
        }
    }
    for (auto& g : groups) std::sort(g.begin(), g.end());
    return groups;
}

} // namespace formeval::tolerance
