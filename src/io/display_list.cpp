#include "io/display_list.h"

#include <algorithm>
#include <cmath>

#include "cad/dimension_graphics.h"
#include "cad/text_metrics.h"

namespace zkl::io {

namespace {

// The eight named colours first, then eight more that stay distinct from them and from
// each other on white.
constexpr std::array<Rgb, 16> Palette{{
    {0x00, 0x00, 0x00},
    {0x00, 0x00, 0xff},
    {0x00, 0x80, 0x00},
    {0xff, 0x00, 0x00},
    {0xb8, 0x86, 0x0b},
    {0x8a, 0x2b, 0xe2},
    {0xff, 0x8c, 0x00},
    {0x40, 0x40, 0x40},
    {0x00, 0x8b, 0x8b},
    {0x8b, 0x45, 0x13},
    {0xc7, 0x15, 0x85},
    {0x2e, 0x8b, 0x57},
    {0x46, 0x82, 0xb4},
    {0x80, 0x80, 0x00},
    {0x80, 0x00, 0x00},
    {0x70, 0x80, 0x90},
}};

class Builder {
public:
    explicit Builder(const cad::Drawing& drawing) : drawing_(drawing) {}

    DisplayModel Model(const cad::ElementStore& store, ModelId model, const Transform3d* toActive) {
        DisplayModel shown;
        shown.model = model;
        shown.reference = toActive != nullptr;
        shown.elements.reserve(store.Size());
        for (const auto& [id, entry] : store.Entries())
            shown.elements.push_back(Shown(entry.element, toActive, false));
        return shown;
    }

    std::optional<Range> Extent() const { return extent_; }

private:
    DisplayStyle StyleOf(const Symbology& symbology) {
        DisplayStyle style;
        style.symbology = symbology;
        style.colour = ColourRgb(symbology.colour);
        style.dashes = DashPatternOf(drawing_.lineStyles, symbology.lineStyle);
        style.strokeWidth = StrokeWidthOf(symbology.weight);
        return style;
    }

    // toActive is null for the active model, whose coordinates need no change.
    DisplayElement Shown(const Element& element, const Transform3d* toActive, bool filled) {
        DisplayElement shown;
        shown.type = element.type;
        shown.id = element.id;
        shown.style = StyleOf(element.symbology);
        if (element.IsCell()) {
            shown.cellName = element.Cell().name;
            shown.parts.reserve(element.Cell().components.size());
            for (const Element& component : element.Cell().components)
                shown.parts.push_back(Shown(component, toActive, false));
        } else if (element.IsDimension()) {
            // Graphics are built in the dimension's own model, where its style's text size
            // applies, and then moved like any other element. Shapes among them are arrow
            // heads, drawn filled.
            const DimensionStyle style = drawing_.DimensionStyleOrDefault(element.Dimension().style);
            for (const Element& graphic : cad::DimensionGraphics(element, style))
                shown.parts.push_back(Shown(graphic, toActive, true));
        } else {
            Element moved = element;
            if (toActive != nullptr) moved.ApplyTransform(*toActive);
            shown.filled = filled && moved.type == ElementType::Shape;
            if (moved.IsText()) shown.textBox = cad::TextCorners(moved.Text());
            IncludeDrawn(moved, shown.textBox);
            shown.shape = std::move(moved);
        }
        return shown;
    }

    // What a picture of the element covers, by the same rules every back end draws with.
    void IncludeDrawn(const Element& element, const std::array<Point, 4>& textBox) {
        if (element.IsLinear()) {
            const std::vector<Point>& vertices = element.Linear().vertices;
            if (vertices.size() < 2) return;  // nothing is drawn
            for (const Point& vertex : vertices) Include(vertex);
        } else if (element.IsEllipse()) {
            const EllipseGeometry& ellipse = element.Ellipse();
            // Half the width and height of the ellipse as seen from above: the image of the
            // unit circle under the matrix whose columns are the scaled local axes.
            const Point u = ellipse.rotation.Column(0) * ellipse.primaryRadius;
            const Point v = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
            const double halfWidth = std::sqrt(u.x * u.x + v.x * v.x);
            const double halfHeight = std::sqrt(u.y * u.y + v.y * v.y);
            Include(ellipse.centre - Point{halfWidth, halfHeight, 0});
            Include(ellipse.centre + Point{halfWidth, halfHeight, 0});
        } else if (element.IsText()) {
            if (!(element.Text().height > 0.0)) return;  // no box, nothing drawn
            for (const Point& corner : textBox) Include(corner);
        }
    }

    void Include(const Point& p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
        if (!extent_)
            extent_ = Range::FromPoint(p);
        else
            extent_->Extend(p);
    }

    const cad::Drawing& drawing_;
    std::optional<Range> extent_;
};

}  // namespace

DisplayList BuildDisplayList(const cad::Drawing& drawing) {
    Builder builder(drawing);
    DisplayList list;
    for (std::size_t i = 0; i < drawing.attachments.size(); ++i) {
        const cad::Attachment& attachment = drawing.attachments[i];
        if (!attachment.displayed) continue;
        list.models.push_back(
            builder.Model(attachment.model, static_cast<ModelId>(i + 1), &attachment.toActive));
        list.models.back().name = attachment.name;
    }
    list.models.push_back(builder.Model(drawing.activeModel, ActiveModelId, nullptr));
    list.extent = builder.Extent();
    return list;
}

EllipseFromAbove SeenFromAbove(const EllipseGeometry& ellipse) {
    // The ellipse seen from above is the image of the unit circle under M, whose columns are
    // the scaled local axes without their z parts. Its semi-axes and their direction come
    // from the eigen-decomposition of M M^T.
    const Point u = ellipse.rotation.Column(0) * ellipse.primaryRadius;
    const Point v = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
    const double p = u.x * u.x + v.x * v.x;
    const double r = u.y * u.y + v.y * v.y;
    const double q = u.x * u.y + v.x * v.y;
    const double mean = (p + r) / 2;
    const double spread = std::hypot((p - r) / 2, q);
    return {std::sqrt(mean + spread), std::sqrt(std::max(mean - spread, 0.0)),
            0.5 * std::atan2(2 * q, p - r)};
}

Rgb ColourRgb(int colourIndex) {
    if (colourIndex < 0) return Palette[0];
    return Palette[static_cast<std::size_t>(colourIndex) % Palette.size()];
}

double StrokeWidthOf(int weight) { return 0.18 + 0.1 * std::max(weight, 0); }

std::vector<double> DashPatternOf(const std::vector<LineStyle>& lineStyles,
                                  const std::string& lineStyleName) {
    const auto style = std::find_if(lineStyles.begin(), lineStyles.end(), [&](const LineStyle& candidate) {
        return candidate.name == lineStyleName;
    });
    if (style == lineStyles.end()) return {};
    double total = 0.0;
    for (const double dash : style->dashes) {
        if (!(dash >= 0.0)) return {};  // also rejects NaN
        total += dash;
    }
    if (!(total > 0.0) || !std::isfinite(total)) return {};
    return style->dashes;
}

}  // namespace zkl::io
