#include "io/dxf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "cad/text_metrics.h"
#include "host/host_error.h"
#include "host/property_value.h"

namespace zkl::io {

namespace {

constexpr std::string_view LabelCellName = "ZKL_Label";
constexpr std::string_view LabelBlockPrefix = "ZKL_LABEL_";
constexpr std::string_view StandardStyle = "STANDARD";
constexpr std::string_view Continuous = "CONTINUOUS";
// The fixed-pitch shape font every CAD program ships or substitutes: the text-metrics rule
// gives every glyph the same cell, which no proportional font keeps.
constexpr std::string_view TextFont = "monotxt";
constexpr std::size_t MaxEllipseVertices = 100000;

// Names in one table, each given once: a wanted name already taken gets "_2", "_3", ...
// with its start cut so the whole stays within the length limit.
class UniqueNames {
public:
    void Reserve(const std::string& name) { taken_.insert(name); }
    bool Taken(const std::string& name) const { return taken_.count(name) != 0; }

    std::string Claim(const std::string& wanted) {
        std::string name = wanted;
        for (int suffix = 2; Taken(name); ++suffix) {
            const std::string tail = "_" + std::to_string(suffix);
            name = wanted.substr(0, std::min(wanted.size(), DxfSymbolLength - tail.size())) + tail;
        }
        taken_.insert(name);
        return name;
    }

private:
    std::set<std::string> taken_;
};

// One group: the code right-aligned in three columns as AutoCAD writes it, then the value.
void Group(std::string& out, int code, std::string_view value) {
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, "%3d\r\n", code);
    out.append(buffer, static_cast<std::size_t>(length));
    out += value;
    out += "\r\n";
}

void Group(std::string& out, int code, int value) { Group(out, code, std::to_string(value)); }

// Builds the file: blocks and entities while walking the display list, then the header
// and tables, which need what the walk found.
class Writer {
public:
    Writer(const cad::Drawing& drawing, const DisplayList& list)
        : drawing_(drawing), list_(list), layers_(DxfLayersOf(drawing)) {
        NameLinetypes();
        NameTextStyles();
    }

    std::string Write() {
        std::string entities;
        for (const DisplayModel& model : list_.models) {
            if (model.reference && (model.model < 1 || model.model >= drawing_.ModelCount()))
                throw HostError("the display list does not match the drawing; it has no attachment " +
                                std::to_string(model.model));
            for (const DisplayElement& element : model.elements) {
                where_ = ElementTypeName(element.type) + std::string(" ") + std::to_string(element.id) +
                         (model.reference ? " of attachment '" + model.name + "'" : "");
                labelsInElement_ = 0;
                topKey_ = (model.reference ? "R" + std::to_string(model.model) + "_" : std::string()) +
                          std::to_string(element.id);
                WriteElement(element, SourceOf(model, element), Target{model, entities}, true);
            }
        }
        where_ = "the sheet's extent";
        std::string file;
        WriteHeader(file);
        WriteTables(file);
        Group(file, 0, "SECTION");
        Group(file, 2, "BLOCKS");
        file += blocks_;
        Group(file, 0, "ENDSEC");
        Group(file, 0, "SECTION");
        Group(file, 2, "ENTITIES");
        file += entities;
        Group(file, 0, "ENDSEC");
        Group(file, 0, "EOF");
        return file;
    }

private:
    // ---- Names --------------------------------------------------------------------------

    void NameLinetypes() {
        UniqueNames taken;
        for (const char* reserved : {"CONTINUOUS", "BYLAYER", "BYBLOCK"}) taken.Reserve(reserved);
        for (const LineStyle& style : drawing_.lineStyles) {
            if (linetypes_.count(style.name) != 0) continue;
            const std::vector<double> elements =
                DxfDashElements(DashPatternOf(drawing_.lineStyles, style.name));
            if (elements.empty()) continue;  // solid: CONTINUOUS
            const std::string symbol = DxfSymbolName(style.name);
            linetypes_[style.name] = taken.Claim(symbol.empty() ? "_" : symbol);
            linetypeOrder_.push_back(&style);
        }
    }

