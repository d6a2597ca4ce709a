// Built without FFTW: no harmonic analysis and no filter. Every other part
// of the library works; these say why they cannot.
#include "profile/profile.h"
#include "profile/weightedgaussian.h"

namespace formeval::profile {

std::vector<double> harmonicamplitudes(const std::vector<double>&, int) {
    throw Unavailable();
}

std::vector<double> gaussianfilter(const std::vector<double>&, double) {
    throw Unavailable();
}

std::vector<Harmonic> harmonicspectrum(const std::vector<double>&, double, int, int) {
    throw Unavailable();
}

std::vector<double> bandpassfilter(const std::vector<double>&, double, double) {
    throw Unavailable();
}

std::vector<double> rcfilter(const std::vector<double>&, double) {
    throw Unavailable();
}

bool spectral() {
    return false;
}

namespace detail {

struct WeightedGaussian::Transform {};

WeightedGaussian::WeightedGaussian(std::size_t, double) {
    throw Unavailable();
}

WeightedGaussian::~WeightedGaussian() = default;

void WeightedGaussian::operator()(const std::vector<double>&, const std::vector<double>&,
                                  std::vector<double>&) {
    throw Unavailable();
}

void WeightedGaussian::support(std::vector<double>&) const {
    throw Unavailable();
}

} // namespace detail

} // namespace formeval::profile
