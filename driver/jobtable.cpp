// The job codes: each with its routine, the form of its record's points, the
// fewest points it evaluates, what it evaluates or studies and how. A study's
// circle computation, repetitions, sampling strategy and noise are columns
// here; no routine reads them from the digits of its code.
#include "circles/circles.h"
#include "driver/dispatch.h"
#include "form/form.h"
#include "form/jobs.h"
#include "studies/studies.h"

#include <algorithm>
#include <iterator>

namespace formeval {

namespace {

using pf = pointform;
using routine = void (*)(const jobinfo& job);
constexpr const circlecomputation& ls = computationof(circlemethod::leastsquares);
constexpr const circlecomputation& mz = computationof(circlemethod::minimumzone);
constexpr const circlecomputation& pk = computationof(circlemethod::peak);
constexpr const circlecomputation& va = computationof(circlemethod::valley);

// A job that evaluates its record once, by a computation of its own.
constexpr jobinfo evaluation(int code, routine r, const char* text, pf points, int minpt,
                             feature shape, fits fitted) {
    return {code,           r,
            points,         minpt,
            shape,          jobkind::evaluation,
            nullptr,        0,
            sampling::none, coordinatenoise::none,
            fitted,         text};
}

// A Cartesian circle job: one evaluation by one of the circle computations.
constexpr jobinfo circle(int code, routine r, const circlecomputation& c, const char* text) {
    return {code,
            r,
            pf::xy,
            c.minpt,
            feature::circle,
            jobkind::evaluation,
            &c,
            0,
            sampling::none,
            coordinatenoise::none,
            fits::none,
            text};
}

// A study of a circle computation on Cartesian points.
constexpr jobinfo study(int code, routine r, jobkind kind, const circlecomputation& c,
                        int repetitions, sampling strategy, coordinatenoise noise,
                        const char* text) {
    return {code, r,           pf::xy,   c.minpt, feature::circle, kind,
            &c,   repetitions, strategy, noise,   fits::none,      text};
}

// The routine of a family of Monte Carlo studies and the computation it repeats.
struct family {
    routine r;
    const circlecomputation& c;
};
constexpr family mzun{mzcircun, mz};
constexpr family lsun{lscircun, ls};
constexpr family pkun{pkcircun, pk};
constexpr family vaun{vacircun, va};

constexpr jobinfo montecarlo(int code, family f, int repetitions, const char* text) {
    return study(code, f.r, jobkind::montecarlo, f.c, repetitions, sampling::none,
                 coordinatenoise::added, text);
}

constexpr jobinfo perturbation(int code, routine r, const circlecomputation& c, const char* text) {
    return study(code, r, jobkind::perturbation, c, 0, sampling::none, coordinatenoise::none, text);
}

// The sampling studies repeat the minimum-zone circle 10 000 times.
constexpr jobinfo samplingstudy(int code, routine r, sampling strategy, coordinatenoise noise,
                                const char* text) {
    return study(code, r, jobkind::sampling, mz, 10000, strategy, noise, text);
}

using sp = sampling;
constexpr coordinatenoise measured = coordinatenoise::none;
constexpr coordinatenoise noisy = coordinatenoise::added;

constexpr jobinfo table[] = {
    {0, nullptr, pf::none, 0, feature::none, jobkind::empty, nullptr, 0, sampling::none,
     coordinatenoise::none, fits::none, "empty job: does nothing, has no record"},
    evaluation(1000, mzst, "straightness: least squares and minimum zone", pf::xy, minline,
               feature::line, fits::both),
    evaluation(2000, mzcir,
               "circularity of polar points about a fixed origin: least squares and minimum zone",
               pf::rtheta, mincircle, feature::circle, fits::both),
    circle(2500, mzcirco, mz, "minimum-zone circularity of Cartesian points"),
    montecarlo(2510, mzun, 1000, "Monte Carlo study, minimum-zone circle, 1000 repetitions"),
    montecarlo(2511, mzun, 10000, "Monte Carlo study, minimum-zone circle, 10000 repetitions"),
    montecarlo(2512, mzun, 100000, "Monte Carlo study, minimum-zone circle, 100000 repetitions"),
    perturbation(2520, mzcircunptb, mz, "perturbation study, minimum-zone circle"),
    samplingstudy(2550, mzsampstrat, sp::random, measured, "sampling study, random selection"),
    samplingstudy(2555, mzsampunstrat, sp::random, noisy,
                  "sampling study, random selection, with coordinate noise"),
    samplingstudy(2560, mzsampstrat, sp::stratified, measured,
                  "sampling study, stratified selection"),
    samplingstudy(2565, mzsampunstrat, sp::stratified, noisy,
                  "sampling study, stratified selection, with coordinate noise"),
    samplingstudy(2570, mzsampstrat, sp::uniform, measured, "sampling study, uniform selection"),
    samplingstudy(2575, mzsampunstrat, sp::uniform, noisy,
                  "sampling study, uniform selection, with coordinate noise"),
    circle(2600, lscirco, ls, "least-squares circularity of Cartesian points"),
    montecarlo(2610, lsun, 1000, "Monte Carlo study, least-squares circle, 1000 repetitions"),
    montecarlo(2611, lsun, 10000, "Monte Carlo study, least-squares circle, 10000 repetitions"),
    montecarlo(2612, lsun, 100000, "Monte Carlo study, least-squares circle, 100000 repetitions"),
    perturbation(2620, lscircunptb, ls, "perturbation study, least-squares circle"),
    circle(2700, pkcirco, pk, "circularity against the minimum circumscribing (peak) circle"),
    montecarlo(2710, pkun, 1000, "Monte Carlo study, peak circle, 1000 repetitions"),
    montecarlo(2711, pkun, 10000, "Monte Carlo study, peak circle, 10000 repetitions"),
    montecarlo(2712, pkun, 100000, "Monte Carlo study, peak circle, 100000 repetitions"),
    circle(2800, vacirco, va, "circularity against the maximum inscribing (valley) circle"),
    montecarlo(2810, vaun, 1000, "Monte Carlo study, valley circle, 1000 repetitions"),
    montecarlo(2811, vaun, 10000, "Monte Carlo study, valley circle, 10000 repetitions"),
    montecarlo(2812, vaun, 100000, "Monte Carlo study, valley circle, 100000 repetitions"),
    evaluation(3000, mzflt, "flatness: least squares and minimum zone", pf::xyz, minplane,
               feature::plane, fits::both),
    evaluation(4000, mzsph, "sphericity of spherical polar points: least squares and minimum zone",
               pf::rthetabeta, minsphere, feature::sphere, fits::both),
    evaluation(4500, mzsphco, "minimum-zone sphericity of Cartesian points", pf::xyz, minsphere,
               feature::sphere, fits::minimumzone),
};

} // namespace

jobrange jobtable() {
    return {std::begin(table), std::end(table)};
}

const jobinfo* findjob(int code) {
    const jobinfo* entry =
        std::lower_bound(std::begin(table), std::end(table), code,
                         [](const jobinfo& job, int value) { return job.code < value; });
    return entry != std::end(table) && entry->code == code ? entry : nullptr;
}

} // namespace formeval
