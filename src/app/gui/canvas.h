// The sheet on screen. The sheet is recorded once into a picture in drawing units and
// replayed under the current pan and zoom; only a change of the drawing records it again.
// Over it go the transient elements the labeller shows while it waits for a point.
//
// Mouse: middle drag pans, the wheel zooms about the cursor, left click gives a data point,
// right click a reset, Ctrl+right click the Ctrl+Reset key-in; Esc gives the Esc key-in.
#pragma once

#include <QPicture>
#include <QPoint>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>

#include "cad/drawing.h"
#include "host/host_types.h"

namespace zkl::gui {

class Canvas : public QWidget {
    Q_OBJECT

public:
    explicit Canvas(QWidget* parent = nullptr);

    // Records the drawing again; call after every change to it. Throws what
    // io::BuildDisplayList throws, leaving the previous picture shown.
    // Elements with an id in `hidden` are left out: a label being dragged is in the model
    // at the sheet's origin, and is shown at the cursor instead.
    void SetDrawing(const cad::Drawing& drawing, const std::vector<ElementId>& hidden = {});
    // The elements drawn over the sheet until replaced; an empty list clears them. With a
    // base point they follow the cursor, the base point under it.
    void SetTransient(const cad::Drawing& tables, const std::vector<Element>& elements,
                      std::optional<Point> followFrom = std::nullopt);

    // Shows the whole sheet with a small margin.
    void FitToSheet();

    // Where a drawing point lands in the widget and back, under the current pan and zoom.
    QPointF WidgetPosition(const Point& drawingPoint) const;
    Point DrawingPosition(const QPointF& widgetPosition) const;

signals:
    // A data point, reset or key-in from the mouse or keyboard.
    void InputGiven(const zkl::Input& input);
    void CursorMoved(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPicture sheet_;
    QPicture transient_;
    std::optional<Point> followFrom_;
    QPointF cursor_;  // drawing units
    std::optional<Range> extent_;
    bool fitOnResize_ = true;  // until the user pans or zooms, the sheet stays fitted
    QPointF centre_;           // drawing point at the widget's middle
    double scale_ = 1.0;       // pixels a drawing unit
    std::optional<QPoint> panFrom_;
};

}  // namespace zkl::gui
