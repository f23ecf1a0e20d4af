// The sheet on screen. The sheet is recorded once into a picture in drawing units, and the
// picture is rendered into a pixel cache at the current pan and zoom; a mouse move repaints
// the cache and, over it, only what moves: the transient elements the labeller shows while
// it waits for a point, and the drawing aid's hint.
//
// Mouse: middle drag (or space + left drag) pans, the wheel zooms about the cursor, left
// click gives a data point, right click a reset, Ctrl+right click the Ctrl+Reset key-in;
// Esc gives the Esc key-in.
#pragma once

#include <QPicture>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QWidget>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "cad/drawing.h"
#include "host/host_types.h"

namespace zkl::gui {

// Elements by model and id, as the host highlights them.
using ElementKeys = std::set<std::pair<ModelId, ElementId>>;

class Canvas : public QWidget {
    Q_OBJECT

public:
    explicit Canvas(QWidget* parent = nullptr);

    // Records the drawing again; call after every change to it. Throws what
    // io::BuildDisplayList throws, leaving the previous picture shown.
    // Active-model elements with an id in `hidden` are left out: a label being dragged is in
    // the model at the sheet's origin, and is shown at the cursor instead. Elements in
    // `highlighted` are drawn over in the highlight colour.
    void SetDrawing(const cad::Drawing& drawing, const std::vector<ElementId>& hidden = {},
                    const ElementKeys& highlighted = {});
    // The elements drawn over the sheet until replaced; an empty list clears them. With a
    // base point they follow the cursor, the base point under it.
    void SetTransient(const cad::Drawing& tables, const std::vector<Element>& elements,
                      std::optional<Point> followFrom = std::nullopt);
    // The drawing aid's origin and suggested distances, shown until replaced by nothing.
    void SetHint(const std::optional<DrawingAidHints>& hint);

    // Shows the whole sheet with a small margin.
    void FitToSheet();
    // Shows the area whole, centred (a command moved the view); AreaChanged is not raised.
    void ShowArea(const ViewArea& area);
    // What the widget shows, in drawing units.
    ViewArea VisibleArea() const;

    // Where a drawing point lands in the widget and back, under the current pan and zoom.
    QPointF WidgetPosition(const Point& drawingPoint) const;
    Point DrawingPosition(const QPointF& widgetPosition) const;

signals:
    // A data point, reset or key-in from the mouse or keyboard.
    void InputGiven(const zkl::Input& input);
    void CursorMoved(double x, double y);
    // The user panned, zoomed or fitted, or the widget was resized.
    void AreaChanged(const zkl::ViewArea& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Renders the sheet and highlight pictures into the pixel cache at the current view.
    void RenderPixels();
    void PaintOverlay(QPainter& painter) const;
    void Moved();  // after a pan or zoom by the user

    QPicture sheet_;
    QPicture highlights_;
    QPicture transient_;
    std::optional<Point> followFrom_;
    std::optional<DrawingAidHints> hint_;
    QPointF cursor_;  // drawing units
    std::optional<Range> extent_;
    bool fitOnResize_ = true;  // until the user pans or zooms, the sheet stays fitted
    QPointF centre_;           // drawing point at the widget's middle
    double scale_ = 1.0;       // pixels a drawing unit

    // The pixel cache and the view it was rendered at. While a pan drags, the cache is only
    // shifted; it is rendered again when the pan ends.
    QPixmap pixels_;
    bool pixelsStale_ = true;
    QPointF pixelsCentre_;
    double pixelsScale_ = 0.0;

    std::optional<QPoint> panFrom_;
    bool spaceHeld_ = false;
};

}  // namespace zkl::gui
