// What a job is: the columns of the job table. The table itself belongs to the
// dispatcher (driver/dispatch.h), which hands every job routine its own entry,
// so that the routine, the record reader and the studies read what the job
// needs from the entry rather than from the digits of its code.
#pragma once

#include "base/base.h"

namespace formeval {

// What each point of a job's record holds after the count and the tolerance.
enum class pointform {
    none,      // the job has no record
    xy,        // Cartesian x y
    rtheta,    // polar: radius, angle in degrees
    xyz,       // Cartesian x y z
    rthetabeta // spherical polar: radius, azimuth, elevation in degrees
};

// Numbers per point of a record of that form.
constexpr int coordinates(pointform p) {
    return p == pointform::none ? 0 : p == pointform::xy || p == pointform::rtheta ? 2 : 3;
}

enum class feature { none, line, circle, plane, sphere };

enum class jobkind { empty, evaluation, montecarlo, perturbation, sampling };

// How a sampling study picks the points of each sample.
enum class sampling {
    none,       // not a sampling study
    random,     // simple random sample (select)
    stratified, // nominal steps jittered by up to +-stratangle (selectstrat)
    uniform     // uniform spacing from a random start (selectunif)
};

// Whether a study adds normal noise to the coordinates it evaluates.
enum class coordinatenoise { none, added };

// What an evaluation job fits to its record, besides the one circle
// computation of a Cartesian circle job (its `circle` column).
enum class fits {
    none,        // no fit of its own: a study, a circle computation's job, the empty job
    minimumzone, // the minimum zone alone (the staged sphere)
    both         // least squares and minimum zone, from one computation
};

// One of the four circle computations (form/form.h).
struct circlecomputation;

// One job code: everything the dispatcher, the job routine, the record
// reader, formreport and the tests need to know of it.
struct jobinfo {
    int code;
    void (*routine)(const jobinfo& job); // null for the empty job
    pointform points;
    int minpt; // fewest points the evaluation takes
    feature shape;
    jobkind kind;
    const circlecomputation* circle; // the circle computation evaluated or studied, or null
    int repetitions;                 // evaluations of a Monte Carlo or sampling study; else 0
    sampling strategy;
    coordinatenoise noise;
    fits fitted;
    const char* evaluates; // one line for people
};

} // namespace formeval
