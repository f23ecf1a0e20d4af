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
// The drawing aid's marks, in pixels whatever the zoom.
constexpr double HintMarkSize = 6.0;

QPicture Record(const std::function<void(QPainter&)>& paint) {
    QPicture picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    painter.end();
    return picture;
}

}  // namespace

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the cache covers every pixel
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void Canvas::SetDrawing(const cad::Drawing& drawing, const std::vector<ElementId>& hidden,
                        const ElementKeys& highlighted) {
    io::DisplayList list = io::BuildDisplayList(drawing);
    if (!hidden.empty()) {
        for (io::DisplayModel& model : list.models) {
            if (model.model != ActiveModelId) continue;
            std::erase_if(model.elements, [&](const io::DisplayElement& element) {
                return std::find(hidden.begin(), hidden.end(), element.id) != hidden.end();
            });
        }
    }
    sheet_ = Record([&](QPainter& painter) { PaintDisplayList(painter, list); });
    highlights_ = Record([&](QPainter& painter) {
        if (!highlighted.empty()) PaintHighlighted(painter, list, highlighted);
    });
    pixelsStale_ = true;
    const bool firstSheet = !extent_.has_value();
    extent_ = list.extent;
    if (firstSheet) FitToSheet();
    update();
}

void Canvas::SetTransient(const cad::Drawing& tables, const std::vector<Element>& elements,
                          std::optional<Point> followFrom) {
    followFrom_ = followFrom;
    transient_ = Record([&](QPainter& painter) { PaintLooseElements(painter, tables, elements); });
    update();
}

void Canvas::SetHint(const std::optional<DrawingAidHints>& hint) {
    hint_ = hint;
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
    emit AreaChanged(VisibleArea());
}

void Canvas::ShowArea(const ViewArea& area) {
    const double width = std::abs(area.extent.x);
    const double height = std::abs(area.extent.y);
    if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(width) || !std::isfinite(height)) return;
    fitOnResize_ = false;
    const Point centre = area.Centre();
    centre_ = QPointF(centre.x, centre.y);
    scale_ = std::min(this->width() / width, this->height() / height);
    update();
}

ViewArea Canvas::VisibleArea() const {
    const Point low = DrawingPosition(QPointF(0.0, height()));
    const Point high = DrawingPosition(QPointF(width(), 0.0));
    ViewArea area;
    area.origin = low;
    area.extent = Point{high.x - low.x, high.y - low.y, 0.0};
    return area;
}

QPointF Canvas::WidgetPosition(const Point& drawingPoint) const {
    return DrawingToWidget(centre_, scale_, width(), height()).map(QPointF(drawingPoint.x, drawingPoint.y));
}

Point Canvas::DrawingPosition(const QPointF& widgetPosition) const {
    const QPointF point = DrawingToWidget(centre_, scale_, width(), height()).inverted().map(widgetPosition);
    return Point{point.x(), point.y(), 0.0};
}

