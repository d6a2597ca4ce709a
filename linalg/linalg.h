// Dense solver and determinant for small systems (n <= 6) held in rows of 7
// doubles, right-hand side in column n. A pivot p counts as zero when
// p*p < cri*cri or p is 0 (negligible); the last pivot is never tested.
#pragma once

#include "base/base.h"

namespace formeval {

// Whether a pivot counts as zero: p*p < cri*cri, or p exactly 0, which no
// tolerance (not even cri = 0) can make usable.
inline bool negligible(double p) {
    return p * p < cri * cri || p == 0;
}

// Solves the augmented system a (rows 0..n-1) into x[0..n-1]. On a zero pivot
// it writes "Coefficient matrix is singular" and returns with x untouched.
// a is left reduced (partly, after a zero pivot).
void gauss(Row7* a, int n, double* x);

// Whether the latest gauss call solved its system: false when it met a
// negligible pivot and so left its solution as it was. The callers of the
// fitting engines read it to tell a fit from stale parameters.
bool solved();

// Solves the augmented system a (rows 0..n-1) into x[0..n-1] by the same
// elimination with every pivot used unless it is exactly 0, writing nothing.
// False, with x partly written, on a zero pivot or a solution that is not
// finite. a is left reduced.
bool solvequietly(Row7* a, int n, double* x);

// Forward elimination with partial pivoting of columns 0..columns-1 of the
// augmented system a (rows 0..n-1, n + 1 columns): find, change, then rowmul
// for the rows below. Stops at the first negligible pivot and returns its
// column; -1 when there was none. `swaps` counts the rows exchanged.
int eliminate(Row7* a, int n, int columns, int& swaps);

// Whether elimination meets a negligible pivot in the n x n system a, the
// last pivot included (gauss uses that one untested). Works on a copy; a is
// untouched.
bool zeropivot(const Row7* a, int n);

// Back substitution on an upper-triangular augmented system.
void bksub(const Row7* a, int n, double* x);

// Row of largest |a[i][k]| among rows k..n-1; the first one on ties.
int find(const Row7* a, int n, int k);

// Swaps rows k and j over columns 0..n.
void change(Row7* a, int n, int k, int j);

// Row j += d * row k, over columns 0..n.
void rowmul(Row7* a, int n, int k, int j, double d);

// Determinant of the leading n x n block (0 on a zero pivot). Restores that
// block afterwards; column n is left as scratch.
double detmnt(Row7* a, int n);

// Diagnostic dumps to the console: n rows of n+1 values of an augmented
// system, and numpt coefficient rows of n+1 values.
void dispmat(const Row7* a, int n);
void dispmat99(const Row5* a, int n, int numpt);

} // namespace formeval
