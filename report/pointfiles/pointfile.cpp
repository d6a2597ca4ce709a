// A whole point file in memory, read through PointReader.
#include "report/pointfiles/pointfiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace formeval::report {

pointset::Points PointFile::points() const {
    const auto d = static_cast<std::size_t>(dimension);
    return {coordinates.data(), count(), dimension, d};
}

PointFile readpointfile(std::istream& in, const std::string& file, const PointColumns& columns,
                        void (*progress)(void* context, std::uintmax_t bytes), void* context) {
    PointReader reader(in, file, columns);
    PointFile f;
    f.file = file;
    f.dimension = columns.dimension;
    double point[3];
    constexpr std::size_t every = 1 << 16;
    try {
        while (reader.next(point)) {
            f.coordinates.insert(f.coordinates.end(), point, point + f.dimension);
            if (!columns.section.empty()) f.sections.push_back(reader.section());
            if (f.firstline == 0) f.firstline = reader.line();
            if (progress && f.count() % every == 0) progress(context, reader.bytes());
        }
    } catch (const std::bad_alloc&) {
        throw FileError(file, reader.line(),
                        "more points than memory holds: " + std::to_string(f.count()) +
                            " were read");
    }
    f.lastline = reader.line();
    f.names = reader.names();
    f.polar = polarcolumns(columns.columns);
    f.angles = reader.angles();
    f.angleunit = columns.angleunit;
    if (f.coordinates.empty()) throw FileError(file, 0, "holds no point");
    if (reader.spaced()) spaceabout(f);
    return f;
}

namespace {

constexpr double pi = 3.141592653589793238462643383279502884;

// "12.5", "3.8e+05": a number of the notes, to 3 digits.
std::string brief(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return text;
}

// Whether the values run monotonically over nearly a whole turn of `turn`,
// from 0 or from half a turn below it.
bool turning(const std::vector<double>& v, double turn) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const double slack = 1e-6 * turn;
    const bool within = (*lo >= -slack && *hi <= turn + slack) ||
                        (*lo >= -turn / 2 - slack && *hi <= turn / 2 + slack);
    return within && *hi - *lo >= 0.9 * turn;
}

bool monotonic(const std::vector<double>& v) {
    return std::is_sorted(v.begin(), v.end()) || std::is_sorted(v.rbegin(), v.rend());
}

// The largest distance between two corners of the points' bounding box.
double extent(const PointFile& f) {
    const auto d = static_cast<std::size_t>(f.dimension);
    double sum = 0;
    for (std::size_t k = 0; k < d; ++k) {
        double lo = f.coordinates[k], hi = lo;
        for (std::size_t i = k; i < f.coordinates.size(); i += d) {
            lo = std::min(lo, f.coordinates[i]);
            hi = std::max(hi, f.coordinates[i]);
        }
        sum += (hi - lo) * (hi - lo);
    }
    return std::sqrt(sum);
}

// Where each run of consecutive points of one section begins, and the count
// at the end: of one value of the section column, or else of z stepping by
// sectiongap of the file's z extent at most (as the sections are grouped);
// of 2-D points, one run.
std::vector<std::size_t> sectionruns(const PointFile& f) {
    const auto d = static_cast<std::size_t>(f.dimension);
    const std::size_t n = f.count();
    const auto z = [&](std::size_t i) { return f.coordinates[i * d + 2]; };
    double low = 0, high = 0;
    for (std::size_t i = 0; d == 3 && i < n; ++i) {
        low = i == 0 ? z(i) : std::min(low, z(i));
        high = i == 0 ? z(i) : std::max(high, z(i));
    }
    const double gap = sectiongap * (high - low);
    std::vector<std::size_t> starts = {0};
    for (std::size_t i = 1; d == 3 && i < n; ++i) {
        const bool together = f.sections.empty() ? std::fabs(z(i) - z(i - 1)) <= gap
                                                 : f.sections[i] == f.sections[i - 1];
        if (!together) starts.push_back(i);
    }
    starts.push_back(n);
    return starts;
}

} // namespace

