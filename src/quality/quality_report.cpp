#include "quality/quality_report.h"

#include <algorithm>
#include <array>
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "cad/element_geometry.h"
#include "component/component_geometry.h"
#include "component/label_format.h"
#include "layout/border_annotation.h"
#include "component/property_text.h"
#include "host/fence_modes_guard.h"
#include "host/host_error.h"
#include "host/numbers.h"
#include "label/label_cell.h"
#include "layout/side_labels.h"

namespace zkl {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

// A box in x and y; everything is judged in plan, as the drafter sees the sheet.
struct Box {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;

    static Box Of(const Range& range) { return {range.low.x, range.low.y, range.high.x, range.high.y}; }
    static Box Of(const Point& a, const Point& b) {
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    void Extend(const Box& other) {
        minX = std::min(minX, other.minX);
        minY = std::min(minY, other.minY);
        maxX = std::max(maxX, other.maxX);
        maxY = std::max(maxY, other.maxY);
    }
    Box Grown(double by) const { return {minX - by, minY - by, maxX + by, maxY + by}; }
    Point Centre() const { return {(minX + maxX) / 2, (minY + maxY) / 2, 0}; }
};

struct Segment {
    Point a, b;
};

bool BoxesMeet(const Box& p, const Box& q) {
    return p.minX <= q.maxX + MeetTolerance && q.minX <= p.maxX + MeetTolerance &&
           p.minY <= q.maxY + MeetTolerance && q.minY <= p.maxY + MeetTolerance;
}

// Clips the segment to the box grown by the tolerance (Liang-Barsky); the middle of the
// clipped piece is where it meets the box.
std::optional<Point> SegmentMeetsBox(const Segment& s, const Box& box) {
    const Box b = box.Grown(MeetTolerance);
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!clip(-dx, s.a.x - b.minX) || !clip(dx, b.maxX - s.a.x) || !clip(-dy, s.a.y - b.minY) ||
        !clip(dy, b.maxY - s.a.y))
        return std::nullopt;
    const double t = (t0 + t1) / 2;
    return Point{s.a.x + t * dx, s.a.y + t * dy, 0};
}

double Cross2d(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The point of the segment nearest `p`, in plan.
Point NearestOnSegment(const Point& p, const Segment& s) {
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
        length2 == 0 ? 0 : std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2, 0.0, 1.0);
    return {s.a.x + t * dx, s.a.y + t * dy, 0};
}

double PlanDistance(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Where two segments meet within the tolerance: their crossing, or the middle between the
// nearest points of a touch.
std::optional<Point> SegmentsMeet(const Segment& s, const Segment& t) {
    const double d1 = Cross2d(t.a, t.b, s.a), d2 = Cross2d(t.a, t.b, s.b);
    const double d3 = Cross2d(s.a, s.b, t.a), d4 = Cross2d(s.a, s.b, t.b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        const double u = d1 / (d1 - d2);
        return Point{s.a.x + u * (s.b.x - s.a.x), s.a.y + u * (s.b.y - s.a.y), 0};
    }
    std::optional<Point> best;
    double bestDistance = MeetTolerance;
    const auto consider = [&](const Point& p, const Segment& other) {
        const Point q = NearestOnSegment(p, other);
        const double distance = PlanDistance(p, q);
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = Point{(p.x + q.x) / 2, (p.y + q.y) / 2, 0};
        }
    };
    consider(s.a, t);
    consider(s.b, t);
    consider(t.a, s);
    consider(t.b, s);
    return best;
}

// One piece of a label body: a text box, a closed frame or a circle (solid: what lies
// inside it is covered), or one stroke of an open frame such as an underline.
struct Piece {
    std::vector<Point> vertices;  // a solid's corners in order, or a stroke's two ends
    bool solid = false;
};

bool Inside(const Point& p, const std::vector<Point>& polygon);

std::vector<Segment> Edges(const Piece& piece) {
    std::vector<Segment> edges;
    const std::size_t n = piece.vertices.size();
    if (!piece.solid) {
        for (std::size_t i = 0; i + 1 < n; ++i) edges.push_back({piece.vertices[i], piece.vertices[i + 1]});
        return edges;
    }
    for (std::size_t i = 0; i < n; ++i) edges.push_back({piece.vertices[i], piece.vertices[(i + 1) % n]});
    return edges;
}

std::vector<Point> Closed(std::vector<Point> polygon) {
    if (!polygon.empty() && !(polygon.front() == polygon.back())) polygon.push_back(polygon.front());
    return polygon;
}

// Where a segment meets a piece: crossing or touching its edges, or lying inside a solid.
std::optional<Point> SegmentMeetsPiece(const Segment& s, const Piece& piece) {
    for (const Segment& edge : Edges(piece))
        if (const std::optional<Point> at = SegmentsMeet(s, edge)) return at;
    if (piece.solid && Inside(s.a, Closed(piece.vertices))) return s.a;
    return std::nullopt;
}

std::optional<Point> PiecesMeet(const Piece& p, const Piece& q) {
    for (const Segment& edge : Edges(p))
        if (const std::optional<Point> at = SegmentMeetsPiece(edge, q)) return at;
    // Every edge of p misses q: p can still hold all of q.
    if (p.solid && Inside(q.vertices.front(), Closed(p.vertices))) return q.vertices.front();
    return std::nullopt;
}

// Boxes by index, for the pairs whose boxes meet; keeps a sheet of ten thousand labels from
// comparing every label with every other.
class BoxIndex {
public:
    void Add(const Box& box, std::size_t index) { tree_.insert({ToBox(box), index}); }
    template <typename Visit>
    void ForEachMeeting(const Box& box, Visit&& visit) const {
        for (auto it = tree_.qbegin(bgi::intersects(ToBox(box.Grown(MeetTolerance)))); it != tree_.qend();
             ++it)
            visit(it->second);
    }

private:
    using PlanPoint = bg::model::point<double, 2, bg::cs::cartesian>;
    using PlanBox = bg::model::box<PlanPoint>;
    static PlanBox ToBox(const Box& b) { return {{b.minX, b.minY}, {b.maxX, b.maxY}}; }
    bgi::rtree<std::pair<PlanBox, std::size_t>, bgi::rstar<16>> tree_;
};

struct Area {
    ElementId border = NoElementId;
    std::vector<Point> polygon;  // closed: last vertex = first
    Box box;
};

bool Inside(const Point& p, const std::vector<Point>& polygon) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double DistanceToBoundary(const Point& p, const std::vector<Point>& polygon) {
    double distance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i + 1 < polygon.size(); ++i)
        distance = std::min(distance, PlanDistance(p, NearestOnSegment(p, {polygon[i], polygon[i + 1]})));
    return distance;
}