void Canvas::RenderPixels() {
    const qreal ratio = devicePixelRatioF();
    if (pixels_.size() != size() * ratio) pixels_ = QPixmap(size() * ratio);
    pixels_.setDevicePixelRatio(ratio);
    pixels_.fill(Qt::white);
    QPainter painter(&pixels_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(DrawingToWidget(centre_, scale_, width(), height()));
    painter.drawPicture(0, 0, sheet_);
    painter.drawPicture(0, 0, highlights_);
    pixelsStale_ = false;
    pixelsCentre_ = centre_;
    pixelsScale_ = scale_;
}

void Canvas::paintEvent(QPaintEvent*) {
    const bool sameZoom = !pixelsStale_ && pixelsScale_ == scale_ && pixels_.size() == size() * devicePixelRatioF();
    QPainter painter(this);
    if (sameZoom && panFrom_) {
        // Mid-pan: shift what was rendered; the uncovered strip stays white until release.
        painter.fillRect(rect(), Qt::white);
        const QPointF shift((pixelsCentre_.x() - centre_.x()) * scale_, (centre_.y() - pixelsCentre_.y()) * scale_);
        painter.drawPixmap(shift, pixels_);
    } else {
        if (!sameZoom || pixelsCentre_ != centre_) RenderPixels();
        painter.drawPixmap(0, 0, pixels_);
    }
    PaintOverlay(painter);
}

void Canvas::PaintOverlay(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform toWidget = DrawingToWidget(centre_, scale_, width(), height());
    if (hint_) {
        // The aid's origin as a small cross, and its suggested distances as dashed guides.
        const QPointF origin = toWidget.map(QPointF(hint_->origin.x, hint_->origin.y));
        QPen pen(QColor(0, 120, 215));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLine(origin - QPointF(HintMarkSize, 0), origin + QPointF(HintMarkSize, 0));
        painter.drawLine(origin - QPointF(0, HintMarkSize), origin + QPointF(0, HintMarkSize));
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        const QPointF target = toWidget.map(QPointF(hint_->origin.x + hint_->xDistance.value_or(0.0),
                                                    hint_->origin.y + hint_->yDistance.value_or(0.0)));
        QString text;
        if (hint_->xDistance) {
            painter.drawLine(origin, QPointF(target.x(), origin.y()));
            text += QString("dx %1").arg(*hint_->xDistance, 0, 'f', 2);
        }
        if (hint_->yDistance) {
            painter.drawLine(QPointF(target.x(), origin.y()), target);
            text += QString(text.isEmpty() ? "dy %1" : "  dy %1").arg(*hint_->yDistance, 0, 'f', 2);
        }
        if (!text.isEmpty()) painter.drawText(target + QPointF(HintMarkSize, -HintMarkSize), text);
    }
    painter.setTransform(toWidget);
    if (followFrom_) painter.translate(cursor_.x() - followFrom_->x, cursor_.y() - followFrom_->y);
    painter.drawPicture(0, 0, transient_);
}

void Canvas::resizeEvent(QResizeEvent*) {
    // A window opened with a sheet gets its size only when shown; the fit follows it.
    pixelsStale_ = true;
    if (fitOnResize_) return FitToSheet();
    emit AreaChanged(VisibleArea());
}

void Canvas::Moved() {
    fitOnResize_ = false;
    update();
    emit AreaChanged(VisibleArea());
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    const Point point = DrawingPosition(event->position());
    const bool pan = event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_);
    if (pan) {
        panFrom_ = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (event->button() == Qt::LeftButton) emit InputGiven(Input::DataPoint(point, 1));
    if (event->button() == Qt::RightButton)
        emit InputGiven(event->modifiers() & Qt::ControlModifier ? Input::Keyin(CtrlResetKeyin) : Input::Reset());
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
    if (panFrom_) {
        const QPoint now = event->position().toPoint();
        const QPoint moved = now - *panFrom_;
        centre_ -= QPointF(moved.x() / scale_, -moved.y() / scale_);
        panFrom_ = now;
        Moved();
    }
    const Point point = DrawingPosition(event->position());
    cursor_ = QPointF(point.x, point.y);
    if (followFrom_) update();
    emit CursorMoved(point.x, point.y);
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (!panFrom_ || (event->button() != Qt::MiddleButton && event->button() != Qt::LeftButton)) return;
    panFrom_.reset();
    setCursor(spaceHeld_ ? Qt::OpenHandCursor : Qt::CrossCursor);
    update();  // renders the cache at the pan's end
}

void Canvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) return;
    // The drawing point under the cursor stays under it.
    const Point about = DrawingPosition(event->position());
    scale_ *= std::pow(ZoomPerNotch, notches);
    const Point moved = DrawingPosition(event->position());
    centre_ += QPointF(about.x - moved.x, about.y - moved.y);
    Moved();
}

void Canvas::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return emit InputGiven(Input::Keyin(EscapeKeyin));
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld_ = true;
        if (!panFrom_) setCursor(Qt::OpenHandCursor);
        return;
    }
    QWidget::keyPressEvent(event);
}

void Canvas::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld_ = false;
        if (!panFrom_) setCursor(Qt::CrossCursor);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

}  // namespace zkl::gui
