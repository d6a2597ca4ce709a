// Summary statistics of one quantity of a study block: count, mean, sample
// standard deviation, extremes and the probabilistically symmetric coverage
// interval of the Monte Carlo method (JCGM 101:2008, 7.7) and the shortest.
#include "statistics/statistics.h"

#include <algorithm>
#include <cmath>

namespace formeval::statistics {

CoverageRanks coverageranks(long count, Basispoints coverage) {
    if (coverage <= 0 || coverage >= 10000) return {};
    // q = pM, rounded half up when pM is not whole; p = coverage / 10000.
    const long long pm = static_cast<long long>(count) * coverage;
    const long q = static_cast<long>((pm + 5000) / 10000);
    const long rest = count - q;
    if (rest < 1) return {};
    const long r = (rest + 1) / 2;
    return {true, r, r + q};
}

std::string coveragetext(Basispoints coverage) {
    std::string text = std::to_string(coverage / 100);
    if (const int hundredths = coverage % 100) {
        text += hundredths % 10 ? "." + std::to_string(100 + hundredths).substr(1)
                                : "." + std::to_string(hundredths / 10);
    }
    return text + " %";
}

namespace {

// Sums of differences from the first value keep the digits of values that
// agree in their leading digits, as coordinates of one circle do.
void moments(const std::vector<double>& values, Statistics& s) {
    const double origin = values.front();
    double shifted = 0;
    for (const double v : values) shifted += v - origin;
    s.mean = origin + shifted / static_cast<double>(s.count);
    if (s.count > 1) {
        double squares = 0;
        for (const double v : values) squares += (v - s.mean) * (v - s.mean);
        s.sd = std::sqrt(squares / static_cast<double>(s.count - 1));
        s.hassd = true;
    }
}

// The same for values whose sums or squares overflow (beyond about 1e154):
// the sum is taken of values scaled down by a power of two, which is exact,
// the squares of half deviations scaled by the largest of them.
void largemoments(const std::vector<double>& values, Statistics& s) {
    const double n = static_cast<double>(s.count);
    const double scale = std::ldexp(1.0, -std::ilogb(n) - 2);
    double sum = 0;
    for (const double v : values) sum += v * scale;
    s.mean = sum / n / scale;
    if (s.count < 2) return;
    double largest = 0;
    for (const double v : values) largest = std::max(largest, std::fabs(v / 2 - s.mean / 2));
    double squares = 0;
    if (largest > 0)
        for (const double v : values) {
            const double d = (v / 2 - s.mean / 2) / largest;
            squares += d * d;
        }
    s.sd = 2 * largest * std::sqrt(squares / (n - 1));
}

} // namespace

Statistics summarise(std::vector<double> values, Basispoints coverage) {
    Statistics s;
    s.count = static_cast<long>(values.size());
    if (values.empty()) return s;

    moments(values, s);
    if (!std::isfinite(s.mean) || !std::isfinite(s.sd)) largemoments(values, s);

    std::sort(values.begin(), values.end());
    s.min = values.front();
    s.max = values.back();
    const CoverageRanks ranks = coverageranks(s.count, coverage);
    if (ranks.defined) {
        s.hasinterval = true;
        s.low = values[static_cast<std::size_t>(ranks.low - 1)];
        s.high = values[static_cast<std::size_t>(ranks.high - 1)];
        const std::size_t q = static_cast<std::size_t>(ranks.high - ranks.low);
        std::size_t best = 0;
        for (std::size_t r = 1; r + q < values.size(); ++r)
            if (values[r + q] - values[r] < values[best + q] - values[best]) best = r;
        s.shortlow = values[best];
        s.shorthigh = values[best + q];
    }
    return s;
}

} // namespace formeval::statistics