// How far a point lies outside the area; 0 inside or on the border.
double DistanceOutside(const Point& p, const Area& area) {
    return Inside(p, area.polygon) ? 0.0 : DistanceToBoundary(p, area.polygon);
}

struct Component {
    ComponentRef ref;
    std::vector<Segment> outline;  // active-model coordinates
    Box box;
    std::optional<Point> anchor;  // selected components only
    std::string anchorError;
    bool selected = false;
    bool labelled = false;
};

struct Label {
    ElementId cell = NoElementId;
    Point origin;
    std::vector<Piece> pieces;
    std::optional<Box> body;  // the pieces' box, to find candidates quickly
    std::optional<Box> text;  // the first text's box: the side-label gap is measured on it
    bool gridName = false;
    std::vector<Segment> leader;
    double leaderLength = 0;
    std::optional<std::size_t> component;
    std::optional<std::size_t> area;  // component labels: theirs; side labels: the nearest
    bool side = false;
};

std::vector<Segment> OutlineSegments(const cad::Outline& outline) {
    std::vector<Segment> segments;
    for (const cad::Segment& s : outline.segments) segments.push_back({s.a, s.b});
    // Curves and text boxes as polygons: a body that meets the curve meets one of the chords,
    // give or take a sagitta far below anything a drafter sees at 32 chords.
    constexpr int Chords = 32;
    for (const EllipseGeometry& e : outline.ellipses) {
        const Point u = e.rotation.Column(0) * e.primaryRadius;
        const Point v = e.rotation.Column(1) * e.secondaryRadius;
        Point previous = e.centre + u;
        for (int i = 1; i <= Chords; ++i) {
            const double angle = 2 * Pi * i / Chords;
            const Point next = e.centre + u * std::cos(angle) + v * std::sin(angle);
            segments.push_back({previous, next});
            previous = next;
        }
    }
    for (const auto& solid : outline.solids)
        for (std::size_t i = 0; i < solid.size(); ++i)
            segments.push_back({solid[i], solid[(i + 1) % solid.size()]});
    return segments;
}

