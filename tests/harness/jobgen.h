// Job streams built from a string of bytes: well-formed records whose points
// are made awkward on purpose (noisy features, arcs, equal, collinear and
// repeated points, a point at the centre, far offsets, coordinates near
// 1e150 and 1e-150, odd tolerances, too few and too many points), and study
// parameters for instructions.txt. The fuzz target decodes its inputs with
// it; the differential run feeds it random bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace formeval::test {

// The bytes still to decode; yields 0 once they are spent.
struct Bytes {
    const std::uint8_t* at;
    std::size_t left;
    std::uint8_t next() {
        if (left == 0) return 0;
        --left;
        return *at++;
    }
};

// The coordinates a job's record holds per point.
enum class Shape { plane2, polar2, cartesian3, polar3 };

// The shape of job `code`'s points (plane2 for codes without points).
Shape shapeof(int code);

// Writes the record of job `code` (the point count, the tolerance and the
// points, without the job code) as the next bytes describe it.
void record(Bytes& in, int code, std::ostream& out);

// instructions.txt as one byte chooses it: six numbers with varied sampling
// angle, sample size and noise, some of them out of range.
std::string instructions(std::uint8_t b);

} // namespace formeval::test
