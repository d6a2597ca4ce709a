// Harmonic analysis and Gaussian filtering of closed roundness profiles, by
// FFTW's real transforms of the deviations at equal angles.
#include "profile/profile.h"
#include "profile/weightedgaussian.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval::profile {

namespace {

// FFTW's planner shares state between threads; the execution of a plan on
// arrays of one's own may run beside another. Plans are made once a size and
// direction, under the lock, and kept: making one costs far more than using
// it (a 3600-point profile's filter took 4 ms, nearly all of it planning).
class Plans {
  public:
    // Real to half spectrum, back, and from one complex array to another
    // (both aligned as fftw_malloc aligns them, the first overwritten),
    // forward and back.
    enum Kind { forward, backward, complexforward, complexbackward };

    ~Plans() {
        for (const auto& [key, plan] : made_) fftw_destroy_plan(plan);
        fftw_cleanup();
    }
    // The plan of n samples of `kind`: the real ones for arrays of any
    // alignment, the complex ones on aligned arrays; nullptr beyond
    // the sizes kept, when the caller plans for itself under lock().
    fftw_plan find(int n, Kind kind) {
        const std::lock_guard<std::mutex> guard(lock_);
        if (const auto p = made_.find({n, kind}); p != made_.end()) return p->second;
        if (made_.size() >= mostkept) return nullptr;
        return made_[{n, kind}] = make(n, kind);
    }
    // Planned under lock().
    static fftw_plan make(int n, Kind kind) {
        if (kind == complexforward || kind == complexbackward) {
            auto* in = fftw_alloc_complex(static_cast<std::size_t>(n));
            auto* out = fftw_alloc_complex(static_cast<std::size_t>(n));
            fftw_plan plan =
                fftw_plan_dft_1d(n, in, out, kind == complexforward ? FFTW_FORWARD : FFTW_BACKWARD,
                                 FFTW_ESTIMATE | FFTW_DESTROY_INPUT);
            fftw_free(in);
            fftw_free(out);
            return plan;
        }
        std::vector<double> real(static_cast<std::size_t>(n));
        std::vector<std::complex<double>> half(static_cast<std::size_t>(n / 2 + 1));
        auto* complex = reinterpret_cast<fftw_complex*>(half.data());
        const unsigned flags = FFTW_ESTIMATE | FFTW_UNALIGNED;
        return kind == forward ? fftw_plan_dft_r2c_1d(n, real.data(), complex, flags)
                               : fftw_plan_dft_c2r_1d(n, complex, real.data(), flags);
    }
    std::mutex& lock() { return lock_; }

  private:
    static constexpr std::size_t mostkept = 64;
    std::mutex lock_;
    std::map<std::pair<int, Kind>, fftw_plan> made_;
};

Plans& plans() {
    static Plans kept;
    return kept;
}

// The half spectrum X_0 .. X_{n/2} of n real samples.
std::vector<std::complex<double>> spectrum(std::vector<double> samples) {
    const int n = static_cast<int>(samples.size());
    std::vector<std::complex<double>> out(static_cast<std::size_t>(n / 2 + 1));
    auto* half = reinterpret_cast<fftw_complex*>(out.data());
    if (fftw_plan kept = plans().find(n, Plans::forward)) {
        fftw_execute_dft_r2c(kept, samples.data(), half);
        return out;
    }
    const std::lock_guard<std::mutex> guard(plans().lock());
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, samples.data(), half, FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return out;
}

std::vector<double> samplesof(std::vector<std::complex<double>> half, int n) {
    std::vector<double> out(static_cast<std::size_t>(n));
    auto* spectrum = reinterpret_cast<fftw_complex*>(half.data());
    if (fftw_plan kept = plans().find(n, Plans::backward)) {
        fftw_execute_dft_c2r(kept, spectrum, out.data());
    } else {
        const std::lock_guard<std::mutex> guard(plans().lock());
        fftw_plan plan = fftw_plan_dft_c2r_1d(n, spectrum, out.data(), FFTW_ESTIMATE);
        fftw_execute(plan);
        fftw_destroy_plan(plan);
    }
    for (double& v : out) v /= n;
    return out;
}

} // namespace

