// Writing a sheet: cad::Drawing -> JSON text. Keys come in a fixed order and values equal to
// what the reader would fill in are left out, so a saved sheet is as short as a hand-written
// one and one drawing always gives the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <variant>

#include "host/property_value.h"
#include "io/sheet_file.h"
#include "io/sheet_schema.h"

namespace zkl::io {

namespace {

namespace fs = std::filesystem;
// Keys keep the order in which they are set: the order the format documents.
using Json = nlohmann::ordered_json;

Json PointJson(const Point& p) { return Json::array({p.x, p.y, p.z}); }

Json PointsJson(const std::vector<Point>& points) {
    Json array = Json::array();
    for (const auto& p : points) array.push_back(PointJson(p));
    return array;
}

Json MatrixJson(const Matrix3d& matrix) {
    Json rows = Json::array();
    for (int row = 0; row < 3; ++row) rows.push_back(PointJson(matrix.Row(row)));
    return rows;
}

// Written relative to the output folder when both lie under one folder below the root
// ("../macros/x.mvba"), otherwise absolute: a relative path that climbs to the root would
// break as soon as the sheet is moved, an absolute one only when the macro is.
std::string MacroPathForFolder(const std::string& macro, const fs::path& folder) {
    if (macro.empty()) return macro;
    const fs::path absoluteMacro = fs::absolute(fs::path(macro)).lexically_normal();
    const fs::path absoluteFolder = fs::absolute(folder).lexically_normal();
    int common = 0;
    for (auto m = absoluteMacro.begin(), f = absoluteFolder.begin();
         m != absoluteMacro.end() && f != absoluteFolder.end() && *m == *f; ++m, ++f)
        ++common;
    const fs::path relative = absoluteMacro.lexically_relative(absoluteFolder);
    if (common >= 2 && !relative.empty()) return relative.generic_string();
    return fs::path(macro).is_absolute() ? macro : absoluteMacro.string();
}

class SheetWriter {
public:
    SheetWriter(const cad::Drawing& drawing, const fs::path& baseFolder)
        : drawing_(drawing), baseFolder_(baseFolder) {}

    Json Build() const {
        Json root = Json::object();
        root["format"] = SheetFormatName;
        root["version"] = SheetFormatVersion;
        const std::string macro = MacroPathForFolder(drawing_.macroProjectPath, baseFolder_);
        if (!macro.empty()) root["macroProjectPath"] = macro;
        if (drawing_.activeUnitFactor != 1.0) root["activeUnitFactor"] = drawing_.activeUnitFactor;
        Json symbology = Json::object();
        WriteSymbology(symbology, drawing_.activeSymbology, Symbology{});
        if (!symbology.empty()) root["activeSymbology"] = symbology;
        Json fence = Json::object();
        const FenceModes defaults;
        if (drawing_.fenceModes.overlap != defaults.overlap) fence["overlap"] = drawing_.fenceModes.overlap;
        if (drawing_.fenceModes.clip != defaults.clip) fence["clip"] = drawing_.fenceModes.clip;
        if (drawing_.fenceModes.outside != defaults.outside) fence["outside"] = drawing_.fenceModes.outside;
        if (!fence.empty()) root["fenceModes"] = fence;
        SetIfNotEmpty(root, "levels", Levels());
        SetIfNotEmpty(root, "lineStyles", LineStyles());
        SetIfNotEmpty(root, "textStyles", TextStyles());
        SetIfNotEmpty(root, "dimensionStyles", DimensionStyles());
        SetIfNotEmpty(root, "views", Views());
        SetIfNotEmpty(root, "elements", Elements(drawing_.activeModel));
        Json attachments = Json::array();
        for (const auto& attachment : drawing_.attachments) attachments.push_back(Attachment(attachment));
        SetIfNotEmpty(root, "attachments", attachments);
        return root;
    }

private:
    static void SetIfNotEmpty(Json& object, const char* key, Json value) {
        if (!value.empty()) object[key] = std::move(value);
    }

    Json Levels() const {
        Json levels = Json::array();
        std::optional<int> previousId;
        for (const auto& level : drawing_.levels) {
            Json entry = {{"name", level.name}};
            if (level.id != sheet::DefaultLevelId(previousId)) entry["id"] = level.id;
            previousId = level.id;
            levels.push_back(entry);
        }
        return levels;
    }

