#include "app/gui/canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/gui/sheet_painter.h"
#include "io/display_list.h"

namespace zkl::gui {

namespace {

// Each wheel notch (120 units) zooms by this factor.
constexpr double ZoomPerNotch = 1.25;
// Around a fitted sheet: this share of its larger side.
constexpr double FitMargin = 0.03;

}  // namespace

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void Canvas::SetDrawing(const cad::Drawing& drawing, const std::vector<ElementId>& hidden) {
    io::DisplayList list = io::BuildDisplayList(drawing);
    if (!hidden.empty()) {
        for (io::DisplayModel& model : list.models) {
            if (model.model != ActiveModelId) continue;
            std::erase_if(model.elements, [&](const io::DisplayElement& element) {
                return std::find(hidden.begin(), hidden.end(), element.id) != hidden.end();
            });
        }
    }
    QPicture picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintDisplayList(painter, list);
    painter.end();
    sheet_ = picture;
    const bool firstSheet = !extent_.has_value();
    extent_ = list.extent;
    if (firstSheet) FitToSheet();
    update();
}

void Canvas::SetTransient(const cad::Drawing& tables, const std::vector<Element>& elements,
                          std::optional<Point> followFrom) {
    followFrom_ = followFrom;
    QPicture picture;
    if (!elements.empty()) {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintLooseElements(painter, tables, elements);
    }
    transient_ = picture;
    update();
}

void Canvas::FitToSheet() {
    fitOnResize_ = true;
    if (!extent_) return update();
    const double width = std::max(extent_->high.x - extent_->low.x, 1e-9);
    const double height = std::max(extent_->high.y - extent_->low.y, 1e-9);
    const double margin = FitMargin * std::max(width, height);
    centre_ = QPointF((extent_->low.x + extent_->high.x) / 2.0, (extent_->low.y + extent_->high.y) / 2.0);
    scale_ = std::min(this->width() / (width + 2 * margin), this->height() / (height + 2 * margin));
    if (!(scale_ > 0.0)) scale_ = 1.0;
    update();
}

QPointF Canvas::WidgetPosition(const Point& drawingPoint) const {
    return DrawingToWidget(centre_, scale_, width(), height()).map(QPointF(drawingPoint.x, drawingPoint.y));
}

Point Canvas::DrawingPosition(const QPointF& widgetPosition) const {
    const QPointF point = DrawingToWidget(centre_, scale_, width(), height()).inverted().map(widgetPosition);
    return Point{point.x(), point.y(), 0.0};
}

void Canvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(DrawingToWidget(centre_, scale_, width(), height()));
    painter.drawPicture(0, 0, sheet_);
    if (followFrom_) painter.translate(cursor_.x() - followFrom_->x, cursor_.y() - followFrom_->y);
    painter.drawPicture(0, 0, transient_);
}

void Canvas::resizeEvent(QResizeEvent*) {
    // A window opened with a sheet gets its size only when shown; the fit follows it.
    if (fitOnResize_) FitToSheet();
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    const Point point = DrawingPosition(event->position());
    switch (event->button()) {
        case Qt::MiddleButton:
            panFrom_ = event->position().toPoint();
            setCursor(Qt::ClosedHandCursor);
            break;
        case Qt::LeftButton:
            emit InputGiven(Input::DataPoint(point, 1));
            break;
        case Qt::RightButton:
            emit InputGiven(event->modifiers() & Qt::ControlModifier ? Input::Keyin(CtrlResetKeyin)
                                                                     : Input::Reset());
            break;
        default:
            break;
    }
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
    if (panFrom_) {
        const QPoint now = event->position().toPoint();
        const QPoint moved = now - *panFrom_;
        centre_ -= QPointF(moved.x() / scale_, -moved.y() / scale_);
        fitOnResize_ = false;
        panFrom_ = now;
        update();
    }
    const Point point = DrawingPosition(event->position());
    cursor_ = QPointF(point.x, point.y);
    if (followFrom_) update();
    emit CursorMoved(point.x, point.y);
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        panFrom_.reset();
        setCursor(Qt::CrossCursor);
    }
}

void Canvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) return;
    // The drawing point under the cursor stays under it.
    const Point about = DrawingPosition(event->position());
    scale_ *= std::pow(ZoomPerNotch, notches);
    fitOnResize_ = false;
    const Point moved = DrawingPosition(event->position());
    centre_ += QPointF(about.x - moved.x, about.y - moved.y);
    update();
}

void Canvas::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return emit InputGiven(Input::Keyin(EscapeKeyin));
    QWidget::keyPressEvent(event);
}

}  // namespace zkl::gui
