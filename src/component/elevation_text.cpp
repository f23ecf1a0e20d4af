#include "component/elevation_text.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "component/component_geometry.h"
#include "component/label_format.h"
#include "component/property_text.h"
#include "host/numbers.h"
#include "host/property_value.h"

namespace zkl {

namespace {

// Differences smaller than this, per coordinate, count as none.
constexpr double DirectionTolerance = 0.001;

enum class Direction { Horizontal, Vertical, Sloped };

Direction DirectionOf(const Point& difference) {
    if (std::abs(difference.x) < DirectionTolerance && std::abs(difference.y) < DirectionTolerance)
        return Direction::Vertical;
    if (std::abs(difference.z) < DirectionTolerance) return Direction::Horizontal;
    return Direction::Sloped;
}

// The height of the plant origin: the third of the three numbers "x,y,z". All three must
// be numbers, so a mistyped setting is noticed rather than read as zero.
double PlantOriginHeight(const std::string& offset) {
    const std::size_t first = offset.find(',');
    const std::size_t last = offset.rfind(',');
    const auto fail = [&offset]() {
        return ConversionError("the plant origin offset '" + offset +
                               "' is not three numbers separated by commas");
    };
    if (first == std::string::npos || first == last) throw fail();
    try {
        TextToDouble(std::string_view(offset).substr(0, first));
        TextToDouble(std::string_view(offset).substr(first + 1, last - first - 1));
        return TextToDouble(std::string_view(offset).substr(last + 1));
    } catch (const ConversionError&) {
        throw fail();
    }
}

std::string WholeNumberText(double value) {
    return std::to_string(static_cast<long long>(RoundHalfEven(value)));
}

// " EL+2350": the sign goes with the unrounded value, so 0.3 is written "+0".
std::string ElevationNumber(double value) { return (value > 0 ? "+" : "") + WholeNumberText(value); }

bool EndsInZero(double value) { return WholeNumberText(value).back() == '0'; }

void Inform(Host& host, std::string text) {
    Message message;
    message.text = std::move(text);
    host.PostMessage(message);
}

}  // namespace

std::string GetElevationText(mdlOPM_Labeller& module, const Element& element, std::string_view keyword,
                             const ItemRows& rows) {
    const double originHeight = PlantOriginHeight(module.settings.PlantOriginOffset);

    const std::string componentClass = GetComponentClass(module, element, rows);
    if (componentClass != "STRAIGHT" && componentClass != "TURN90") return {};

    // Elevations are written in the plant model's own units, not the drawing's.
    const AttachmentInfo attachment = module.host.Attachment(element.model);
    const double factor = module.host.ActiveUnitFactor() / attachment.unitFactor;
    std::vector<Point> points = GetComponentPointsOfClass(module, element, componentClass);
    for (Point& point : points) point = ActiveToReferencePoint(point, attachment) * factor;

    // A bend is measured at its corner and always counts as horizontal.
    const Point start = componentClass == "STRAIGHT" ? points[0] : points[2];
    const Point end = componentClass == "STRAIGHT" ? points[1] : start + Point{100, 0, 0};
    const double height = start.z - originHeight;

    switch (DirectionOf(end - start)) {
        case Direction::Vertical:
            Inform(module.host, "The component is vertical, elevation is invalid!");
            return {};
        case Direction::Sloped:
            Inform(module.host, "The component is sloped, working point elevation at main port!");
            return " WP EL" + ElevationNumber(height);
        case Direction::Horizontal:
            break;
    }

    // Read before the keyword is looked at, so a pipe without a diameter never gets an
    // elevation, whichever keyword asked.
    const double diameter = GetPropertyNumber(module.host, element, "OUTSIDE_DIAMETER", false);
    const double bottom = height - diameter / 2;
    const double top = height + diameter / 2;
    if (keyword == "BOP") return " BOP EL" + ElevationNumber(bottom);
    if (keyword == "TOP") return " TOP EL" + ElevationNumber(top);
    if (keyword == "AUTO") {
        // Prefer whichever of bottom and top falls on a round ten, bottom first.
        if (EndsInZero(bottom)) return " BOP EL" + ElevationNumber(bottom);
        if (EndsInZero(top)) return " TOP EL" + ElevationNumber(top);
    }
    return " EL" + ElevationNumber(height);
}

std::string SlopeText(const Point& start, const Point& end, SlopeFormat format) {
    const Point difference = end - start;
    if (DirectionOf(difference) != Direction::Sloped) return {};
    const double run = std::hypot(difference.x, difference.y);
    const double angle = std::atan2(std::abs(difference.z), run);
    const double percent = std::tan(angle) * 100;
    switch (format) {
        case SlopeFormat::Percent:
            return "SLOP " + DoubleToText(RoundHalfEven(percent * 10) / 10) + "%";
        case SlopeFormat::PerHundred:
            return "SLOP " + WholeNumberText(percent) + ":100";
        case SlopeFormat::Degrees:
            return "SLOP " + DoubleToText(RoundHalfEven(angle * 180 / Pi * 10) / 10) + " deg";
    }
    return {};
}

}  // namespace zkl