    Json LineStyles() const {
        Json styles = Json::array();
        for (const auto& style : drawing_.lineStyles) {
            Json entry = {{"name", style.name}};
            if (!style.dashes.empty()) entry["dashes"] = style.dashes;
            styles.push_back(entry);
        }
        return styles;
    }

    Json TextStyles() const {
        Json styles = Json::array();
        const TextStyle defaults;
        for (const auto& style : drawing_.textStyles) {
            Json entry = {{"name", style.name}};
            if (style.height != defaults.height) entry["height"] = style.height;
            if (style.width != defaults.width) entry["width"] = style.width;
            if (style.font != defaults.font) entry["font"] = style.font;
            styles.push_back(entry);
        }
        return styles;
    }

    static void WriteDimensionOptions(Json& object, const DimensionOptions& options,
                                      const DimensionOptions& defaults) {
        if (options.terminator != defaults.terminator) object["terminator"] = options.terminator;
        if (options.textMargin != defaults.textMargin) object["textMargin"] = options.textMargin;
        if (options.extensionOvershoot != defaults.extensionOvershoot)
            object["extensionOvershoot"] = options.extensionOvershoot;
    }

    Json DimensionStyles() const {
        Json styles = Json::array();
        const DimensionStyle defaults;
        for (const auto& style : drawing_.dimensionStyles) {
            Json entry = {{"name", style.name}};
            if (style.textHeight != defaults.textHeight) entry["textHeight"] = style.textHeight;
            if (style.decimals != defaults.decimals) entry["decimals"] = style.decimals;
            WriteDimensionOptions(entry, style.options, defaults.options);
            styles.push_back(entry);
        }
        return styles;
    }

    // Views after the last change repeat the one before them and are left out.
    Json Views() const {
        const auto& views = drawing_.views;
        std::size_t count = 1;
        for (std::size_t i = 1; i < views.size(); ++i)
            if (!(views[i] == views[i - 1])) count = i + 1;
        if (count == 1 && views[0] == ViewArea{}) return Json::array();
        Json array = Json::array();
        for (std::size_t i = 0; i < count; ++i) {
            const ViewArea& view = views[i];
            Json entry = {{"origin", PointJson(view.origin)}, {"extent", PointJson(view.extent)}};
            if (!(view.rotation == Matrix3d::Identity())) entry["rotation"] = MatrixJson(view.rotation);
            array.push_back(entry);
        }
        return array;
    }

    static void WriteSymbology(Json& object, const Symbology& symbology, const Symbology& defaults) {
        if (symbology.level != defaults.level) object["level"] = symbology.level;
        if (symbology.colour != defaults.colour) object["colour"] = symbology.colour;
        if (symbology.lineStyle != defaults.lineStyle) object["lineStyle"] = symbology.lineStyle;
        if (symbology.weight != defaults.weight) object["weight"] = symbology.weight;
    }

    static Json Properties(const PropertyList& properties) {
        Json array = Json::array();
        for (const auto& property : properties) {
            Json entry = {{"name", property.accessString}};
            if (property.value.IsNumber()) entry["number"] = property.value.Number();
            if (property.value.IsText()) entry["text"] = property.value.Text();
            array.push_back(entry);
        }
        return array;
    }

