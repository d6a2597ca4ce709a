// The 2RC filter of open profiles: two cascaded RC stages run along the
// profile, as the analogue instruments' circuits ran along the trace.
#include "profile/openprofile.h"
#include "profile/profile.h"

#include <cmath>

namespace formeval::profile {

namespace {

// The low-pass RC stage with time constant tau, the input taken as linear
// between samples (exact for such an input), starting settled at `start`.
std::vector<double> rcstage(const std::vector<double>& position, const std::vector<double>& in,
                            double tau, double start) {
    std::vector<double> out(in.size());
    double y = start;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (i > 0) {
            const double h = position[i] - position[i - 1];
            const double a = std::exp(-h / tau);
            const double slope = (in[i] - in[i - 1]) / h;
            y = a * y + in[i] - a * in[i - 1] - tau * slope * (1 - a);
        }
        out[i] = y;
    }
    return out;
}

std::vector<double> highpass(const std::vector<double>& position, const std::vector<double>& in,
                             double tau) {
    std::vector<double> out = rcstage(position, in, tau, in.empty() ? 0 : in[0]);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = in[i] - out[i];
    return out;
}

} // namespace

std::vector<double> rcopenfilter(const std::vector<double>& position,
                                 const std::vector<double>& value, double cutoff) {
    detail::checkopen(position, value, cutoff, "2RC filter");
    const double tau = std::sqrt(3.0) * cutoff / (2 * std::acos(-1.0));
    const std::vector<double> rough = highpass(position, highpass(position, value, tau), tau);
    std::vector<double> out(value.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = value[i] - rough[i];
    return out;
}

} // namespace formeval::profile
