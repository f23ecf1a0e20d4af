#include "component/component_geometry.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "component/label_format.h"
#include "component/property_text.h"
#include "host/numbers.h"

namespace zkl {

namespace {

// Design lengths are stored in other units than the placement; this brings them to the
// placement's scale, and every coordinate is divided by CoordinateDivisor before the
// attachment transform sees it.
constexpr double LengthFactor = 1000.0;
constexpr double CoordinateDivisor = 100.0;

// Entry row * 4 + column of the placement matrix.
double MatrixEntry(const Host& host, const Element& element, int entry) {
    static constexpr std::array<std::string_view, 12> Names{
        "TRANSFORMATION_MATRIX.M00", "TRANSFORMATION_MATRIX.M01", "TRANSFORMATION_MATRIX.M02",
        "TRANSFORMATION_MATRIX.M03", "TRANSFORMATION_MATRIX.M04", "TRANSFORMATION_MATRIX.M05",
        "TRANSFORMATION_MATRIX.M06", "TRANSFORMATION_MATRIX.M07", "TRANSFORMATION_MATRIX.M08",
        "TRANSFORMATION_MATRIX.M09", "TRANSFORMATION_MATRIX.M10", "TRANSFORMATION_MATRIX.M11"};
    return GetPropertyNumber(host, element, Names[static_cast<std::size_t>(entry)], true);
}

double DesignLength(const Host& host, const Element& element, std::string_view accessString,
                    bool acceptZero) {
    return GetPropertyNumber(host, element, accessString, acceptZero) * LengthFactor;
}

// Half the difference of the reducer's two outside diameters, in either order.
double EccentricOffset(const Host& host, const Element& element) {
    const char* accessString = "OUTSIDE_DIAMETER";
    const std::string diameters = GetPropertyText(host, element, accessString, false, true);
    const std::size_t comma = diameters.find(',');
    if (comma == std::string::npos)
        throw ConversionError(PropertyValueProblem(element, accessString, diameters, "needs two diameters"));
    try {
        const double first = TextToDouble(std::string_view(diameters).substr(0, comma));
        const double second = TextToDouble(std::string_view(diameters).substr(comma + 1));
        return std::abs(second - first) / 2.0 * LengthFactor;
    } catch (const ConversionError&) {
        throw ConversionError(PropertyValueProblem(element, accessString, diameters, "not two diameters"));
    }
}

}  // namespace

std::vector<Point> GetComponentPoints(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows) {
    return GetComponentPointsOfClass(module, element, GetComponentClass(module, element, rows));
}

std::vector<Point> GetComponentPointsOfClass(mdlOPM_Labeller& module, const Element& element,
                                             std::string_view componentClass) {
    const Host& host = module.host;
    const Point origin{MatrixEntry(host, element, 3), MatrixEntry(host, element, 7),
                       MatrixEntry(host, element, 11)};
    const Point xAxis{MatrixEntry(host, element, 0), MatrixEntry(host, element, 4),
                      MatrixEntry(host, element, 8)};
    const Point yAxis{MatrixEntry(host, element, 1), MatrixEntry(host, element, 5),
                      MatrixEntry(host, element, 9)};
    const Point zAxis{MatrixEntry(host, element, 2), MatrixEntry(host, element, 6),
                      MatrixEntry(host, element, 10)};
    // The axes are taken as stored, not normalised: a scaled placement scales the lengths.
    const Matrix3d frame = Matrix3d::FromRows(xAxis, yAxis, zAxis);
    const auto at = [&frame](const Point& from, double a, double b, double c) {
        return from + frame.LocalOffset({a, b, c});
    };

    std::vector<Point> points{origin};
    if (componentClass == "STRAIGHT") {
        const double length = DesignLength(host, element, "LENGTH_EFFECTIVE", true);
        points.push_back(at(origin, length, 0, 0));
        points.push_back(at(origin, length / 2, 0, 0));
    } else if (componentClass == "TURN90") {
        // A zero run length would collapse the bend onto its start; it is refused.
        const double run = DesignLength(host, element, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", false);
        points.push_back(at(origin, run, 0, run));
        points.push_back(at(origin, run, 0, 0));
    } else if (componentClass == "ECC") {
        const double offset = EccentricOffset(host, element);
        const double length = DesignLength(host, element, "LENGTH_EFFECTIVE", true);
        points.push_back(at(origin, length, 0, -offset));
        points.push_back(at(origin, length / 2, 0, -offset / 2));
    } else if (componentClass == "TEE") {
        const double run = DesignLength(host, element, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", true);
        const double outlet =
            DesignLength(host, element, "DESIGN_LENGTH_CENTER_TO_OUTLET_END_EFFECTIVE", true);
        const double branch =
            DesignLength(host, element, "DESIGN_LENGTH_CENTER_TO_BRANCH_END_EFFECTIVE", true);
        const Point centre = at(origin, run, 0, 0);
        points.push_back(at(centre, outlet, 0, 0));
        points.push_back(at(centre, 0, 0, branch));
        points.push_back(centre);
    }

    const AttachmentInfo attachment = host.Attachment(element.model);
    for (Point& point : points) {
        const Point divided{point.x / CoordinateDivisor, point.y / CoordinateDivisor,
                            point.z / CoordinateDivisor};
        point = ReferenceToActivePoint(divided, attachment);
    }
    return points;
}

Point ReferenceToActivePoint(const Point& point, const AttachmentInfo& attachment) {
    return attachment.toActive.Apply(point);
}

Point ActiveToReferencePoint(const Point& point, const AttachmentInfo& attachment) {
    return attachment.toReference.Apply(point);
}

bool PointInRange(const Point& point, const Point& low, const Point& high) {
    return low.x <= point.x && point.x <= high.x && low.y <= point.y && point.y <= high.y;
}

}  // namespace zkl
