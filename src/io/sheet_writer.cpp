// Writing a sheet: cad::Drawing -> JSON text. Keys come in a fixed order and values equal to
// what the reader would fill in are left out, so a saved sheet is as short as a hand-written
// one and one drawing always gives the same bytes.
//
// The drawing becomes a flat list of tokens, which the printer lays out. A model's elements
// are turned into tokens one element at a time while they are printed, so that saving a
// million elements holds one of them in tokens, not the whole sheet as a JSON value (building
// and freeing that value took most of the time a save took).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <variant>
#include <vector>

#include "host/property_value.h"
#include "io/sheet_file.h"
#include "io/sheet_schema.h"

namespace zkl::io {

namespace {

namespace fs = std::filesystem;

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

// ---- Tokens -----------------------------------------------------------------------------------

enum class TokenKind : std::uint8_t {
    Object,
    Array,
    End,
    Key,
    Number,
    Integer,
    Unsigned,
    Boolean,
    Text,
    Elements
};

// Texts and keys are views: keys are literals, texts belong to the drawing being written (or
// to the writer), and both outlive the tokens.
struct Token {
    TokenKind kind;
    bool element = false;    // an object with a "type" key: always opened up, one entry a line
    std::uint8_t depth = 0;  // of a container: how deep it nests, counted up to 3
    std::uint32_t size = 0;  // of a container: the index of its End; of a key or text: its length
    union {
        double number;
        std::int64_t integer;
        std::uint64_t unsignedInteger;
        bool boolean;
        const char* text;
        const cad::ElementStore* model;
    };
};

// Only "nests at most 2 deep" decides the layout, so depths stop counting at 3.
constexpr std::uint8_t DeepNesting = 3;

class Tokens {
public:
    void Clear() {
        tokens_.clear();
        open_.clear();
    }
    const Token& operator[](std::size_t index) const { return tokens_[index]; }

    void Object() { Open(TokenKind::Object); }
    void Array() { Open(TokenKind::Array); }
    void End() {
        const std::uint32_t begin = open_.back();
        open_.pop_back();
        Token& container = tokens_[begin];
        container.size = static_cast<std::uint32_t>(tokens_.size());
        container.depth = static_cast<std::uint8_t>(std::min<int>(container.depth + 1, DeepNesting));
        Nested(container.depth);
        Push(TokenKind::End);
    }
    void Key(std::string_view key) {
        if (key == "type") tokens_[open_.back()].element = true;
        PushText(TokenKind::Key, key);
    }

    void Number(double value) { Push(TokenKind::Number).number = value; }
    void Integer(std::int64_t value) { Push(TokenKind::Integer).integer = value; }
    void Unsigned(std::uint64_t value) { Push(TokenKind::Unsigned).unsignedInteger = value; }
    void Boolean(bool value) { Push(TokenKind::Boolean).boolean = value; }
    void Text(std::string_view value) { PushText(TokenKind::Text, value); }
    // The elements of a model, an array that the printer fills in element by element. It is
    // never empty (an empty model is left out) and every element holds an array, so it nests
    // deeper than 2.
    void Elements(const cad::ElementStore& model) {
        Push(TokenKind::Elements).model = &model;
        Nested(DeepNesting);
    }

    void Number(std::string_view key, double value) { Key(key), Number(value); }
    void Integer(std::string_view key, std::int64_t value) { Key(key), Integer(value); }
    void Boolean(std::string_view key, bool value) { Key(key), Boolean(value); }
    void Text(std::string_view key, std::string_view value) { Key(key), Text(value); }

    void Point(const zkl::Point& p) {
        Array();
        Number(p.x), Number(p.y), Number(p.z);
        End();
    }
    void Points(const std::vector<zkl::Point>& points) {
        Array();
        for (const auto& p : points) Point(p);
        End();
    }
    void Matrix(const Matrix3d& matrix) {
        Array();
        for (int row = 0; row < 3; ++row) Point(matrix.Row(row));
        End();
    }

private:
    Token& Push(TokenKind kind) {
        Token& token = tokens_.emplace_back();
        token.kind = kind;
        token.integer = 0;
        return token;
    }
    void PushText(TokenKind kind, std::string_view text) {
        Token& token = Push(kind);
        token.text = text.data();
        token.size = static_cast<std::uint32_t>(text.size());
    }
    void Open(TokenKind kind) {
        Nested(1);
        Push(kind);
        open_.push_back(static_cast<std::uint32_t>(tokens_.size() - 1));
    }
    // A container's depth is held as the deepest of its entries until it ends.
    void Nested(std::uint8_t depth) {
        if (open_.empty()) return;
        std::uint8_t& held = tokens_[open_.back()].depth;
        held = std::max(held, depth);
    }

