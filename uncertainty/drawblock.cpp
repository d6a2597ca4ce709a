// MRG32k3a's draws a block at a time. Step by step each component's newest
// value waits on the one before (component 2's on the last step's), so the
// processor runs one recurrence at a time. The next eight values of a
// component are instead each a row of a power of its transition times the
// present state, A^j s for j = 1 .. 8, which vectors compute side by side;
// the last three of them are the next state. The draws are the same bits.
#include "uncertainty/streams.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define FORMEVAL_DRAWBLOCK_AVX2 1
#endif

namespace formeval::uncertainty {

namespace {

using u64 = std::uint64_t;

void drawscalar(State& s, u64* out, int n) {
    for (int i = 0; i < n; ++i) out[i] = mrg32k3a::next(s);
}

#ifdef FORMEVAL_DRAWBLOCK_AVX2

// Entry k of the newest row of A^(j + 1), lane j, for each component.
struct Powers {
    alignas(32) u64 first[3][8];
    alignas(32) u64 second[3][8];
    Powers() {
        for (int j = 0; j < 8; ++j) {
            const Matrix p1 = mrg32k3a::power<m1>(a1, static_cast<u64>(j + 1));
            const Matrix p2 = mrg32k3a::power<m2>(a2, static_cast<u64>(j + 1));
            for (int k = 0; k < 3; ++k) {
                first[k][j] = p1[2][k];
                second[k][j] = p2[2][k];
            }
        }
    }
};

const Powers powers;

// x mod (2^32 - c) up to a multiple: its high half times c plus its low half
// (2^32 = c there). Each lane's x below 2^64 comes out below 2^32 (c + 1).
template <u64 c> __attribute__((target("avx2"))) __m256i fold(__m256i x) {
    const __m256i low = _mm256_and_si256(x, _mm256_set1_epi64x(0xffffffff));
    return _mm256_add_epi64(
        _mm256_mul_epu32(_mm256_srli_epi64(x, 32), _mm256_set1_epi64x(static_cast<long long>(c))),
        low);
}

// Four lanes of row . state mod m = 2^32 - c. Each product (of two numbers
// below 2^32) folded once, their sum (below 2^49 for c < 2^15) twice: below
// 2^32 + c < 2m, so that one subtraction of m where it is due finishes it.
// Every lane stays below 2^63, which lets the signed comparison decide.
template <u64 m, u64 c>
__attribute__((target("avx2"))) __m256i rowtimes(const u64 (&rows)[3][8], int half,
                                                 const __m256i (&state)[3]) {
    __m256i sum = _mm256_setzero_si256();
    for (int k = 0; k < 3; ++k) {
        const __m256i row = _mm256_load_si256(reinterpret_cast<const __m256i*>(&rows[k][4 * half]));
        sum = _mm256_add_epi64(sum, fold<c>(_mm256_mul_epu32(row, state[k])));
    }
    sum = fold<c>(fold<c>(sum));
    const __m256i due = _mm256_cmpgt_epi64(sum, _mm256_set1_epi64x(static_cast<long long>(m - 1)));
    return _mm256_sub_epi64(sum,
                            _mm256_and_si256(due, _mm256_set1_epi64x(static_cast<long long>(m))));
}

__attribute__((target("avx2"))) void drawvectors(State& s, u64* out, int n) {
    __m256i first[3], second[3]; // each state value in every lane
    for (int k = 0; k < 3; ++k) {
        first[k] = _mm256_set1_epi64x(static_cast<long long>(s[k]));
        second[k] = _mm256_set1_epi64x(static_cast<long long>(s[3 + k]));
    }
    const __m256i modulus = _mm256_set1_epi64x(static_cast<long long>(m1));
    for (int i = 0; i < n; i += 8) {
        __m256i p1[2], p2[2];
        for (int half = 0; half < 2; ++half) {
            p1[half] = rowtimes<m1, (u64(1) << 32) - m1>(powers.first, half, first);
            p2[half] = rowtimes<m2, (u64(1) << 32) - m2>(powers.second, half, second);
            const __m256i positive = _mm256_cmpgt_epi64(p1[half], p2[half]);
            const __m256i draw = _mm256_add_epi64(_mm256_sub_epi64(p1[half], p2[half]),
                                                  _mm256_andnot_si256(positive, modulus));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 4 * half), draw);
        }
        // The next state: the values of steps 6, 7 and 8, lanes 1 to 3 of the
        // upper half, each spread over every lane.
        first[0] = _mm256_permute4x64_epi64(p1[1], 0x55);
        first[1] = _mm256_permute4x64_epi64(p1[1], 0xaa);
        first[2] = _mm256_permute4x64_epi64(p1[1], 0xff);
        second[0] = _mm256_permute4x64_epi64(p2[1], 0x55);
        second[1] = _mm256_permute4x64_epi64(p2[1], 0xaa);
        second[2] = _mm256_permute4x64_epi64(p2[1], 0xff);
    }
    for (int k = 0; k < 3; ++k) {
        s[k] = static_cast<u64>(_mm256_extract_epi64(first[k], 0));
        s[3 + k] = static_cast<u64>(_mm256_extract_epi64(second[k], 0));
    }
}

bool hasavx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

} // namespace

void drawblock(State& s, std::uint64_t* out, int n, bool vectors) {
#ifdef FORMEVAL_DRAWBLOCK_AVX2
    if (vectors && n % 8 == 0 && hasavx2()) return drawvectors(s, out, n);
#endif
    (void)vectors;
    drawscalar(s, out, n);
}

} // namespace formeval::uncertainty
