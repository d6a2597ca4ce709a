// Random streams: a prime-modulus multiplicative congruential generator with
// 101 streams, L'Ecuyer's combined multiple recursive generator MRG32k3a with
// 10001 streams (its recurrence is mrg32k3a.h's), and standard normal
// variates by Marsaglia's polar method.
// The stream tables are program-wide: every job starts from the same initial
// contents (filled on first use, before the first draw; see restartrandom), so
// that a job's numbers depend on its own record alone. No routine checks its
// stream number.
#pragma once

namespace formeval {

// Number of streams of each generator: lcgrand 0..100, mrand 0..10000.
constexpr int nlcgstreams = 101;
constexpr int nmrgstreams = 10001;

// Next uniform of congruential stream `stream` (0..100): an odd multiple of
// 2^-24, strictly between 0 and 1. Advances that stream by one draw.
float lcgrand(int stream);

// Sets the state of congruential stream `stream` to zset (1..2^31 - 2; a
// state outside that range is not repaired).
void lcgrandst(long zset, int stream);

// Current state of congruential stream `stream`.
long lcgrandgt(int stream);

// Next uniform of MRG32k3a stream `stream` (0..10000), strictly between 0
// and 1. Advances that stream by one step.
double mrand(int stream);

// Sets the state of MRG stream `stream` from seed[0..5]: s10, s11, s12 (whole
// numbers below m1), then s20, s21, s22 (below m2), oldest first.
void mrandst(const double* seed, int stream);

// Copies the state of MRG stream `stream` into seed[0..5], laid out as for
// mrandst.
void mrandgt(double* seed, int stream);

// Two independent standard normal variates into n[0], n[1], in single
// precision, from pairs of draws of MRG stream `stream`. Pairs outside the
// open unit disc, and the pair at its centre, are rejected and redrawn.
void randnorm(int stream, float* n);

// One pair from each of the streams 0..count-1, in that order, into
// n[2k], n[2k + 1] for stream k: the pairs randnorm would give stream by
// stream, drawn in one pass.
void randnorms(int count, float* n);

// Returns both tables to their initial contents, as at the start of a run.
void resetstreams();

// The random state every job starts from: both tables at their initial
// contents (resetstreams) and std::rand, which the minimum-zone exchange draws
// its repair sets from, at its unseeded start (std::srand(1)). The dispatcher
// calls it before every job, and formreport before every computation it runs
// as a job would, so that a record gives the same numbers alone and after any
// other jobs.
void restartrandom();

} // namespace formeval