    void NameTextStyles() {
        UniqueNames taken;
        taken.Reserve(std::string(StandardStyle));
        for (const TextStyle& style : drawing_.textStyles) {
            if (textStyles_.count(style.name) != 0) continue;
            const std::string symbol = DxfSymbolName(style.name);
            // A sheet style named Standard gives STANDARD its sizes.
            if (symbol == StandardStyle) {
                if (!standard_) standard_ = &style;
                textStyles_[style.name] = symbol;
                continue;
            }
            textStyles_[style.name] = taken.Claim(symbol.empty() ? "_" : symbol);
            textStyleOrder_.push_back(&style);
        }
    }

    const std::string& LayerOf(const DisplayModel& model, const DisplayStyle& style) const {
        if (model.reference) return layers_.attachments[static_cast<std::size_t>(model.model - 1)];
        return layers_.OfLevel(style.symbology.level);
    }

    // Block names follow the element ids, so a drafter can find the label's element:
    // ZKL_LABEL_<id> for a label of the active model, ZKL_LABEL_R<model>_<id> for one of an
    // attachment, and "_<n>" after that for the n-th label cell inside another cell.
    std::string BlockName(bool topLevel) {
        std::string name = std::string(LabelBlockPrefix) + topKey_;
        if (!topLevel) name += "_" + std::to_string(++labelsInElement_);
        // Ids too long for a Release 12 name, which no real sheet has, fall back to a count.
        for (int fallback = 1; name.size() > DxfSymbolLength || blockNames_.Taken(name); ++fallback)
            name = std::string(LabelBlockPrefix) + "X" + std::to_string(fallback);
        blockNames_.Reserve(name);
        return name;
    }

    // ---- Walking the display list -------------------------------------------------------

    // Where the elements being walked go: the entities section or a label's block.
    struct Target {
        const DisplayModel& model;
        std::string& out;
        bool inBlock = false;
    };

    const Element* SourceOf(const DisplayModel& model, const DisplayElement& element) const {
        if (model.model < 0 || model.model >= drawing_.ModelCount()) return nullptr;
        return drawing_.Model(model.model).Find(element.id);
    }

    // `source` is the drawing's element the display element shows, when known: cells take
    // their origin from it. Cells list their components in order, dimensions their graphics.
    void WriteElement(const DisplayElement& element, const Element* source, const Target& target,
                      bool topLevel) {
        const bool cell = element.type == ElementType::Cell;
        // A label inside a label is part of the outer label's block.
        if (cell && element.cellName == LabelCellName && !target.inBlock)
            return WriteLabel(element, source, target, topLevel);
        for (std::size_t i = 0; i < element.parts.size(); ++i) {
            const Element* part = nullptr;
            if (cell && source != nullptr && source->IsCell() && i < source->Cell().components.size())
                part = &source->Cell().components[i];
            WriteElement(element.parts[i], part, target, false);
        }
        if (element.shape) WritePrimitive(element, *element.shape, target);
    }

    void WriteLabel(const DisplayElement& cell, const Element* source, const Target& target, bool topLevel) {
        if (source == nullptr || !source->IsCell())
            throw HostError(where_ + ": the display list does not match the drawing; label cell " +
                            std::to_string(cell.id) + " is not in it");
        Point origin = source->Cell().origin;
        if (target.model.reference) origin = drawing_.AttachmentOf(target.model.model).toActive.Apply(origin);
        const std::string name = BlockName(topLevel);

        // Contents stay in sheet coordinates; base point and insertion point are both the
        // cell's origin, so the inserted block lands where the cell was.
        std::string block;
        Group(block, 0, "BLOCK");
        Group(block, 8, "0");
        Group(block, 2, name);
        Group(block, 70, 0);
        WritePoint(block, 10, origin);
        Group(block, 3, name);
        WriteElement(cell, source, Target{target.model, block, true}, topLevel);
        Group(block, 0, "ENDBLK");
        Group(block, 8, "0");
        blocks_ += block;

        Group(target.out, 0, "INSERT");
        Group(target.out, 8, LayerOf(target.model, cell.style));
        Group(target.out, 62, NearestAci(cell.style.colour));
        Group(target.out, 2, name);
        WritePoint(target.out, 10, origin);
    }

