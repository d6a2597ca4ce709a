// Independent reference computations for the minimum-zone tests: determinants
// by cofactor expansion and the Chebyshev error as the largest levelled
// deviation over every reference set, with no code of the engine.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace formeval::test {

using Square = std::array<std::array<double, 6>, 6>;

// Determinant of the leading m x m block by expansion along the first row
// (written out up to 3 x 3).
inline double cofactordet(const Square& a, int m) {
    if (m == 1) return a[0][0];
    if (m == 2) return a[0][0] * a[1][1] - a[0][1] * a[1][0];
    if (m == 3)
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    double det = 0;
    for (int c = 0; c < m; ++c) {
        Square minor{};
        for (int r = 1; r < m; ++r)
            for (int k = 0, col = 0; k < m; ++k)
                if (k != c) minor[r - 1][col++] = a[r][k];
        det += (c % 2 ? -1 : 1) * a[0][c] * cofactordet(minor, m - 1);
    }
    return det;
}

// Multipliers of the n + 1 rows idx of rows: lamda_i = (-1)^i det(rows
// without i).
inline std::array<double, 6> multipliers(const std::vector<std::array<double, 5>>& rows,
                                         const int* idx, int n) {
    std::array<double, 6> lamda{};
    for (int i = 0; i <= n; ++i) {
        Square minor{};
        for (int k = 0, r = 0; k <= n; ++k)
            if (k != i) {
                for (int j = 0; j < n; ++j) minor[r][j] = rows[idx[k]][j];
                ++r;
            }
        lamda[i] = (i % 2 ? -1 : 1) * cofactordet(minor, n);
    }
    return lamda;
}

// |h| of the reference set idx: |sum_i lamda_i f_i| / sum_i |lamda_i|; 0 for a
// set without multipliers.
inline double levelled(const std::vector<std::array<double, 5>>& rows, const std::vector<double>& f,
                       const int* idx, int n) {
    const std::array<double, 6> lamda = multipliers(rows, idx, n);
    double num = 0;
    double den = 0;
    for (int i = 0; i <= n; ++i) {
        num += lamda[i] * f[idx[i]];
        den += std::fabs(lamda[i]);
    }
    return den > 0 ? std::fabs(num) / den : 0;
}

// Chebyshev error of the points: the largest levelled deviation over all
// (n + 1)-point subsets.
inline double chebyshev(const std::vector<std::array<double, 5>>& rows,
                        const std::vector<double>& f, int n) {
    const int numpt = static_cast<int>(rows.size());
    int idx[6];
    for (int i = 0; i <= n; ++i) idx[i] = i;
    double best = 0;
    for (;;) {
        best = std::max(best, levelled(rows, f, idx, n));
        int k = n;
        while (k >= 0 && idx[k] == numpt - n - 1 + k) --k;
        if (k < 0) return best;
        ++idx[k];
        for (int j = k + 1; j <= n; ++j) idx[j] = idx[j - 1] + 1;
    }
}

} // namespace formeval::test
