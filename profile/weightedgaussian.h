// The library's own helpers of the robust filter: the weighted mean of the
// periodic Gaussian window at every sample, both of its filters (of the
// weighted values and of the weights) by one complex transform there and
// back on an aligned buffer, the transmission computed once; and the median
// of the residuals found near the last pass's.
#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

namespace formeval::profile::detail {

// The median of `values`, bit for bit as median() gives it, found through a
// window about `guess` (the previous pass's, near which it moves little):
// one pass counts the values below the window and gathers those in it, and
// only the window is ordered (`window` is its scratch). Where either middle
// rank falls outside the window, or a value is not a number, median() orders
// them all.
double mediannear(const std::vector<double>& values, double guess, std::vector<double>& window);

class WeightedGaussian {
  public:
    // n samples at equal angles, the cut-off in UPR; throws Unavailable
    // where the library was built without FFTW.
    WeightedGaussian(std::size_t n, double cutoff);
    ~WeightedGaussian();
    WeightedGaussian(const WeightedGaussian&) = delete;
    WeightedGaussian& operator=(const WeightedGaussian&) = delete;

    // mean[i] = G(weight * value)[i] / G(weight)[i], G the Gaussian filter
    // of gaussianfilter where the samples resolve its window (its
    // transmission at harmonic n / 2 below 1e-20, about 16 samples a cut-off
    // wavelength), else the window sampled and wrapped round, whose weights
    // are all positive; where G(weight)[i] is 1e-12 or less (the window's
    // weights all but 0) mean[i] is left as it is. All three of size n.
    void operator()(const std::vector<double>& value, const std::vector<double>& weight,
                    std::vector<double>& mean);
    // share[i] = G(weight)[i] of the last call: the share of its window's
    // weight the weights kept (1 where they are all 1).
    void support(std::vector<double>& share) const;

  private:
    struct Transform;
    std::unique_ptr<Transform> transform_;
    std::vector<double> transmission_; // of harmonic k, for k = 0 .. n / 2
};

} // namespace formeval::profile::detail