    void WritePrimitive(const DisplayElement& shown, const Element& element, const Target& target) {
        const std::string& layer = LayerOf(target.model, shown.style);
        if (element.IsText()) return WriteText(shown, element.Text(), layer, target.out);
        if (element.IsEllipse()) return WriteEllipse(shown, element.Ellipse(), layer, target);
        if (!element.IsLinear()) return;
        std::vector<Point> vertices = element.Linear().vertices;
        if (vertices.size() < 2) return;  // nothing is drawn
        const bool closed = element.type == ElementType::Shape;
        if (closed && vertices.size() > 2 && vertices.front() == vertices.back()) vertices.pop_back();
        if (shown.filled) return WriteSolid(shown, vertices, layer, target.out);
        if (element.type == ElementType::Line && vertices.size() == 2)
            return WriteLine(shown, vertices[0], vertices[1], layer, target.out);
        WritePolyline(shown, vertices, closed, layer, target);
    }

    void WriteLine(const DisplayElement& shown, const Point& from, const Point& to, const std::string& layer,
                   std::string& out) {
        Start(out, "LINE", layer, shown.style, true);
        WritePoint(out, 10, from);
        WritePoint(out, 11, to);
    }

    void WritePolyline(const DisplayElement& shown, const std::vector<Point>& vertices, bool closed,
                       const std::string& layer, const Target& target) {
        std::string& out = target.out;
        // Readers link a POLYLINE's SEQEND to its owner when they meet it, and in a block
        // some (ezdxf 0.18, Debian 12's) do that before the block owns the polyline and
        // then report the SEQEND as broken; a label's block holds plain lines instead.
        if (target.inBlock) {
            for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
                WriteLine(shown, vertices[i], vertices[i + 1], layer, out);
            if (closed && vertices.size() > 2)
                WriteLine(shown, vertices.back(), vertices.front(), layer, out);
            return;
        }
        const bool dashed = Linetype(shown.style) != nullptr;
        Start(out, "POLYLINE", layer, shown.style, true);
        Group(out, 66, 1);
        WritePoint(out, 10, Point{});
        // 1: closed; 128: the dash pattern runs on around the vertices, as in the SVG.
        Group(out, 70, (closed ? 1 : 0) | (dashed ? 128 : 0));
        for (const Point& vertex : vertices) {
            Group(out, 0, "VERTEX");
            Group(out, 8, layer);
            WritePoint(out, 10, vertex);
        }
        Group(out, 0, "SEQEND");
        Group(out, 8, layer);
    }

    // A filled arrowhead. SOLID takes its corners in the order 1, 2, 4, 3, and three or four
    // of them; a polygon with more is cut into a fan of triangles.
    void WriteSolid(const DisplayElement& shown, const std::vector<Point>& vertices, const std::string& layer,
                    std::string& out) {
        const auto solid = [&](const Point& a, const Point& b, const Point& c, const Point& d) {
            Start(out, "SOLID", layer, shown.style, false);
            WritePoint(out, 10, a);
            WritePoint(out, 11, b);
            WritePoint(out, 12, d);
            WritePoint(out, 13, c);
        };
        const std::size_t n = vertices.size();
        if (n <= 4) {
            solid(vertices[0], vertices[1], vertices[std::min<std::size_t>(2, n - 1)], vertices[n - 1]);
            return;
        }
        for (std::size_t i = 1; i + 1 < n; ++i)
            solid(vertices[0], vertices[i], vertices[i + 1], vertices[i + 1]);
    }

    void WriteEllipse(const DisplayElement& shown, const EllipseGeometry& ellipse, const std::string& layer,
                      const Target& target) {
        DxfEllipse drawn;
        try {
            drawn = DxfEllipseOf(ellipse);
        } catch (const HostError& error) {
            throw HostError(where_ + ": " + error.what());
        }
        if (drawn.circle) {
            if (!(drawn.radius > 0.0)) return;  // a point: nothing is drawn
            Start(target.out, "CIRCLE", layer, shown.style, true);
            WritePoint(target.out, 10, drawn.centre);
            Group(target.out, 40, Number(drawn.radius));
            return;
        }
        WritePolyline(shown, drawn.vertices, true, layer, target);
    }

