#include "label/label_body.h"

#include <stdexcept>
#include <string>

#include "component/component_geometry.h"
#include "component/label_format.h"

namespace zkl {

namespace {

constexpr int LeftBottom = 2;
constexpr int CentreTop = 6;
constexpr int CentreCentre = 7;
constexpr int CentreBottom = 8;
constexpr int RightBottom = 14;

// Frames take the label level but the symbology the user has active while labelling, so a
// frame looks like the linework drawn by hand around it.
void ApplyFrameSymbology(const Host& host, Element& frame, const std::string& levelName) {
    frame.symbology.level = host.FindLevel(levelName).name;
    frame.symbology.colour = host.ActiveColour();
    frame.symbology.lineStyle = host.ActiveLineStyle();
    frame.symbology.weight = host.ActiveWeight();
}

Element LabelText(const mdlOPM_Labeller& module, std::string text, const Point& origin, int justification) {
    const LabellerSettings& settings = module.settings;
    Element element = MakeText(std::move(text), origin);
    ApplyTextAttributes(module.host, element, settings.DimLevelName, settings.TextStyleName,
                        settings.TextHeight, settings.TextWidth, justification);
    return element;
}

Element LabelCircle(const mdlOPM_Labeller& module, const Point& anchor) {
    Element circle = MakeEllipse(anchor, LabelCircleRadius, LabelCircleRadius);
    ApplyFrameSymbology(module.host, circle, module.settings.DimLevelName);
    return circle;
}

// A frame style 1 or 2 outline around the text's box, `gap` away from it.
Element TextFrame(const mdlOPM_Labeller& module, std::int16_t frameStyle, const Range& box, double gap) {
    const Point& low = box.low;
    const Point& high = box.high;
    Element frame = frameStyle == 1
                        ? MakeLineString({{low.x, low.y - gap, low.z}, {high.x, low.y - gap, low.z}})
                        : MakeLineString({{low.x - gap, low.y - gap, low.z},
                                          {high.x + gap, low.y - gap, low.z},
                                          {high.x + gap, high.y + gap, low.z},
                                          {low.x - gap, high.y + gap, low.z},
                                          {low.x - gap, low.y - gap, low.z}});
    ApplyFrameSymbology(module.host, frame, module.settings.DimLevelName);
    return frame;
}

}  // namespace

std::int16_t BuildLabelBody(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows,
                            bool atOrigin, std::vector<Element>& body, std::vector<Point>* keyPointsOut) {
    const std::optional<std::size_t> rowIndex = FindItemRow(module, element, rows);
    if (!rowIndex) return -1;
    const ItemRow& row = rows[*rowIndex];
    std::string text = EvaluateLabelFormat(module, element, rows, row.LabelFormat);
    if (text.empty()) return -1;

    const std::int16_t frameStyle = row.FrameStyle;
    // The key points are read even for a body at the origin: a component whose geometry
    // cannot be read must fail here, before the user starts placing its label.
    // The row just found gives the class; matching the rows again would find the same one.
    std::vector<Point> keyPoints = GetComponentPointsOfClass(module, element, row.ComponentClass);
    const Point anchor = atOrigin ? Point{} : keyPoints.back();
    if (keyPointsOut) *keyPointsOut = std::move(keyPoints);
    if (frameStyle < 0 || frameStyle > 4) return frameStyle;

    const double gap = module.settings.UnderlineDistance;
    if (frameStyle == 4) {
        // Split at the first "-" only, so "1001-P-150" reads 1001 over P-150. A text without
        // a "-" stays whole in the upper half rather than losing the label.
        const std::size_t dash = text.find('-');
        std::string upper = text.substr(0, dash);
        std::string lower = dash == std::string::npos ? std::string() : text.substr(dash + 1);
        // The halves are bottom- and top-justified about lines gap/2 above and below the
        // anchor, which keeps a gap of one UnderlineDistance between them.
        Element upperText = LabelText(module, std::move(upper), anchor + Point{0, gap / 2, 0}, LeftBottom);
        upperText.Text().justification = CentreBottom;
        Element lowerText = LabelText(module, std::move(lower), anchor + Point{0, -gap / 2, 0}, LeftBottom);
        lowerText.Text().justification = CentreTop;
        body = {std::move(upperText), std::move(lowerText), LabelCircle(module, anchor)};
        return frameStyle;
    }

    Element labelText = LabelText(module, std::move(text), anchor, CentreCentre);
    const Range box = module.host.TextBox(labelText);
    body = {std::move(labelText)};
    switch (frameStyle) {
        case 1:
        case 2:
            body.push_back(TextFrame(module, frameStyle, box, gap));
            break;
        case 3:
            body.push_back(LabelCircle(module, anchor));
            break;
        default:
            break;
    }
    return frameStyle;
}

void ApplyTextAttributes(const Host& host, Element& text, std::string_view levelName,
                         std::string_view textStyleName, double height, double width, int justification) {
    text.symbology.level = host.FindLevel(levelName).name;
    TextGeometry& geometry = text.Text();
    geometry.style = host.FindTextStyle(textStyleName).name;
    // The style supplies everything else (font); the label's own sizes always win over it.
    geometry.height = height;
    geometry.width = width;
    geometry.justification = justification;
}

Element PlaceSideText(mdlOPM_Labeller& module, std::string_view text, const Point& point,
                      std::string_view side, double offset) {
    const LabellerSettings& settings = module.settings;
    const double distance = settings.LabelDistance1 + offset + settings.LabelDistance2;
    const double gap = settings.UnderlineDistance;

    Point origin;
    int justification = LeftBottom;
    bool upright = false;
    if (side == "LEFT") {
        origin = {point.x - distance, point.y + gap, point.z};
        justification = RightBottom;
    } else if (side == "RIGHT") {
        origin = {point.x + distance, point.y + gap, point.z};
        justification = LeftBottom;
    } else if (side == "TOP") {
        origin = {point.x - gap, point.y + distance, point.z};
        justification = LeftBottom;
        upright = true;
    } else if (side == "BOTTOM") {
        origin = {point.x - gap, point.y - distance, point.z};
        justification = RightBottom;
        upright = true;
    } else {
        throw std::invalid_argument("side text '" + std::string(text) + "': unknown side '" +
                                    std::string(side) + "' (expected LEFT, RIGHT, TOP or BOTTOM)");
    }

    Element sideText = MakeText(std::string(text), origin);
    // Of the text's format options, fixedOrigin is the one that governs where a one-line text
    // sits once edited; a side text must sit where its justification puts it, so it is off.
    sideText.Text().fixedOrigin = false;
    ApplyTextAttributes(module.host, sideText, settings.DimLevelName, settings.TextStyleName,
                        settings.TextHeight, settings.TextWidth, justification);
    if (upright) sideText.RotateAboutZ(90 * Pi / 180, origin);

    module.host.AddElement(sideText);
    module.host.RewriteElement(sideText);
    return sideText;
}

}  // namespace zkl
