#include "io/pcf_sheet.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "host/message_text.h"
#include "host/property_value.h"
#include "io/pcf_component_cells.h"
#include "io/pcf_points.h"
#include "io/sheet_generator.h"

namespace zkl::io {

namespace {

using pcf::Component;
using pcf::Shape;

struct PaperSize {
    Paper paper;
    const char* name;
    double width, height;  // landscape, mm
};

constexpr std::array<PaperSize, 4> Papers{{
    {Paper::A3, "A3", 420, 297},
    {Paper::A2, "A2", 594, 420},
    {Paper::A1, "A1", 841, 594},
    {Paper::A0, "A0", 1189, 841},
}};

const PaperSize& SizeOf(Paper paper) {
    return *std::find_if(Papers.begin(), Papers.end(), [&](const PaperSize& p) { return p.paper == paper; });
}

// Paper millimetres.
constexpr double FrameInset = 10;
constexpr double TitleBlockWidth = 120;
constexpr double TitleBlockHeight = 35;
// Between frame and border: where side labels and dimension chains go.
constexpr double SideRoom = 50;
// Between the pipes and the border.
constexpr double InnerMargin = 10;
// Plant scales larger than this are a drafter's first choice for a plan.
constexpr int PreferredLargestDivisor = 100;
// Pipelines further apart than this in one sheet are worth a warning.
constexpr double FarApartMm = 1000000;

constexpr double ModelPerMillimetre = 0.01;

// ---- What the cells need from their neighbours -------------------------------------------

// The direction of a component's axis through one of its ports.
std::optional<Point> AxisAt(const Component& component, std::size_t port) {
    const auto unit = [](const Point& v) -> std::optional<Point> {
        const double length = Length(v);
        if (length < 1e-9) return std::nullopt;
        return v * (1.0 / length);
    };
    if (component.shape == Shape::Straight && component.ends.size() == 2)
        return unit(component.ends[1].position - component.ends[0].position);
    if (component.shape == Shape::Bend && component.centre && port < 2)
        return port == 0 ? unit(*component.centre - component.ends[0].position)
                         : unit(component.ends[1].position - *component.centre);
    if ((component.shape == Shape::Tee || component.shape == Shape::Cross) && component.ends.size() == 2 &&
        port < 2)
        return unit(component.ends[1].position - component.ends[0].position);
    return std::nullopt;
}

double DistanceToSegment(const Point& p, const Point& a, const Point& b) {
    const Point ab = b - a;
    const double length2 = Dot(ab, ab);
    const double t = length2 > 0 ? std::clamp(Dot(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    return Distance(p, a + ab * t);
}

// The run of the straight (or tee run) a point lies on, within the pipe's radius.
std::optional<Point> RunThrough(const std::vector<Component>& components, const Point& at) {
    std::optional<Point> best;
    double nearest = 1e300;
    for (const Component& run : components) {
        if (run.ends.size() != 2 || run.shape == Shape::Bend || run.shape == Shape::Closure) continue;
        const auto bore = run.MainBore();
        const double reach = (bore ? bore->outside / 2 : 0) + pcf::ConnectionTolerance;
        const double distance = DistanceToSegment(at, run.ends[0].position, run.ends[1].position);
        if (distance <= reach && distance < nearest) {
            nearest = distance;
            best = AxisAt(run, 0);
        }
    }
    return best;
}

std::string PipingClass(const Component& component, const pcf::Pipeline& pipeline) {
    // The PCF keyword for the piping class.
    constexpr std::string_view Keyword = "PIPING-SPEC";
    if (const pcf::Attribute* own = pcf::FindAttribute(component.attributes, Keyword)) return own->value;
    if (const pcf::Attribute* line = pcf::FindAttribute(pipeline.attributes, Keyword)) return line->value;
    return {};
}

std::string MaterialText(const Component& component, const pcf::PcfFile& file) {
    if (!component.material) return {};
    const pcf::Attribute* description =
        pcf::FindAttribute(file.materials[*component.material].attributes, "DESCRIPTION");
    return description ? description->value : std::string();
}

struct BuiltCell {
    Element cell;
    std::string className;
};

void BuildPipelineCells(const PcfPipeline& source, const Point& localOrigin, std::vector<BuiltCell>& cells,
                        std::vector<std::string>& warnings) {
    const pcf::Pipeline& pipeline = *source.pipeline;
    const std::vector<Component>& components = pipeline.components;
    const pcf::Connectivity connectivity = pcf::Connect(components);
    for (const std::size_t index : pcf::FlowOrder(components, connectivity)) {
        const Component& component = components[index];
        ComponentCellSource cellSource;
        cellSource.component = &component;
        cellSource.pipeline = pipeline.name;
        cellSource.pipingClass = PipingClass(component, pipeline);
        cellSource.material = MaterialText(component, *source.file);

        const auto& links = connectivity.links[index];
        for (const auto& link : links)
            if (link && !cellSource.bore) cellSource.bore = components[link->component].MainBore();
        if (!links.empty() && links[0])
            cellSource.runDirection = AxisAt(components[links[0]->component], links[0]->port);
        const bool onARun = component.shape == Shape::Branch || component.shape == Shape::Located ||
                            (component.shape == Shape::Tee && component.ends.empty()) ||
                            (component.shape == Shape::Cross && component.ends.empty());
        if (onARun) {
            cellSource.runDirection = RunThrough(components, *component.centre);
            if (!cellSource.bore && component.shape == Shape::Located)
                for (const Component& run : components)
                    if (run.ends.size() == 2 &&
                        DistanceToSegment(*component.centre, run.ends[0].position, run.ends[1].position) <
                            (run.MainBore() ? run.MainBore()->outside / 2 : 0) + pcf::ConnectionTolerance) {
                        cellSource.bore = run.MainBore();
                        break;
                    }
        }
        ComponentCell cell = MakeComponentCell(cellSource, localOrigin);
        if (cell.warning)
            warnings.push_back(source.file->source + ":" + std::to_string(component.line) + ": " +
                               component.keyword + " " + *cell.warning);
        cells.push_back({std::move(cell.cell), std::move(cell.className)});
    }
}

// ---- The sheet ---------------------------------------------------------------------------

struct Layout {
    Paper paper;
    int scale;
};

// The border's size on paper for the plan range (model units) at 1:scale.
std::pair<double, double> BorderSize(const Range& plan, int scale) {
    const double k = 100.0 / scale;
    return {(plan.high.x - plan.low.x) * k + 2 * InnerMargin,
            (plan.high.y - plan.low.y) * k + 2 * InnerMargin};
}

bool Fits(const Range& plan, Paper paper, int scale) {
    const PaperSize& size = SizeOf(paper);
    const auto [width, height] = BorderSize(plan, scale);
    return width <= size.width - 2 * (FrameInset + SideRoom) &&
           height <= size.height - 2 * (FrameInset + SideRoom) - TitleBlockHeight;
}

std::string MetresText(double modelUnits) {
    const double metres = modelUnits / ModelPerMillimetre / 1000;
    if (metres >= 1000) return DoubleToText(std::round(metres / 100) / 10) + " km";
    return DoubleToText(std::round(metres * 10) / 10) + " m";
}

Layout ChooseLayout(const Range& plan, const PcfSheetOptions& options, std::size_t pipelines) {
    const std::string extent =
        MetresText(plan.high.x - plan.low.x) + " x " + MetresText(plan.high.y - plan.low.y);
    const std::string what = pipelines > 1 ? "the pipelines span " : "the pipeline spans ";
    if (options.scale && options.paper) {
        if (!Fits(plan, *options.paper, *options.scale))
            throw SheetLayoutError(what + extent + ", more than an " + PaperName(*options.paper) +
                                   " sheet holds at 1:" + std::to_string(*options.scale) +
                                   "; choose a smaller scale or a larger paper");
        return {*options.paper, *options.scale};
    }
    std::vector<Paper> papers;
    if (options.paper)
        papers = {*options.paper};
    else
        for (const PaperSize& size : Papers) papers.push_back(size.paper);
    std::vector<int> scales;
    if (options.scale)
        scales = {*options.scale};
    else
        scales.assign(StandardScales.begin(), StandardScales.end());

    // The smallest paper that holds the plan at a plan's usual scale, at the largest
    // scale that fits; failing that, the largest paper at any scale.
    for (const bool preferred : {true, false})
        for (const Paper paper : papers) {
            if (!preferred && paper != papers.back()) continue;
            for (const int scale : scales) {
                if (preferred && !options.scale && scale > PreferredLargestDivisor) break;
                if (Fits(plan, paper, scale)) return {paper, scale};
            }
        }
    const std::string at = options.scale ? "at 1:" + std::to_string(*options.scale) : "at 1:500";
    throw SheetLayoutError(what + extent + ", more than an " + PaperName(papers.back()) + " sheet holds " +
                           at + (pipelines > 1 ? "; import them one sheet each with --per-pipeline" : ""));
}

void AddSheetElement(cad::Drawing& drawing, Element element, const std::string& level = "Default") {
    element.symbology.level = level;
    drawing.Add(ActiveModelId, element);
}

void AddText(cad::Drawing& drawing, const std::string& text, const Point& at, const std::string& style,
             double height, double width) {
    Element element = MakeText(text, at);
    element.Text().style = style;
    element.Text().height = height;
    element.Text().width = width;
    AddSheetElement(drawing, std::move(element));
}

// At most `count` characters, cut at a character boundary, with "..." when cut.
std::string Shortened(const std::string& text, std::size_t count) {
    std::size_t characters = 0, i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters == count) return text.substr(0, i) + "...";
        ++characters;
    }
    return text;
}

std::string WholeText(double value) { return DoubleToText(std::round(value) + 0.0); }

void DrawFrame(cad::Drawing& drawing, const PaperSize& paper, int scale,
               const std::vector<PcfPipeline>& pipelines, const Point& localOrigin) {
    const double w = paper.width, h = paper.height;
    AddSheetElement(drawing, MakeShape({{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}}));
    Element frame = MakeShape({{FrameInset, FrameInset, 0},
                               {w - FrameInset, FrameInset, 0},
                               {w - FrameInset, h - FrameInset, 0},
                               {FrameInset, h - FrameInset, 0}});
    frame.symbology.weight = 2;
    AddSheetElement(drawing, frame);

    const double right = w - FrameInset, left = right - TitleBlockWidth, bottom = FrameInset;
    const double top = bottom + TitleBlockHeight;
    Element block = MakeShape({{left, bottom, 0}, {right, bottom, 0}, {right, top, 0}, {left, top, 0}});
    block.symbology.weight = 1;
    AddSheetElement(drawing, block);
    AddSheetElement(drawing, MakeLine({left, bottom + 23, 0}, {right, bottom + 23, 0}));
    AddSheetElement(drawing, MakeLine({left, bottom + 11, 0}, {right, bottom + 11, 0}));
    AddSheetElement(drawing, MakeLine({left + 85, bottom, 0}, {left + 85, bottom + 11, 0}));

    std::string names, files;
    for (const PcfPipeline& p : pipelines) {
        names += (names.empty() ? "" : ", ") + p.pipeline->name;
        const std::string file = std::filesystem::path(p.file->source).filename().string();
        if (files.find(file) == std::string::npos) files += (files.empty() ? "" : ", ") + file;
    }
    AddText(drawing, Shortened(names.empty() ? "PIPING PLAN" : names, 26), {left + 4, bottom + 26, 0},
            "Title", 5, 4);
    AddText(drawing, Shortened("PCF " + files, 55), {left + 4, bottom + 15, 0}, "ZKL_Text", 2.5, 2);
    AddText(drawing, "ORIGIN E" + WholeText(localOrigin.x) + " N" + WholeText(localOrigin.y),
            {left + 4, bottom + 4, 0}, "ZKL_Text", 2, 1.6);
    AddText(drawing, "SCALE 1:" + std::to_string(scale) + "  " + paper.name, {left + 89, bottom + 4, 0},
            "ZKL_Text", 2.5, 2);
}

// Grid lines across the drawing area, each name at both ends, in the attachment, as the
// labeller reads a grid cell. Axes outside the area are left out.
std::optional<Element> GridCell(const std::vector<GridAxis>& axes, const Range& area, double k,
                                const Point& localOrigin, std::vector<std::string>& warnings) {
    std::vector<Element> lines, names;
    const double inset = 3 / k, nameInset = 6 / k;
    const auto name = [&](const std::string& text, const Point& at) {
        Element label = MakeText(text, at);
        label.Text().style = "ZKL_Text";
        label.Text().height = 2.5 / k;
        label.Text().width = 2.0 / k;
        label.Text().justification = 7;
        names.push_back(std::move(label));
    };
    for (const GridAxis& axis : axes) {
        const double position = axis.constantEast ? PlantToModel({axis.position, 0, 0}, localOrigin).x
                                                  : PlantToModel({0, axis.position, 0}, localOrigin).y;
        const double low = axis.constantEast ? area.low.x : area.low.y;
        const double high = axis.constantEast ? area.high.x : area.high.y;
        if (position < low || position > high) {
            warnings.push_back("grid axis " + Quoted(axis.name) + " at " + (axis.constantEast ? "E " : "N ") +
                               DoubleToText(axis.position) +
                               " lies outside the drawing area; it is left out");
            continue;
        }
        Element line = axis.constantEast
                           ? MakeLine({position, area.low.y + inset, 0}, {position, area.high.y - inset, 0})
                           : MakeLine({area.low.x + inset, position, 0}, {area.high.x - inset, position, 0});
        line.symbology.lineStyle = "6";
        lines.push_back(std::move(line));
        if (axis.constantEast) {
            name(axis.name, {position, area.low.y + nameInset, 0});
            name(axis.name, {position, area.high.y - nameInset, 0});
        } else {
            name(axis.name, {area.low.x + nameInset, position, 0});
            name(axis.name, {area.high.x - nameInset, position, 0});
        }
    }
    if (lines.empty()) return std::nullopt;
    for (Element& label : names) lines.push_back(std::move(label));
    Element grid = MakeCell("GRID", std::move(lines), {0, 0, 0});
    grid.symbology.level = "Grid";
    grid.symbology.colour = 1;
    return grid;
}

Point LocalOriginOf(const std::vector<PcfPipeline>& pipelines) {
    double east = 1e300, north = 1e300;
    for (const PcfPipeline& p : pipelines)
        for (const Component& component : p.pipeline->components)
            for (const pcf::PointLine& point : component.points) {
                east = std::min(east, point.position.x);
                north = std::min(north, point.position.y);
            }
    return {std::floor(east / 1000) * 1000 + 0.0, std::floor(north / 1000) * 1000 + 0.0, 0};
}

}  // namespace

std::string PaperName(Paper paper) { return SizeOf(paper).name; }

std::optional<Paper> PaperNamed(std::string_view name) {
    for (const PaperSize& size : Papers)
        if (name.size() == 2 && (name[0] == 'A' || name[0] == 'a') && name[1] == size.name[1])
            return size.paper;
    return std::nullopt;
}

namespace {

// The first text of the active model that starts with `prefix`, without it.
std::optional<std::string> TitleEntry(const cad::Drawing& drawing, std::string_view prefix) {
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.IsText() && entry.element.Text().text.starts_with(prefix))
            return entry.element.Text().text.substr(prefix.size());
    return std::nullopt;
}

std::optional<double> WholeNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    double value = 0;
    bool negative = false;
    if (text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

}  // namespace

std::optional<Point> PcfSheetLocalOrigin(const cad::Drawing& drawing) {
    const std::optional<std::string> entry = TitleEntry(drawing, "ORIGIN E");
    if (!entry) return std::nullopt;
    const std::size_t north = entry->find(" N");
    if (north == std::string::npos) return std::nullopt;
    const std::optional<double> x = WholeNumber(std::string_view(*entry).substr(0, north));
    const std::optional<double> y = WholeNumber(std::string_view(*entry).substr(north + 2));
    if (!x || !y) return std::nullopt;
    return Point{*x, *y, 0};
}

std::optional<int> PcfSheetScale(const cad::Drawing& drawing) {
    const std::optional<std::string> entry = TitleEntry(drawing, "SCALE 1:");
    if (!entry) return std::nullopt;
    const std::optional<double> divisor = WholeNumber(std::string_view(*entry).substr(0, entry->find(' ')));
    for (const int scale : StandardScales)
        if (divisor && *divisor == scale) return scale;
    return std::nullopt;
}

PcfSheet BuildPcfSheet(const std::vector<PcfPipeline>& pipelines, const PcfSheetOptions& options) {
    PcfSheet sheet;
    std::size_t count = 0;
    for (const PcfPipeline& p : pipelines) count += p.pipeline->components.size();
    if (count == 0) throw std::invalid_argument("no pipeline has a component to draw");

    cad::Drawing& drawing = sheet.drawing;
    AddPlantDesignTables(drawing);
    drawing.macroProjectPath = options.macroProjectPath;

    sheet.localOrigin = options.localOrigin.value_or(LocalOriginOf(pipelines));
    std::vector<BuiltCell> cells;
    cells.reserve(count);
    for (const PcfPipeline& p : pipelines) BuildPipelineCells(p, sheet.localOrigin, cells, sheet.warnings);

    Range plan;
    std::map<std::string, int> byClass;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Range range = drawing.RangeOf(cells[i].cell);
        if (i == 0)
            plan = range;
        else
            plan.Extend(range);
        ++byClass[cells[i].className];
    }
    sheet.components = cells.size();
    sheet.componentsByClass.assign(byClass.begin(), byClass.end());
    std::stable_sort(sheet.componentsByClass.begin(), sheet.componentsByClass.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });

    const Layout layout = ChooseLayout(plan, options, pipelines.size());
    sheet.paper = layout.paper;
    sheet.scale = layout.scale;
    if (pipelines.size() > 1 &&
        std::max(plan.high.x - plan.low.x, plan.high.y - plan.low.y) * 100 > FarApartMm)
        sheet.warnings.push_back("the pipelines span " + MetresText(plan.high.x - plan.low.x) + " x " +
                                 MetresText(plan.high.y - plan.low.y) +
                                 " on one sheet; --per-pipeline draws one sheet each");

    const PaperSize& paper = SizeOf(layout.paper);
    const double k = 100.0 / layout.scale;
    const auto [borderWidth, borderHeight] = BorderSize(plan, layout.scale);
    const double roomLeft = FrameInset + SideRoom;
    const double roomBottom = FrameInset + SideRoom + TitleBlockHeight;
    const double availableWidth = paper.width - 2 * roomLeft;
    const double availableHeight = paper.height - roomLeft - roomBottom;
    const Point borderLow{roomLeft + (availableWidth - borderWidth) / 2,
                          roomBottom + (availableHeight - borderHeight) / 2, 0};
    const Point borderHigh = borderLow + Point{borderWidth, borderHeight, 0};
    // Whole tenths of a millimetre keep the file's numbers short.
    const auto tenth = [](double v) { return std::round(v * 10) / 10 + 0.0; };
    const Point low{tenth(borderLow.x), tenth(borderLow.y), 0},
        high{tenth(borderHigh.x), tenth(borderHigh.y), 0};

    DrawFrame(drawing, paper, layout.scale, pipelines, sheet.localOrigin);
    Element border = MakeShape({low, {high.x, low.y, 0}, high, {low.x, high.y, 0}});
    border.symbology.lineStyle = "6";
    border.symbology.weight = 4;
    AddSheetElement(drawing, border, "ZKL_Border");

    cad::Attachment attachment;
    attachment.name = "PlantModel";
    const Point translation{low.x + InnerMargin - k * plan.low.x, low.y + InnerMargin - k * plan.low.y, 0};
    attachment.toActive = Transform3d::FromMatrixAndTranslation(
        Matrix3d{{k, 0, 0, 0, k, 0, 0, 0, k}}, {tenth(translation.x), tenth(translation.y), 0});
    drawing.attachments.push_back(std::move(attachment));
    for (BuiltCell& cell : cells) drawing.Add(1, cell.cell);

    if (!options.grid.empty()) {
        const Transform3d toActive = drawing.attachments[0].toActive;
        const Point areaLow{(low.x - toActive.Translation().x) / k, (low.y - toActive.Translation().y) / k,
                            0};
        const Point areaHigh{(high.x - toActive.Translation().x) / k, (high.y - toActive.Translation().y) / k,
                             0};
        if (auto grid = GridCell(options.grid, {areaLow, areaHigh}, k, sheet.localOrigin, sheet.warnings))
            drawing.Add(1, *grid);
    }

    ViewArea view;
    view.origin = {-10, -10, 0};
    view.extent = {paper.width + 20, paper.height + 20, 0};
    drawing.views.fill(view);
    return sheet;
}

}  // namespace zkl::io
