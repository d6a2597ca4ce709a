// The trials' streams: MRG32k3a by value (random/mrg32k3a.h) reached by
// jump-ahead, and the variates of the input distributions.
#include "uncertainty/streams.h"

#include <cmath>
#include <cstring>

namespace formeval::uncertainty {

namespace {

using u64 = std::uint64_t;
using mrg32k3a::advance;
using mrg32k3a::multiply;
using mrg32k3a::powerof2;

const double twopi = 2 * std::acos(-1.0);

// A^(2^127) of each component: the spacing of the streams; A^(2^76) that of
// the substreams.
constexpr int streamexponent = 127;
constexpr int substreamexponent = 76;

// The ziggurat of Marsaglia and Tsang (2000) for the standard normal density
// f(x) = exp(-x^2 / 2), in 128 layers of equal area v: the base strip of
// width v / f(r) with the tail beyond r, then rectangles whose right ends x_i
// fall to 0 at the top. One draw of 32 bits gives the layer (7 bits), the
// side (1) and the place across the layer (24 bits, 2^-24 of the layer's
// width apart, far finer than any measurement needs); it falls inside the
// density at once in 98.8 % of draws, and the rest take full uniforms.
constexpr int layers = 128; // the layer from the low 7 bits, the side from bit 7
constexpr double r = 3.442619855899;
constexpr double v = 9.91256303526217e-3;

double density(double x) {
    return std::exp(-0.5 * x * x);
}

struct Ziggurat {
    std::array<double, layers + 1> x; // right ends, x[1] = r, x[layers] = 0
    std::array<double, layers + 1> f; // the density there
    Ziggurat() {
        x[0] = v / density(r);
        x[1] = r;
        for (int i = 1; i < layers - 1; ++i)
            x[i + 1] = std::sqrt(-2 * std::log(v / x[i] + density(x[i])));
        x[layers] = 0;
        for (int i = 0; i <= layers; ++i) f[i] = density(x[i]);
    }
};

const Ziggurat ziggurat;

} // namespace

State Generator::state() const {
    State s = start_;
    for (int k = 0; k < taken_; ++k) mrg32k3a::next(s);
    return s;
}

namespace {

// One draw of 32 bits in the ziggurat: its layer, side and place across it.
struct Layer {
    int i;
    u64 sign; // the sign bit of the side: bit 7 of the draw set, the left
    double x;
    // Whether the place falls inside the density at once.
    bool inside() const { return x < ziggurat.x[i + 1]; }
    // v > 0 on the draw's side: its sign bit set on the left, which is what
    // multiplying by -1 gives, without a branch that would guess wrong half
    // the time.
    double onside(double v) const {
        u64 b = 0;
        std::memcpy(&b, &v, sizeof b);
        b ^= sign;
        std::memcpy(&v, &b, sizeof v);
        return v;
    }
};

Layer layerof(u64 bits) {
    const int i = static_cast<int>(bits & (layers - 1));
    const double place = static_cast<double>(static_cast<std::int64_t>(bits >> 8));
    return {i, (bits & 0x80) << 56, (place + 0.5) * 0x1p-24 * ziggurat.x[i]};
}

} // namespace

double Generator::gaussian() {
    const Ziggurat& z = ziggurat;
    for (;;) {
        const Layer l = layerof(next());
        if (l.inside()) return l.onside(l.x);
        if (l.i == 0) {
            // The tail beyond r (Marsaglia 1964).
            double t = 0, y = 0;
            do {
                t = -std::log(uniform()) / r;
                y = -std::log(uniform());
            } while (2 * y < t * t);
            return l.onside(r + t);
        }
        // The wedge between the layer's rectangle and the density.
        if (z.f[l.i] + uniform() * (z.f[l.i + 1] - z.f[l.i]) < density(l.x)) return l.onside(l.x);
    }
}

void Generator::gaussians(double* out, std::size_t n) {
    std::size_t k = 0;
    while (k < n) {
        // The block's draws while they last and fall inside at once (counted
        // in a local, which the loop keeps in a register); the first that
        // does not, one by one.
        int taken = taken_;
        for (; k < n && taken < block; ++k, ++taken) {
            const Layer l = layerof(drawn_[taken]);
            if (!l.inside()) break;
            out[k] = l.onside(l.x);
        }
        taken_ = taken;
        if (k == n) break;
        if (taken_ == block)
            refill();
        else
            out[k++] = gaussian();
    }
}

double Generator::draw(Distribution d, double width) {
    switch (d) {
    case Distribution::gaussian:
        return width * gaussian();
    case Distribution::rectangular:
        return width * (2 * uniform() - 1);
    case Distribution::triangular: {
        const double u = uniform();
        return width * (u - uniform());
    }
    case Distribution::arcsine:
        return width * std::sin(twopi * uniform());
    }
    return 0;
}

Substreams::Substreams(u64 seed) {
    stream_ = {12345, 12345, 12345, 12345, 12345, 12345};
    Matrix s1 = powerof2<m1>(a1, streamexponent);
    Matrix s2 = powerof2<m2>(a2, streamexponent);
    for (; seed > 0; seed >>= 1) {
        if (seed & 1) stream_ = advance(s1, s2, stream_);
        s1 = multiply<m1>(s1, s1);
        s2 = multiply<m2>(s2, s2);
    }
    jump1_[0] = powerof2<m1>(a1, substreamexponent);
    jump2_[0] = powerof2<m2>(a2, substreamexponent);
    for (std::size_t j = 1; j < jump1_.size(); ++j) {
        jump1_[j] = multiply<m1>(jump1_[j - 1], jump1_[j - 1]);
        jump2_[j] = multiply<m2>(jump2_[j - 1], jump2_[j - 1]);
    }
}

State Substreams::start(u64 substream) const {
    State s = stream_;
    for (std::size_t j = 0; substream > 0; ++j, substream >>= 1)
        if (substream & 1) s = advance(jump1_[j], jump2_[j], s);
    return s;
}

} // namespace formeval::uncertainty
