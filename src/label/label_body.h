// A label's visible body: the text its item row's label format composes, framed as plain
// text (style 0), underlined (1), boxed (2), circled (3) or split at its first "-" into two
// halves inside a circle (4). The body is a list of detached elements (texts first, then
// the frame); nothing is added to a model here. Also the single-line side texts the
// automatic layout writes beside a drawing area.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// Radius of the circle of frame styles 3 and 4, whatever the text size.
inline constexpr double LabelCircleRadius = 5.0;

// Builds the body around the component's anchor (its last key point), or around (0, 0, 0)
// when `atOrigin`. Returns the row's frame style, or -1 when no row matches or the label
// text is empty; a style outside 0..4 leaves `body` untouched. Throws what reading the
// key points throws, and HostError for a missing level or text style. The component's key
// points, read on the way, go to `keyPoints` when given (a caller that needs them need not
// match the rows against the component again).
std::int16_t BuildLabelBody(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows,
                            bool atOrigin, std::vector<Element>& body, std::vector<Point>* keyPoints = nullptr);

// Level and text style by name (HostError when missing), then height, width and
// justification from the arguments.
void ApplyTextAttributes(const Host& host, Element& text, std::string_view levelName,
                         std::string_view textStyleName, double height, double width, int justification);

// Writes one line of text beside `point` on `side` ("LEFT", "RIGHT", "TOP", "BOTTOM"),
// LabelDistance1 + offset + LabelDistance2 away, adds it to the active model and returns it
// (with its id). TOP and BOTTOM texts read bottom to top.
Element PlaceSideText(mdlOPM_Labeller& module, std::string_view text, const Point& point,
                      std::string_view side, double offset);

}  // namespace zkl