    void WriteGeometry(Json& object, const Element& element) const {
        std::visit(
            [&](const auto& g) {
                using G = std::decay_t<decltype(g)>;
                if constexpr (std::is_same_v<G, LinearGeometry>) {
                    object["vertices"] = PointsJson(g.vertices);
                } else if constexpr (std::is_same_v<G, EllipseGeometry>) {
                    object["centre"] = PointJson(g.centre);
                    object["primaryRadius"] = g.primaryRadius;
                    if (g.secondaryRadius != g.primaryRadius) object["secondaryRadius"] = g.secondaryRadius;
                    if (!(g.rotation == Matrix3d::Identity())) object["rotation"] = MatrixJson(g.rotation);
                } else if constexpr (std::is_same_v<G, TextGeometry>) {
                    object["text"] = g.text;
                    object["origin"] = PointJson(g.origin);
                    if (!(g.rotation == Matrix3d::Identity())) object["rotation"] = MatrixJson(g.rotation);
                    if (!g.style.empty()) object["style"] = g.style;
                    const auto [height, width] = sheet::DefaultTextSize(drawing_, g.style);
                    if (g.height != height) object["height"] = g.height;
                    if (g.width != width) object["width"] = g.width;
                    if (g.justification != TextGeometry{}.justification)
                        object["justification"] = g.justification;
                    if (!g.fixedOrigin) object["fixedOrigin"] = false;
                } else if constexpr (std::is_same_v<G, CellGeometry>) {
                    object["origin"] = PointJson(g.origin);
                    if (g.pointCell) object["pointCell"] = true;
                    if (g.scale != CellGeometry{}.scale) object["scale"] = g.scale;
                } else if constexpr (std::is_same_v<G, DimensionGeometry>) {
                    const DimensionGeometry defaults;
                    object["points"] = PointsJson(g.points);
                    bool anyText = false;
                    for (const auto& text : g.segmentTexts) anyText = anyText || !text.empty();
                    if (anyText) object["segmentTexts"] = g.segmentTexts;
                    if (!(g.rotation == Matrix3d::Identity())) object["rotation"] = MatrixJson(g.rotation);
                    if (g.dimensionType != defaults.dimensionType) object["dimensionType"] = g.dimensionType;
                    if (!g.style.empty()) object["style"] = g.style;
                    WriteDimensionOptions(object, g.options,
                                          sheet::DefaultDimensionOptions(drawing_, g.style));
                    if (g.offset != defaults.offset) object["offset"] = g.offset;
                    if (g.scale != defaults.scale) object["scale"] = g.scale;
                    if (g.savedValue != defaults.savedValue) object["savedValue"] = g.savedValue;
                }
            },
            element.geometry);
    }

    Json ElementJson(const Element& element, const Symbology& defaults, bool isComponent) const {
        Json object = Json::object();
        if (!isComponent || element.id != NoElementId) object["id"] = element.id;
        object["type"] = std::string(sheet::KeyOfElementType(element.type));
        const auto* cell = std::get_if<CellGeometry>(&element.geometry);
        if (cell) object["name"] = cell->name;
        WriteSymbology(object, element.symbology, defaults);
        if (element.locked) object["locked"] = true;
        WriteGeometry(object, element);
        if (!element.properties.empty()) object["properties"] = Properties(element.properties);
        if (cell && !cell->components.empty()) {
            Json components = Json::array();
            for (const auto& component : cell->components)
                components.push_back(ElementJson(component, element.symbology, true));
            object["components"] = std::move(components);
        }
        return object;
    }

    Json Elements(const cad::ElementStore& model) const {
        Json elements = Json::array();
        for (const auto& [id, entry] : model.Entries())
            elements.push_back(ElementJson(entry.element, sheet::ModelElementSymbology(), false));
        return elements;
    }

    Json Attachment(const cad::Attachment& attachment) const {
        const cad::Attachment defaults;
        Json object = {{"name", attachment.name}};
        if (attachment.unitFactor != defaults.unitFactor) object["unitFactor"] = attachment.unitFactor;
        if (attachment.scaleDivisor != defaults.scaleDivisor)
            object["scaleDivisor"] = attachment.scaleDivisor;
        if (attachment.displayed != defaults.displayed) object["displayed"] = attachment.displayed;
        Json transform = Json::object();
        const Matrix3d matrix = attachment.toActive.Linear();
        if (!(matrix == Matrix3d::Identity())) transform["matrix"] = MatrixJson(matrix);
        const Point translation = attachment.toActive.Translation();
        if (!(translation == Point{})) transform["translation"] = PointJson(translation);
        if (!transform.empty()) object["transform"] = transform;
        SetIfNotEmpty(object, "elements", Elements(attachment.model));
        return object;
    }

