// Part files: the measured features of a part, its datums and the
// tolerance frames of its drawing, as one JSON object (docs/formreport.md,
// "formreport part"). The reader checks every key and value and says what
// is wrong where; the point files it names are left for the caller to read.
#pragma once

#include "report/pointfiles/pointfiles.h"
#include "tolerance/tolerance.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace formeval::report {

// Most bytes of a part file: more is not one.
constexpr std::uintmax_t maxpartbytes = 1u << 20;

// A measured feature of a part file: its point file and how to read it, and
// what the tolerance library takes of it beside its points.
struct PartFeature {
    std::string name;
    // None for a cone, which the tolerance library does not evaluate yet:
    // its file is not read, and a frame on it is not evaluated.
    std::optional<pointset::Feature> type;
    std::string file;     // as the part file names it
    std::string path;     // the same, from the working directory
    PointColumns columns; // dimension that of the type: 2 for lines and circles, else 3
    tolerance::Material material = tolerance::Material::unstated;
    std::optional<tolerance::Vector> outward; // planes
    int sections = 0;                         // cylinders
};

// A part file read: every name it uses checked against the others.
struct PartFile {
    std::string unit = "mm";                     // of coordinates and tolerances
    std::vector<PartFeature> features;           // in the file's order
    std::vector<tolerance::DatumFeature> datums; // in the file's order
    std::vector<tolerance::Frame> frames;        // in the file's order
};

// Reads the part file `text`, named `file` (its point files' paths taken
// from its directory). Throws FileError for text that is not JSON (with its
// line and column, bytes from 1), a key given twice in one object, a key
// that is unknown or missing, a value of the wrong kind or out of its range,
// an unknown feature type or characteristic (the message lists the known
// ones), a datum or frame naming a feature or datum the file lacks, and a
// frame with too few or too many datums for its characteristic.
PartFile readpartfile(const std::string& text, const std::string& file);

// The line and column (bytes from 1) of byte `at` (from 0) of `text`; the
// end of the text for `at` beyond it.
std::pair<long, long> linecolumn(const std::string& text, std::size_t at);

// A frame's datums as the drawing writes them: "A|B|C", "" for none.
std::string datumtext(const std::vector<std::string>& labels);

// The feature types a part file names: pointset's, then cone.
std::string parttypelist();

} // namespace formeval::report
