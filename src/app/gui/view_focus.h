// Where a dock takes the canvas when one of its entries is selected: round the label bodies,
// components and points the entry names, zoomed in but with what lies around them in view.
//
// Units: active-model drawing units.
#pragma once

#include "cad/cad_host.h"
#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl::gui {

// A label's body without its leader (the labeller writes the leader last): the leader may
// reach far away, and an entry is about the body.
Range LabelBodyRange(const Host& host, const Element& cell);

// An element's range where the active model shows it (a component's range is in its own
// model, the view needs it where the attachment puts it).
Range ActiveRange(const Host& host, const Element& element);

// The view round `box`: at least a twentieth of the sheet of `host` wide and high, with a
// margin of three quarters of its larger side all round.
ViewArea AreaAround(const cad::CadHost& host, const Range& box);

}  // namespace zkl::gui