    const cad::Drawing& drawing_;
    fs::path baseFolder_;
};

// ---- Text -------------------------------------------------------------------------------------

// One step of the path to a value: an object key or an array index.
struct PathStep {
    std::string_view key;
    std::size_t index = 0;
    bool isIndex = false;
};

std::string Pointer(const std::vector<PathStep>& steps) {
    std::string path;
    for (const auto& step : steps)
        path += "/" + (step.isIndex ? std::to_string(step.index) : sheet::PointerToken(step.key));
    return path;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8 either.
        static constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

// Everything the printer writes must read back: no infinities or NaN (JSON has none) and
// only valid UTF-8 text.
void CheckWritable(const Json& value, std::vector<PathStep>& steps, const std::string& source) {
    if (value.is_number_float() && !std::isfinite(value.get<double>()))
        throw SheetError(source, Pointer(steps),
                         "cannot write the number " + DoubleToText(value.get<double>()) +
                             " (only finite numbers can be stored)");
    if (value.is_string() && !IsValidUtf8(value.get_ref<const std::string&>()))
        throw SheetError(source, Pointer(steps), "cannot write text that is not valid UTF-8");
    if (value.is_object()) {
        for (const auto& item : value.items()) {
            steps.push_back({item.key()});
            CheckWritable(item.value(), steps, source);
            steps.pop_back();
        }
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            steps.push_back({{}, i, true});
            CheckWritable(value[i], steps, source);
            steps.pop_back();
        }
    }
}

// Quotes, backslashes and control characters escaped; everything else as it is, so that
// names with accents read the same in the file as on the sheet.
void AppendQuoted(std::string_view text, std::string& out) {
    out += '"';
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    static constexpr char Hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += Hex[(c >> 4) & 0xF];
                    out += Hex[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendScalar(const Json& value, std::string& out) {
    if (value.is_number_float())
        out += DoubleToText(value.get<double>());
    else if (value.is_string())
        AppendQuoted(value.get_ref<const std::string&>(), out);
    else
        out += value.dump();
}

// Whether the value nests no deeper than `levels` containers; stops at the first deeper one,
// so that asking it of a whole sheet costs no more than looking at its first element.
bool NestsAtMost(const Json& value, int levels) {
    if (!value.is_structured()) return true;
    if (levels == 0) return false;
    for (const auto& child : value)
        if (!NestsAtMost(child, levels - 1)) return false;
    return true;
}

void AppendInline(const Json& value, std::string& out) {
    if (!value.is_structured()) {
        AppendScalar(value, out);
        return;
    }
    const bool object = value.is_object();
    out += object ? '{' : '[';
    bool first = true;
    for (const auto& item : value.items()) {
        if (!first) out += ", ";
        first = false;
        if (object) {
            AppendQuoted(item.key(), out);
            out += ": ";
        }
        AppendInline(item.value(), out);
    }
    out += object ? '}' : ']';
}

constexpr std::size_t LineWidth = 100;
constexpr int IndentStep = 2;

// Small values (a point, a row of a matrix, a property, a level) stay on one line when they
// fit; elements and anything deeper open up, one entry a line.
void Print(const Json& value, std::size_t column, int indent, std::string& out) {
    if (!value.is_structured() || value.empty()) {
        AppendInline(value, out);
        return;
    }
    const bool isElement = value.is_object() && value.contains("type");
    if (!isElement && NestsAtMost(value, 2)) {
        std::string flat;
        AppendInline(value, flat);
        if (column + flat.size() <= LineWidth) {
            out += flat;
            return;
        }
    }
    const bool object = value.is_object();
    const std::string inner(static_cast<std::size_t>(indent + IndentStep), ' ');
    out += object ? "{\n" : "[\n";
    bool first = true;
    for (const auto& item : value.items()) {
        if (!first) out += ",\n";
        first = false;
        out += inner;
        if (object) {
            AppendQuoted(item.key(), out);
            out += ": ";
        }
        const std::size_t lineStart = out.rfind('\n') + 1;
        Print(item.value(), out.size() - lineStart, indent + IndentStep, out);
    }
    out += "\n" + std::string(static_cast<std::size_t>(indent), ' ') + (object ? "}" : "]");
}

std::string WriteSheet(const cad::Drawing& drawing, const fs::path& baseFolder, const std::string& source) {
    const Json root = SheetWriter(drawing, baseFolder).Build();
    std::vector<PathStep> steps;
    CheckWritable(root, steps, source);
    std::string out;
    Print(root, 0, 0, out);
    out += '\n';
    return out;
}

}  // namespace

std::string SerializeSheet(const cad::Drawing& drawing, const fs::path& baseFolder) {
    return WriteSheet(drawing, baseFolder, "sheet");
}

void AddSheet(OutputSet& outputs, const cad::Drawing& drawing, const fs::path& path) {
    outputs.Add(path, WriteSheet(drawing, fs::absolute(path).parent_path(), path.string()));
}

void SaveSheet(const cad::Drawing& drawing, const fs::path& path) {
    OutputSet output;
    AddSheet(output, drawing, path);
    output.Commit();
}

}  // namespace zkl::io
