#include "io/sheet_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

namespace zkl::io {

namespace {

// ---- Deterministic randomness ------------------------------------------------------------
// std::mt19937's sequence is fixed by the standard, its distributions are not: these are
// our own, so a seed gives the same sheet with every standard library.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    double Uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(engine_()) / 4294967296.0);
    }
    int Below(int count) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(count)); }
    bool Chance(double probability) { return Uniform(0, 1) < probability; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& choices) {
        return choices[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

private:
    std::mt19937 engine_;
};

// ---- Catalogue ---------------------------------------------------------------------------

struct PipeSize {
    double nominal;         // DN, mm
    double outside;         // outside diameter, mm
    double elbowRadius;     // long radius: centre to end, m
    double teeCentreToEnd;  // equal tee: centre to each end, m
};

constexpr std::array<PipeSize, 7> Sizes{{
    {50, 60.3, 0.0762, 0.064},
    {80, 88.9, 0.1143, 0.086},
    {100, 114.3, 0.1524, 0.105},
    {150, 168.3, 0.2286, 0.143},
    {200, 219.1, 0.3048, 0.178},
    {250, 273.0, 0.381, 0.216},
    {300, 323.9, 0.4572, 0.254},
}};

struct Service {
    const char* name;
    const char* code;
    const char* pipingClass;
};

constexpr std::array<Service, 5> Services{{
    {"PROCESS", "P", "A1A"},
    {"COOLING WATER", "CW", "B1C"},
    {"STEAM", "S", "C2A"},
    {"NITROGEN", "N", "A1A"},
    {"INSTRUMENT AIR", "IA", "B1C"},
}};

constexpr std::array<const char*, 4> EquipmentKinds{"P", "V", "E", "T"};
constexpr std::array<double, 4> Elevations{3000, 4500, 6000, 7500};

// Plant area per component in drawing units squared: about what a piping plan at 1:100
// shows, with room left for a label next to most components.
constexpr double AreaPerComponent = 1600.0;
// Where the plant starts in the active model; the automatic command draws borders only
// around attachments right of x = 40.
constexpr Point PlantOffset{80, 80, 0};

// mm of the plant model -> attached-model units.
constexpr double ModelPerMillimetre = 0.01;

double Rounded(double value, double unit) { return std::round(value / unit) * unit; }

Point ToModel(const Point& millimetres) {
    return {Rounded(millimetres.x * ModelPerMillimetre, 1e-6),
            Rounded(millimetres.y * ModelPerMillimetre, 1e-6),
            Rounded(millimetres.z * ModelPerMillimetre, 1e-6)};
}

// A component's placement: origin in mm and three unit axes, right-handed (z = x cross y).
struct Frame {
    Point origin;
    Point x, y, z;
};

Frame MakeFrame(const Point& origin, const Point& x, const Point& z) { return {origin, x, Cross(z, x), z}; }

Point Horizontal(const Point& direction) { return {-direction.y, direction.x, 0}; }

// ---- Elements ----------------------------------------------------------------------------

void AddNumber(Element& element, const std::string& name, double value) {
    element.properties.push_back({name, PropertyValue(value)});
}
void AddText(Element& element, const std::string& name, const std::string& value) {
    element.properties.push_back({name, PropertyValue(value)});
}

void AddMatrix(Element& element, const Frame& f) {
    const std::array<double, 12> m{f.x.x, f.y.x,      f.z.x, f.origin.x, f.x.y, f.y.y,
                                   f.z.y, f.origin.y, f.x.z, f.y.z,      f.z.z, f.origin.z};
    for (std::size_t i = 0; i < m.size(); ++i) {
        const std::string index = (i < 10 ? "0" : "") + std::to_string(i);
        // Axes are whole numbers or nearly; rounding keeps -0 and 1e-17 out of the file.
        AddNumber(element, "TRANSFORMATION_MATRIX.M" + index, Rounded(m[i], 1e-9) + 0.0);
    }
}

Element Line(const Point& fromMm, const Point& toMm, bool centreLine = false) {
    Element line = MakeLine(ToModel(fromMm), ToModel(toMm));
    if (centreLine) line.symbology.lineStyle = "6";
    return line;
}

Element Polyline(const std::vector<Point>& millimetres, bool centreLine = false) {
    std::vector<Point> vertices;
    for (const Point& p : millimetres) vertices.push_back(ToModel(p));
    Element line = MakeLineString(std::move(vertices));
    if (centreLine) line.symbology.lineStyle = "6";
    return line;
}

// What every pipe component of one line carries.
struct LineData {
    std::string pipeline;
    const Service* service = nullptr;
    PipeSize size;
};

Element ComponentCell(const std::string& className, const Frame& frame, const LineData& line,
                      std::vector<Element> graphics) {
    Element cell = MakeCell(className, std::move(graphics), ToModel(frame.origin));
    cell.symbology.level = "Pipes";
    cell.symbology.colour = 3;
    AddText(cell, "EC_CLASS_NAME", className);
    AddText(cell, "PIPELINE", line.pipeline);
    AddNumber(cell, "NOMINAL_DIAMETER", line.size.nominal);
    return cell;
}

void AddLineProperties(Element& cell, const LineData& line, bool withOutside) {
    if (withOutside) AddNumber(cell, "OUTSIDE_DIAMETER", line.size.outside);
    AddText(cell, "SERVICE", line.service->name);
    AddText(cell, "PIPING_CLASS", line.service->pipingClass);
}

// ---- The plant ---------------------------------------------------------------------------

class PlantBuilder {
public:
    PlantBuilder(int components, std::uint32_t seed)
        : random_(seed),
          budget_(components),
          side_(std::max(200.0, std::sqrt(static_cast<double>(components) * AreaPerComponent))) {}

    std::vector<Element> Build() {
        int lineNumber = 1001;
        int equipmentNumber = 101;
        while (budget_ > 0) {
            const Service& service = random_.Pick(Services);
            LineData line{
                std::to_string(lineNumber++) + "-" + service.code, &service,
                Sizes[static_cast<std::size_t>(1 + random_.Below(static_cast<int>(Sizes.size()) - 1))]};
            Point start{random_.Uniform(0.05, 0.95) * SideMm(), random_.Uniform(0.05, 0.95) * SideMm(),
                        random_.Pick(Elevations)};
            Point direction = random_.Pick(PlanDirections());
            // About one run in six starts at a piece of equipment's nozzle.
            if (budget_ > 2 && random_.Chance(0.17)) AddEquipment(start, direction, equipmentNumber++);
            Run(line, start, direction, 2 + random_.Below(6));
        }
        elements_.push_back(Grid());
        return std::move(elements_);
    }

    double Side() const { return side_; }

private:
    static const std::array<Point, 4>& PlanDirections() {
        static const std::array<Point, 4> directions{{{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}}};
        return directions;
    }

    double SideMm() const { return side_ / ModelPerMillimetre; }

    bool Inside(const Point& p) const { return p.x >= 0 && p.y >= 0 && p.x <= SideMm() && p.y <= SideMm(); }

    void Add(Element element) {
        elements_.push_back(std::move(element));
        --budget_;
    }

    // One pipe line: pipes and fittings, turning back into the plant where it would leave.
    void Run(LineData line, Point at, Point direction, int fittings) {
        for (int i = 0; i < fittings && budget_ > 0; ++i) {
            double length = Rounded(random_.Uniform(2.0, 12.0), 0.001);
            if (!Inside(at + direction * (length * 1000))) {
                direction = TowardsCentre(at);
                length = std::min(length, 6.0);
            }
            at = Pipe(line, at, direction, length);
            if (budget_ == 0) return;

            const double choice = random_.Uniform(0, 1);
            if (choice < 0.5) {
                const Point turned = random_.Chance(0.5) ? Horizontal(direction) : -Horizontal(direction);
                at = Elbow(line, at, direction, turned);
                direction = turned;
            } else if (choice < 0.68 && budget_ >= 3) {
                at = Riser(line, at, direction);
                direction = random_.Chance(0.5) ? Horizontal(direction) : -Horizontal(direction);
            } else if (choice < 0.86) {
                const Point side = random_.Chance(0.5) ? Horizontal(direction) : -Horizontal(direction);
                const auto [runEnd, branchEnd] = Tee(line, at, direction, side);
                at = runEnd;
                if (budget_ > 0 && random_.Chance(0.6)) {
                    LineData branch = line;
                    branch.pipeline = line.pipeline + "B";
                    Run(branch, branchEnd, side, 1 + random_.Below(3));
                }
            } else if (line.size.nominal > Sizes.front().nominal) {
                at = Reducer(line, at, direction);
            }
        }
    }

    Point TowardsCentre(const Point& at) const {
        const double dx = SideMm() / 2 - at.x, dy = SideMm() / 2 - at.y;
        if (std::abs(dx) > std::abs(dy)) return {dx > 0 ? 1.0 : -1.0, 0, 0};
        return {0, dy > 0 ? 1.0 : -1.0, 0};
    }

    // Straight pipe from `at` along `direction` (unit, mm); returns its end.
    Point Pipe(const LineData& line, const Point& at, const Point& direction, double lengthM) {
        const bool vertical = direction.z != 0;
        const Frame f = vertical ? Frame{at, direction, {0, 1, 0}, Cross(direction, {0, 1, 0})}
                                 : MakeFrame(at, direction, {0, 0, 1});
        const Point end = at + direction * (lengthM * 1000);
        const double h = line.size.outside / 2;
        std::vector<Element> graphics{Line(at + f.y * h, end + f.y * h), Line(at - f.y * h, end - f.y * h),
                                      Line(at, end, true)};
        // A riser is seen end on: its top shows as a circle.
        if (vertical) {
            const Point top = direction.z > 0 ? end : at;
            graphics.push_back(MakeEllipse(ToModel(top), Rounded(h * ModelPerMillimetre, 1e-6),
                                           Rounded(h * ModelPerMillimetre, 1e-6)));
        }
        Element cell = ComponentCell("PIPE", f, line, std::move(graphics));
        AddLineProperties(cell, line, true);
        AddNumber(cell, "LENGTH_EFFECTIVE", lengthM);
        AddText(cell, "MATERIAL", "ASTM A106 Gr.B");
        AddNumber(cell, "INSULATION_THICKNESS", 0);
        AddMatrix(cell, f);
        Add(std::move(cell));
        return end;
    }

    // A long-radius bend from `direction` into `turned`; returns its far end.
    Point Elbow(const LineData& line, const Point& at, const Point& direction, const Point& turned) {
        const Frame f = MakeFrame(at, direction, turned);
        const double r = line.size.elbowRadius * 1000;
        const double h = line.size.outside / 2;
        const Point centre = at + f.z * r;
        const bool planBend = std::abs(f.y.z) > 0.5;
        auto arc = [&](double radius, const Point& shift) {
            std::vector<Point> points;
            for (int step = 0; step <= 6; ++step) {
                const double angle = step * Pi / 12;
                points.push_back(centre + shift + (f.x * std::sin(angle) - f.z * std::cos(angle)) * radius);
            }
            return points;
        };
        std::vector<Element> graphics;
        if (planBend) {
            graphics = {Polyline(arc(r + h, {})), Polyline(arc(r - h, {}))};
        } else {
            graphics = {Polyline(arc(r, f.y * h)), Polyline(arc(r, f.y * -h))};
        }
        graphics.push_back(Polyline(arc(r, {}), true));
        Element cell = ComponentCell("PIPE_ELBOW_90_DEGREE_LONG_RADIUS", f, line, std::move(graphics));
        AddLineProperties(cell, line, true);
        AddNumber(cell, "DESIGN_LENGTH_CENTER_TO_RUN_END_EFFECTIVE", line.size.elbowRadius);
        AddNumber(cell, "ANGLE", 90);
        AddText(cell, "MATERIAL", "ASTM A234 WPB");
        AddNumber(cell, "INSULATION_THICKNESS", 0);
        AddMatrix(cell, f);
        Add(std::move(cell));
        return at + f.x * r + f.z * r;
    }

    // Down (or up) to another elevation and on: bend, vertical pipe, bend.
    Point Riser(const LineData& line, const Point& at, const Point& direction) {
        const double r = line.size.elbowRadius * 1000;
        double target = random_.Pick(Elevations);
        if (target == at.z) target = at.z > 4000 ? at.z - 1500 : at.z + 1500;
        const Point vertical{0, 0, target < at.z ? -1.0 : 1.0};
        Point p = Elbow(line, at, direction, vertical);
        const double lengthM = Rounded(std::max(0.2, (std::abs(target - at.z) - 2 * r) / 1000), 0.001);
        p = Pipe(line, p, vertical, lengthM);
        if (budget_ == 0) return p;
        const Point onward = random_.Chance(0.5) ? Horizontal(direction) : -Horizontal(direction);
        return Elbow(line, p, vertical, onward);
    }

    // An equal tee with its branch towards `side`; returns the run end and the branch end.
    std::pair<Point, Point> Tee(const LineData& line, const Point& at, const Point& direction,
                                const Point& side) {
        const Frame f = MakeFrame(at, direction, side);
        const double c = line.size.teeCentreToEnd * 1000;
        const double h = line.size.outside / 2;
        const Point centre = at + f.x * c;
        const Point runEnd = centre + f.x * c;
        const Point branchEnd = centre + f.z * c;
        std::vector<Element> graphics{
            Line(at - f.z * h, runEnd - f.z * h),
            Line(at + f.z * h, centre - f.x * h + f.z * h),
            Line(centre + f.x * h + f.z * h, runEnd + f.z * h),
            Line(centre - f.x * h + f.z * h, branchEnd - f.x * h),
            Line(centre + f.x * h + f.z * h, branchEnd + f.x * h),
            Line(at, runEnd, true),
            Line(centre, branchEnd, true),
        };
        Element cell = ComponentCell("PIPE_EQUAL_TEE", f, line, std::move(graphics));
        AddLineProperties(cell, line, true);
        for (const char* end : {"RUN", "OUTLET", "BRANCH"})
            AddNumber(cell, std::string("DESIGN_LENGTH_CENTER_TO_") + end + "_END_EFFECTIVE",
                      line.size.teeCentreToEnd);
        AddText(cell, "MATERIAL", "ASTM A234 WPB");
        AddMatrix(cell, f);
        Add(std::move(cell));
        return {runEnd, branchEnd};
    }

    // Eccentric reducer, flat on top, one size down; the line goes on in the smaller size.
    Point Reducer(LineData& line, const Point& at, const Point& direction) {
        const auto large = std::find_if(Sizes.begin(), Sizes.end(), [&](const PipeSize& size) {
            return size.nominal == line.size.nominal;
        });
        const PipeSize small = *(large - 1);
        const Frame f = MakeFrame(at, direction, {0, 0, 1});
        const double lengthM = line.size.nominal >= 150 ? 0.152 : 0.102;
        const double drop = (line.size.outside - small.outside) / 2;
        const Point end = at + f.x * (lengthM * 1000) - f.z * drop;
        const double h1 = line.size.outside / 2, h2 = small.outside / 2;
        Element largeEnd = Line(at - f.y * h1, at + f.y * h1);
        AddNumber(largeEnd, "OUTSIDE_DIAMETER", line.size.outside);
        AddNumber(largeEnd, "NOMINAL_DIAMETER", line.size.nominal);
        Element smallEnd = Line(end - f.y * h2, end + f.y * h2);
        AddNumber(smallEnd, "OUTSIDE_DIAMETER", small.outside);
        AddNumber(smallEnd, "NOMINAL_DIAMETER", small.nominal);
        std::vector<Element> graphics{std::move(largeEnd), std::move(smallEnd),
                                      Line(at + f.y * h1, end + f.y * h2),
                                      Line(at - f.y * h1, end - f.y * h2), Line(at, end, true)};
        Element cell = ComponentCell("ECCENTRIC_PIPE_REDUCER", f, line, std::move(graphics));
        AddNumber(cell, "SECONDARY_NOMINAL_DIAMETER", small.nominal);
        AddLineProperties(cell, line, false);
        AddNumber(cell, "LENGTH_EFFECTIVE", lengthM);
        AddText(cell, "MATERIAL", "ASTM A234 WPB");
        AddMatrix(cell, f);
        Add(std::move(cell));
        line.size = small;
        return end;
    }

    // A pump (a base plate and a motor circle) or a vessel (a circle with centre lines)
    // behind the start of a run.
    void AddEquipment(const Point& nozzle, const Point& direction, int number) {
        const char* kind = random_.Pick(EquipmentKinds);
        const bool pump = std::string(kind) == "P";
        const double size = pump ? 600 : 1500;
        const Point centreMm = nozzle - direction * size;
        const Point centre = ToModel({centreMm.x, centreMm.y, 0});
        std::vector<Element> graphics;
        if (pump) {
            graphics.push_back(MakeShape({centre + Point{-6, -3, 0}, centre + Point{6, -3, 0},
                                          centre + Point{6, 3, 0}, centre + Point{-6, 3, 0}}));
            graphics.push_back(MakeEllipse(centre + Point{-8.5, 0, 0}, 2.5, 2.5));
        } else {
            graphics.push_back(MakeEllipse(centre, 15, 15));
            graphics.push_back(MakeLine(centre + Point{-15, 0, 0}, centre + Point{15, 0, 0}));
            graphics.push_back(MakeLine(centre + Point{0, -15, 0}, centre + Point{0, 15, 0}));
            graphics[1].symbology.lineStyle = graphics[2].symbology.lineStyle = "6";
        }
        Element cell = MakeCell("EQUIPMENT", std::move(graphics), centre);
        cell.symbology.level = "Equipment";
        cell.symbology.colour = 5;
        AddText(cell, "NAME", std::string(kind) + "-" + std::to_string(number));
        AddText(cell, "DESCRIPTION",
                pump                       ? "Process pump"
                : std::string(kind) == "V" ? "Drum"
                : std::string(kind) == "E" ? "Heat exchanger"
                                           : "Storage tank");
        AddText(cell, "EQUIPMENT_LOCATION", "UNIT-" + std::to_string(10 + number % 3 * 10));
        AddNumber(cell, "WEIGHT_DRY", Rounded(random_.Uniform(400, 12000), 10));
        AddMatrix(cell, Frame{{centreMm.x, centreMm.y, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
        Add(std::move(cell));
    }

    static std::string ColumnName(int index) {
        std::string name;
        for (int i = index + 1; i > 0; i = (i - 1) / 26)
            name.insert(name.begin(), static_cast<char>('A' + (i - 1) % 26));
        return name;
    }

    // Grid lines every 10 m (100 units) across the plant, named at both ends.
    Element Grid() const {
        std::vector<Element> parts;
        std::vector<Element> names;
        const double spacing = 100, overhang = 5;
        auto name = [&](const std::string& text, const Point& at) {
            Element label = MakeText(text, at);
            label.Text().style = "ZKL_Text";
            label.Text().height = 2.5;
            label.Text().width = 2.0;
            label.Text().justification = 7;
            names.push_back(std::move(label));
        };
        int index = 0;
        for (double x = spacing / 2; x < side_; x += spacing, ++index) {
            Element line = MakeLine({x, -overhang, 0}, {x, side_ + overhang, 0});
            line.symbology.lineStyle = "6";
            parts.push_back(std::move(line));
            name(ColumnName(index), {x, -overhang - 3, 0});
            name(ColumnName(index), {x, side_ + overhang + 3, 0});
        }
        index = 1;
        for (double y = spacing / 2; y < side_; y += spacing, ++index) {
            Element line = MakeLine({-overhang, y, 0}, {side_ + overhang, y, 0});
            line.symbology.lineStyle = "6";
            parts.push_back(std::move(line));
            name(std::to_string(index), {-overhang - 4, y, 0});
            name(std::to_string(index), {side_ + overhang + 4, y, 0});
        }
        for (Element& label : names) parts.push_back(std::move(label));
        Element grid = MakeCell("GRID", std::move(parts), {0, 0, 0});
        grid.symbology.level = "Grid";
        grid.symbology.colour = 1;
        return grid;
    }

    Random random_;
    int budget_;
    double side_;  // of the square plant area, attached-model units
    std::vector<Element> elements_;
};

// ---- The sheet ---------------------------------------------------------------------------

void AddSheetElement(cad::Drawing& drawing, Element element, const std::string& level = "Default") {
    element.symbology.level = level;
    drawing.Add(ActiveModelId, element);
}

void DrawSheet(cad::Drawing& drawing, double plantSide, bool border) {
    const double width = PlantOffset.x + plantSide + 80, height = PlantOffset.y + plantSide + 60;
    AddSheetElement(drawing, MakeShape({{0, 0, 0}, {width, 0, 0}, {width, height, 0}, {0, height, 0}}));
    Element frame =
        MakeShape({{10, 10, 0}, {width - 10, 10, 0}, {width - 10, height - 10, 0}, {10, height - 10, 0}});
    frame.symbology.weight = 2;
    AddSheetElement(drawing, frame);

    // Title block in the bottom right corner, below the plant.
    const double left = width - 130, right = width - 10;
    Element block = MakeShape({{left, 10, 0}, {right, 10, 0}, {right, 45, 0}, {left, 45, 0}});
    block.symbology.weight = 1;
    AddSheetElement(drawing, block);
    AddSheetElement(drawing, MakeLine({left, 33, 0}, {right, 33, 0}));
    AddSheetElement(drawing, MakeLine({left, 21, 0}, {right, 21, 0}));
    auto title = [&](const std::string& text, const Point& at, const std::string& style, double h, double w) {
        Element element = MakeText(text, at);
        element.Text().style = style;
        element.Text().height = h;
        element.Text().width = w;
        AddSheetElement(drawing, element);
    };
    title("ZKL LABELLER GENERATED PLANT", {left + 4, 36, 0}, "Title", 5, 4);
    title("SYNTHETIC PIPING PLAN", {left + 4, 25, 0}, "ZKL_Text", 2.5, 2);
    title("SCALE 1:100", {left + 4, 14, 0}, "ZKL_Text", 2.5, 2);

    if (border) {
        // Inset from the plant so that pipes cross every side, as on a real area drawing.
        const double inset = std::max(10.0, plantSide * 0.04);
        const double low = inset, high = plantSide - inset;
        Element shape = MakeShape({PlantOffset + Point{low, low, 0}, PlantOffset + Point{high, low, 0},
                                   PlantOffset + Point{high, high, 0}, PlantOffset + Point{low, high, 0}});
        shape.symbology.lineStyle = "6";
        shape.symbology.weight = 4;
        AddSheetElement(drawing, shape, "ZKL_Border");
    }

    ViewArea view;
    view.origin = {-10, -10, 0};
    view.extent = {width + 20, height + 20, 0};
    drawing.views.fill(view);
}

}  // namespace

void AddPlantDesignTables(cad::Drawing& drawing) {
    drawing.levels = {{1, "Default"}, {2, "ZKL_Border"}, {3, "ZKL_Label"}, {4, "ZKL_Dim"},
                      {5, "Pipes"},   {6, "Equipment"},  {7, "Grid"}};
    drawing.lineStyles = {{"0", {}}, {"2", {3, 1.5}}, {"6", {6, 1.5, 1, 1.5}}};
    drawing.textStyles = {{"ZKL_Text", 2.5, 2.0, "monospace"}, {"Title", 5.0, 4.0, "sans-serif"}};
    DimensionStyle dimension;
    dimension.name = "ZKL_Dim";
    dimension.options.terminator = 2;
    drawing.dimensionStyles = {dimension};
    drawing.activeUnitFactor = 100;
    drawing.activeSymbology.level = "Default";
}

cad::Drawing GenerateSheet(const SheetGeneratorOptions& options) {
    if (options.components < 1 || options.components > 1000000)
        throw std::invalid_argument("the number of components must lie between 1 and 1000000, not " +
                                    std::to_string(options.components));
    cad::Drawing drawing;
    AddPlantDesignTables(drawing);
    drawing.macroProjectPath = options.macroProjectPath;

    PlantBuilder plant(options.components, options.seed);
    std::vector<Element> components = plant.Build();
    DrawSheet(drawing, plant.Side(), options.border);

    cad::Attachment attachment;
    attachment.name = "PlantModel";
    attachment.toActive = Transform3d::FromMatrixAndTranslation(Matrix3d::Identity(), PlantOffset);
    drawing.attachments.push_back(std::move(attachment));
    for (Element& element : components) drawing.Add(1, element);
    return drawing;
}

}  // namespace zkl::io
