#include "component/component_key.h"

#include <cmath>

#include "component/component_geometry.h"
#include "component/property_text.h"

namespace zkl {

namespace {

// Key points come back from the attachment's transform with rounding noise; whole plant
// millimetres are far coarser than that noise and far finer than any real change.
constexpr double ModelUnitsPerMillimetre = 0.01;

std::string WholeMillimetres(double modelUnits) {
    const double millimetres = std::nearbyint(modelUnits / ModelUnitsPerMillimetre);
    // "-0" and "0" must give one key.
    return DoubleToText(millimetres == 0.0 ? 0.0 : millimetres);
}

}  // namespace

std::string ComponentKey(const Host& host, const Element& component, const std::vector<Point>& keyPoints) {
    for (const std::string_view property : ComponentIdentifierProperties) {
        const std::string identifier = GetPropertyText(host, component, property, true, false);
        if (!identifier.empty()) return "id:" + identifier;
    }
    std::string key = GetObjectClassName(host, component) + "|" +
                      GetPropertyText(host, component, "PIPELINE", true, false) + "|";
    if (keyPoints.empty()) return key;
    const AttachmentInfo attachment = host.Attachment(component.model);
    for (std::size_t i = 0; i < keyPoints.size(); ++i) {
        const Point p = ActiveToReferencePoint(keyPoints[i], attachment);
        if (i > 0) key += ';';
        key += WholeMillimetres(p.x) + "," + WholeMillimetres(p.y) + "," + WholeMillimetres(p.z);
    }
    return key;
}

}  // namespace zkl
