// Draws a sheet as an SVG picture: the active model on top of its displayed reference
// attachments, which are moved into active-model coordinates and dimmed. Coordinates in
// the file are active-model drawing units; one top group flips y so the drawing's y points
// up. Every element is a <g> whose class names its type (and a cell's name: "cell
// ZKL_Label") and whose data-id is its id, so pictures can be inspected by tools and tests.
// Texts fill exactly the box the engine's text metrics give them.
#pragma once

#include <string>

#include "cad/drawing.h"
#include "io/display_list.h"

namespace zkl::io {

struct SvgOptions {
    // Space around everything drawn: this share of the larger side, but at least
    // minimumMargin drawing units.
    double marginShare = 0.05;
    double minimumMargin = 1.0;
    // Size of the larger side of the picture in pixels (its width/height attributes).
    double pixelSize = 1200.0;
    // How strongly reference attachments are drawn, 0 (invisible) to 1 (like the model).
    double attachmentOpacity = 0.4;
};

// The same drawing and options always give the same bytes. Throws HostError when an
// element cannot be drawn (a dimension whose graphics cannot be built).
std::string RenderSvg(const cad::Drawing& drawing, const SvgOptions& options = {});
std::string RenderSvg(const DisplayList& list, const SvgOptions& options = {});

}  // namespace zkl::io
