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
constexpr double norm = 2.328306549295728e-10; // 1 / (m1 + 1)
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
// a s_i + b (m - s_j); the uniform is (p1 - p2) / (m1 + 1), m1 added when it
// is not positive, so it lies strictly between 0 and 1.
double Generator::uniform() {
    const u64 p1 = (a12 * s_[1] + a13n * (m1 - s_[0])) % m1;
    s_[0] = s_[1];
    s_[1] = s_[2];
    s_[2] = p1;
    const u64 p2 = (a21 * s_[5] + a23n * (m2 - s_[3])) % m2;
    s_[3] = s_[4];
    s_[4] = s_[5];
    s_[5] = p2;
    const double difference =
        static_cast<double>(static_cast<std::int64_t>(p1) - static_cast<std::int64_t>(p2));
    return p1 <= p2 ? (difference + static_cast<double>(m1)) * norm : difference * norm;
}

double Generator::gaussian() {
    if (spare_) {
        spare_ = false;
        return next_;
    }
    const double r = std::sqrt(-2 * std::log(uniform()));
    const double angle = twopi * uniform();
    next_ = r * std::sin(angle);
    spare_ = true;
    return r * std::cos(angle);
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
