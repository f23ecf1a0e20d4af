#include "app/gui/sheet_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <cmath>

#include "cad/text_metrics.h"

namespace zkl::gui {

namespace {

// Qt sizes fonts in whole pixels at best, while sheet texts are a few drawing units high:
// glyphs are laid out at this size and then scaled into the text's box.
constexpr double LayoutPixelSize = 100.0;
constexpr double HighlightPixels = 2.5;

QColor ColourOf(const io::Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QPen PenOf(const io::DisplayStyle& style) {
    QPen pen(ColourOf(style.colour));
    pen.setWidthF(style.strokeWidth);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (!style.dashes.empty() && style.strokeWidth > 0.0) {
        // Qt measures dashes in pen widths; ours are drawing units. An odd pattern is
        // repeated once, as SVG does, so the dashes and gaps keep alternating.
        QList<qreal> pattern;
        const std::size_t count =
            style.dashes.size() % 2 == 0 ? style.dashes.size() : style.dashes.size() * 2;
        for (std::size_t i = 0; i < count; ++i)
            pattern.append(style.dashes[i % style.dashes.size()] / style.strokeWidth);
        pen.setDashPattern(pattern);
    }
    return pen;
}

QPointF At(const Point& point) { return QPointF(point.x, point.y); }

// A highlight replaces the element's colour; `highlight` is null for the element's own.
void PaintText(QPainter& painter, const io::DisplayElement& shown, const TextGeometry& text,
               const QColor* highlight) {
    if (!(text.height > 0.0) || text.text.empty()) return;
    const double boxWidth = cad::GlyphCount(text.text) * text.width;
    if (!(boxWidth > 0.0)) return;
    QFont font("monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(static_cast<int>(LayoutPixelSize));
    const QString content = QString::fromStdString(text.text);
    const double advance = QFontMetricsF(font).horizontalAdvance(content);
    if (!(advance > 0.0)) return;

    // The glyphs run along the text's x axis from the box's bottom-left corner; Qt lays them
    // out with y down, so "down" becomes the text's -y axis (as in the SVG matrix).
    const Point along = text.rotation.Column(0);
    const Point up = text.rotation.Column(1);
    const Point& corner = shown.textBox[0];
    painter.save();
    QTransform glyphs(along.x, along.y, -up.x, -up.y, corner.x, corner.y);
    glyphs.scale(boxWidth / advance, text.height / LayoutPixelSize);
    painter.setTransform(glyphs, true);
    painter.setFont(font);
    painter.setPen(highlight ? *highlight : ColourOf(shown.style.colour));
    painter.drawText(QPointF(0.0, 0.0), content);
    painter.restore();
}

void PaintPrimitive(QPainter& painter, const io::DisplayElement& shown, const Element& element,
                    const QColor* highlight) {
    if (element.IsText()) return PaintText(painter, shown, element.Text(), highlight);
    if (highlight) {
        // Thick enough to see at any zoom, whatever the element's own weight.
        QPen pen(*highlight);
        pen.setCosmetic(true);
        pen.setWidthF(HighlightPixels);
        painter.setPen(pen);
    } else {
        painter.setPen(PenOf(shown.style));
    }
    painter.setBrush(Qt::NoBrush);
    if (element.IsEllipse()) {
        const EllipseGeometry& ellipse = element.Ellipse();
        const io::EllipseFromAbove seen = io::SeenFromAbove(ellipse);
        painter.save();
        painter.translate(ellipse.centre.x, ellipse.centre.y);
        painter.rotate(seen.angle * 180.0 / Pi);
        painter.drawEllipse(QPointF(0.0, 0.0), seen.major, seen.minor);
        painter.restore();
        return;
    }
    if (!element.IsLinear()) return;
    const std::vector<Point>& vertices = element.Linear().vertices;
    if (vertices.size() < 2) return;
    QPolygonF polygon;
    for (const Point& vertex : vertices) polygon << At(vertex);
    if (element.type == ElementType::Shape) {
        if (shown.filled) painter.setBrush(highlight ? *highlight : ColourOf(shown.style.colour));
        painter.drawPolygon(polygon);
    } else {
        painter.drawPolyline(polygon);
    }
}

void PaintElement(QPainter& painter, const io::DisplayElement& element, const QColor* highlight = nullptr) {
    for (const io::DisplayElement& part : element.parts) PaintElement(painter, part, highlight);
    if (element.shape) PaintPrimitive(painter, element, *element.shape, highlight);
}

}  // namespace

void PaintDisplayList(QPainter& painter, const io::DisplayList& list) {
    for (const io::DisplayModel& model : list.models) {
        painter.save();
        if (model.reference) painter.setOpacity(AttachmentOpacity);
        for (const io::DisplayElement& element : model.elements) PaintElement(painter, element);
        painter.restore();
    }
}

void PaintHighlighted(QPainter& painter, const io::DisplayList& list,
                      const std::set<std::pair<ModelId, ElementId>>& highlighted) {
    const QColor colour(HighlightColour);
    for (const io::DisplayModel& model : list.models)
        for (const io::DisplayElement& element : model.elements)
            if (highlighted.count({model.model, element.id})) PaintElement(painter, element, &colour);
}

void PaintLooseElements(QPainter& painter, const cad::Drawing& tables, const std::vector<Element>& elements) {
    if (elements.empty()) return;
    // The display list is made from a drawing; a small one holding only these elements and
    // the design tables resolves their symbology and text boxes exactly as the sheet's own.
    cad::Drawing loose;
    loose.levels = tables.levels;
    loose.textStyles = tables.textStyles;
    loose.dimensionStyles = tables.dimensionStyles;
    loose.lineStyles = tables.lineStyles;
    loose.activeUnitFactor = tables.activeUnitFactor;
    for (Element element : elements) loose.Add(ActiveModelId, element);
    PaintDisplayList(painter, io::BuildDisplayList(loose));
}

QTransform DrawingToWidget(const QPointF& centre, double scale, int width, int height) {
    return QTransform(scale, 0.0, 0.0, -scale, width / 2.0 - centre.x() * scale,
                      height / 2.0 + centre.y() * scale);
}

}  // namespace zkl::gui
