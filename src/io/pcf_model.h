// A PCF (Piping Component File) as read: its pipelines, their components with the points
// and attributes the exporter wrote, and where in the file each value stood. Plain values
// with no drawing knowledge; io/pcf_reader.h fills them.
//
// Units: every coordinate is millimetres in the exporter's own frame (x east, y north,
// z up), whatever the file's UNITS-CO-ORDS said; bores keep the written number beside the
// nominal size it was read as. Angles are degrees. Line numbers count from 1.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/geometry.h"
#include "io/pipe_sizes.h"

namespace zkl::io::pcf {

enum class Units { Millimetre, Inch };

// A keyword line kept as text: the keyword upper-cased, the value as written (inner spaces
// kept, trailing ones dropped, possibly empty).
struct Attribute {
    std::string keyword;
    std::string value;
    int line = 0;
};

// The first attribute with that (upper-case) keyword, or nullptr.
const Attribute* FindAttribute(const std::vector<Attribute>& attributes, std::string_view keyword);

struct Bore {
    double written = 0.0;  // as in the file, in the pipeline's bore units
    // The nominal size it was read as; when it fits none, the written value in millimetres
    // stands in for both diameters and `size` is empty.
    std::optional<PipeSize> size;
    double nominal = 0.0;  // DN, mm
    double outside = 0.0;  // mm
};

enum class PointKind { End, Centre, Branch1, Branch2, Coordinates };

struct PointLine {
    PointKind kind = PointKind::End;
    Point position;  // mm
    std::optional<Bore> bore;
    std::string endType;  // "BW", "FL", ...; empty when not written
    int line = 0;
};

// How a component's points are read, by its keyword (io/pcf_reader.h has the table).
enum class Shape {
    Straight,  // two END-POINTs: pipes, flanges, valves, reducers, ...
    Bend,      // two END-POINTs and the corner between the legs
    Tee,       // a run of two END-POINTs and a branch, or a centre and a branch (set-on)
    Cross,     // a run and two branches
    Branch,    // a centre on another pipe and a branch point: olets
    Closure,   // one END-POINT: caps, blinds at a line's end
    Located,   // one CO-ORDS: supports
};

// A message or end marker: its own points never become a component's.
struct Note {
    std::string keyword;
    int line = 0;
    std::optional<Point> at;
    std::vector<Attribute> attributes;
};

struct Component {
    std::string keyword;  // upper-cased, as it stood
    int line = 0;
    Shape shape = Shape::Straight;
    std::vector<PointLine> points;  // every point line, in file order

    // What the points mean, resolved by shape. `ends` are the run's ends in file order (a
    // tee's are the two lying opposite each other about its centre); `centre` is a bend's
    // corner, a tee's or an olet's centre, a support's position.
    std::vector<PointLine> ends;
    std::optional<Point> centre;
    std::vector<PointLine> branches;
    double deflection = 0.0;  // bends: degrees between the legs' directions, 0..180

    std::vector<Attribute> attributes;  // every other line, ANGLE included
    std::vector<Note> notes;
    std::optional<std::size_t> material;  // index into PcfFile::materials

    // The bore of the first end, else of any point that has one.
    std::optional<Bore> MainBore() const;
};

struct Skipped {
    std::string keyword;
    int line = 0;
    std::string reason;  // "it has 1 END-POINT, a pipe needs 2"
};

struct Pipeline {
    std::string name;  // as written after PIPELINE-REFERENCE
    int line = 0;      // 0 for components before any PIPELINE-REFERENCE
    Units boreUnits = Units::Millimetre;
    Units coordinateUnits = Units::Millimetre;
    std::vector<Attribute> attributes;
    std::vector<Component> components;  // file order
    std::vector<Note> notes;            // messages and markers outside components
    std::vector<Skipped> skipped;
};

// One entry of the MATERIALS section, found by a component's MATERIAL-IDENTIFIER or
// ITEM-CODE.
struct Material {
    int line = 0;
    std::string itemCode;
    std::vector<Attribute> attributes;
};

struct Warning {
    int line = 0;
    std::string text;
};

struct PcfFile {
    std::string source;    // the name messages use
    std::string encoding;  // "UTF-8" or "Windows-1252"
    std::vector<Attribute> header;
    std::vector<Pipeline> pipelines;
    std::vector<Material> materials;
    std::vector<Warning> warnings;
};

}  // namespace zkl::io::pcf