    std::vector<Token> tokens_;
    std::vector<std::uint32_t> open_;
};

std::string_view TextOf(const Token& token) { return {token.text, token.size}; }

// ---- Drawing -> tokens ------------------------------------------------------------------------

class SheetWriter {
public:
    SheetWriter(const cad::Drawing& drawing, const fs::path& baseFolder)
        : drawing_(drawing), macro_(MacroPathForFolder(drawing.macroProjectPath, baseFolder)) {}

    // Everything but the elements of each model, which stand as one Elements token each.
    void Sheet(Tokens& out) const {
        out.Object();
        out.Text("format", SheetFormatName);
        out.Integer("version", SheetFormatVersion);
        if (!macro_.empty()) out.Text("macroProjectPath", macro_);
        if (drawing_.activeUnitFactor != 1.0) out.Number("activeUnitFactor", drawing_.activeUnitFactor);
        if (!(drawing_.activeSymbology == Symbology{})) {
            out.Key("activeSymbology");
            out.Object();
            WriteSymbology(out, drawing_.activeSymbology, Symbology{});
            out.End();
        }
        const FenceModes& fence = drawing_.fenceModes;
        const FenceModes defaults;
        if (fence.overlap != defaults.overlap || fence.clip != defaults.clip ||
            fence.outside != defaults.outside) {
            out.Key("fenceModes");
            out.Object();
            if (fence.overlap != defaults.overlap) out.Boolean("overlap", fence.overlap);
            if (fence.clip != defaults.clip) out.Boolean("clip", fence.clip);
            if (fence.outside != defaults.outside) out.Boolean("outside", fence.outside);
            out.End();
        }
        Levels(out);
        LineStyles(out);
        TextStyles(out);
        DimensionStyles(out);
        Views(out);
        if (!drawing_.activeModel.Empty()) out.Key("elements"), out.Elements(drawing_.activeModel);
        if (!drawing_.attachments.empty()) {
            out.Key("attachments");
            out.Array();
            for (const auto& attachment : drawing_.attachments) Attachment(out, attachment);
            out.End();
        }
        out.End();
    }

    // A model's element, or a cell's component when isComponent.
    void ElementTokens(Tokens& out, const Element& element, const Symbology& defaults,
                       bool isComponent) const {
        out.Object();
        if (!isComponent || element.id != NoElementId) out.Integer("id", element.id);
        out.Text("type", sheet::KeyOfElementType(element.type));
        const auto* cell = std::get_if<CellGeometry>(&element.geometry);
        if (cell) out.Text("name", cell->name);
        WriteSymbology(out, element.symbology, defaults);
        if (element.locked) out.Boolean("locked", true);
        WriteGeometry(out, element);
        if (!element.properties.empty()) Properties(out, element.properties);
        if (cell && !cell->components.empty()) {
            out.Key("components");
            out.Array();
            for (const auto& component : cell->components)
                ElementTokens(out, component, element.symbology, true);
            out.End();
        }
        out.End();
    }

private:
    void Levels(Tokens& out) const {
        if (drawing_.levels.empty()) return;
        out.Key("levels");
        out.Array();
        std::optional<int> previousId;
        for (const auto& level : drawing_.levels) {
            out.Object();
            out.Text("name", level.name);
            if (level.id != sheet::DefaultLevelId(previousId)) out.Integer("id", level.id);
            previousId = level.id;
            out.End();
        }
        out.End();
    }

    void LineStyles(Tokens& out) const {
        if (drawing_.lineStyles.empty()) return;
        out.Key("lineStyles");
        out.Array();
        for (const auto& style : drawing_.lineStyles) {
            out.Object();
            out.Text("name", style.name);
            if (!style.dashes.empty()) {
                out.Key("dashes");
                out.Array();
                for (double dash : style.dashes) out.Number(dash);
                out.End();
            }
            out.End();
        }
        out.End();
    }