Box SegmentsBox(const std::vector<Segment>& segments) {
    Box box = Box::Of(segments.front().a, segments.front().b);
    for (const Segment& s : segments) box.Extend(Box::Of(s.a, s.b));
    return box;
}

std::vector<Area> ReadAreas(const Host& host, const std::string& levelName) {
    std::vector<Area> areas;
    try {
        host.FindLevel(levelName);
    } catch (const HostError&) {
        return areas;  // no border level: the sheet has no drawing area to judge against
    }
    for (const Element& shape : host.Scan(BorderShapeCriteria(levelName))) {
        Area area;
        area.border = shape.id;
        area.polygon = shape.Linear().vertices;
        if (area.polygon.size() < 3) continue;
        if (!(area.polygon.front() == area.polygon.back())) area.polygon.push_back(area.polygon.front());
        area.box = Box::Of(area.polygon.front(), area.polygon.front());
        for (const Point& p : area.polygon) area.box.Extend(Box::Of(p, p));
        areas.push_back(std::move(area));
    }
    return areas;
}

// A closed frame covers what it surrounds, as a text box does; an open one (an underline)
// is only its strokes. Anything else a body holds counts by its box.
void AppendPieces(const Element& part, const Box& box, std::vector<Piece>& pieces) {
    if (part.IsEllipse()) {
        const EllipseGeometry& e = part.Ellipse();
        cad::Outline outline;
        outline.ellipses.push_back(e);
        Piece circle{{}, true};
        for (const Segment& chord : OutlineSegments(outline)) circle.vertices.push_back(chord.a);
        pieces.push_back(std::move(circle));
    } else if (part.IsLinear() && !part.IsText()) {
        const std::vector<Point>& vertices = part.Linear().vertices;
        if (vertices.size() >= 4 && vertices.front() == vertices.back()) {
            pieces.push_back({std::vector<Point>(vertices.begin(), vertices.end() - 1), true});
        } else {
            for (std::size_t i = 0; i + 1 < vertices.size(); ++i)
                pieces.push_back({{vertices[i], vertices[i + 1]}, false});
        }
    } else {
        pieces.push_back({{{box.minX, box.minY, 0},
                           {box.maxX, box.minY, 0},
                           {box.maxX, box.maxY, 0},
                           {box.minX, box.maxY, 0}},
                          true});
    }
}

std::vector<Label> ReadLabels(const Host& host) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    std::vector<Label> labels;
    for (const Element& cell : host.Scan(criteria)) {
        if (cell.Cell().name != LabelCellName) continue;
        Label label;
        label.cell = cell.id;
        label.origin = cell.Cell().origin;
        std::vector<Element> parts = cell.Cell().components;
        // The labeller always writes the leader last; a cell without one is all body.
        if (!parts.empty() && parts.back().type == ElementType::LineString) {
            const std::vector<Point>& vertices = parts.back().Linear().vertices;
            for (std::size_t i = 0; i + 1 < vertices.size(); ++i) {
                label.leader.push_back({vertices[i], vertices[i + 1]});
                label.leaderLength += PlanDistance(vertices[i], vertices[i + 1]);
            }
            parts.pop_back();
        }
        for (const Element& part : parts) {
            const Box box = Box::Of(part.IsText() ? host.TextBox(part) : host.ElementRange(part));
            AppendPieces(part, box, label.pieces);
            if (part.IsText() && !label.text) {
                label.text = box;
                label.gridName = part.Text().justification == GridNameJustification;
            }
            if (label.body)
                label.body->Extend(box);
            else
                label.body = box;
        }
        labels.push_back(std::move(label));
    }
    return labels;
}