    void WriteText(const DisplayElement& shown, const TextGeometry& text, const std::string& layer,
                   std::string& out) {
        if (!(text.height > 0.0) || !(text.width > 0.0)) return;  // the box holds nothing
        const auto style = textStyles_.find(text.style);
        for (const DxfTextPiece& piece : SplitDxfText(text.text)) {
            const auto placement = PlaceDxfText(text, piece.firstGlyph, piece.glyphs);
            if (!placement) return;  // seen edge-on
            Start(out, "TEXT", layer, shown.style, false);
            WritePoint(out, 10, placement->first);
            Group(out, 40, Number(placement->height));
            Group(out, 1, piece.value);
            if (placement->rotation != 0.0) Group(out, 50, Number(placement->rotation));
            if (placement->widthFactor != 1.0) Group(out, 41, Number(placement->widthFactor));
            if (placement->oblique != 0.0) Group(out, 51, Number(placement->oblique));
            if (style != textStyles_.end() && style->second != StandardStyle) Group(out, 7, style->second);
            if (placement->upsideDown) Group(out, 71, 4);
            if (placement->horizontal != 0) Group(out, 72, placement->horizontal);
            if (placement->horizontal != 0 || placement->vertical != 0)
                WritePoint(out, 11, placement->second);
            if (placement->vertical != 0) Group(out, 73, placement->vertical);
        }
    }

    // ---- Groups -------------------------------------------------------------------------

    const std::string* Linetype(const DisplayStyle& style) const {
        const auto found = linetypes_.find(style.symbology.lineStyle);
        return found == linetypes_.end() ? nullptr : &found->second;
    }

    void Start(std::string& out, const char* type, const std::string& layer, const DisplayStyle& style,
               bool withLinetype) {
        Group(out, 0, type);
        Group(out, 8, layer);
        if (withLinetype)
            if (const std::string* linetype = Linetype(style)) Group(out, 6, *linetype);
        Group(out, 62, NearestAci(style.colour));
    }

    std::string Number(double value) const {
        if (!std::isfinite(value)) throw HostError(where_ + ": a coordinate or size is not a finite number");
        return DoubleToText(value);
    }

    // The sheet seen from above: x and y, z always 0.
    void WritePoint(std::string& out, int code, const Point& p) const {
        Group(out, code, Number(p.x));
        Group(out, code + 10, Number(p.y));
        Group(out, code + 20, "0");
    }

    // ---- Header and tables --------------------------------------------------------------

    void Variable(std::string& out, std::string_view name) { Group(out, 9, name); }

    void WriteHeader(std::string& out) {
        const Range extent = list_.extent.value_or(Range{});
        Group(out, 0, "SECTION");
        Group(out, 2, "HEADER");
        Variable(out, "$ACADVER");
        Group(out, 1, "AC1009");
        Variable(out, "$DWGCODEPAGE");
        Group(out, 3, "ANSI_1252");
        Variable(out, "$INSBASE");
        WritePoint(out, 10, Point{});
        Variable(out, "$EXTMIN");
        WritePoint(out, 10, extent.low);
        Variable(out, "$EXTMAX");
        WritePoint(out, 10, extent.high);
        Variable(out, "$LIMMIN");
        Group(out, 10, Number(extent.low.x));
        Group(out, 20, Number(extent.low.y));
        Variable(out, "$LIMMAX");
        Group(out, 10, Number(extent.high.x));
        Group(out, 20, Number(extent.high.y));
        // Dash lengths are drawing units, as on the sheet.
        Variable(out, "$LTSCALE");
        Group(out, 40, "1");
        Variable(out, "$CLAYER");
        Group(out, 8, "0");
        Variable(out, "$TEXTSTYLE");
        Group(out, 7, StandardStyle);
        Group(out, 0, "ENDSEC");
    }

    static void OpenTable(std::string& out, std::string_view name, std::size_t entries) {
        Group(out, 0, "TABLE");
        Group(out, 2, name);
        Group(out, 70, static_cast<int>(entries));
    }
    static void CloseTable(std::string& out) { Group(out, 0, "ENDTAB"); }

    void WriteTables(std::string& out) {
        Group(out, 0, "SECTION");
        Group(out, 2, "TABLES");
        WriteViewport(out);
        WriteLinetypes(out);
        WriteLayers(out);
        WriteTextStyles(out);
        for (const char* empty : {"VIEW", "UCS"}) {
            OpenTable(out, empty, 0);
            CloseTable(out);
        }
        OpenTable(out, "APPID", 1);
        Group(out, 0, "APPID");
        Group(out, 2, "ACAD");
        Group(out, 70, 0);
        CloseTable(out);
        OpenTable(out, "DIMSTYLE", 0);
        CloseTable(out);
        Group(out, 0, "ENDSEC");
    }