    void TextStyles(Tokens& out) const {
        if (drawing_.textStyles.empty()) return;
        out.Key("textStyles");
        out.Array();
        const TextStyle defaults;
        for (const auto& style : drawing_.textStyles) {
            out.Object();
            out.Text("name", style.name);
            if (style.height != defaults.height) out.Number("height", style.height);
            if (style.width != defaults.width) out.Number("width", style.width);
            if (style.font != defaults.font) out.Text("font", style.font);
            out.End();
        }
        out.End();
    }

    static void WriteDimensionOptions(Tokens& out, const DimensionOptions& options,
                                      const DimensionOptions& defaults) {
        if (options.terminator != defaults.terminator) out.Integer("terminator", options.terminator);
        if (options.textMargin != defaults.textMargin) out.Number("textMargin", options.textMargin);
        if (options.extensionOvershoot != defaults.extensionOvershoot)
            out.Number("extensionOvershoot", options.extensionOvershoot);
    }

    void DimensionStyles(Tokens& out) const {
        if (drawing_.dimensionStyles.empty()) return;
        out.Key("dimensionStyles");
        out.Array();
        const DimensionStyle defaults;
        for (const auto& style : drawing_.dimensionStyles) {
            out.Object();
            out.Text("name", style.name);
            if (style.textHeight != defaults.textHeight) out.Number("textHeight", style.textHeight);
            if (style.decimals != defaults.decimals) out.Integer("decimals", style.decimals);
            WriteDimensionOptions(out, style.options, defaults.options);
            out.End();
        }
        out.End();
    }

    // Views after the last change repeat the one before them and are left out.
    void Views(Tokens& out) const {
        const auto& views = drawing_.views;
        std::size_t count = 1;
        for (std::size_t i = 1; i < views.size(); ++i)
            if (!(views[i] == views[i - 1])) count = i + 1;
        if (count == 1 && views[0] == ViewArea{}) return;
        out.Key("views");
        out.Array();
        for (std::size_t i = 0; i < count; ++i) {
            const ViewArea& view = views[i];
            out.Object();
            out.Key("origin"), out.Point(view.origin);
            out.Key("extent"), out.Point(view.extent);
            if (!(view.rotation == Matrix3d::Identity())) out.Key("rotation"), out.Matrix(view.rotation);
            out.End();
        }
        out.End();
    }

    static void WriteSymbology(Tokens& out, const Symbology& symbology, const Symbology& defaults) {
        if (symbology.level != defaults.level) out.Text("level", symbology.level);
        if (symbology.colour != defaults.colour) out.Integer("colour", symbology.colour);
        if (symbology.lineStyle != defaults.lineStyle) out.Text("lineStyle", symbology.lineStyle);
        if (symbology.weight != defaults.weight) out.Integer("weight", symbology.weight);
    }

    static void Properties(Tokens& out, const PropertyList& properties) {
        out.Key("properties");
        out.Array();
        for (const auto& property : properties) {
            out.Object();
            out.Text("name", property.accessString);
            if (property.value.IsNumber()) out.Number("number", property.value.Number());
            if (property.value.IsText()) out.Text("text", property.value.Text());
            out.End();
        }
        out.End();
    }