// Every cell of a displayed attachment that labelling would look at (class not UNKNOWN),
// found with a fence around everything, as the labeller finds components.
std::vector<Element> ReadComponentCells(Host& host, const std::vector<Point>& fenceOutline) {
    host.ClearFence();
    host.DefineFenceFromPoints(fenceOutline, host.LastInputView());
    std::vector<Element> cells;
    for (Element& element : host.FenceContents())
        if (element.IsCell() && host.IsAttachedReference(element.model) &&
            GetObjectClassName(host, element) != "UNKNOWN")
            cells.push_back(std::move(element));
    host.ClearFence();
    return cells;
}

// Whether labelling gives this component a body: a row matches, its text is not empty and
// its frame style is one the labeller draws.
bool Selected(mdlOPM_Labeller& module, const Element& element, const ItemRows& rows) {
    const std::optional<std::size_t> row = FindItemRow(module, element, rows);
    if (!row) return false;
    if (EvaluateLabelFormat(module, element, rows, rows[*row].LabelFormat).empty()) return false;
    return rows[*row].FrameStyle >= 0 && rows[*row].FrameStyle <= 4;
}

class Checker {
public:
    Checker(mdlOPM_Labeller& module, const ItemRows& rows)
        : module_(module), host_(module.host), rows_(rows) {}

    QualityReport Run() {
        areas_ = ReadAreas(host_, module_.settings.ShapeLevelName);
        labels_ = ReadLabels(host_);
        ReadComponents();
        MatchLabelsToComponents();
        FillCounts();
        CheckBodies();
        CheckLeaders();
        CheckAreas();
        CheckSideGaps();
        std::stable_sort(report_.findings.begin(), report_.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.kind < b.kind; });
        return std::move(report_);
    }

