// The library's own helper of the closed robust filter: the weighted mean of
// the periodic Gaussian window at every sample, both of its filters (of the
// weighted values and of the weights) by one complex transform there and
// back on an aligned buffer, the transmission computed once.
#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

namespace formeval::profile::detail {

class WeightedGaussian {
  public:
    // n samples at equal angles, the cut-off in UPR; throws Unavailable
    // where the library was built without FFTW.
    WeightedGaussian(std::size_t n, double cutoff);
    ~WeightedGaussian();
    WeightedGaussian(const WeightedGaussian&) = delete;
    WeightedGaussian& operator=(const WeightedGaussian&) = delete;

    // mean[i] = G(weight * value)[i] / G(weight)[i], G the Gaussian filter
    // of gaussianfilter; where G(weight)[i] is 1e-12 or less (the window's
    // weights all but 0) mean[i] is left as it is. All three of size n.
    void operator()(const std::vector<double>& value, const std::vector<double>& weight,
                    std::vector<double>& mean);

  private:
    struct Transform;
    std::unique_ptr<Transform> transform_;
    std::vector<double> transmission_; // of harmonic k, for k = 0 .. n / 2
};

} // namespace formeval::profile::detail
