#include "io/svg_renderer.h"

#include <algorithm>
#include <cmath>

#include "cad/text_metrics.h"
#include "io/svg_symbology.h"
#include "io/svg_writer.h"

namespace zkl::io {

namespace {

// The element type as one class token: "line string" becomes "line-string".
std::string TypeClass(ElementType type) {
    std::string name = ElementTypeName(type);
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

// A class attribute is a list of tokens, so a name with spaces would become several.
std::string ClassToken(const std::string& name) {
    std::string token = name;
    std::replace_if(
        token.begin(), token.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; },
        '_');
    return token;
}

// Writes the elements of the picture, already in active-model coordinates.
class BodyWriter {
public:
    void WriteModel(const DisplayModel& model) {
        for (const DisplayElement& element : model.elements) WriteElement(element, 1);
    }

    void Open(const std::string& startTag) { body_ += startTag + "\n"; }
    void Close() { body_ += "</g>\n"; }

    const std::string& Body() const { return body_; }

private:
    void WriteElement(const DisplayElement& element, int depth) {
        std::string classes = TypeClass(element.type);
        if (element.type == ElementType::Cell && !element.cellName.empty())
            classes += " " + ClassToken(element.cellName);
        std::string group = Indent(depth) + "<g" + Attribute("class", classes);
        if (element.id != NoElementId) group += Attribute("data-id", std::to_string(element.id));
        if (element.type == ElementType::Cell) group += Attribute("data-name", element.cellName);
        body_ += group + ">\n";
        for (const DisplayElement& part : element.parts) WriteElement(part, depth + 1);
        if (element.shape) WritePrimitive(element, *element.shape, depth + 1);
        body_ += Indent(depth) + "</g>\n";
    }

    void WritePrimitive(const DisplayElement& shown, const Element& element, int depth) {
        if (element.IsText()) return WriteText(shown, element, depth);
        if (element.IsEllipse()) return WriteEllipse(shown, element, depth);
        if (element.IsLinear()) return WriteLinear(shown, element, depth);
    }

    void WriteLinear(const DisplayElement& shown, const Element& element, int depth) {
        std::vector<Point> vertices = element.Linear().vertices;
        if (vertices.size() < 2) return;
        std::string tag;
        if (element.type == ElementType::Line && vertices.size() == 2) {
            tag = "<line" + Attribute("x1", vertices[0].x) + Attribute("y1", vertices[0].y) +
                  Attribute("x2", vertices[1].x) + Attribute("y2", vertices[1].y);
        } else if (element.type == ElementType::Shape) {
            // A polygon closes itself; the repeated first vertex would only add a null edge.
            if (vertices.size() > 2 && vertices.front() == vertices.back()) vertices.pop_back();
            tag = "<polygon" + Attribute("points", PointList(vertices));
            if (shown.filled) tag += Attribute("fill", HexColour(shown.style.colour));
        } else {
            tag = "<polyline" + Attribute("points", PointList(vertices));
        }
        body_ += Indent(depth) + tag + Stroke(shown.style) + "/>\n";
    }

    void WriteEllipse(const DisplayElement& shown, const Element& element, int depth) {
        const EllipseGeometry& ellipse = element.Ellipse();
        const auto [major, minor, radians] = SeenFromAbove(ellipse);
        const double angle = radians * 180.0 / Pi;
        const Point& centre = ellipse.centre;

        std::string tag = "<ellipse" + Attribute("cx", centre.x) + Attribute("cy", centre.y) +
                          Attribute("rx", major) + Attribute("ry", minor);
        if (FormatNumber(angle) != "0")
            tag += Attribute("transform", "rotate(" + FormatNumber(angle) + " " + FormatNumber(centre.x) +
                                              " " + FormatNumber(centre.y) + ")");
        body_ += Indent(depth) + tag + Stroke(shown.style) + "/>\n";
    }

