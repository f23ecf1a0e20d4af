#include "io/pcf_component_cells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "host/property_value.h"

namespace zkl::io {

namespace {

using pcf::Component;
using pcf::Shape;

constexpr double ModelPerMillimetre = 0.01;
constexpr double MetresPerMillimetre = 0.001;
// A run whose plan length is below this is seen end on, as a circle.
constexpr double EndOnLength = 0.5;
// Drawn when a component carries no bore at all: small enough to be seen as a guess.
constexpr double UnknownOutside = 50.0;

double Rounded(double value, double unit) { return std::round(value / unit) * unit + 0.0; }

Point Unit(const Point& v) {
    const double length = Length(v);
    return length > 0 ? v * (1.0 / length) : Point{};
}

Point Plan(const Point& v) { return {v.x, v.y, 0}; }

const Point Up{0, 0, 1};

struct Frame {
    Point origin;  // local mm
    Point x, y, z;
};

// The frame of a run from a along x: z as near up as the run allows; a riser turns y north.
Frame RunFrame(const Point& origin, const Point& x) {
    if (std::abs(x.z) > 0.999) {
        const Point y = Unit(Point{0, 1, 0} - x * x.y);
        return {origin, x, y, Cross(x, y)};
    }
    const Point z = Unit(Up - x * Dot(Up, x));
    return {origin, x, Cross(z, x), z};
}

// Any horizontal unit vector square to v (east when v is vertical).
Point SquareTo(const Point& v) {
    const Point horizontal = Cross(v, Up);
    return Length(horizontal) > 1e-9 ? Unit(horizontal) : Point{1, 0, 0};
}

class CellBuilder {
public:
    CellBuilder(const ComponentCellSource& source, const Point& localOrigin)
        : source_(source), component_(*source.component), origin_(localOrigin) {}

    ComponentCell Build() {
        result_.className = ComponentClassName(component_);
        const pcf::Bore main = MainBore();
        Element cell = MakeCell(result_.className, {}, {});
        cell.symbology.level = "Pipes";
        cell.symbology.colour = 3;
        AddText(cell, "EC_CLASS_NAME", result_.className);
        AddText(cell, "PIPELINE", source_.pipeline);
        AddNumber(cell, "NOMINAL_DIAMETER", main.nominal);

        std::vector<Element> graphics;
        Frame frame;
        switch (component_.shape) {
            case Shape::Straight:
                frame = Straight(cell, graphics, main);
                break;
            case Shape::Bend:
                frame = Bend(cell, graphics, main);
                break;
            case Shape::Tee:
            case Shape::Cross:
            case Shape::Branch:
                frame = Tee(cell, graphics, main);
                break;
            case Shape::Closure:
            case Shape::Located:
                frame = Point_(cell, graphics, main);
                break;
        }
        // Every row's match format is read for every component; a pipe without the
        // equipment rows' property would be reported as invalid after each command.
        AddText(cell, "EQUIPMENT_LOCATION", "");
        AddText(cell, "PIPING_CLASS", source_.pipingClass);
        if (!source_.material.empty()) AddText(cell, "MATERIAL", source_.material);
        AddNumber(cell, "PCF.LINE", component_.line);
        std::vector<std::string> names;
        for (const pcf::Attribute& attribute : component_.attributes) {
            std::string name = "PCF." + attribute.keyword;
            for (int n = 2; std::find(names.begin(), names.end(), name) != names.end(); ++n)
                name = "PCF." + attribute.keyword + "." + std::to_string(n);
            names.push_back(name);
            AddText(cell, name, attribute.value);
        }
        AddMatrix(cell, frame);
        AvoidGroupingCounts(cell);

        cell.Cell().components = std::move(graphics);
        cell.Cell().origin = Model(frame.origin);
        result_.cell = std::move(cell);
        return std::move(result_);
    }

private:
    // ---- Values -------------------------------------------------------------------------

    pcf::Bore MainBore() {
        if (const auto bore = component_.MainBore()) return *bore;
        if (source_.bore) return *source_.bore;
        result_.warning = "no bore on its points or its neighbours'; drawn at " +
                          DoubleToText(UnknownOutside) + " mm and labelled DN 0";
        pcf::Bore unknown;
        unknown.outside = UnknownOutside;
        return unknown;
    }