std::vector<double> harmonicamplitudes(const std::vector<double>& samples, int upto) {
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    const std::vector<std::complex<double>> x = spectrum(samples);
    const int last = std::min(upto, (n - 1) / 2);
    std::vector<double> out;
    for (int k = 0; k <= last; ++k)
        out.push_back(std::abs(x[static_cast<std::size_t>(k)]) * (k == 0 ? 1.0 : 2.0) / n);
    return out;
}

std::vector<double> gaussianfilter(const std::vector<double>& samples, double cutoff) {
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    std::vector<std::complex<double>> x = spectrum(samples);
    for (std::size_t k = 0; k < x.size(); ++k) x[k] *= transmission(static_cast<double>(k), cutoff);
    return samplesof(std::move(x), n);
}

std::vector<Harmonic> harmonicspectrum(const std::vector<double>& samples, double start, int from,
                                       int upto) {
    if (from > upto) throw std::invalid_argument("harmonics: the range is empty");
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    const std::vector<std::complex<double>> x = spectrum(samples);
    const double pi = std::acos(-1.0);
    std::vector<Harmonic> out;
    for (int k = std::max(from, 0); k <= std::min(upto, n / 2); ++k) {
        const std::complex<double> c = x[static_cast<std::size_t>(k)];
        const bool single = k == 0 || 2 * k == n; // no mirror image in the half spectrum
        // Sample j lies at start + 2 pi j / n, so the harmonic reads
        // A cos(k theta - (k start - arg X_k)).
        double phase = k == 0 ? 0 : std::remainder(k * start - std::arg(c), 2 * pi);
        if (phase <= -pi) phase += 2 * pi;
        out.push_back({k, std::abs(c) * (single ? 1.0 : 2.0) / n, phase});
    }
    return out;
}

std::vector<double> bandpassfilter(const std::vector<double>& samples, double longwave,
                                   double shortwave) {
    if (!(longwave > 0) || !(shortwave > longwave) || !std::isfinite(shortwave))
        throw std::invalid_argument(
            "band-pass: the long-wave cut-off must be above 0 and below the short-wave one");
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    std::vector<std::complex<double>> x = spectrum(samples);
    for (std::size_t k = 0; k < x.size(); ++k) {
        const double upr = static_cast<double>(k);
        x[k] *= transmission(upr, shortwave) - transmission(upr, longwave);
    }
    return samplesof(std::move(x), n);
}

std::vector<double> rcfilter(const std::vector<double>& samples, double cutoff) {
    if (!(cutoff > 0) || !std::isfinite(cutoff))
        throw std::invalid_argument("2RC filter: the cut-off must be above 0");
    const int n = static_cast<int>(samples.size());
    if (n == 0) return {};
    std::vector<std::complex<double>> x = spectrum(samples);
    for (std::size_t k = 0; k < x.size(); ++k) {
        // Each stage's high-pass i w tau / (1 + i w tau), w tau = sqrt(3) at
        // the cut-off; the mean line keeps what the two together do not.
        const std::complex<double> stage(0, std::sqrt(3.0) * static_cast<double>(k) / cutoff);
        const std::complex<double> high = stage / (1.0 + stage);
        x[k] *= 1.0 - high * high;
    }
    return samplesof(std::move(x), n);
}

bool spectral() {
    return true;
}

namespace detail {

// The aligned buffers and their two plans, kept (or made for this filter
// alone beyond the sizes kept).
struct WeightedGaussian::Transform {
    int n = 0;
    fftw_complex *data = nullptr, *spectrum = nullptr;
    fftw_plan there = nullptr, back = nullptr;
    bool own = false;