void spaceabout(PointFile& f) {
    const auto d = static_cast<std::size_t>(f.dimension);
    const std::vector<std::size_t> starts = sectionruns(f);
    // Each run of points of one section is a trace of its own.
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        const std::size_t first = starts[k], run = starts[k + 1] - first;
        for (std::size_t i = 0; i < run; ++i) {
            double s = 0, c = 1;
            sincosdegrees(360.0 * static_cast<double>(i) / static_cast<double>(run), s, c);
            double* p = &f.coordinates[(first + i) * d];
            const double r = p[0];
            p[0] = r * c;
            p[1] = r * s;
        }
    }
}

namespace {

// Of a polar file: angles that span nearly a whole turn in the unit they
// were not read in.
std::string unithint(const PointFile& f) {
    if (!f.angles || f.count() < 8) return "";
    const std::vector<double> ends = {(*f.angles)[0], (*f.angles)[1]};
    const std::string runs = "the angles run from " + brief(ends[0]) + " to " + brief(ends[1]);
    if (f.angleunit == AngleUnit::degrees && turning(ends, 2 * pi))
        return runs + " as angles in radians do: if they are radians, read the file with "
                      "--angle-unit rad";
    if (f.angleunit == AngleUnit::radians && turning(ends, 360))
        return runs + " as angles in degrees do: if they are degrees, leave out --angle-unit rad";
    return "";
}

// Of x, y, z read from a polar stack (angle, radius, z): runs of points of
// one section, in each of which the first column turns as angles do.
std::string stackhint(const PointFile& f, const std::string& advice) {
    const auto d = static_cast<std::size_t>(f.dimension);
    if (d != 3) return "";
    const std::vector<std::size_t> starts = sectionruns(f);
    std::vector<std::vector<double>> runs;
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        runs.emplace_back();
        for (std::size_t i = starts[k]; i < starts[k + 1]; ++i)
            runs.back().push_back(f.coordinates[i * d]);
    }
    if (runs.size() < 2) return "";
    for (const double turn : {360.0, 2 * pi}) {
        const bool all = std::all_of(runs.begin(), runs.end(), [&](const std::vector<double>& r) {
            return r.size() >= 8 && monotonic(r) && turning(r, turn);
        });
        if (all)
            return "the first column runs monotonically from " + brief(runs[0].front()) + " to " +
                   brief(runs[0].back()) + " within each of the " + std::to_string(runs.size()) +
                   " runs of one z, as angles in " + (turn == 360 ? "degrees" : "radians") + " do" +
                   advice + "angle,radius,z" + (turn == 360 ? "" : " --angle-unit rad");
    }
    return "";
}

} // namespace

std::string polarhint(const PointFile& f, pointset::Feature feature) {
    if (f.polar) return unithint(f);
    if (!pointset::traits(feature).radius || f.count() < 8) return "";
    const std::string columns = f.dimension == 3 ? "angle,radius,z" : "angle,radius";
    const std::string advice = ": if the file holds angles and radii, read it with --columns ";
    std::vector<double> first(f.count());
    for (std::size_t i = 0; i < first.size(); ++i)
        first[i] = f.coordinates[i * static_cast<std::size_t>(f.dimension)];
    if (monotonic(first)) {
        const std::string runs = "the first column runs monotonically from " +
                                 brief(first.front()) + " to " + brief(first.back());
        if (turning(first, 360)) return runs + " as angles in degrees do" + advice + columns;
        if (turning(first, 2 * pi))
            return runs + " as angles in radians do" + advice + columns + " --angle-unit rad";
    } else if (const std::string stack = stackhint(f, advice); !stack.empty()) {
        return stack;
    }
    if (feature != pointset::Feature::circle) return "";
    pointset::Options quick;
    quick.deviations = false;
    quick.certificate = false;
    const pointset::Reference ls =
        pointset::evaluate(f.points(), feature, pointset::Criterion::leastsquares, quick);
    const double size = extent(f);
    if (!ls.found || !(size > 0) || !(ls.radius > 100 * size)) return "";
    return "the least-squares circle's radius, " + brief(ls.radius) + ", is " +
           brief(ls.radius / size) + " times the points' extent, " + brief(size) +
           ", as of polar points read as x and y" + advice + columns;
}

} // namespace formeval::report