    pcf::Bore BoreOf(const pcf::PointLine& point, const pcf::Bore& fallback) const {
        return point.bore ? *point.bore : fallback;
    }

    // Local millimetres: x and y from the local origin, z as it is.
    Point Local(const Point& p) const { return {p.x - origin_.x, p.y - origin_.y, p.z}; }

    Point Model(const Point& local) const {
        return {Rounded(local.x * ModelPerMillimetre, 1e-6), Rounded(local.y * ModelPerMillimetre, 1e-6),
                Rounded(local.z * ModelPerMillimetre, 1e-6)};
    }

    static void AddNumber(Element& element, const std::string& name, double value) {
        element.properties.push_back({name, PropertyValue(value + 0.0)});
    }
    static void AddText(Element& element, const std::string& name, const std::string& value) {
        element.properties.push_back({name, PropertyValue(value)});
    }

    static void AddMatrix(Element& element, const Frame& f) {
        const std::array<double, 12> m{f.x.x, f.y.x,      f.z.x, f.origin.x, f.x.y, f.y.y,
                                       f.z.y, f.origin.y, f.x.z, f.y.z,      f.z.z, f.origin.z};
        for (std::size_t i = 0; i < m.size(); ++i) {
            const std::string index = (i < 10 ? "0" : "") + std::to_string(i);
            AddNumber(element, "TRANSFORMATION_MATRIX.M" + index, Rounded(m[i], 1e-9));
        }
    }

    // The labeller tells the plant's grouping objects (pipelines, segments, isometrics,
    // services, areas, units) by the number of properties they carry; a component must
    // not carry one of those numbers by chance.
    static void AvoidGroupingCounts(Element& element) {
        constexpr std::array<std::size_t, 5> GroupingCounts{25, 32, 34, 73, 79};
        if (std::find(GroupingCounts.begin(), GroupingCounts.end(), element.properties.size()) !=
            GroupingCounts.end())
            AddText(element, "PCF.IMPORTED", "yes");
    }

    // ---- Graphics (local mm in, model units out) ------------------------------------------

    Element Line(const Point& a, const Point& b, bool centreLine = false) const {
        Element line = MakeLine(Model(a), Model(b));
        if (centreLine) line.symbology.lineStyle = "6";
        return line;
    }

    Element Polyline(const std::vector<Point>& points, bool centreLine = false) const {
        std::vector<Point> vertices;
        for (const Point& p : points) vertices.push_back(Model(p));
        Element line = MakeLineString(std::move(vertices));
        if (centreLine) line.symbology.lineStyle = "6";
        return line;
    }

    Element Circle(const Point& centre, double radius) const {
        const double r = Rounded(radius * ModelPerMillimetre, 1e-6);
        return MakeEllipse(Model(centre), r, r);
    }

    // Two outlines an outside diameter apart and a centre line; seen end on, a circle.
    void Run(std::vector<Element>& graphics, const Point& a, const Point& b, double outside,
             double outsideAtB = -1) const {
        if (outsideAtB < 0) outsideAtB = outside;
        const Point plan = Plan(b - a);
        if (Length(plan) < EndOnLength) {
            graphics.push_back(Circle(a.z > b.z ? a : b, std::max(outside, outsideAtB) / 2));
            return;
        }
        const Point side = Unit(Point{-plan.y, plan.x, 0});
        graphics.push_back(Line(a + side * (outside / 2), b + side * (outsideAtB / 2)));
        graphics.push_back(Line(a - side * (outside / 2), b - side * (outsideAtB / 2)));
        graphics.push_back(Line(a, b, true));
    }

    // A line across the run at p, `width` long.
    Element Across(const Point& p, const Point& direction, double width) const {
        const Point plan = Plan(direction);
        const Point side = Length(plan) < 1e-9 ? Point{1, 0, 0} : Unit(Point{-plan.y, plan.x, 0});
        return Line(p + side * (width / 2), p - side * (width / 2));
    }

    // ---- Shapes -------------------------------------------------------------------------