    explicit Transform(int size)
        : n(size), data(fftw_alloc_complex(static_cast<std::size_t>(n))),
          spectrum(fftw_alloc_complex(static_cast<std::size_t>(n))) {
        if (!data || !spectrum) {
            fftw_free(data);
            fftw_free(spectrum);
            throw std::bad_alloc();
        }
        there = plans().find(n, Plans::complexforward);
        back = plans().find(n, Plans::complexbackward);
        if (there && back) return;
        const std::lock_guard<std::mutex> guard(plans().lock());
        own = true;
        there = Plans::make(n, Plans::complexforward);
        back = Plans::make(n, Plans::complexbackward);
    }
    ~Transform() {
        if (own) {
            const std::lock_guard<std::mutex> guard(plans().lock());
            fftw_destroy_plan(there);
            fftw_destroy_plan(back);
        }
        fftw_free(data);
        fftw_free(spectrum);
    }
};

namespace {

// The transform of the Gaussian window sampled at the n samples' spacing and
// wrapped round the period, normalised to sum 1: of harmonic k, for k = 0 ..
// n / 2. Its weights are all positive, so every weighted mean lies within
// the values its window weighs.
std::vector<double> sampledtransmission(std::size_t n, double cutoff) {
    const double pi = std::acos(-1.0);
    const double width = std::sqrt(std::log(2.0) / pi) * static_cast<double>(n) / cutoff;
    const double period = static_cast<double>(n);
    std::vector<double> window(n);
    double sum = 0;
    for (std::size_t j = 0; j < n; ++j) {
        double w = 0;
        for (int wrap = -3; wrap <= 3; ++wrap) {
            const double d = (static_cast<double>(j) + wrap * period) / width;
            w += std::exp(-pi * d * d);
        }
        window[j] = w;
        sum += w;
    }
    for (double& w : window) w /= sum;
    const std::vector<std::complex<double>> x = spectrum(std::move(window));
    std::vector<double> out;
    for (const std::complex<double>& c : x) out.push_back(c.real());
    return out;
}

} // namespace

WeightedGaussian::WeightedGaussian(std::size_t n, double cutoff)
    : transform_(std::make_unique<Transform>(static_cast<int>(n))) {
    // Where the samples resolve the window (its transmission at the highest
    // harmonic they hold below 1e-20) the transmission is its transform to
    // the last bits. Where they do not, the transmission cut off there is
    // the transform of a window that weighs some samples below 0, and a
    // weighted mean of such a window can leave its values, or divide by
    // nearly nothing: the window sampled is taken instead.
    if (transmission(static_cast<double>(n / 2), cutoff) > 1e-20) {
        transmission_ = sampledtransmission(n, cutoff);
        return;
    }
    for (std::size_t k = 0; k <= n / 2; ++k)
        transmission_.push_back(transmission(static_cast<double>(k), cutoff));
}

WeightedGaussian::~WeightedGaussian() = default;

void WeightedGaussian::operator()(const std::vector<double>& value,
                                  const std::vector<double>& weight, std::vector<double>& mean) {
    Transform& t = *transform_;
    const std::size_t n = static_cast<std::size_t>(t.n);
    // Both real sequences in one complex one: the filter's kernel is real
    // and even, so it keeps the real and imaginary parts apart.
    for (std::size_t i = 0; i < n; ++i) {
        t.data[i][0] = weight[i] * value[i];
        t.data[i][1] = weight[i];
    }
    fftw_execute_dft(t.there, t.data, t.spectrum);
    for (std::size_t k = 0; k < n; ++k) {
        const double h = transmission_[std::min(k, n - k)];
        t.spectrum[k][0] *= h;
        t.spectrum[k][1] *= h;
    }
    fftw_execute_dft(t.back, t.spectrum, t.data);
    // The transform's factor n cancels in the ratio; the weights' filter is
    // compared with the threshold at its own scale.
    const double threshold = 1e-12 * static_cast<double>(n);
    std::size_t i = 0;
#if defined(__SSE2__)
    // Two ratios a step (the same quotients), kept only where the weights'
    // filter passes the threshold.
    const __m128d limit = _mm_set1_pd(threshold);
    for (; i + 2 <= n; i += 2) {
        const __m128d a = _mm_loadu_pd(t.data[i]), b = _mm_loadu_pd(t.data[i + 1]);
        const __m128d den = _mm_unpackhi_pd(a, b);
        const __m128d keep = _mm_cmpgt_pd(den, limit);
        const __m128d ratio = _mm_div_pd(_mm_unpacklo_pd(a, b), den);
        const __m128d old = _mm_loadu_pd(&mean[i]);
        _mm_storeu_pd(&mean[i], _mm_or_pd(_mm_and_pd(keep, ratio), _mm_andnot_pd(keep, old)));
    }
#endif
    for (; i < n; ++i)
        if (t.data[i][1] > threshold) mean[i] = t.data[i][0] / t.data[i][1];
}

void WeightedGaussian::support(std::vector<double>& share) const {
    // The last call's filtered weights are still in the buffer, scaled by n.
    const Transform& t = *transform_;
    const std::size_t n = static_cast<std::size_t>(t.n);
    share.resize(n);
    for (std::size_t i = 0; i < n; ++i) share[i] = t.data[i][1] / static_cast<double>(n);
}

} // namespace detail

} // namespace formeval::profile
