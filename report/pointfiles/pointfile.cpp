// A whole point file in memory, read through PointReader.
#include "report/pointfiles/pointfiles.h"

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
    if (f.coordinates.empty()) throw FileError(file, 0, "holds no point");
    return f;
}

} // namespace formeval::report