    // The view a CAD program opens with: the whole sheet and a margin around it.
    void WriteViewport(std::string& out) {
        const Range extent = list_.extent.value_or(Range{});
        const double width = std::max(extent.high.x - extent.low.x, 1.0);
        const double height = std::max(extent.high.y - extent.low.y, 1.0);
        OpenTable(out, "VPORT", 1);
        Group(out, 0, "VPORT");
        Group(out, 2, "*ACTIVE");
        Group(out, 70, 0);
        Group(out, 10, "0");
        Group(out, 20, "0");
        Group(out, 11, "1");
        Group(out, 21, "1");
        Group(out, 12, Number((extent.low.x + extent.high.x) / 2));
        Group(out, 22, Number((extent.low.y + extent.high.y) / 2));
        Group(out, 13, "0");
        Group(out, 23, "0");
        Group(out, 14, "1");
        Group(out, 24, "1");
        Group(out, 15, "0");
        Group(out, 25, "0");
        Group(out, 16, "0");
        Group(out, 26, "0");
        Group(out, 36, "1");
        Group(out, 17, "0");
        Group(out, 27, "0");
        Group(out, 37, "0");
        Group(out, 40, Number(height * 1.1));
        Group(out, 41, Number(width / height));
        Group(out, 42, "50");
        Group(out, 43, "0");
        Group(out, 44, "0");
        Group(out, 50, "0");
        Group(out, 51, "0");
        for (const auto& [code, value] : std::initializer_list<std::pair<int, int>>{
                 {71, 0}, {72, 100}, {73, 1}, {74, 3}, {75, 0}, {76, 0}, {77, 0}, {78, 0}})
            Group(out, code, value);
        CloseTable(out);
    }

    void WriteLinetypes(std::string& out) {
        OpenTable(out, "LTYPE", 1 + linetypeOrder_.size());
        Group(out, 0, "LTYPE");
        Group(out, 2, Continuous);
        Group(out, 70, 0);
        Group(out, 3, "Solid line");
        Group(out, 72, 65);
        Group(out, 73, 0);
        Group(out, 40, "0");
        for (const LineStyle* style : linetypeOrder_) {
            const std::vector<double> elements =
                DxfDashElements(DashPatternOf(drawing_.lineStyles, style->name));
            double total = 0.0;
            for (const double element : elements) total += std::abs(element);
            Group(out, 0, "LTYPE");
            Group(out, 2, linetypes_.at(style->name));
            Group(out, 70, 0);
            // A description is a string value like any other: at most one piece's length.
            Group(out, 3, SplitDxfText("Line style " + style->name).front().value);
            Group(out, 72, 65);  // "A": the only alignment there is
            Group(out, 73, static_cast<int>(elements.size()));
            Group(out, 40, Number(total));
            for (const double element : elements) Group(out, 49, Number(element));
        }
        CloseTable(out);
    }

