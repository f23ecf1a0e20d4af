// Draws a display list with QPainter, the way the SVG and PDF pictures show it: y up, widths,
// dashes and text sizes in drawing units, reference models dimmed. The caller sets the
// painter's transform from drawing units to the device; everything here is in drawing units.
#pragma once

#include <QPainter>
#include <QPointF>
#include <QTransform>
#include <set>
#include <utility>

#include "io/display_list.h"

namespace zkl::gui {

// How strongly reference attachments show, as in the SVG and PDF pictures.
inline constexpr double AttachmentOpacity = 0.4;

void PaintDisplayList(QPainter& painter, const io::DisplayList& list);

// The colour elements the host highlights are drawn over in.
inline constexpr QRgb HighlightColour = 0xffe0218a;

// Draws again, in the highlight colour, the elements of the list named by model and id.
void PaintHighlighted(QPainter& painter, const io::DisplayList& list,
                      const std::set<std::pair<ModelId, ElementId>>& highlighted);

// Elements that are not in the drawing (the transient display), drawn with the drawing's
// symbology tables so that they look as they will once placed.
void PaintLooseElements(QPainter& painter, const cad::Drawing& tables, const std::vector<Element>& elements);

// Drawing units to widget pixels: `scale` pixels a unit, `centre` (drawing) at the middle of
// a widget `width` x `height`, y turned up.
QTransform DrawingToWidget(const QPointF& centre, double scale, int width, int height);

}  // namespace zkl::gui