    Frame Straight(Element& cell, std::vector<Element>& graphics, const pcf::Bore& main) {
        const Point a = Local(component_.ends[0].position);
        const Point b = Local(component_.ends[1].position);
        const pcf::Bore second = BoreOf(component_.ends[1], main);
        const std::string& keyword = component_.keyword;
        const double length = Distance(a, b);
        const bool reducer = keyword.starts_with("REDUCER") || keyword.starts_with("FLANGE-REDUCING");
        if (reducer) AddNumber(cell, "SECONDARY_NOMINAL_DIAMETER", second.nominal);

        if (keyword == "REDUCER-ECCENTRIC") return Eccentric(cell, graphics, a, b, main, second);

        AddNumber(cell, "OUTSIDE_DIAMETER", main.outside);
        if (reducer) AddNumber(cell, "SECONDARY_OUTSIDE_DIAMETER", second.outside);
        AddNumber(cell, "LENGTH_EFFECTIVE", length * MetresPerMillimetre);
        const Point direction = Unit(b - a);
        if (keyword.starts_with("VALVE") || keyword.starts_with("INSTRUMENT")) {
            // A bow tie across the run, with a stem square to it.
            const Point plan = Plan(b - a);
            if (Length(plan) < EndOnLength) {
                graphics.push_back(Circle(a.z > b.z ? a : b, main.outside / 2));
                graphics.push_back(Circle(a.z > b.z ? a : b, main.outside / 4));
            } else {
                const Point side = Unit(Point{-plan.y, plan.x, 0}) * (main.outside * 0.6);
                graphics.push_back(
                    MakeShape({Model(a + side), Model(b - side), Model(b + side), Model(a - side)}));
                const Point middle = (a + b) * 0.5;
                graphics.push_back(Line(middle, middle + side * 1.4));
                graphics.push_back(Line(a, b, true));
            }
        } else if (keyword.starts_with("FLANGE") || keyword.starts_with("LAPJOINT")) {
            const double face = main.outside * 1.6;
            const Point plan = Plan(b - a);
            if (Length(plan) < EndOnLength) {
                graphics.push_back(Circle(a.z > b.z ? a : b, face / 2));
            } else {
                const Point side = Unit(Point{-plan.y, plan.x, 0}) * (face / 2);
                graphics.push_back(
                    MakeShape({Model(a + side), Model(b + side), Model(b - side), Model(a - side)}));
                graphics.push_back(Line(a, b, true));
            }
        } else if (keyword == "GASKET" || keyword == "WELD") {
            graphics.push_back(Across((a + b) * 0.5, direction, main.outside * 1.2));
        } else {
            Run(graphics, a, b, main.outside, reducer ? second.outside : -1);
        }
        return RunFrame(a, direction);
    }

    // The labeller finds the far end at O + L x - E z, E half the difference of the two
    // outside diameters: x and z are turned in the plane of the ends' offset so that this
    // point is the PCF's END-POINT 2 exactly.
    Frame Eccentric(Element& cell, std::vector<Element>& graphics, const Point& a, const Point& b,
                    const pcf::Bore& first, const pcf::Bore& second) {
        AddNumber(cell, "LENGTH_EFFECTIVE", 0);  // replaced below
        const Point d = b - a;
        const double offset = std::abs(first.outside - second.outside) / 2;
        // Which way the axis lies from the line between the ends' centres: towards where
        // the run comes from, else the flat side is taken to be on top (or below).
        Point reference;
        if (source_.runDirection) {
            const Point axis = *source_.runDirection;
            reference = -(d - axis * Dot(d, axis));
        }
        if (Length(reference) < 1e-6) reference = std::abs(d.z) > 1e-6 ? Up * (d.z < 0 ? 1.0 : -1.0) : Up;
        const Point e1 = Unit(d);
        Point e2 = reference - e1 * Dot(reference, e1);
        if (Length(e2) < 1e-9) e2 = SquareTo(e1);
        e2 = Unit(e2);
        double length = Length(d);
        Point x = e1, z = e2;
        if (Length(d) > offset) {
            length = std::sqrt(Dot(d, d) - offset * offset);
            const double angle = std::atan2(offset, length);
            x = e1 * std::cos(angle) + e2 * std::sin(angle);
            z = e1 * -std::sin(angle) + e2 * std::cos(angle);
        } else {
            result_.warning =
                "its ends lie closer together than half the difference of their outside diameters";
        }
        cell.properties.back() = {"LENGTH_EFFECTIVE", PropertyValue(length * MetresPerMillimetre)};

        const double h1 = first.outside / 2, h2 = second.outside / 2;
        const Point plan = Plan(d);
        const Point side = Length(plan) < 1e-9 ? Point{1, 0, 0} : Unit(Point{-plan.y, plan.x, 0});
        Element largeEnd = Line(a - side * h1, a + side * h1);
        AddNumber(largeEnd, "OUTSIDE_DIAMETER", first.outside);
        AddNumber(largeEnd, "NOMINAL_DIAMETER", first.nominal);
        Element smallEnd = Line(b - side * h2, b + side * h2);
        AddNumber(smallEnd, "OUTSIDE_DIAMETER", second.outside);
        AddNumber(smallEnd, "NOMINAL_DIAMETER", second.nominal);
        graphics.push_back(std::move(largeEnd));
        graphics.push_back(std::move(smallEnd));
        graphics.push_back(Line(a + side * h1, b + side * h2));
        graphics.push_back(Line(a - side * h1, b - side * h2));
        graphics.push_back(Line(a, b, true));
        return {a, x, Unit(Cross(z, x)), z};
    }