    void WriteText(const DisplayElement& shown, const Element& element, int depth) {
        const TextGeometry& text = element.Text();
        if (!(text.height > 0.0)) return;  // no box to fill
        const auto& corners = shown.textBox;
        const double boxWidth = cad::GlyphCount(text.text) * text.width;
        // Glyphs are laid out with y pointing down; the matrix puts the baseline start on
        // the box's bottom-left corner, runs it along the text's x axis and turns "down"
        // into the text's -y axis, which undoes the sheet's flip for the glyphs alone.
        const Point along = text.rotation.Column(0);
        const Point up = text.rotation.Column(1);
        const std::string matrix = "matrix(" + FormatNumber(along.x) + " " + FormatNumber(along.y) + " " +
                                   FormatNumber(-up.x) + " " + FormatNumber(-up.y) + " " +
                                   FormatNumber(corners[0].x) + " " + FormatNumber(corners[0].y) + ")";
        std::string tag = "<text" + Attribute("transform", matrix) + Attribute("font-family", "monospace") +
                          Attribute("font-size", text.height);
        if (boxWidth > 0.0)
            tag += Attribute("textLength", boxWidth) + Attribute("lengthAdjust", "spacingAndGlyphs");
        tag += Attribute("xml:space", "preserve") + Attribute("fill", HexColour(shown.style.colour));
        body_ += Indent(depth) + tag + ">" + EscapeXml(text.text) + "</text>\n";
    }

    static std::string Stroke(const DisplayStyle& style) {
        std::string attributes =
            Attribute("stroke", HexColour(style.colour)) + Attribute("stroke-width", style.strokeWidth);
        const std::string dashes = DashArrayOf(style.dashes);
        if (!dashes.empty()) attributes += Attribute("stroke-dasharray", dashes);
        return attributes;
    }

    // Indenting every level would make the picture of cells nested n deep grow with n * n;
    // beyond a depth no reader follows by eye, groups stay at the deepest indent.
    static constexpr int MaxIndentDepth = 16;
    static std::string Indent(int depth) {
        return std::string(static_cast<std::size_t>(std::min(depth, MaxIndentDepth)) * 2, ' ');
    }

    std::string body_;
};

}  // namespace

std::string RenderSvg(const cad::Drawing& drawing, const SvgOptions& options) {
    return RenderSvg(BuildDisplayList(drawing), options);
}

std::string RenderSvg(const DisplayList& list, const SvgOptions& options) {
    BodyWriter writer;
    for (const DisplayModel& model : list.models) {
        if (model.reference)
            writer.Open("<g" + Attribute("class", "attachment") +
                        Attribute("data-model", std::to_string(model.model)) +
                        Attribute("data-name", model.name) + Attribute("opacity", options.attachmentOpacity) +
                        ">");
        else
            writer.Open("<g" + Attribute("class", "model") + ">");
        writer.WriteModel(model);
        writer.Close();
    }

    const Range extent = list.extent.value_or(Range{});
    const double width = extent.high.x - extent.low.x;
    const double height = extent.high.y - extent.low.y;
    const double margin = std::max(options.minimumMargin, options.marginShare * std::max(width, height));
    const double boxWidth = width + 2 * margin > 0.0 ? width + 2 * margin : 1.0;
    const double boxHeight = height + 2 * margin > 0.0 ? height + 2 * margin : 1.0;
    // The view box is in the flipped coordinates: drawing y becomes -y.
    const double boxX = extent.low.x - margin;
    const double boxY = -(extent.high.y + margin);
    const double pixelsPerUnit = options.pixelSize / std::max(boxWidth, boxHeight);

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" +
           Attribute("width", boxWidth * pixelsPerUnit) + Attribute("height", boxHeight * pixelsPerUnit) +
           Attribute("viewBox", FormatNumber(boxX) + " " + FormatNumber(boxY) + " " + FormatNumber(boxWidth) +
                                    " " + FormatNumber(boxHeight)) +
           ">\n";
    svg += "<rect" + Attribute("class", "background") + Attribute("x", boxX) + Attribute("y", boxY) +
           Attribute("width", boxWidth) + Attribute("height", boxHeight) + Attribute("fill", "#ffffff") +
           "/>\n";
    svg += "<g" + Attribute("class", "sheet") + Attribute("transform", "scale(1 -1)") +
           Attribute("fill", "none") + Attribute("stroke-linecap", "round") +
           Attribute("stroke-linejoin", "round") + ">\n";
    svg += writer.Body();
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace zkl::io