    void WriteLayers(std::string& out) {
        std::vector<std::string> names{"0"};
        for (const Level& level : drawing_.levels) {
            const std::string& name = layers_.OfLevel(level.name);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
        for (const DisplayModel& model : list_.models)
            if (model.reference)
                names.push_back(layers_.attachments[static_cast<std::size_t>(model.model - 1)]);
        OpenTable(out, "LAYER", names.size());
        for (const std::string& name : names) {
            Group(out, 0, "LAYER");
            Group(out, 2, name);
            Group(out, 70, 0);
            Group(out, 62, 7);
            Group(out, 6, Continuous);
        }
        CloseTable(out);
    }

    void WriteTextStyles(std::string& out) {
        OpenTable(out, "STYLE", 1 + textStyleOrder_.size());
        const auto style = [&](std::string_view name, const TextStyle* from) {
            const double height = from ? from->height : 0.0;
            const double widthFactor = from && from->height > 0.0 ? from->width / from->height : 1.0;
            Group(out, 0, "STYLE");
            Group(out, 2, name);
            Group(out, 70, 0);
            Group(out, 40, "0");  // no fixed height: every text brings its own
            Group(out, 41, Number(widthFactor / DxfGlyphAdvance));
            Group(out, 50, "0");
            Group(out, 71, 0);
            Group(out, 42, Number(height));
            Group(out, 3, TextFont);
            Group(out, 4, "");
        };
        style(StandardStyle, standard_);
        for (const TextStyle* textStyle : textStyleOrder_) style(textStyles_.at(textStyle->name), textStyle);
        CloseTable(out);
    }

    const cad::Drawing& drawing_;
    const DisplayList& list_;
    const DxfLayerNames layers_;
    std::map<std::string, std::string> linetypes_;  // dashed sheet line styles
    std::vector<const LineStyle*> linetypeOrder_;
    std::map<std::string, std::string> textStyles_;
    std::vector<const TextStyle*> textStyleOrder_;
    const TextStyle* standard_ = nullptr;

    std::string blocks_;
    UniqueNames blockNames_;
    std::string where_;  // the element being written, for messages
    std::string topKey_;
    int labelsInElement_ = 0;
};

}  // namespace

const std::string& DxfLayerNames::OfLevel(const std::string& level) const {
    static const std::string Zero = "0";
    const auto found = levels.find(level);
    return found == levels.end() ? Zero : found->second;
}

DxfLayerNames DxfLayersOf(const cad::Drawing& drawing) {
    DxfLayerNames names;
    UniqueNames taken;
    taken.Reserve("0");
    for (const Level& level : drawing.levels) {
        if (level.name.empty() || names.levels.count(level.name) != 0) continue;
        const std::string symbol = DxfSymbolName(level.name);
        names.levels[level.name] = symbol == "0" ? symbol : taken.Claim(symbol.empty() ? "_" : symbol);
    }
    for (std::size_t i = 0; i < drawing.attachments.size(); ++i) {
        std::string symbol = DxfSymbolName(drawing.attachments[i].name);
        if (symbol.empty()) symbol = "ATTACHMENT_" + std::to_string(i + 1);
        names.attachments.push_back(taken.Claim(symbol));
    }
    return names;
}

DxfEllipse DxfEllipseOf(const EllipseGeometry& ellipse) {
    // Seen from above, the ellipse is centre + u cos t + v sin t, u and v its scaled local
    // axes without their z parts; that also covers tilted and mirrored ellipses.
    const Point axis0 = ellipse.rotation.Column(0) * ellipse.primaryRadius;
    const Point axis1 = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
    const Point u{axis0.x, axis0.y, 0};
    const Point v{axis1.x, axis1.y, 0};
    const auto [major, minor, angle] = SeenFromAbove(ellipse);

    DxfEllipse drawn;
    drawn.centre = {ellipse.centre.x, ellipse.centre.y, 0};
    if (major - minor <= 1e-9 * major) {
        drawn.circle = true;
        drawn.radius = major;
        return drawn;
    }
    // Between two vertices t apart the polyline strays from the ellipse by at most
    // major * (1 - cos(t / 2)): the chord of the unit circle strays by 1 - cos(t / 2), and
    // the ellipse is that circle under a map that stretches nothing beyond `major`. The
    // count is a multiple of four, so the axes' ends are vertices.
    if (!std::isfinite(major)) throw HostError("an ellipse's radius is not a finite number");
    std::size_t count = 8;
    const double cosine = 1 - DxfEllipseTolerance / major;
    if (cosine > -1) {
        const double needed = Pi / std::acos(cosine);
        if (!(needed <= static_cast<double>(MaxEllipseVertices)))
            throw HostError("an ellipse of radius " + DoubleToText(major) + " needs more than " +
                            std::to_string(MaxEllipseVertices) + " vertices to stay within " +
                            DoubleToText(DxfEllipseTolerance) + " drawing units of it");
        count = std::max(count, static_cast<std::size_t>(std::ceil(needed / 4)) * 4);
        // Guards against rounding in acos: the bound itself decides.
        while (major * (1 - std::cos(Pi / static_cast<double>(count))) > DxfEllipseTolerance) count += 4;
    }
    drawn.vertices.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = 2 * Pi * static_cast<double>(i) / static_cast<double>(count);
        drawn.vertices.push_back(drawn.centre + u * std::cos(t) + v * std::sin(t));
    }
    return drawn;
}

std::string RenderDxf(const cad::Drawing& drawing) { return RenderDxf(drawing, BuildDisplayList(drawing)); }

std::string RenderDxf(const cad::Drawing& drawing, const DisplayList& list) {
    return Writer(drawing, list).Write();
}

}  // namespace zkl::io
