// The job routines of the form evaluators: each reads its record (by its own
// entry of the job table), refuses points that leave its model undetermined,
// and runs its computation with the job's listing.
#pragma once

#include "base/job.h"
#include "base/record.h"
#include "form/form.h"

namespace formeval {

// Job 1000: least-squares and minimum-zone straightness, deviations in y.
// Needs three points with at least two distinct x.
void mzst(const jobinfo& job);

// What a polar job lists after each half of its fits: the half, the record
// (radii, angles), the directions of the points, and the half's parameters,
// deviations and form error.
struct polarhalf {
    fithalf half;
    const recordpoints& points;
    const double* const* directions;
    const double* gs;
    const double* err;
    double error;
};

// The body of the polar jobs (2000, 4000): the start message, the record,
// the directions of the points (2 or 3 coordinates, by the entry's point
// form) and the rows of their model about the polar origin, the determinacy
// test on the directions, then both fits (fitboth), each half followed by
// `listing`.
void polarjob(const jobinfo& job, const char* start, void (*listing)(const polarhalf& half));

// Job 2000: least-squares and minimum-zone circularity of polar points (r,
// angle in degrees) about a fixed origin, fitted once without re-centring.
void mzcir(const jobinfo& job);

// How a Cartesian circle job says that no circle fits its points: the job
// itself, or the computation, which has said why on the console.
enum class nocirclesaid { byjob, bycomputation };

// A Cartesian circle job (2500, 2600, 2700, 2800): its start message, its
// record, the determinacy test, then the circle computation of its table
// entry, which writes the job's items.
void circjob(const jobinfo& job, const char* start, nocirclesaid nocircle);

// Writes to the console and result.txt that job `job` found no circle.
void nocirclejob(int job);

// Job 2500: minimum-zone circularity of Cartesian points.
void mzcirco(const jobinfo& job);

// Job 2600: least-squares circularity of Cartesian points.
void lscirco(const jobinfo& job);

// Job 3000: least-squares and minimum-zone flatness, deviations in z. Needs
// four points not all on one line in the x-y plane.
void mzflt(const jobinfo& job);

// Job 4000: least-squares and minimum-zone sphericity of spherical polar
// points (r, azimuth, elevation in degrees) about a fixed origin.
void mzsph(const jobinfo& job);

// Job 4500: minimum-zone sphericity of Cartesian points, by stages from the
// centroid.
void mzsphco(const jobinfo& job);

} // namespace formeval
