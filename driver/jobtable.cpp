// The job codes: each with its routine, the form of its record's points, the
// fewest points it evaluates, and what it evaluates.
#include "circles/circles.h"
#include "driver/dispatch.h"
#include "form/form.h"
#include "studies/studies.h"

#include <algorithm>
#include <iterator>

namespace formeval {

namespace {

using pf = pointform;
using fe = feature;
using jk = jobkind;

// Routines that do not need their code.
template <void (*routine)()> void plain(int /*code*/) {
    routine();
}

constexpr jobinfo table[] = {
    {0, nullptr, pf::none, 0, fe::none, jk::empty, "empty job: does nothing, has no record"},
    {1000, plain<mzst>, pf::xy, minline, fe::line, jk::evaluation,
     "straightness: least squares and minimum zone"},
    {2000, plain<mzcir>, pf::rtheta, mincircle, fe::circle, jk::evaluation,
     "circularity of polar points about a fixed origin: least squares and minimum zone"},
    {2500, plain<mzcirco>, pf::xy, mincircle, fe::circle, jk::evaluation,
     "minimum-zone circularity of Cartesian points"},
    {2510, mzcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, minimum-zone circle, 1000 repetitions"},
    {2511, mzcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, minimum-zone circle, 10000 repetitions"},
    {2512, mzcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, minimum-zone circle, 100000 repetitions"},
    {2520, plain<mzcircunptb>, pf::xy, mincircle, fe::circle, jk::perturbation,
     "perturbation study, minimum-zone circle"},
    {2550, mzsampstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, random selection"},
    {2555, mzsampunstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, random selection, with coordinate noise"},
    {2560, mzsampstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, stratified selection"},
    {2565, mzsampunstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, stratified selection, with coordinate noise"},
    {2570, mzsampstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, uniform selection"},
    {2575, mzsampunstrat, pf::xy, mincircle, fe::circle, jk::sampling,
     "sampling study, uniform selection, with coordinate noise"},
    {2600, plain<lscirco>, pf::xy, minlscircle, fe::circle, jk::evaluation,
     "least-squares circularity of Cartesian points"},
    {2610, lscircun, pf::xy, minlscircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, least-squares circle, 1000 repetitions"},
    {2611, lscircun, pf::xy, minlscircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, least-squares circle, 10000 repetitions"},
    {2612, lscircun, pf::xy, minlscircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, least-squares circle, 100000 repetitions"},
    {2620, plain<lscircunptb>, pf::xy, minlscircle, fe::circle, jk::perturbation,
     "perturbation study, least-squares circle"},
    {2700, plain<pkcirco>, pf::xy, mincircle, fe::circle, jk::evaluation,
     "circularity against the minimum circumscribing (peak) circle"},
    {2710, pkcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, peak circle, 1000 repetitions"},
    {2711, pkcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, peak circle, 10000 repetitions"},
    {2712, pkcircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, peak circle, 100000 repetitions"},
    {2800, plain<vacirco>, pf::xy, mincircle, fe::circle, jk::evaluation,
     "circularity against the maximum inscribing (valley) circle"},
    {2810, vacircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, valley circle, 1000 repetitions"},
    {2811, vacircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, valley circle, 10000 repetitions"},
    {2812, vacircun, pf::xy, mincircle, fe::circle, jk::montecarlo,
     "Monte Carlo study, valley circle, 100000 repetitions"},
    {3000, plain<mzflt>, pf::xyz, minplane, fe::plane, jk::evaluation,
     "flatness: least squares and minimum zone"},
    {4000, plain<mzsph>, pf::rthetabeta, minsphere, fe::sphere, jk::evaluation,
     "sphericity of spherical polar points: least squares and minimum zone"},
    {4500, plain<mzsphco>, pf::xyz, minsphere, fe::sphere, jk::evaluation,
     "minimum-zone sphericity of Cartesian points"},
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
