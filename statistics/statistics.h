// Statistics of the values of one quantity of a Monte Carlo or sampling
// study: summary statistics with the coverage intervals of JCGM 101:2008
// (GUM Supplement 1), the adaptive convergence check of its 7.9 run over a
// finished block, and histogram bins.
//
// Values are in any unit; every statistic is in the same unit. Nothing here
// keeps state, throws or writes anything: the functions are safe to call
// from several threads.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace formeval::statistics {

// Coverage.

// Coverage probability in hundredths of a percent (9500 is 95 %). Held as a
// whole number so that the order statistics come from integer arithmetic.
using Basispoints = int;
constexpr Basispoints defaultcoverage = 9500;

// Positions, from 1, of the order statistics of `count` values that bound
// the probabilistically symmetric coverage interval of JCGM 101:2008, 7.7:
// with q = pM rounded half up and r = (M - q) / 2 rounded up, the interval
// is [y(r), y(r + q)]. Not `defined` unless M - q >= 1 and the coverage lies
// above 0 and below 100 %.
struct CoverageRanks {
    bool defined = false;
    long low = 0;
    long high = 0;
};
CoverageRanks coverageranks(long count, Basispoints coverage);

// Text of the coverage probability, "95 %" or "99.73 %".
std::string coveragetext(Basispoints coverage);

// Summary statistics.

struct Statistics {
    long count = 0;
    double mean = 0;
    double sd = 0; // sample standard deviation, n - 1 in the denominator
    bool hassd = false;
    double min = 0;
    double max = 0;
    bool hasinterval = false;
    double low = 0; // the probabilistically symmetric interval
    double high = 0;
    double shortlow = 0;  // the shortest interval (JCGM 101 7.7): of all [y(r), y(r + q)],
    double shorthigh = 0; // the one of least length (the first of equal ones)
};

// The statistics of `values` (finite, in any order) at `coverage`. No values
// give count 0 and nothing else; one value has no standard deviation (hassd
// false). Values whose sums would overflow are summed scaled down.
Statistics summarise(std::vector<double> values, Basispoints coverage);

// Convergence of a Monte Carlo study (JCGM 101:2008, 7.9), judged from the
// values of one quantity in repetition order as the adaptive procedure would
// judge them: the block is cut into `convergencebatches` batches; after each
// batch h >= 2, the mean, the standard deviation and the coverage interval
// ends of the batches so far are stable when twice the standard deviation of
// their average over the h batches is at most the numerical tolerance delta:
// half a unit in the last of `digits` significant digits of the block's
// standard deviation u (u = c 10^l with c of `digits` digits, delta = 10^l / 2).
constexpr int convergencebatches = 10;
constexpr long convergencebatch = 100; // fewest repetitions in a batch
constexpr int defaulttolerancedigits = 2;

// The running mean and interval ends after n repetitions.
struct RunningValue {
    long n = 0;
    double mean = 0;
    bool hasinterval = false;
    double low = 0;
    double high = 0;
};

struct Convergence {
    bool judged = false; // false: fewer than convergencebatches batches of convergencebatch
    long batch = 0;      // repetitions per batch
    int digits = defaulttolerancedigits;
    double tolerance = 0; // delta
    long stableafter = 0; // repetitions after which the batches first agreed; 0: never
    // Twice the standard deviation of the average of the mean, the standard
    // deviation and the interval ends over all batches, and the repetitions
    // that would bring the largest of them, relative to delta, down to delta
    // (at most 1e15).
    std::array<double, 4> spread = {};
    long needed = 0;
    std::vector<RunningValue> running; // at about 60 counts, spaced evenly on a log scale
};

Convergence convergence(const std::vector<double>& values, Basispoints coverage, int digits);

// The parts of that check, for a run that judges its batches as they come
// (the adaptive procedure itself): delta for a standard deviation u (0 when u
// is not positive or not finite); the mean, standard deviation and interval
// ends of one batch; and over h >= 2 batches twice the standard deviation of
// the average of each of the four, sqrt(sum (b_r - mean)^2 / (h (h - 1))).
double numericaltolerance(double u, int digits);
using BatchValues = std::array<double, 4>;
BatchValues batchvalues(std::vector<double> values, Basispoints coverage);
BatchValues batchspreads(const std::vector<BatchValues>& batches);

// Histograms.

// Equal-width bins from `low` to `high`; a value equal to `high` falls in the
// last bin.
struct Histogram {
    double low = 0;
    double high = 0;
    std::vector<long> counts;
    double width() const { return (high - low) / static_cast<double>(counts.size()); }
};

// Number of bins by the Freedman-Diaconis rule, bin width 2 IQR n^(-1/3),
// kept within [minbins, maxbins]; the square-root rule when the quartiles
// coincide; one bin when all values are equal or there are none. `sorted`
// must be sorted.
constexpr int minbins = 5;
constexpr int maxbins = 100;
int autobins(const std::vector<double>& sorted);

// Counts the values into `bins` (at least 1) bins spanning their range.
// Equal values get one bin of a small width about them; no values, no bins.
Histogram makehistogram(const std::vector<double>& values, int bins);

} // namespace formeval::statistics
