// Part files: the measured features of a part, its datums and the
// tolerance frames of its drawing, as one JSON object (docs/formreport.md,
// "formreport part"). The reader checks every key and value and says what
// is wrong where; the point files it names are left for the caller to read.
#pragma once

#include "report/pointfiles/pointfiles.h"
#include "report/rows/rows.h"
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
    pointset::Feature type = pointset::Feature::line;
    std::string file; // as the part file names it; empty where the caller gives the points
    std::string path; // the same, from the working directory
    // Dimension that of the type: 2 for lines and circles, else 3; 3 for a
    // line or circle whose columns name three coordinates (one in space).
    PointColumns columns;
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
// frame with too few or too many datums for its characteristic. The
// features named in `given` take no "file": the caller gives their points.
PartFile readpartfile(const std::string& text, const std::string& file,
                      const std::vector<std::string>& given = {});

// The line and column (bytes from 1) of byte `at` (from 0) of `text`; the
// end of the text for `at` beyond it.
std::pair<long, long> linecolumn(const std::string& text, std::size_t at);

// A frame's datums as the drawing writes them: "A|B|C", "" for none.
std::string datumtext(const std::vector<std::string>& labels);

// The feature types a part file names: pointset's, then cone.
std::string parttypelist();

// Evaluation (evaluatepart.cpp).

// The part's features and datums as the tolerance library takes them, each
// feature's points `points[k]` (for a cone, none: it is left out); no frames.
tolerance::Part partof(const PartFile& part, const std::vector<pointset::Points>& points);

// Every frame's value, in the part file's order, evaluated together, so that
// the datum systems they share are set up once.
std::vector<tolerance::FrameValue> evaluateframes(const PartFile& file, tolerance::Part part);

// One datum of a frame's system, with the system up to it: datum B as
// associated after A is not datum B alone.
struct DatumRow {
    std::vector<std::string> system; // the labels up to and including this one
    const tolerance::Datum* datum;
};

// Each datum of the frames' systems once, in the order the frames first use
// it (pointing into `values`).
std::vector<DatumRow> datumrows(const std::vector<tolerance::FrameValue>& values);

// A frame's fields, in the order of the CSV's columns and the JSON's keys;
// the first partcsvcolumns are the CSV's: characteristic, feature, datums,
// value, tolerance, verdict, certified; then lower, upper, zone,
// not_certified_because, failure.
std::vector<Field> framefields(const tolerance::Frame& frame, const tolerance::FrameValue& value);
constexpr std::size_t partcsvcolumns = 7;

// The JSON document of `formreport part --json` (and of the Python
// package's part): unit, decision_rule, datums (each with its system,
// association, point, direction and certificate) and tolerances (each
// frame's fields, datums as a list), indented by two.
std::string partjson(const PartFile& part, const std::vector<tolerance::FrameValue>& values);

} // namespace formeval::report
