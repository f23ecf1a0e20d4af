#include "io/pcf_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "host/message_text.h"
#include "host/numbers.h"
#include "host/property_value.h"
#include "io/pcf_points.h"
#include "settings/config_text.h"

namespace zkl::io {

namespace {

using namespace pcf;

constexpr double MillimetresPerInch = 25.4;

struct ComponentKind {
    std::string_view keyword;
    Shape shape;
};

// Component keywords of the exporters we have seen; any other keyword is an attribute.
constexpr std::array<ComponentKind, 52> ComponentKinds{{
    {"PIPE", Shape::Straight},
    {"PIPE-FIXED", Shape::Straight},
    {"PIPE-BLOCK-FIXED", Shape::Straight},
    {"PIPE-BLOCK-VARIABLE", Shape::Straight},
    {"ELBOW", Shape::Bend},
    {"BEND", Shape::Bend},
    {"PULLED-BEND", Shape::Bend},
    {"ELBOW-TRIMMED", Shape::Bend},
    {"TEE", Shape::Tee},
    {"TEE-SET-ON", Shape::Tee},
    {"TEE-STUB", Shape::Tee},
    {"Y-PIECE", Shape::Tee},
    {"LATERAL", Shape::Tee},
    {"CROSS", Shape::Cross},
    {"CROSS-SET-ON", Shape::Cross},
    {"OLET", Shape::Branch},
    {"REDUCER-CONCENTRIC", Shape::Straight},
    {"REDUCER-ECCENTRIC", Shape::Straight},
    {"FLANGE", Shape::Straight},
    {"FLANGE-BLIND", Shape::Closure},
    {"FLANGE-REDUCING-CONCENTRIC", Shape::Straight},
    {"FLANGE-REDUCING-ECCENTRIC", Shape::Straight},
    {"LAPJOINT-STUBEND", Shape::Straight},
    {"LAPJOINT-RINGEND", Shape::Straight},
    {"GASKET", Shape::Straight},
    {"WELD", Shape::Straight},
    {"VALVE", Shape::Straight},
    {"VALVE-ANGLE", Shape::Bend},
    {"VALVE-3WAY", Shape::Tee},
    {"VALVE-4WAY", Shape::Cross},
    {"VALVE-MULTIWAY", Shape::Tee},
    {"INSTRUMENT", Shape::Straight},
    {"INSTRUMENT-ANGLE", Shape::Bend},
    {"INSTRUMENT-3WAY", Shape::Tee},
    {"INSTRUMENT-4WAY", Shape::Cross},
    {"INSTRUMENT-DIAL", Shape::Branch},
    {"INSTRUMENT-OFFLINE", Shape::Located},
    {"FILTER", Shape::Straight},
    {"FILTER-ANGLE", Shape::Bend},
    {"TRAP", Shape::Straight},
    {"TRAP-ANGLE", Shape::Bend},
    {"VENT", Shape::Closure},
    {"CAP", Shape::Closure},
    {"PLUG", Shape::Closure},
    {"CLOSURE", Shape::Closure},
    {"COUPLING", Shape::Straight},
    {"UNION", Shape::Straight},
    {"ADAPTER", Shape::Straight},
    {"SPOOL", Shape::Straight},
    {"MISC-COMPONENT", Shape::Straight},
    {"SUPPORT", Shape::Located},
    {"FLOOR-PENETRATION", Shape::Located},
}};

std::optional<Shape> ShapeOf(std::string_view keyword) {
    for (const ComponentKind& kind : ComponentKinds)
        if (kind.keyword == keyword) return kind.shape;
    return std::nullopt;
}

std::optional<PointKind> PointKindOf(std::string_view keyword) {
    if (keyword == "END-POINT") return PointKind::End;
    if (keyword == "CENTRE-POINT" || keyword == "CENTER-POINT") return PointKind::Centre;
    if (keyword == "BRANCH1-POINT") return PointKind::Branch1;
    if (keyword == "BRANCH2-POINT") return PointKind::Branch2;
    if (keyword == "CO-ORDS") return PointKind::Coordinates;
    return std::nullopt;
}

// Messages and end markers: they carry CO-ORDS of their own.
bool IsNoteKeyword(std::string_view keyword) {
    return keyword.starts_with("MESSAGE") || keyword.starts_with("END-CONNECTION") ||
           keyword.starts_with("END-POSITION") || keyword == "ISO-SPLIT-POINT";
}

bool IsNoteAttribute(std::string_view keyword) {
    return keyword == "CO-ORDS" || keyword == "TEXT" || keyword == "CONNECTION-REFERENCE" ||
           keyword == "PIPELINE-REFERENCE";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct SplitLine {
    std::size_t indent = 0;
    std::string keyword;  // upper case
    std::string value;
};

SplitLine Split(std::string_view text) {
    SplitLine line;
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    line.indent = i;
    const std::size_t keywordStart = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    line.keyword = ToUpperAscii(text.substr(keywordStart, i - keywordStart));
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t end = text.size();
    while (end > i && IsBlank(text[end - 1])) --end;
    line.value = std::string(text.substr(i, end - i));
    return line;
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

// "-0.0000" is read as 0: a negative zero would show as "-0" in a label.
std::optional<double> Number(std::string_view text) {
    try {
        return TextToDouble(text) + 0.0;
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

// No plant lies this far from its frame's origin, even in inches; a coordinate beyond it is a
// damaged file, and would overflow the sums that place and connect components.
constexpr double FarthestCoordinate = 1e12;

bool WithinReach(double coordinate) { return std::abs(coordinate) <= FarthestCoordinate; }

// "6BW" -> 6 and "BW"; "BW" -> no number and "BW".
std::pair<std::optional<double>, std::string> NumberAndSuffix(std::string_view token) {
    std::size_t digits = 0;
    while (digits < token.size() &&
           (std::isdigit(static_cast<unsigned char>(token[digits])) || token[digits] == '.' ||
            (digits == 0 && (token[0] == '-' || token[0] == '+'))))
        ++digits;
    const std::optional<double> number = digits ? Number(token.substr(0, digits)) : std::nullopt;
    if (!number) return {std::nullopt, std::string(token)};
    return {number, std::string(token.substr(digits))};
}

struct RawPoint {
    PointLine point;
    std::optional<double> bore;  // as written, converted when the pipeline's units are known
};

// A pipeline being read: its components hold raw points until the pipeline ends.
struct OpenComponent {
    Component component;
    std::vector<RawPoint> raw;
    std::size_t indent = 0;
};

class Reader {
public:
    explicit Reader(std::string source) { file_.source = std::move(source); }

    PcfFile Read(const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) Line(static_cast<int>(i + 1), lines[i]);
        ClosePipeline();
        if (!sawBoreUnits_ || !sawCoordinateUnits_) {
            const char* missing = !sawBoreUnits_ && !sawCoordinateUnits_ ? "UNITS-BORE and UNITS-CO-ORDS"
                                  : !sawBoreUnits_                       ? "UNITS-BORE"
                                                                         : "UNITS-CO-ORDS";
            Warn(1, std::string("no ") + missing + " line; millimetres are assumed");
        }
        ResolveMaterials();
        std::size_t components = 0;
        for (const Pipeline& pipeline : file_.pipelines) components += pipeline.components.size();
        if (components == 0) {
            std::size_t skipped = 0;
            for (const Pipeline& pipeline : file_.pipelines) skipped += pipeline.skipped.size();
            if (skipped == 0)
                throw PcfError(
                    file_.source, 0,
                    "no components: not one PIPE, ELBOW, TEE, FLANGE, VALVE or other component line");
            const Skipped& first = FirstSkipped();
            throw PcfError(file_.source, first.line,
                           "no component could be read: " + std::to_string(skipped) +
                               " skipped, the first because " + first.reason);
        }
        std::stable_sort(file_.warnings.begin(), file_.warnings.end(),
                         [](const Warning& a, const Warning& b) { return a.line < b.line; });
        return std::move(file_);
    }

    void SetEncoding(std::string encoding) { file_.encoding = std::move(encoding); }

private:
    void Line(int number, std::string_view text) {
        const SplitLine line = Split(text);
        if (line.keyword.empty()) return;  // blank lines never end a block
        const Attribute attribute{line.keyword, line.value, number};

        if (line.indent == 0 && line.keyword == "PIPELINE-REFERENCE") {
            ClosePipeline();
            inMaterials_ = false;
            pipeline_ = Pipeline{};
            pipeline_->name = line.value;
            pipeline_->line = number;
            return;
        }
        if (line.indent == 0 && line.keyword == "MATERIALS") {
            ClosePipeline();
            inMaterials_ = true;
            return;
        }
        if (inMaterials_) {
            MaterialLine(attribute);
            return;
        }
        if (line.keyword.starts_with("UNITS-") || line.keyword == "ISOGEN-FILES") {
            HeaderLine(attribute);
            return;
        }
        if (const std::optional<Shape> shape = ShapeOf(line.keyword)) {
            // An exporter may repeat the keyword, indented, inside the block it opened.
            const bool repeated = component_ && component_->component.keyword == line.keyword &&
                                  line.indent > component_->indent;
            if (!repeated) {
                StartComponent(line, number, *shape);
                return;
            }
        }
        if (IsNoteKeyword(line.keyword)) {
            StartNote(line, number);
            return;
        }
        if (note_ && IsNoteAttribute(line.keyword)) {
            NoteLine(attribute, line.value);
            return;
        }
        note_ = nullptr;
        if (const std::optional<PointKind> kind = PointKindOf(line.keyword)) {
            PointLineRead(*kind, attribute);
            return;
        }
        if (component_)
            component_->component.attributes.push_back(attribute);
        else if (pipeline_)
            pipeline_->attributes.push_back(attribute);
        else
            file_.header.push_back(attribute);
    }

    void HeaderLine(const Attribute& attribute) {
        const bool bore = attribute.keyword == "UNITS-BORE";
        const bool coordinates = attribute.keyword == "UNITS-CO-ORDS";
        if (bore || coordinates) {
            const std::string value = ToUpperAscii(attribute.value);
            std::optional<Units> units;
            if (value == "MM") units = Units::Millimetre;
            if (value.starts_with("INCH")) units = Units::Inch;  // INCH, INCH-FRACTION
            if (!units) {
                Warn(attribute.line, attribute.keyword + " " + Quoted(attribute.value) +
                                         " is neither MM nor INCH; the line is ignored");
            } else if (bore) {
                boreUnits_ = *units;
                sawBoreUnits_ = true;
            } else {
                coordinateUnits_ = *units;
                sawCoordinateUnits_ = true;
            }
        }
        if (pipeline_)
            pipeline_->attributes.push_back(attribute);
        else
            file_.header.push_back(attribute);
    }

    void StartComponent(const SplitLine& line, int number, Shape shape) {
        EnsurePipeline(number);
        CloseComponent();
        note_ = nullptr;
        component_ = OpenComponent{};
        component_->component.keyword = line.keyword;
        component_->component.line = number;
        component_->component.shape = shape;
        component_->indent = line.indent;
        if (!line.value.empty())
            component_->component.attributes.push_back({line.keyword, line.value, number});
    }

    void StartNote(const SplitLine& line, int number) {
        Note note{line.keyword, number, std::nullopt, {}};
        if (!line.value.empty()) note.attributes.push_back({"TEXT", line.value, number});
        if (component_ && line.indent > 0) {
            component_->component.notes.push_back(std::move(note));
            note_ = &component_->component.notes.back();
        } else {
            EnsurePipeline(number);
            pipeline_->notes.push_back(std::move(note));
            note_ = &pipeline_->notes.back();
        }
    }

    void NoteLine(const Attribute& attribute, const std::string& value) {
        if (attribute.keyword == "CO-ORDS" && !note_->at) {
            const std::vector<std::string_view> tokens = Tokens(value);
            if (tokens.size() >= 3) {
                const auto x = Number(tokens[0]), y = Number(tokens[1]), z = Number(tokens[2]);
                if (x && y && z && WithinReach(*x) && WithinReach(*y) && WithinReach(*z))
                    note_->at = Point{*x, *y, *z};
            }
        }
        note_->attributes.push_back(attribute);
    }

    void PointLineRead(PointKind kind, const Attribute& attribute) {
        if (!component_) {
            Warn(attribute.line, attribute.keyword + " outside any component; the line is ignored");
            return;
        }
        const std::vector<std::string_view> tokens = Tokens(attribute.value);
        std::array<double, 3> xyz{};
        for (std::size_t i = 0; i < 3; ++i) {
            const std::optional<double> number = i < tokens.size() ? Number(tokens[i]) : std::nullopt;
            if (!number) {
                Warn(attribute.line, attribute.keyword + " needs three coordinates, found " +
                                         Quoted(attribute.value) + "; the line is ignored");
                return;
            }
            if (!WithinReach(*number)) {
                Warn(attribute.line, attribute.keyword + " has the coordinate " + std::string(tokens[i]) +
                                         ", farther than any plant reaches; the line is ignored");
                return;
            }
            xyz[i] = *number;
        }
        RawPoint raw;
        raw.point.kind = kind;
        raw.point.position = {xyz[0], xyz[1], xyz[2]};
        raw.point.line = attribute.line;
        // The bore and end type follow, the end type sometimes glued to the bore ("6BW").
        for (std::size_t i = 3; i < tokens.size(); ++i) {
            auto [number, suffix] = NumberAndSuffix(tokens[i]);
            if (number && !raw.bore) raw.bore = number;
            if (!suffix.empty() && raw.point.endType.empty()) raw.point.endType = ToUpperAscii(suffix);
        }
        component_->raw.push_back(std::move(raw));
    }

    void MaterialLine(const Attribute& attribute) {
        const bool startsEntry = attribute.keyword == "ITEM-CODE" ||
                                 (attribute.keyword == "MATERIAL-IDENTIFIER" &&
                                  (file_.materials.empty() ||
                                   FindAttribute(file_.materials.back().attributes, "MATERIAL-IDENTIFIER")));
        if (startsEntry) {
            Material material;
            material.line = attribute.line;
            if (attribute.keyword == "ITEM-CODE") material.itemCode = attribute.value;
            material.attributes.push_back(attribute);
            file_.materials.push_back(std::move(material));
            return;
        }
        if (file_.materials.empty()) {
            file_.header.push_back(attribute);
            return;
        }
        Material& material = file_.materials.back();
        if (attribute.keyword == "ITEM-CODE" && material.itemCode.empty())
            material.itemCode = attribute.value;
        material.attributes.push_back(attribute);
    }

    void EnsurePipeline(int line) {
        if (pipeline_) return;
        pipeline_ = Pipeline{};
        Warn(line, "components before any PIPELINE-REFERENCE; they form a pipeline without a name");
    }

    void CloseComponent() {
        if (!component_) return;
        Component component = std::move(component_->component);
        for (RawPoint& raw : component_->raw) {
            PointLine point = raw.point;
            if (coordinateUnits_ == Units::Inch) point.position = point.position * MillimetresPerInch;
            if (raw.bore && *raw.bore < 0.0)
                Warn(point.line,
                     "bore " + DoubleToText(*raw.bore) + " is below 0; the point is read without a bore");
            else if (raw.bore)
                point.bore = ReadBore(*raw.bore, point.line);
            component.points.push_back(std::move(point));
        }
        component_.reset();
        note_ = nullptr;
        if (std::optional<std::string> reason = ResolvePoints(component)) {
            pipeline_->skipped.push_back({component.keyword, component.line, *reason});
            return;
        }
        pipeline_->components.push_back(std::move(component));
    }

    Bore ReadBore(double written, int line) {
        Bore bore;
        bore.written = written;
        bore.size = boreUnits_ == Units::Inch ? SizeOfInchBore(written) : SizeOfMillimetreBore(written);
        if (bore.size) {
            bore.nominal = bore.size->nominal;
            bore.outside = bore.size->outside;
            return bore;
        }
        const double millimetres = boreUnits_ == Units::Inch ? written * MillimetresPerInch : written;
        bore.nominal = bore.outside = millimetres;
        if (unmatchedBores_.insert(written).second)
            Warn(line, "bore " + DoubleToText(written) + (boreUnits_ == Units::Inch ? " inch" : " mm") +
                           " fits no nominal pipe size; it is kept as written");
        return bore;
    }

    void ClosePipeline() {
        if (!pipeline_) return;
        CloseComponent();
        Pipeline pipeline = std::move(*pipeline_);
        pipeline_.reset();
        note_ = nullptr;
        pipeline.boreUnits = boreUnits_;
        pipeline.coordinateUnits = coordinateUnits_;
        // Notes read before the units were known.
        if (coordinateUnits_ == Units::Inch) {
            for (Note& note : pipeline.notes)
                if (note.at) note.at = *note.at * MillimetresPerInch;
            for (Component& component : pipeline.components)
                for (Note& note : component.notes)
                    if (note.at) note.at = *note.at * MillimetresPerInch;
        }
        const auto unrepaired = RepairCorners(pipeline.components);
        if (!unrepaired.empty()) {
            std::vector<bool> skip(pipeline.components.size(), false);
            for (const auto& [index, reason] : unrepaired) {
                skip[index] = true;
                const Component& component = pipeline.components[index];
                pipeline.skipped.push_back({component.keyword, component.line, reason});
            }
            std::vector<Component> kept;
            kept.reserve(pipeline.components.size());
            for (std::size_t i = 0; i < pipeline.components.size(); ++i)
                if (!skip[i]) kept.push_back(std::move(pipeline.components[i]));
            pipeline.components = std::move(kept);
        }
        std::sort(pipeline.skipped.begin(), pipeline.skipped.end(),
                  [](const Skipped& a, const Skipped& b) { return a.line < b.line; });
        if (pipeline.components.empty() && pipeline.skipped.empty()) {
            // The lines before any PIPELINE-REFERENCE were warned about where they began.
            if (pipeline.line > 0)
                Warn(pipeline.line, "pipeline " + Quoted(pipeline.name) + " has no components");
            return;
        }
        file_.pipelines.push_back(std::move(pipeline));
    }

    void ResolveMaterials() {
        if (file_.materials.empty()) return;
        std::map<std::string, std::size_t> byCode, byIdentifier;
        for (std::size_t i = 0; i < file_.materials.size(); ++i) {
            const Material& material = file_.materials[i];
            if (!material.itemCode.empty()) byCode.emplace(material.itemCode, i);
            if (const Attribute* identifier = FindAttribute(material.attributes, "MATERIAL-IDENTIFIER"))
                byIdentifier.emplace(identifier->value, i);
        }
        for (Pipeline& pipeline : file_.pipelines)
            for (Component& component : pipeline.components) {
                if (const Attribute* identifier =
                        FindAttribute(component.attributes, "MATERIAL-IDENTIFIER")) {
                    if (auto found = byCode.find(identifier->value); found != byCode.end())
                        component.material = found->second;
                    else if (auto other = byIdentifier.find(identifier->value); other != byIdentifier.end())
                        component.material = other->second;
                }
                if (component.material) continue;
                if (const Attribute* code = FindAttribute(component.attributes, "ITEM-CODE"))
                    if (auto found = byCode.find(code->value); found != byCode.end())
                        component.material = found->second;
            }
    }

    const Skipped& FirstSkipped() const {
        const Skipped* first = nullptr;
        for (const Pipeline& pipeline : file_.pipelines)
            for (const Skipped& skipped : pipeline.skipped)
                if (!first || skipped.line < first->line) first = &skipped;
        return *first;
    }

    void Warn(int line, std::string text) { file_.warnings.push_back({line, std::move(text)}); }

    PcfFile file_;
    std::optional<Pipeline> pipeline_;
    std::optional<OpenComponent> component_;
    Note* note_ = nullptr;  // the message or marker whose CO-ORDS and TEXT lines come next
    bool inMaterials_ = false;
    Units boreUnits_ = Units::Millimetre;
    Units coordinateUnits_ = Units::Millimetre;
    bool sawBoreUnits_ = false;
    bool sawCoordinateUnits_ = false;
    std::set<double> unmatchedBores_;  // each warned about once
};

// A PCF file is text: a NUL or another control character that no editor writes marks a
// binary file (a zip, a drawing) given by mistake. Returns the line of the first one.
std::optional<std::pair<int, unsigned char>> BinaryByte(std::string_view bytes) {
    int line = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n' || (byte == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
        const bool allowed = byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' ||
                             (byte == 0x1A && i + 1 == bytes.size());  // an old end-of-file mark
        if (!allowed) return std::pair{line, byte};
    }
    return std::nullopt;
}

std::string HexByte(unsigned char byte) {
    constexpr const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 15];
}

}  // namespace

const pcf::Attribute* pcf::FindAttribute(const std::vector<Attribute>& attributes, std::string_view keyword) {
    for (const Attribute& attribute : attributes)
        if (attribute.keyword == keyword) return &attribute;
    return nullptr;
}

std::optional<pcf::Bore> pcf::Component::MainBore() const {
    for (const PointLine& end : ends)
        if (end.bore) return end.bore;
    for (const PointLine& point : points)
        if (point.bore) return point.bore;
    return std::nullopt;
}

PcfError::PcfError(std::string source, int line, const std::string& problem)
    : FileError(source + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem),
      source_(std::move(source)),
      line_(line) {}

bool IsPcfComponentKeyword(std::string_view keyword) { return ShapeOf(keyword).has_value(); }

pcf::PcfFile ParsePcf(std::string_view bytes, const std::string& sourceName) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }))
        throw PcfError(sourceName, 0,
                       bytes.empty() ? "the file is empty" : "the file holds only blank lines");
    if (const auto binary = BinaryByte(bytes))
        throw PcfError(sourceName, binary->first,
                       "not a PCF file: binary data (byte " + HexByte(binary->second) + ")");
    Reader reader(sourceName);
    reader.SetEncoding(IsValidUtf8(bytes) ? "UTF-8" : "Windows-1252");
    return reader.Read(SplitLines(DecodeConfigurationText(bytes)));
}

pcf::PcfFile ReadPcf(const std::filesystem::path& path) {
    return ParsePcf(ReadWholeFile(path), path.string());
}

}  // namespace zkl::io
