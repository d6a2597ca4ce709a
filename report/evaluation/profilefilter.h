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
struct ProfileFilter {
    double cutoff = 0;     // low-pass, UPR; 0: none
    double longwave = 0;   // band-pass, UPR, 0 < longwave < shortwave; 0: none
    double shortwave = 0;  //
    double wavelength = 0; // low-pass of open profiles, length unit; 0: none

    bool any() const { return cutoff > 0 || longwave > 0 || wavelength > 0; }
    bool band() const { return longwave > 0; }
};

// What the filter is, in words ("none" for none; "Gaussian, cut-off 50 UPR",
// "Gaussian band-pass, 15 to 500 UPR", "Gaussian, cut-off wavelength 0.8 mm").
std::string filtername(const ProfileFilter& filter, const std::string& unit);

// The profile of a circle or line filtered, as points again (x, y a point):
// about the least-squares circle or line of the points, the deviations normal
// to it filtered and set off from it anew. A closed circle is taken at equal
// angles (profile::equalangles; resampled when its angles are not) and
// filtered in UPR; an arc (profile::profileextent) and a line along their
// length by profile::openfilter, which keeps the ends sound. `how` says what
// was done beyond the filter itself (the resampling, a cut-off converted);
// `failure` why nothing could be: another feature, too few points, points
// that share a position, a band-pass or UPR cut-off for a line, a
// band-pass or UPR filter without FFTW, a low-pass cut-off wavelength
// longer than the profile (the line's or arc's length, a closed circle's
// circumference), which would leave it almost no form.
struct FilteredPoints {
    std::vector<double> coordinates;
    std::string how;
    std::string failure;
};
FilteredPoints filterpoints(const pointset::Points& points, pointset::Feature feature,
                            const ProfileFilter& filter);

} // namespace formeval::report