    void WriteGeometry(Tokens& out, const Element& element) const {
        std::visit(
            [&](const auto& g) {
                using G = std::decay_t<decltype(g)>;
                if constexpr (std::is_same_v<G, LinearGeometry>) {
                    out.Key("vertices"), out.Points(g.vertices);
                } else if constexpr (std::is_same_v<G, EllipseGeometry>) {
                    out.Key("centre"), out.Point(g.centre);
                    out.Number("primaryRadius", g.primaryRadius);
                    if (g.secondaryRadius != g.primaryRadius)
                        out.Number("secondaryRadius", g.secondaryRadius);
                    if (!(g.rotation == Matrix3d::Identity())) out.Key("rotation"), out.Matrix(g.rotation);
                } else if constexpr (std::is_same_v<G, TextGeometry>) {
                    out.Text("text", g.text);
                    out.Key("origin"), out.Point(g.origin);
                    if (!(g.rotation == Matrix3d::Identity())) out.Key("rotation"), out.Matrix(g.rotation);
                    if (!g.style.empty()) out.Text("style", g.style);
                    const auto [height, width] = sheet::DefaultTextSize(drawing_, g.style);
                    if (g.height != height) out.Number("height", g.height);
                    if (g.width != width) out.Number("width", g.width);
                    if (g.justification != TextGeometry{}.justification)
                        out.Integer("justification", g.justification);
                    if (!g.fixedOrigin) out.Boolean("fixedOrigin", false);
                } else if constexpr (std::is_same_v<G, CellGeometry>) {
                    out.Key("origin"), out.Point(g.origin);
                    if (g.pointCell) out.Boolean("pointCell", true);
                    if (g.scale != CellGeometry{}.scale) {
                        out.Key("scale");
                        out.Array();
                        for (double factor : g.scale) out.Number(factor);
                        out.End();
                    }
                } else if constexpr (std::is_same_v<G, DimensionGeometry>) {
                    const DimensionGeometry defaults;
                    out.Key("points"), out.Points(g.points);
                    bool anyText = false;
                    for (const auto& text : g.segmentTexts) anyText = anyText || !text.empty();
                    if (anyText) {
                        out.Key("segmentTexts");
                        out.Array();
                        for (const auto& text : g.segmentTexts) out.Text(text);
                        out.End();
                    }
                    if (!(g.rotation == Matrix3d::Identity())) out.Key("rotation"), out.Matrix(g.rotation);
                    if (g.dimensionType != defaults.dimensionType)
                        out.Integer("dimensionType", g.dimensionType);
                    if (!g.style.empty()) out.Text("style", g.style);
                    WriteDimensionOptions(out, g.options, sheet::DefaultDimensionOptions(drawing_, g.style));
                    if (g.offset != defaults.offset) out.Number("offset", g.offset);
                    if (g.scale != defaults.scale) out.Number("scale", g.scale);
                    if (g.savedValue != defaults.savedValue)
                        out.Key("savedValue"), out.Unsigned(g.savedValue);
                }
            },
            element.geometry);
    }

    void Attachment(Tokens& out, const cad::Attachment& attachment) const {
        const cad::Attachment defaults;
        out.Object();
        out.Text("name", attachment.name);
        if (attachment.unitFactor != defaults.unitFactor) out.Number("unitFactor", attachment.unitFactor);
        if (attachment.scaleDivisor != defaults.scaleDivisor)
            out.Number("scaleDivisor", attachment.scaleDivisor);
        if (attachment.displayed != defaults.displayed) out.Boolean("displayed", attachment.displayed);
        const Matrix3d matrix = attachment.toActive.Linear();
        const Point translation = attachment.toActive.Translation();
        const bool identityMatrix = matrix == Matrix3d::Identity();
        const bool noTranslation = translation == Point{};
        if (!identityMatrix || !noTranslation) {
            out.Key("transform");
            out.Object();
            if (!identityMatrix) out.Key("matrix"), out.Matrix(matrix);
            if (!noTranslation) out.Key("translation"), out.Point(translation);
            out.End();
        }
        if (!attachment.model.Empty()) out.Key("elements"), out.Elements(attachment.model);
        out.End();
    }

    const cad::Drawing& drawing_;
    std::string macro_;
};

// ---- Text -------------------------------------------------------------------------------------

// Quotes, backslashes and control characters escaped; everything else as it is, so that
// names with accents read the same in the file as on the sheet.
void AppendQuoted(std::string_view text, std::string& out) {
    out += '"';
    std::size_t plain = 0;  // start of the run of characters copied as they are
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20) continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
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
            default: {
                static constexpr char Hex[] = "0123456789abcdef";
                out += "\\u00";
                out += Hex[(c >> 4) & 0xF];
                out += Hex[c & 0xF];
            }
        }
    }
    out.append(text, plain, text.size() - plain);
    out += '"';
}

// DoubleToText without a string of its own for each number.
void AppendNumber(double value, std::string& out) {
    char buffer[64];
    char* end = buffer;
    if (value == 0.0)
        *end++ = '0';
    else if (std::abs(value) < 1e15 && value == static_cast<double>(static_cast<long long>(value)))
        end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value)).ptr;
    else
        end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

