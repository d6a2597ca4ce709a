// Whether a Monte Carlo study's repetitions were enough: the adaptive check of
// JCGM 101:2008, 7.9, run over the batches of a finished block, and the
// running mean and coverage interval for the convergence picture.
#include "statistics/statistics.h"

#include <algorithm>
#include <cmath>

namespace formeval::statistics {

BatchValues batchvalues(std::vector<double> values, Basispoints coverage) {
    const Statistics s = summarise(std::move(values), coverage);
    return {s.mean, s.sd, s.low, s.high};
}

double numericaltolerance(double u, int digits) {
    if (!(u > 0) || !std::isfinite(u)) return 0;
    const double l = std::floor(std::log10(u)) - (digits - 1);
    return std::pow(10.0, l) / 2;
}

BatchValues batchspreads(const std::vector<BatchValues>& batches) {
    const std::size_t h = batches.size();
    BatchValues out = {};
    if (h < 2) return out;
    for (int k = 0; k < 4; ++k) {
        double mean = 0;
        for (std::size_t b = 0; b < h; ++b) mean += batches[b][k];
        mean /= static_cast<double>(h);
        double squares = 0;
        for (std::size_t b = 0; b < h; ++b)
            squares += (batches[b][k] - mean) * (batches[b][k] - mean);
        out[k] = 2 * std::sqrt(squares / static_cast<double>(h * (h - 1)));
    }
    return out;
}

namespace {

bool stable(const BatchValues& spread, double tolerance) {
    return std::all_of(spread.begin(), spread.end(), [&](double s) { return s <= tolerance; });
}

// Counts 10, 20, 50, 100, ... and about 15 more per decade in between, up to n.
std::vector<long> checkpoints(long n) {
    std::vector<long> out;
    for (double x = 10; x < static_cast<double>(n); x *= std::pow(10.0, 1.0 / 16)) {
        const long k = std::lround(x);
        if (out.empty() || k > out.back()) out.push_back(k);
    }
    out.push_back(n);
    return out;
}

std::vector<RunningValue> running(const std::vector<double>& values, Basispoints coverage) {
    std::vector<RunningValue> out;
    if (values.size() < 10) return out;
    const double origin = values.front();
    double shifted = 0;
    std::size_t summed = 0;
    std::vector<double> prefix;
    for (const long n : checkpoints(static_cast<long>(values.size()))) {
        for (; summed < static_cast<std::size_t>(n); ++summed) shifted += values[summed] - origin;
        RunningValue r;
        r.n = n;
        r.mean = origin + shifted / static_cast<double>(n);
        const CoverageRanks ranks = coverageranks(n, coverage);
        if (ranks.defined) {
            prefix.assign(values.begin(), values.begin() + n);
            std::nth_element(prefix.begin(), prefix.begin() + (ranks.low - 1), prefix.end());
            r.low = prefix[static_cast<std::size_t>(ranks.low - 1)];
            std::nth_element(prefix.begin(), prefix.begin() + (ranks.high - 1), prefix.end());
            r.high = prefix[static_cast<std::size_t>(ranks.high - 1)];
            r.hasinterval = true;
        }
        out.push_back(r);
    }
    return out;
}

} // namespace

Convergence convergence(const std::vector<double>& values, Basispoints coverage, int digits) {
    Convergence c;
    c.digits = digits;
    c.running = running(values, coverage);
    const long batch = static_cast<long>(values.size()) / convergencebatches;
    if (batch < convergencebatch || !coverageranks(batch, coverage).defined) return c;
    c.judged = true;
    c.batch = batch;
    c.tolerance = numericaltolerance(summarise(values, coverage).sd, digits);
    std::vector<BatchValues> batches;
    for (int b = 0; b < convergencebatches; ++b) {
        const auto from = values.begin() + b * batch;
        batches.push_back(batchvalues(std::vector<double>(from, from + batch), coverage));
        if (b >= 1 && c.stableafter == 0 && stable(batchspreads(batches), c.tolerance))
            c.stableafter = (b + 1) * batch;
    }
    c.spread = batchspreads(batches);
    // Each spread shrinks as one over the root of the repetitions.
    double worst = 0;
    for (const double s : c.spread) worst = std::max(worst, s);
    const double repetitions = static_cast<double>(batch) * convergencebatches;
    if (c.tolerance > 0) {
        const double needed =
            std::ceil(repetitions * (worst / c.tolerance) * (worst / c.tolerance));
        c.needed = needed < 1e15 ? static_cast<long>(needed) : static_cast<long>(1e15);
    } else {
        c.needed = worst > 0 ? static_cast<long>(1e15) : 0;
    }
    return c;
}

} // namespace formeval::statistics
