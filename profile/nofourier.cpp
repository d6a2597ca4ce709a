// Built without FFTW: no harmonic analysis and no filter. Every other part
// of the library works; these say why they cannot.
#include "profile/profile.h"

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

} // namespace formeval::profile