template <typename Integer>
void AppendInteger(Integer value, std::string& out) {
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The JSON pointer of the value at `target` in a token list.
std::string PointerTo(const Tokens& tokens, std::size_t target) {
    struct Frame {
        bool object;
        std::string_view key;
        std::size_t index = 0;
    };
    std::vector<Frame> frames;
    const auto valueDone = [&frames] {
        if (!frames.empty() && !frames.back().object) ++frames.back().index;
    };
    for (std::size_t i = 0; i < target; ++i) {
        const Token& token = tokens[i];
        switch (token.kind) {
            case TokenKind::Object:
            case TokenKind::Array:
                frames.push_back({token.kind == TokenKind::Object, {}});
                break;
            case TokenKind::End:
                frames.pop_back();
                valueDone();
                break;
            case TokenKind::Key:
                frames.back().key = TextOf(token);
                break;
            default:
                valueDone();
        }
    }
    std::string path;
    for (const Frame& frame : frames)
        path += "/" + (frame.object ? sheet::PointerToken(frame.key) : std::to_string(frame.index));
    return path;
}

constexpr std::size_t LineWidth = 100;
constexpr int IndentStep = 2;

// Small values (a point, a row of a matrix, a property, a level) stay on one line when they
// fit; elements and anything deeper open up, one entry a line.
class Printer {
public:
    // With `spill`, the text written so far goes there between elements whenever it has grown
    // past SpillSize, so that a large sheet is never held whole (twice, while the string
    // grows) in memory.
    Printer(const SheetWriter& writer, const Tokens& sheet, const std::string& source, std::string& out,
            std::ostream* spill = nullptr)
        : writer_(writer), sheet_(sheet), source_(source), out_(out), spill_(spill) {}

    void Sheet() { Print(sheet_, 0, 0); }

private:
    // Returns the index after the value.
    std::size_t Print(const Tokens& tokens, std::size_t at, int indent) {
        const Token& token = tokens[at];
        if (token.kind == TokenKind::Elements) {
            PrintElements(*token.model, at, indent);
            return at + 1;
        }
        const bool container = token.kind == TokenKind::Object || token.kind == TokenKind::Array;
        if (!container || token.size == at + 1) return Inline(tokens, at);
        if (!token.element && token.depth <= 2) {
            const std::size_t start = out_.size();
            const std::size_t column = start - (out_.rfind('\n') + 1);
            const std::size_t next =
                Inline(tokens, at, column < LineWidth ? start + (LineWidth - column) : start);
            if (next != TooLong) return next;
            out_.resize(start);
        }
        const bool object = token.kind == TokenKind::Object;
        out_ += object ? "{\n" : "[\n";
        std::size_t i = at + 1;
        for (bool first = true; tokens[i].kind != TokenKind::End; first = false) {
            if (!first) out_ += ",\n";
            out_.append(static_cast<std::size_t>(indent + IndentStep), ' ');
            if (object) {
                AppendQuoted(TextOf(tokens[i++]), out_);
                out_ += ": ";
            }
            i = Print(tokens, i, indent + IndentStep);
        }
        out_ += '\n';
        out_.append(static_cast<std::size_t>(indent), ' ');
        out_ += object ? '}' : ']';
        return i + 1;
    }

    static constexpr std::size_t TooLong = SIZE_MAX;

    // Returns the index after the value, or TooLong as soon as the text goes past `limit`, so
    // that a list too long for one line (a component's properties) is not written out whole
    // before it is written again one entry a line.
    std::size_t Inline(const Tokens& tokens, std::size_t at, std::size_t limit = SIZE_MAX) {
        const Token& token = tokens[at];
        switch (token.kind) {
            case TokenKind::Object:
            case TokenKind::Array: {
                const bool object = token.kind == TokenKind::Object;
                out_ += object ? '{' : '[';
                std::size_t i = at + 1;
                for (bool first = true; tokens[i].kind != TokenKind::End; first = false) {
                    if (!first) out_ += ", ";
                    if (object) {
                        AppendQuoted(TextOf(tokens[i++]), out_);
                        out_ += ": ";
                    }
                    i = Inline(tokens, i, limit);
                    if (i == TooLong || out_.size() > limit) return TooLong;
                }
                out_ += object ? '}' : ']';
                return out_.size() > limit ? TooLong : i + 1;
            }
            case TokenKind::Number:
                // Everything the printer writes must read back: JSON has no infinities or NaN.
                if (!std::isfinite(token.number))
                    Fail(tokens, at,
                         "cannot write the number " + DoubleToText(token.number) +
                             " (only finite numbers can be stored)");
                AppendNumber(token.number, out_);
                break;
            case TokenKind::Integer:
                AppendInteger(token.integer, out_);
                break;
            case TokenKind::Unsigned:
                AppendInteger(token.unsignedInteger, out_);
                break;
            case TokenKind::Boolean:
                out_ += token.boolean ? "true" : "false";
                break;
            case TokenKind::Text:
                if (!sheet::IsValidUtf8(TextOf(token)))
                    Fail(tokens, at, "cannot write text that is not valid UTF-8");
                AppendQuoted(TextOf(token), out_);
                break;
            default:
                break;
        }
        return at + 1;
    }

    void PrintElements(const cad::ElementStore& model, std::size_t at, int indent) {
        elementsAt_ = at;
        out_ += "[\n";
        const std::string inner(static_cast<std::size_t>(indent + IndentStep), ' ');
        element_ = 0;
        for (const auto& [id, entry] : model.Entries()) {
            if (element_ != 0) out_ += ",\n";
            // Nothing before this point is looked at again: a value's one-line attempt only
            // goes back to where that value began, and this element's first line break
            // comes before any such attempt in it.
            if (spill_ && out_.size() > SpillSize) {
                spill_->write(out_.data(), static_cast<std::streamsize>(out_.size()));
                out_.clear();
            }
            out_ += inner;
            elementTokens_.Clear();
            writer_.ElementTokens(elementTokens_, entry.element, sheet::ModelElementSymbology(), false);
            inElement_ = true;
            Print(elementTokens_, 0, indent + IndentStep);
            inElement_ = false;
            ++element_;
        }
        out_ += '\n';
        out_.append(static_cast<std::size_t>(indent), ' ');
        out_ += ']';
    }

    // Faults are rare, so their place is worked out only when there is one.
    [[noreturn]] void Fail(const Tokens& tokens, std::size_t at, const std::string& problem) const {
        const std::string pointer = inElement_ ? PointerTo(sheet_, elementsAt_) + "/" +
                                                     std::to_string(element_) + PointerTo(tokens, at)
                                               : PointerTo(tokens, at);
        throw SheetError(source_, pointer, problem);
    }

    const SheetWriter& writer_;
    const Tokens& sheet_;
    const std::string& source_;
    static constexpr std::size_t SpillSize = std::size_t{1} << 20;

    std::string& out_;
    std::ostream* spill_;
    Tokens elementTokens_;  // of the element being printed; its storage serves every element
    bool inElement_ = false;
    std::size_t elementsAt_ = 0;  // the Elements token being printed
    std::size_t element_ = 0;     // which of its elements
};

// With `spill`, most of the text goes there and the rest is returned.
std::string WriteSheet(const cad::Drawing& drawing, const fs::path& baseFolder, const std::string& source,
                       std::ostream* spill = nullptr) {
    const SheetWriter writer(drawing, baseFolder);
    Tokens sheet;
    writer.Sheet(sheet);
    std::string out;
    Printer(writer, sheet, source, out, spill).Sheet();
    out += '\n';
    return out;
}

}  // namespace

std::string SerializeSheet(const cad::Drawing& drawing, const fs::path& baseFolder) {
    return WriteSheet(drawing, baseFolder, "sheet");
}

void AddSheet(OutputSet& outputs, const cad::Drawing& drawing, const fs::path& path) {
    outputs.Add(path, [&](std::ostream& file) {
        const std::string rest = WriteSheet(drawing, fs::absolute(path).parent_path(), path.string(), &file);
        file.write(rest.data(), static_cast<std::streamsize>(rest.size()));
    });
}

void SaveSheet(const cad::Drawing& drawing, const fs::path& path) {
    OutputSet output;
    AddSheet(output, drawing, path);
    output.Commit();
}

}  // namespace zkl::io
