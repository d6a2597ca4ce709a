// Point files: plain columns of coordinates, one point a line, as measuring
// machines and scripts write them. Comma-, semicolon- or tab-separated
// fields, or fields apart by blanks; a header line of column names or none;
// `#` starts a comment to the end of its line; blank lines are passed over;
// a UTF-8 byte-order mark at the start is skipped. The reader streams: it
// holds one buffer of the file and at most one line of maxpointline bytes.
#pragma once

#include "pointset/pointset.h"
#include "report/common/common.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formeval::report {

// The unit of a polar file's angles.
enum class AngleUnit { degrees, radians };

// Which columns hold the coordinates, in x y (z) order: each by number from
// 1 ("2") or by its name in the header ("x_mm"). Empty: the file's columns,
// when it has exactly `dimension` of them.
//
// Polar files name roles instead: `angle`, `radius` and `z`, each bare (the
// column at its place in the list: "angle,radius,z" are columns 1, 2 and 3)
// or with its column ("angle=2", "radius=r_um"). A list is polar when it
// names the role angle or radius; then every item is a role, radius among
// them, and z is there exactly when dimension is 3. The points are turned
// into x = r cos(angle), y = r sin(angle), z as given, when they are read.
// Without an angle the points lie equally spaced about the full circle,
// counterclockwise from angle 0, in the order of the file (with z, each run
// of consecutive points of one z: a stack of traces). A radius column
// of deviations about `nominalradius` gives r = nominal + deviation.
struct PointColumns {
    PointColumns() = default;
    PointColumns(std::vector<std::string> c, int d, AngleUnit unit = AngleUnit::degrees,
                 std::optional<double> nominal = std::nullopt)
        : columns(std::move(c)), dimension(d), angleunit(unit), nominalradius(nominal) {}

    std::vector<std::string> columns;
    int dimension = 2; // 2 or 3
    AngleUnit angleunit = AngleUnit::degrees;
    std::optional<double> nominalradius; // polar files whose radii are deviations about it
    // A column (number or header name) of each point's section, a number;
    // empty: none. Without `columns` the coordinates are the others.
    std::string section;
};

// The sine and cosine of an angle in degrees, exact at the quarter turns
// (90 degrees gives a cosine of 0, not 6e-17).
void sincosdegrees(double degrees, double& s, double& c);

// Whether the columns name polar roles (angle or radius, see PointColumns).
bool polarcolumns(const std::vector<std::string>& columns);
// Whether polar columns include an angle.
bool angled(const std::vector<std::string>& columns);
// Why polar columns cannot give points of `dimension` coordinates, in words
// (an item that is no role, a role twice, no radius, a z too many or
// missing); empty when they can, and for columns that are not polar.
std::string polarrefusal(const std::vector<std::string>& columns, int dimension);

// Longest line the reader holds, in bytes; a longer one is refused.
constexpr std::size_t maxpointline = std::size_t(1) << 16;

// Reads a point file point by point. Every fault throws FileError with the
// file, the line and the column (bytes from 1) of the item, which the
// message quotes (its first 40 bytes, unprintable ones escaped): an item
// that is not a finite number, an empty field, a line with another number of
// fields than the file's first, a line longer than maxpointline, a column
// the file does not have, a column named where the file has no header, and
// (of polar files) a radius below 0, the nominal radius added.
class PointReader {
  public:
    // `file` names the input in messages; `in` is read from where it stands.
    PointReader(std::istream& in, std::string file, PointColumns columns);
    ~PointReader();
    PointReader(const PointReader&) = delete;
    PointReader& operator=(const PointReader&) = delete;

    // The next point's coordinates into point[0 .. dimension); false at the
    // end of the file. Throws FileError as above, and for a file that could
    // not be read to its end. Polar points without an angle (see spaced)
    // come as the radius in point[0], 0 in point[1] and z.
    bool next(double* point);
    // The section of the point last read, when PointColumns names a column of them.
    double section() const;
    // Whether the points are polar without an angle: their angles follow
    // from their count, which readpointfile knows at the end.
    bool spaced() const;
    // The least and the largest angle of the points read so far, as the file
    // gives them; none without an angle column.
    std::optional<std::array<double, 2>> angles() const;

    // What the first line told, known after the first call of next: the
    // chosen columns' header names ("column K" without a header), whether
    // there is a header, the separator (',' ';' '\t', or ' ' for blanks).
    const std::vector<std::string>& names() const;
    bool header() const;
    char separator() const;
    long line() const;            // of the point last read, from 1
    std::uintmax_t bytes() const; // read so far

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// A whole point file in memory: point i's coordinate k is
// coordinates[i * dimension + k].
struct PointFile {
    std::string file;
    int dimension = 2;
    std::vector<double> coordinates;
    std::vector<std::string> names; // of the chosen columns, as PointReader gives them
    long firstline = 0;             // lines of the first and last point, from 1
    long lastline = 0;
    bool polar = false;           // read from polar columns, turned into x, y (z)
    std::vector<double> sections; // each point's section, when a column of them is named
    std::optional<std::array<double, 2>> angles; // polar: the least and largest angle given
    AngleUnit angleunit = AngleUnit::degrees;    // polar: the unit they were read in

    std::size_t count() const { return coordinates.size() / static_cast<std::size_t>(dimension); }
    // The points as the pointset library takes them (valid while this lives).
    pointset::Points points() const;
};

// Reads a whole point file, polar points as x, y (z). Throws FileError as PointReader does, and
// (line 0) for a file that holds no point or more than memory holds. `progress`, when given, is
// called with the bytes read so far now and then.
PointFile readpointfile(std::istream& in, const std::string& file, const PointColumns& columns,
                        void (*progress)(void* context, std::uintmax_t bytes) = nullptr,
                        void* context = nullptr);

// Sections by z: a new one where the points' z, sorted, step by more than
// sectiongap times their extent.
constexpr double sectiongap = 1e-3;

// Turns radii alone (the radius as x, 0 as y) into points equally spaced
// about the full circle, counterclockwise from angle 0 in the file's order;
// with z, each run of consecutive points of one section about a circle of
// its own: of one value of the section column, or else of z stepping by
// sectiongap of the file's z extent at most from point to point (as the
// sections are grouped, so that z measured with its noise keeps a trace
// whole).
void spaceabout(PointFile& file);

// A note for a point file of a circle, sphere or cylinder read as x, y (z)
// that looks like polar data: its first column runs monotonically over
// nearly the whole of 0 to 360 or 0 to 2 pi (or -180 to 180, -pi to pi), or
// (circles) its least-squares circle's radius is more than 100 times the
// points' extent, or (x, y, z) it does so within each run of points of one
// z, as a polar stack's rings do. The note names the polar columns; empty when the file
// looks like coordinates. Of a polar file, a note when its angles span
// nearly a whole turn in the other unit (0 to 6.28 read as degrees, 0 to
// 359 read as radians), naming --angle-unit.
std::string polarhint(const PointFile& file, pointset::Feature feature);

} // namespace formeval::report