private:
    void ReadComponents() {
        FenceModesGuard modes(host_, OverlapFenceModes, FenceModesGuard::OnExit::ClearFence);
        Box everything{-1, -1, 1, 1};
        bool first = true;
        const auto take = [&](const Box& box) {
            if (first)
                everything = box;
            else
                everything.Extend(box);
            first = false;
        };
        for (const AttachmentInfo& attachment : host_.Attachments()) take(Box::Of(attachment.range));
        for (const Area& area : areas_) take(area.box);
        const Box b = everything.Grown(1.0);
        const std::vector<Element> cells = ReadComponentCells(
            host_, {{b.minX, b.minY, 0}, {b.maxX, b.minY, 0}, {b.maxX, b.maxY, 0}, {b.minX, b.maxY, 0}});

        const auto lookup = [this](const std::string& name) { return host_.FindDimensionStyle(name); };
        std::map<std::pair<ModelId, ElementId>, std::size_t> byId;
        for (const Element& cell : cells) {
            const AttachmentInfo attachment = host_.Attachment(cell.model);
            cad::Outline outline = cad::ElementOutline(cell, lookup);
            outline.ApplyTransform(attachment.toActive);
            Component component;
            component.ref = {attachment.name, cell.id};
            component.outline = OutlineSegments(outline);
            if (component.outline.empty()) continue;
            component.box = SegmentsBox(component.outline);
            byId[{cell.model, cell.id}] = components_.size();
            components_.push_back(std::move(component));
        }

        // The components of each area are what the area's fence takes in, as in labelling.
        for (const Area& area : areas_) {
            Element border = MakeShape(area.polygon);
            host_.ClearFence();
            host_.DefineFenceFromElement(border, host_.LastInputView());
            for (const Element& element : host_.FenceContents()) {
                const auto found = byId.find({element.model, element.id});
                if (found == byId.end()) continue;
                Component& component = components_[found->second];
                if (component.selected || !Selected(module_, element, rows_)) continue;
                component.selected = true;
                try {
                    component.anchor = GetComponentPoints(module_, element, rows_).back();
                } catch (const std::exception& error) {
                    component.anchorError = error.what();
                }
            }
        }
    }

    void MatchLabelsToComponents() {
        std::vector<std::size_t> anchored;
        for (std::size_t i = 0; i < components_.size(); ++i)
            if (components_[i].anchor) anchored.push_back(i);
        std::sort(anchored.begin(), anchored.end(), [&](std::size_t a, std::size_t b) {
            return components_[a].anchor->x < components_[b].anchor->x;
        });
        for (Label& label : labels_) {
            // Of several components at one anchor, each label takes one still without a label.
            auto it = std::lower_bound(anchored.begin(), anchored.end(), label.origin.x - MeetTolerance,
                                       [&](std::size_t c, double x) { return components_[c].anchor->x < x; });
            for (; it != anchored.end() && components_[*it].anchor->x <= label.origin.x + MeetTolerance;
                 ++it) {
                Component& component = components_[*it];
                if (component.labelled || PlanDistance(*component.anchor, label.origin) > MeetTolerance)
                    continue;
                component.labelled = true;
                label.component = *it;
                break;
            }
            label.side = !label.component &&
                         std::none_of(areas_.begin(), areas_.end(),
                                      [&](const Area& area) { return Inside(label.origin, area.polygon); });
            label.area = AreaOf(label.origin);
        }
    }

    // The area holding the point, else the nearest one.
    std::optional<std::size_t> AreaOf(const Point& p) const {
        std::optional<std::size_t> nearest;
        double nearestDistance = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < areas_.size(); ++i) {
            const double distance = DistanceOutside(p, areas_[i]);
            if (distance < nearestDistance) {
                nearest = i;
                nearestDistance = distance;
            }
        }
        return nearest;
    }

    void FillCounts() {
        report_.areas = static_cast<int>(areas_.size());
        std::vector<double> lengths;
        for (const Label& label : labels_) {
            (label.side ? report_.sideLabels : report_.componentLabels) += 1;
            if (!label.leader.empty()) ++report_.leaders;
            if (!label.side && !label.leader.empty()) lengths.push_back(label.leaderLength);
        }
        for (const Component& component : components_)
            report_.selectedComponents += component.selected ? 1 : 0;
        std::sort(lengths.begin(), lengths.end());
        LeaderLengths& summary = report_.leaderLengths;
        summary.count = lengths.size();
        if (lengths.empty()) return;
        const std::size_t n = lengths.size();
        summary.median = n % 2 ? lengths[n / 2] : (lengths[n / 2 - 1] + lengths[n / 2]) / 2;
        summary.p95 = lengths[static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];
        summary.max = lengths.back();
    }

    LabelRef RefOf(const Label& label) const {
        LabelRef ref{label.cell, std::nullopt};
        if (label.component) ref.component = components_[*label.component].ref;
        return ref;
    }

    void Add(FindingKind kind, std::vector<LabelRef> labels, std::optional<ComponentRef> component,
             const Point& at, double amount, std::string note = {}) {
        report_.findings.push_back(
            {kind, std::move(labels), std::move(component), at, amount, std::move(note)});
    }

    static bool BodiesMeet(const Label& a, const Label& b) {
        for (const Piece& p : a.pieces)
            for (const Piece& q : b.pieces)
                if (PiecesMeet(p, q)) return true;
        return false;
    }

    static std::optional<Point> SegmentMeetsBody(const Segment& s, const Label& label) {
        if (!SegmentMeetsBox(s, *label.body)) return std::nullopt;
        for (const Piece& piece : label.pieces)
            if (const std::optional<Point> at = SegmentMeetsPiece(s, piece)) return at;
        return std::nullopt;
    }

    void CheckBodies() {
        BoxIndex bodies;
        for (std::size_t i = 0; i < labels_.size(); ++i)
            if (labels_[i].body) bodies.Add(*labels_[i].body, i);
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            if (!labels_[i].body) continue;
            const Box& a = *labels_[i].body;
            bodies.ForEachMeeting(a, [&](std::size_t j) {
                if (j <= i || !BoxesMeet(a, *labels_[j].body)) return;
                if (!BodiesMeet(labels_[i], labels_[j])) return;
                const Box& b = *labels_[j].body;
                const Box common{std::max(a.minX, b.minX), std::max(a.minY, b.minY), std::min(a.maxX, b.maxX),
                                 std::min(a.maxY, b.maxY)};
                const double depth =
                    std::max(0.0, std::min(common.maxX - common.minX, common.maxY - common.minY));
                Add(FindingKind::BodyOverlap, {RefOf(labels_[i]), RefOf(labels_[j])}, std::nullopt,
                    common.Centre(), depth);
            });
        }

        BoxIndex components;
        for (std::size_t c = 0; c < components_.size(); ++c) components.Add(components_[c].box, c);
        for (const Label& label : labels_) {
            if (!label.body) continue;
            components.ForEachMeeting(*label.body, [&](std::size_t c) {
                for (const Segment& s : components_[c].outline)
                    if (const std::optional<Point> at = SegmentMeetsBody(s, label)) {
                        Add(FindingKind::BodyOverComponent, {RefOf(label)}, components_[c].ref, *at, 0.0);
                        return;
                    }
            });
        }
    }

    void CheckLeaders() {
        BoxIndex leaders;
        BoxIndex bodies;
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            if (!labels_[i].leader.empty()) leaders.Add(SegmentsBox(labels_[i].leader), i);
            if (labels_[i].body) bodies.Add(*labels_[i].body, i);
        }
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            const Label& label = labels_[i];
            if (label.leader.empty()) continue;
            leaders.ForEachMeeting(SegmentsBox(label.leader), [&](std::size_t j) {
                if (j <= i) return;
                const Label& other = labels_[j];
                // Leaders from one point fan out from a shared trunk; that is how the layout
                // names one place twice, not a crossing.
                if (PlanDistance(label.leader.front().a, other.leader.front().a) <= MeetTolerance) return;
                for (const Segment& s : label.leader)
                    for (const Segment& t : other.leader)
                        if (const std::optional<Point> at = SegmentsMeet(s, t)) {
                            const FindingKind kind = label.side && other.side
                                                         ? FindingKind::SideLeaderCrossing
                                                         : FindingKind::LeaderCrossing;
                            Add(kind, {RefOf(label), RefOf(other)}, std::nullopt, *at, 0.0);
                            return;
                        }
            });
            bool throughBody = false;
            bodies.ForEachMeeting(SegmentsBox(label.leader), [&](std::size_t j) {
                if (j == i) return;
                for (const Segment& s : label.leader)
                    if (const std::optional<Point> at = SegmentMeetsBody(s, labels_[j])) {
                        Add(FindingKind::LeaderThroughBody, {RefOf(label), RefOf(labels_[j])}, std::nullopt,
                            *at, 0.0);
                        throughBody = true;
                        return;
                    }
            });
            if (throughBody) ++report_.leadersThroughBodies;
        }
    }

    void CheckAreas() {
        for (const Label& label : labels_) {
            if (label.side || !label.body || !label.area) continue;
            const Area& area = areas_[*label.area];
            double outside = 0;
            Point at;
            for (const Piece& piece : label.pieces)
                for (const Point& corner : piece.vertices) {
                    const double distance = DistanceOutside(corner, area);
                    if (distance > outside) {
                        outside = distance;
                        at = corner;
                    }
                }
            if (outside > MeetTolerance)
                Add(FindingKind::BodyOutsideArea, {RefOf(label)}, std::nullopt, at, outside,
                    "border #" + std::to_string(area.border));
        }
        for (const Component& component : components_) {
            if (!component.selected || component.labelled) continue;
            Add(FindingKind::UnlabelledComponent, {}, component.ref,
                component.anchor.value_or(component.box.Centre()), 0.0,
                component.anchor ? "" : "its anchor cannot be read: " + component.anchorError);
        }
    }

    // Side labels of one side of one area, in order along the side, as the layout stacks
    // them; the gap is measured between text boxes, as the layout keeps it.
    void CheckSideGaps() {
        std::map<std::pair<std::size_t, BorderSide>, std::vector<const Label*>> sides;
        for (const Label& label : labels_) {
            if (!label.side || !label.text || !label.area) continue;
            const Box& box = areas_[*label.area].box;
            const Point& p = label.origin;
            // The side the label stands furthest beyond.
            const std::array<double, 4> beyond{box.minX - p.x, p.x - box.maxX, box.minY - p.y,
                                               p.y - box.maxY};
            const auto side =
                static_cast<BorderSide>(std::max_element(beyond.begin(), beyond.end()) - beyond.begin());
            sides[{*label.area, side}].push_back(&label);
        }
        for (auto& [key, list] : sides) {
            const bool alongX = key.second == BorderSide::Bottom || key.second == BorderSide::Top;
            const auto start = [&](const Label* l) { return alongX ? l->text->minX : -l->text->maxY; };
            const auto end = [&](const Label* l) { return alongX ? l->text->maxX : -l->text->minY; };
            std::sort(list.begin(), list.end(),
                      [&](const Label* a, const Label* b) { return start(a) < start(b); });
            for (std::size_t k = 1; k < list.size(); ++k) {
                const Label& previous = *list[k - 1];
                const Label& label = *list[k];
                const double gap = start(&label) - end(&previous);
                const double minimum =
                    MinimumGap(module_.settings.UnderlineDistance, previous.gridName, label.gridName);
                if (gap < minimum - MeetTolerance) {
                    const Point a = previous.text->Centre(), b = label.text->Centre();
                    Add(FindingKind::SideLabelsTooClose, {RefOf(previous), RefOf(label)}, std::nullopt,
                        {(a.x + b.x) / 2, (a.y + b.y) / 2, 0}, gap,
                        std::string(SideName(key.second)) + " side, minimum gap " + DoubleToText(minimum));
                }
            }
        }
    }

    mdlOPM_Labeller& module_;
    Host& host_;
    const ItemRows& rows_;
    std::vector<Area> areas_;
    std::vector<Label> labels_;
    std::vector<Component> components_;
    QualityReport report_;
};

}  // namespace

std::string_view FindingKey(FindingKind kind) {
    constexpr std::string_view keys[] = {"bodyOverlap",        "bodyOverComponent", "leaderCrossing",
                                         "leaderThroughBody",  "bodyOutsideArea",   "unlabelledComponent",
                                         "sideLabelsTooClose", "sideLeaderCrossing"};
    return keys[static_cast<int>(kind)];
}

std::string_view FindingTitle(FindingKind kind) {
    constexpr std::string_view titles[] = {"overlapping label bodies",
                                           "label bodies over components",
                                           "crossing leaders",
                                           "leaders through label bodies",
                                           "label bodies outside their area",
                                           "components without a label",
                                           "side labels closer than the minimum gap",
                                           "crossing side-label leaders"};
    return titles[static_cast<int>(kind)];
}

std::size_t QualityReport::Count(FindingKind kind) const {
    return static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(), [kind](const Finding& f) { return f.kind == kind; }));
}

std::size_t QualityReport::Overlaps() const {
    return Count(FindingKind::BodyOverlap) + Count(FindingKind::BodyOverComponent);
}

QualityReport CheckAnnotation(mdlOPM_Labeller& module, const ItemRows& labelItems) {
    return Checker(module, labelItems).Run();
}

}  // namespace zkl
