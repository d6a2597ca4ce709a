// The profile filters of formreport's results: what a filter is, and the
// points of a circle or line filtered.
#pragma once

#include "pointset/pointset.h"

#include <string>
#include <vector>

namespace formeval::report {

// The filter of the profiles `results` evaluates: the Gaussian profile filter
// of ISO 16610-21. Closed profiles take a low-pass cut-off or a band of two
// in undulations per revolution (UPR); open ones (lines, arcs) a cut-off
// wavelength in the coordinates' unit. A circle's UPR and a wavelength are
// one another through its circumference: wavelength = 2 pi r / UPR.
//
// Beside the Gaussian, the low-pass cut-off or wavelength may take the robust
// Gaussian (ISO 16610-31), the spline (ISO 16610-22) or the 2RC filter; the
// morphological closing and opening (ISO 16610-41) take a disk radius
// instead (length unit) and no cut-off. The band is the Gaussian's only.
enum class FilterType { gaussian, robust, spline, rc, closing, opening };

struct ProfileFilter {
    double cutoff = 0;     // low-pass, UPR; 0: none
    double longwave = 0;   // band-pass, UPR, 0 < longwave < shortwave; 0: none
    double shortwave = 0;  //
    double wavelength = 0; // low-pass of open profiles, length unit; 0: none
    FilterType type = FilterType::gaussian;
    double diskradius = 0; // closing and opening, length unit; 0: none
    // The surfaces of planes and cylinders, filtered at `wavelength` by the
    // areal Gaussian filter of ISO 16610-61, which filtername names.
    bool areal = false;

    bool any() const { return cutoff > 0 || longwave > 0 || wavelength > 0 || diskradius > 0; }
    bool band() const { return longwave > 0; }
    bool morphological() const {
        return type == FilterType::closing || type == FilterType::opening;
    }
};

// The filter types by their option names: "gaussian", "robust", "spline",
// "2rc", "closing", "opening".
struct FilterTypeName {
    FilterType type;
    const char* option;
};
constexpr FilterTypeName filtertypes[] = {
    {FilterType::gaussian, "gaussian"}, {FilterType::robust, "robust"},
    {FilterType::spline, "spline"},     {FilterType::rc, "2rc"},
    {FilterType::closing, "closing"},   {FilterType::opening, "opening"}};

// What the filter is, in words ("none" for none; "Gaussian, cut-off 50 UPR",
// "Gaussian band-pass, 15 to 500 UPR", "Gaussian, cut-off wavelength 0.8 mm",
// "robust Gaussian (ISO 16610-31), cut-off 50 UPR", "spline (ISO 16610-22),
// cut-off 50 UPR", "2RC, cut-off 50 UPR", "morphological closing, disk
// radius 0.2 mm"; "areal Gaussian (ISO 16610-61), cut-off wavelength 2.5
// mm" for planes and cylinders). The unit is named unless it is the default
// one.
std::string filtername(const ProfileFilter& filter, const std::string& unit);

// The filter's name alone: "Gaussian", "robust Gaussian (ISO 16610-31)",
// "spline (ISO 16610-22)", "2RC", "morphological closing", "morphological
// opening".
std::string filterkind(FilterType type);

// Most pairs of points the areal filter of a plane or cylinder may weigh
// (profile::arealpairs); a cut-off that needs more is refused.
constexpr double arealmostpairs = 2e10;

// The mean line of a closed profile of `circumference` (length unit) at
// equal angles, by the filter's type: at the low-pass cut-off `cutoff` (UPR)
// or, for closing and opening, with its disk (positions along the
// circumference). Throws profile::Unavailable where FFTW is needed and
// missing (the Gaussian, robust and 2RC filters). `note`, where given, says
// what the filter did beyond its definition ("" where nothing): the robust
// one's mean line of its first pass on a profile too smooth for more.
std::vector<double> filterclosedsamples(const std::vector<double>& deviation, double circumference,
                                        const ProfileFilter& filter, double cutoff,
                                        std::string* note = nullptr);

// Why a low-pass cut-off of `cutoff` UPR (the band's short-wave one where a
// band is asked) is finer than `n` samples about the full circle resolve,
// above n / 2 UPR (a wavelength shorter than two steps), and what the filter
// of `filter`'s type does with it; "" where they resolve it, and for the
// morphological filters, which take no cut-off.
std::string unresolvedclosed(std::size_t n, const ProfileFilter& filter, double cutoff);

// The profile of a circle or line, or the surface of a plane or cylinder
// (profile::arealfilter at the cut-off wavelength, the Gaussian only),
// filtered, as points again (x, y, and z for a surface, a point):
// about the least-squares circle or line of the points, the deviations normal
// to it filtered and set off from it anew. A closed circle is taken at equal
// angles (profile::equalangles; resampled when its angles are not) and
// filtered in UPR; an arc (profile::profileextent) and a line along their
// length by profile::openfilter (or the type's open filter), which keeps the
// ends sound. `how` says what
// was done beyond the filter itself (the resampling, a cut-off converted);
// `failure` why nothing could be: another feature, too few points, points
// that share a position, a band-pass or UPR cut-off for a line, a
// band-pass or UPR filter without FFTW, a low-pass cut-off wavelength
// longer than the profile (the line's or arc's length, a closed circle's
// circumference, a plane's widest extent, a cylinder's length along its
// axis or its circumference), which would leave it almost no
// form, a UPR cut-off, a band or another type for a surface.
struct FilteredPoints {
    std::vector<double> coordinates;
    std::string how;
    std::string failure;
    // A cut-off finer than the points resolve (a wavelength shorter than
    // two of their steps), and what the filter did with it; "" otherwise.
    std::string unresolved;
};
FilteredPoints filterpoints(const pointset::Points& points, pointset::Feature feature,
                            const ProfileFilter& filter);

} // namespace formeval::report
