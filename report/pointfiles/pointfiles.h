// Point files: plain columns of coordinates, one point a line, as measuring
// machines and scripts write them. Comma-, semicolon- or tab-separated
// fields, or fields apart by blanks; a header line of column names or none;
// `#` starts a comment to the end of its line; blank lines are passed over;
// a UTF-8 byte-order mark at the start is skipped. The reader streams: it
// holds one buffer of the file and at most one line of maxpointline bytes.
#pragma once

#include "pointset/pointset.h"
#include "report/common/common.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// Which columns hold the coordinates, in x y (z) order: each by number from
// 1 ("2") or by its name in the header ("x_mm"). Empty: the file's columns,
// when it has exactly `dimension` of them.
struct PointColumns {
    std::vector<std::string> columns;
    int dimension = 2; // 2 or 3
};

// Longest line the reader holds, in bytes; a longer one is refused.
constexpr std::size_t maxpointline = std::size_t(1) << 16;

// Reads a point file point by point. Every fault throws FileError with the
// file, the line and the column (bytes from 1) of the item, which the
// message quotes (its first 40 bytes, unprintable ones escaped): an item
// that is not a finite number, an empty field, a line with another number of
// fields than the file's first, a line longer than maxpointline, a column
// the file does not have, a column named where the file has no header.
class PointReader {
  public:
    // `file` names the input in messages; `in` is read from where it stands.
    PointReader(std::istream& in, std::string file, PointColumns columns);
    ~PointReader();
    PointReader(const PointReader&) = delete;
    PointReader& operator=(const PointReader&) = delete;

    // The next point's coordinates into point[0 .. dimension); false at the
    // end of the file. Throws FileError as above, and for a file that could
    // not be read to its end.
    bool next(double* point);

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

    std::size_t count() const { return coordinates.size() / static_cast<std::size_t>(dimension); }
    // The points as the pointset library takes them (valid while this lives).
    pointset::Points points() const;
};

// Reads a whole point file. Throws FileError as PointReader does, and (line
// 0) for a file that holds no point or more than memory holds. `progress`,
// when given, is called with the bytes read so far now and then.
PointFile readpointfile(std::istream& in, const std::string& file, const PointColumns& columns,
                        void (*progress)(void* context, std::uintmax_t bytes) = nullptr,
                        void* context = nullptr);

} // namespace formeval::report
