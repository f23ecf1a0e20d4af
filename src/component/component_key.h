// The stable key of a plant component: what a label remembers of the component it belongs
// to, so that the label finds its component again in a later revision of the model, where
// element ids mean nothing. A component with an identifier of its own is known by it
// ("id:XV-1001"), whatever else changes; any other by its class, pipeline and key points in
// whole plant millimetres ("PIPE|1001-P|500600,200000,4500;502000,200000,4500").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "host/host.h"

namespace zkl {

// The properties that carry a component's own identifier, the first present one winning.
inline constexpr std::string_view ComponentIdentifierProperties[] = {
    "GUID", "PCF.UNIQUE-COMPONENT-IDENTIFIER", "PCF.COMPONENT-IDENTIFIER"};

// `keyPoints` are the component's key points in active-model coordinates, as
// GetComponentPoints gives them. Never throws for missing properties; HostError when the
// element's model is no attachment.
std::string ComponentKey(const Host& host, const Element& component, const std::vector<Point>& keyPoints);

}  // namespace zkl
