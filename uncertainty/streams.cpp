// MRG32k3a by value: the recurrence of the combined generator on whole
// numbers, its jump-ahead by powers of the transition matrices, and the
// variates of the input distributions.
#include "uncertainty/streams.h"

#include <cmath>

namespace formeval::uncertainty {

namespace {

using u64 = std::uint64_t;

constexpr u64 a12 = 1403580, a13n = 810728;
constexpr u64 a21 = 527612, a23n = 1370589;
const double twopi = 2 * std::acos(-1.0);

// Row i of a times the vector v, mod m: each product is below 2^64, the sum
// of the three reduced ones below 2^34.
u64 rowtimes(const std::array<u64, 3>& row, const u64* v, u64 m) {
    return (row[0] * v[0] % m + row[1] * v[1] % m + row[2] * v[2] % m) % m;
}

// A^(2^127) of each component: the spacing of the streams.
constexpr int streamexponent = 127;
constexpr int substreamexponent = 76;

} // namespace

Matrix multiply(const Matrix& a, const Matrix& b, u64 m) {
    Matrix c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const u64 column[3] = {b[0][j], b[1][j], b[2][j]};
            c[i][j] = rowtimes(a[i], column, m);
        }
    return c;
}

Matrix powerof2(Matrix a, int e, u64 m) {
    for (int k = 0; k < e; ++k) a = multiply(a, a, m);
    return a;
}

State advance(const Matrix& j1, const Matrix& j2, const State& s) {
    State out;
    for (int i = 0; i < 3; ++i) {
        out[i] = rowtimes(j1[i], &s[0], m1);
        out[3 + i] = rowtimes(j2[i], &s[3], m2);
    }
    return out;
}

// The components' recurrences a s_i - b s_j (mod m) taken as the non-negative
// a s_i + b (m - s_j); the draw is p1 - p2, m1 added when it is not
// positive, so that its uniform lies strictly between 0 and 1.
std::uint64_t Generator::next() {
    const u64 p1 = (a12 * s_[1] + a13n * (m1 - s_[0])) % m1;
    s_[0] = s_[1];
    s_[1] = s_[2];
    s_[2] = p1;
    const u64 p2 = (a21 * s_[5] + a23n * (m2 - s_[3])) % m2;
    s_[3] = s_[4];
    s_[4] = s_[5];
    s_[5] = p2;
    return p1 > p2 ? p1 - p2 : p1 + (m1 - p2);
}

namespace {

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

double Generator::gaussian() {
    const Ziggurat& z = ziggurat;
    for (;;) {
        const u64 bits = next();
        const int i = static_cast<int>(bits & (layers - 1));
        // Without a branch, which would guess wrong half the time.
        const double side = 1.0 - 2.0 * static_cast<double>((bits >> 7) & 1);
        const double place = static_cast<double>(static_cast<std::int64_t>(bits >> 8));
        const double x = (place + 0.5) * 0x1p-24 * z.x[i];
        if (x < z.x[i + 1]) return side * x;
        if (i == 0) {
            // The tail beyond r (Marsaglia 1964).
            double t = 0, y = 0;
            do {
                t = -std::log(uniform()) / r;
                y = -std::log(uniform());
            } while (2 * y < t * t);
            return side * (r + t);
        }
        // The wedge between the layer's rectangle and the density.
        if (z.f[i] + uniform() * (z.f[i + 1] - z.f[i]) < density(x)) return side * x;
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
    Matrix s1 = powerof2(a1, streamexponent, m1);
    Matrix s2 = powerof2(a2, streamexponent, m2);
    for (; seed > 0; seed >>= 1) {
        if (seed & 1) stream_ = advance(s1, s2, stream_);
        s1 = multiply(s1, s1, m1);
        s2 = multiply(s2, s2, m2);
    }
    jump1_[0] = powerof2(a1, substreamexponent, m1);
    jump2_[0] = powerof2(a2, substreamexponent, m2);
    for (std::size_t j = 1; j < jump1_.size(); ++j) {
        jump1_[j] = multiply(jump1_[j - 1], jump1_[j - 1], m1);
        jump2_[j] = multiply(jump2_[j - 1], jump2_[j - 1], m2);
    }
}

State Substreams::start(u64 substream) const {
    State s = stream_;
    for (std::size_t j = 0; substream > 0; ++j, substream >>= 1)
        if (substream & 1) s = advance(jump1_[j], jump2_[j], s);
    return s;
}

} // namespace formeval::uncertainty