    // The labeller's bend turns at O + R x and ends at O + R x + R z: x runs along the
    // first leg and z, scaled, along the second, so both ends and the corner are the PCF's.
    Frame Bend(Element& cell, std::vector<Element>& graphics, const pcf::Bore& main) {
        const Point a = Local(component_.ends[0].position);
        const Point b = Local(component_.ends[1].position);
        const Point corner = Local(*component_.centre);
        const double radius = Distance(a, corner);
        const Point x = Unit(corner - a);
        const Point z = (b - corner) * (1.0 / radius);
        AddNumber(cell, "OUTSIDE_DIAMETER", main.outside);
        AddNumber(cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", radius * MetresPerMillimetre);
        AddNumber(cell, "ANGLE", Rounded(component_.deflection, 0.01));

        // The plan arc: a quadratic curve from end to end with the corner as its control
        // point, offset by half the outside diameter where it is not seen end on.
        constexpr int Steps = 8;
        std::vector<Point> centre, left, right;
        Point lastSide{};
        for (int i = 0; i <= Steps; ++i) {
            const double t = static_cast<double>(i) / Steps;
            const Point p = a * ((1 - t) * (1 - t)) + corner * (2 * (1 - t) * t) + b * (t * t);
            const Point tangent = Plan((corner - a) * (1 - t) + (b - corner) * t);
            if (Length(tangent) > 1e-6) lastSide = Unit(Point{-tangent.y, tangent.x, 0});
            centre.push_back(p);
        }
        if (Length(lastSide) == 0) {
            graphics.push_back(Circle(a.z > b.z ? a : b, main.outside / 2));
        } else {
            Point side = lastSide;
            for (int i = Steps; i >= 0; --i) {
                const double t = static_cast<double>(i) / Steps;
                const Point tangent = Plan((corner - a) * (1 - t) + (b - corner) * t);
                if (Length(tangent) > 1e-6) side = Unit(Point{-tangent.y, tangent.x, 0});
                left.insert(left.begin(), centre[static_cast<std::size_t>(i)] + side * (main.outside / 2));
                right.insert(right.begin(), centre[static_cast<std::size_t>(i)] - side * (main.outside / 2));
            }
            graphics.push_back(Polyline(left));
            graphics.push_back(Polyline(right));
            graphics.push_back(Polyline(centre, true));
            // A leg that rises or falls shows its end as a circle.
            for (const Point& end : {a, b})
                if (Length(Plan(corner - end)) < EndOnLength && std::abs(corner.z - end.z) > EndOnLength)
                    graphics.push_back(Circle(end, main.outside / 2));
        }
        return {a, x, Unit(Cross(z, x)), z};
    }

    // Tees, crosses, set-on tees and olets: centre Q = O + run x, run end Q + outlet x,
    // branch end Q + branch z.
    Frame Tee(Element& cell, std::vector<Element>& graphics, const pcf::Bore& main) {
        const Point centre = Local(*component_.centre);
        const Point branchEnd = Local(component_.branches.at(0).position);
        const pcf::Bore branchBore = BoreOf(component_.branches[0], main);
        Point start = centre, x;
        double run = 0, outlet = 0;
        if (component_.ends.size() == 2) {
            start = Local(component_.ends[0].position);
            const Point end = Local(component_.ends[1].position);
            x = Unit(end - start);
            run = Dot(centre - start, x);
            outlet = Distance(start, end) - run;
        } else {
            x = source_.runDirection ? *source_.runDirection : SquareTo(branchEnd - centre);
        }
        const Point q = start + x * run;
        const double branch = Distance(q, branchEnd);
        const Point z = branch > 1e-9 ? Unit(branchEnd - q) : SquareTo(x);

        if (component_.shape != Shape::Branch || branchBore.nominal != main.nominal)
            AddNumber(cell, "SECONDARY_NOMINAL_DIAMETER", branchBore.nominal);
        AddNumber(cell, "OUTSIDE_DIAMETER", main.outside);
        AddNumber(cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", run * MetresPerMillimetre);
        AddNumber(cell, "DESIGN_LENGTH_CENTER_TO_OUTLET_END_EFFECTIVE", outlet * MetresPerMillimetre);
        AddNumber(cell, "DESIGN_LENGTH_CENTER_TO_BRANCH_END_EFFECTIVE", branch * MetresPerMillimetre);

        if (component_.ends.size() == 2) Run(graphics, start, start + x * (run + outlet), main.outside);
        if (component_.ends.empty()) graphics.push_back(Circle(centre, branchBore.outside / 2 + 10));
        for (const pcf::PointLine& point : component_.branches) {
            const pcf::Bore bore = BoreOf(point, main);
            const Point end = Local(point.position);
            // The branch starts at the run's outline, not at its centre.
            const Point plan = Plan(end - q);
            const double from = std::min(main.outside / 2, Length(plan));
            Run(graphics, q + Unit(plan) * from, end, bore.outside);
        }
        return {start, x, Unit(Cross(z, x)), z};
    }

    // Caps, blinds and supports: a symbol at one point.
    Frame Point_(Element& cell, std::vector<Element>& graphics, const pcf::Bore& main) {
        const Point at =
            Local(component_.shape == Shape::Located ? *component_.centre : component_.ends[0].position);
        const Point x = source_.runDirection ? *source_.runDirection : Point{1, 0, 0};
        AddNumber(cell, "OUTSIDE_DIAMETER", main.outside);
        if (component_.shape == Shape::Located) {
            // A support: a square turned on its corner, an outside diameter across, crossed.
            const double r = main.outside / 2 + 40;
            const Point plan = Length(Plan(x)) > 1e-9 ? Unit(Plan(x)) : Point{1, 0, 0};
            const Point side{-plan.y, plan.x, 0};
            graphics.push_back(MakeShape(
                {Model(at + plan * r), Model(at + side * r), Model(at - plan * r), Model(at - side * r)}));
            graphics.push_back(Line(at + plan * r, at - plan * r));
            graphics.push_back(Line(at + side * r, at - side * r));
        } else {
            graphics.push_back(Across(at, x, main.outside * 1.3));
            graphics.push_back(Across(at + x * (main.outside * 0.15), x, main.outside * 1.3));
        }
        return RunFrame(at, x);
    }

    const ComponentCellSource& source_;
    const Component& component_;
    Point origin_;
    ComponentCell result_;
};

struct ClassName {
    std::string_view keyword;
    std::string_view className;
};

// Names after the plant model's own classes where the example configuration matches
// them; the rest spelled the same way.
constexpr std::array<ClassName, 38> ClassNames{{
    {"PIPE", "PIPE"},
    {"PIPE-FIXED", "PIPE"},
    {"PIPE-BLOCK-FIXED", "PIPE"},
    {"PIPE-BLOCK-VARIABLE", "PIPE"},
    {"SPOOL", "PIPE"},
    {"Y-PIECE", "PIPE_LATERAL"},
    {"LATERAL", "PIPE_LATERAL"},
    {"CROSS", "PIPE_CROSS"},
    {"CROSS-SET-ON", "PIPE_CROSS"},
    {"OLET", "PIPE_OLET"},
    {"REDUCER-CONCENTRIC", "CONCENTRIC_PIPE_REDUCER"},
    {"REDUCER-ECCENTRIC", "ECCENTRIC_PIPE_REDUCER"},
    {"FLANGE", "PIPE_FLANGE"},
    {"FLANGE-BLIND", "PIPE_BLIND_FLANGE"},
    {"FLANGE-REDUCING-CONCENTRIC", "PIPE_REDUCING_FLANGE"},
    {"FLANGE-REDUCING-ECCENTRIC", "PIPE_REDUCING_FLANGE"},
    {"LAPJOINT-STUBEND", "PIPE_LAP_JOINT_STUB_END"},
    {"LAPJOINT-RINGEND", "PIPE_LAP_JOINT_RING"},
    {"GASKET", "PIPE_GASKET"},
    {"WELD", "PIPE_WELD"},
    {"VALVE", "VALVE"},
    {"VALVE-ANGLE", "ANGLE_VALVE"},
    {"VALVE-3WAY", "THREE_WAY_VALVE"},
    {"VALVE-4WAY", "FOUR_WAY_VALVE"},
    {"VALVE-MULTIWAY", "MULTIWAY_VALVE"},
    {"INSTRUMENT-OFFLINE", "INSTRUMENT"},
    {"INSTRUMENT-DIAL", "INSTRUMENT"},
    {"FILTER", "PIPE_FILTER"},
    {"TRAP", "STEAM_TRAP"},
    {"VENT", "PIPE_VENT"},
    {"CAP", "PIPE_CAP"},
    {"PLUG", "PIPE_PLUG"},
    {"CLOSURE", "PIPE_CLOSURE"},
    {"COUPLING", "PIPE_COUPLING"},
    {"UNION", "PIPE_UNION"},
    {"ADAPTER", "PIPE_ADAPTER"},
    {"SUPPORT", "PIPE_SUPPORT"},
    {"FLOOR-PENETRATION", "FLOOR_PENETRATION"},
}};

std::string Underscored(std::string_view keyword) {
    std::string name(keyword);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

}  // namespace

std::string ComponentClassName(const Component& component) {
    const std::string& keyword = component.keyword;
    if (component.shape == Shape::Bend &&
        (keyword == "ELBOW" || keyword == "BEND" || keyword == "PULLED-BEND" || keyword == "ELBOW-TRIMMED")) {
        // Long or short radius by the bend radius against the nominal size in inches.
        const double degrees = std::round(component.deflection);
        const auto bore = component.MainBore();
        std::string radius = "LONG_RADIUS";
        if (bore && bore->size && component.centre && component.ends.size() == 2) {
            const double leg = Distance(component.ends[0].position, *component.centre);
            const double bendRadius = leg / std::tan(component.deflection * Pi / 360);
            const double ratio = bendRadius / (bore->size->inches * 25.4);
            if (ratio < 1.25) radius = "SHORT_RADIUS";
            if (ratio > 2.5) return "PIPE_BEND_" + DoubleToText(degrees) + "_DEGREE";
        }
        return "PIPE_ELBOW_" + DoubleToText(degrees) + "_DEGREE_" + radius;
    }
    if (keyword == "TEE" || keyword == "TEE-SET-ON" || keyword == "TEE-STUB") {
        const auto run = component.MainBore();
        const auto& branch = component.branches.empty() ? std::nullopt : component.branches[0].bore;
        const bool equal = !branch || !run || branch->nominal == run->nominal;
        return equal ? "PIPE_EQUAL_TEE" : "PIPE_REDUCING_TEE";
    }
    for (const ClassName& name : ClassNames)
        if (name.keyword == keyword) return std::string(name.className);
    return Underscored(keyword);
}

Point PlantToModel(const Point& millimetres, const Point& localOrigin) {
    return {Rounded((millimetres.x - localOrigin.x) * ModelPerMillimetre, 1e-6),
            Rounded((millimetres.y - localOrigin.y) * ModelPerMillimetre, 1e-6),
            Rounded(millimetres.z * ModelPerMillimetre, 1e-6)};
}

ComponentCell MakeComponentCell(const ComponentCellSource& source, const Point& localOrigin) {
    return CellBuilder(source, localOrigin).Build();
}

}  // namespace zkl::io
