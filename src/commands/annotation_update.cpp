#include "commands/annotation_update.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/labelling_pass.h"
#include "commands/spiral_walk.h"
#include "commands/zoomed_out.h"
#include "component/component_key.h"
#include "component/property_text.h"
#include "dialog/frm_main.h"
#include "dimension/dimension_chain.h"
#include "host/fence_modes_guard.h"
#include "label/interactive_placement.h"
#include "label/label_body.h"
#include "label/label_cell.h"
#include "layout/border_annotation.h"
#include "settings/read_settings_from_dialog.h"
#include "settings/settings_file.h"

namespace zkl {

namespace {

// Anchors are computed afresh from the component's properties every run; the same
// component gives the same bits, a moved one differs by far more than this.
constexpr double SameAnchorTolerance = 1e-6;

// A component the rows give a label, as Automatic Place would label it now.
struct Wanted {
    Element component;
    std::vector<Element> body;  // built at the anchor
    Point anchor;
    std::string key;
    std::vector<std::string> texts;
};

// A label cell already on the sheet.
struct Standing {
    Element cell;
    LabelOrigin origin;
    std::string key;  // the recorded key, or the one found for a label from before keys
    Point anchor;
    Point kneeOffset;
    std::vector<Element> body;  // the components without the leader
    bool side = false;
    bool taken = false;
};

std::vector<std::string> TextsOf(const std::vector<Element>& body) {
    std::vector<std::string> texts;
    for (const Element& element : body)
        if (element.IsText()) texts.push_back(element.Text().text);
    return texts;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : " / ") + text;
    return joined;
}

// Where a body stands: the origin of its first text, which the body was built around.
std::optional<Point> PlaceOf(const std::vector<Element>& body) {
    if (body.empty() || !body.front().IsText()) return std::nullopt;
    return body.front().Text().origin;
}

double TextAngle(const Element& text) {
    const Point axis = text.Text().rotation.Column(0);
    return std::atan2(axis.y, axis.x);
}

Standing ReadStanding(const Element& cell) {
    Standing standing;
    standing.cell = cell;
    standing.origin = ReadLabelOrigin(cell);
    standing.key = standing.origin.component;
    standing.side = standing.origin.placement == LabelPlacement::Side;
    standing.body = cell.Cell().components;
    standing.anchor = cell.Cell().origin;
    if (!standing.body.empty() && standing.body.back().type == ElementType::LineString &&
        standing.body.back().Linear().vertices.size() >= 2) {
        const std::vector<Point>& vertices = standing.body.back().Linear().vertices;
        standing.anchor = vertices[0];
        standing.kneeOffset = vertices[1] - vertices[0];
        standing.body.pop_back();
    }
    for (Element& element : standing.body) element.id = NoElementId;
    return standing;
}

std::vector<Standing> StandingLabels(const Host& host) {
    ScanCriteria criteria;
    criteria.ExcludeAllTypes();
    criteria.IncludeType(ElementType::Cell);
    std::vector<Standing> labels;
    for (const Element& cell : host.Scan(criteria))
        if (cell.Cell().name == LabelCellName) labels.push_back(ReadStanding(cell));
    return labels;
}

// The same choice of components as the labelling pass, with bodies built at their anchors.
std::vector<Wanted> WantedLabels(mdlOPM_Labeller& module, const Element& border, const ItemRows& labelItems) {
    Host& host = module.host;
    std::vector<Element> contents;
    {
        FenceModesGuard modes(host, OverlapFenceModes);
        host.ClearFence();
        host.DefineFenceFromElement(border, host.LastInputView());
        contents = host.FenceContents();
        host.ClearFence();
    }
    std::vector<Wanted> wanted;
    for (const Element& element : contents) {
        if (element.type != ElementType::Cell || !host.IsAttachedReference(element.model) ||
            GetObjectClassName(host, element) == "UNKNOWN")
            continue;
        Wanted label;
        std::vector<Point> keyPoints;
        BuildLabelBody(module, element, labelItems, false, label.body, &keyPoints);
        if (label.body.empty()) continue;
        label.component = element;
        label.anchor = keyPoints.back();
        label.key = ComponentKey(host, element, keyPoints);
        label.texts = TextsOf(label.body);
        wanted.push_back(std::move(label));
    }
    return wanted;
}

bool StrictlyInside(const Point& point, const Range& range) {
    return range.low.x < point.x && point.x < range.high.x && range.low.y < point.y && point.y < range.high.y;
}

// Labels from before labels recorded their origin: one whose leader starts at a component's
// anchor is that component's, and since nobody knows who placed it, it is treated as placed
// by hand; one starting outside every drawing area is a side label.
void RecogniseUnrecorded(std::vector<Standing>& labels, const std::vector<Wanted>& wanted,
                         const std::vector<Range>& areas) {
    for (Standing& label : labels) {
        if (label.origin.placement != LabelPlacement::Unrecorded || !label.key.empty()) continue;
        const auto owner = std::find_if(wanted.begin(), wanted.end(), [&](const Wanted& w) {
            return Distance(w.anchor, label.anchor) <= SameAnchorTolerance;
        });
        if (owner != wanted.end())
            label.key = owner->key;
        else if (std::none_of(areas.begin(), areas.end(),
                              [&](const Range& area) { return StrictlyInside(label.anchor, area); }))
            label.side = true;
    }
}

Element Detached(Element element) {
    element.id = NoElementId;
    return element;
}

bool SameElements(const std::vector<Element>& a, const std::vector<Element>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Detached(a[i]) != Detached(b[i])) return false;
    return true;
}

std::vector<Element> AllOfActiveModel(const Host& host) { return host.Scan(ScanCriteria{}); }

bool IsSideAnnotation(const Element& element, const std::set<ElementId>& sideLabels) {
    if (element.IsDimension()) return true;
    return element.IsCell() &&
           (element.Cell().name == ExtensionLineCellName || sideLabels.count(element.id) > 0);
}

// Builds the side labels and dimension chains of every area anew. When they come out as
// they stood, the new ones go and the old ones stay, ids and all.
void RebuildSides(mdlOPM_Labeller& module, const std::vector<Element>& borders, const ItemRows& dimItems,
                  const std::vector<Standing>& labels, UpdateResult& result) {
    Host& host = module.host;
    std::set<ElementId> sideLabels;
    for (const Standing& label : labels)
        if (label.side) sideLabels.insert(label.cell.id);
    std::vector<Element> before;
    std::set<ElementId> existing;
    for (const Element& element : AllOfActiveModel(host)) {
        existing.insert(element.id);
        if (IsSideAnnotation(element, sideLabels)) before.push_back(element);
    }
    for (const Element& border : borders) {
        AnnotateBorderSides(module, border, dimItems);
        host.RedrawView(host.LastInputView());
    }
    std::vector<Element> rebuilt;
    for (const Element& element : AllOfActiveModel(host))
        if (!existing.count(element.id)) rebuilt.push_back(element);

    for (const Element& element : rebuilt) {
        if (element.IsDimension())
            ++result.placement.dimensions;
        else if (element.IsCell() && element.Cell().name == LabelCellName)
            ++result.placement.sideLabels;
    }
    result.changes.sidesRebuilt = true;
    result.changes.sidesChanged = !SameElements(before, rebuilt);
    for (const Element& element : result.changes.sidesChanged ? before : rebuilt) host.RemoveElement(element);
}

class LabelUpdater {
public:
    LabelUpdater(mdlOPM_Labeller& module, UpdateResult& result) : module_(module), result_(result) {}

    // A component whose label stands on the sheet.
    void Update(Wanted& wanted, Standing& label) {
        LabelChangeEntry entry = EntryFor(wanted, label);
        const bool sameText = TextsOf(label.body) == wanted.texts;
        const bool sameAnchor = Distance(label.anchor, wanted.anchor) <= SameAnchorTolerance;
        if (sameText && sameAnchor) {
            entry.newCell = label.cell.id;
            entry.newPlace = entry.oldPlace;
        } else if (label.origin.placement != LabelPlacement::Automatic) {
            KeepWhereItStands(wanted, label, sameText, entry);
            entry.leaderRedrawn = !sameAnchor;
        } else {
            module_.host.RemoveElement(label.cell);
            const bool placed = sameAnchor && entry.oldPlace && TryPlaceAt(wanted, *entry.oldPlace, entry);
            if (!placed) PlaceFree(wanted, entry);
            entry.change = placed ? LabelChange::Retexted : LabelChange::Moved;
        }
        result_.changes.entries.push_back(entry);
    }

    void Add(Wanted& wanted) {
        LabelChangeEntry entry;
        entry.change = LabelChange::Added;
        entry.component = wanted.key;
        entry.placement = LabelPlacement::Automatic;
        entry.newText = Joined(wanted.texts);
        PlaceFree(wanted, entry);
        result_.changes.entries.push_back(entry);
    }

private:
    LabelChangeEntry EntryFor(const Wanted& wanted, const Standing& label) const {
        LabelChangeEntry entry;
        entry.component = wanted.key;
        entry.placement = label.origin.placement;
        entry.oldText = Joined(TextsOf(label.body));
        entry.newText = Joined(wanted.texts);
        entry.oldPlace = PlaceOf(label.body);
        entry.oldCell = label.cell.id;
        return entry;
    }

    // A label placed by hand keeps its body where it is, turned as the drafter turned it;
    // only its text and its leader's start follow the component.
    void KeepWhereItStands(Wanted& wanted, const Standing& label, bool sameText, LabelChangeEntry& entry) {
        std::vector<Element> body = sameText ? label.body : wanted.body;
        Point offset{};
        if (!sameText) {
            const std::optional<Point> newPlace = PlaceOf(body);
            if (entry.oldPlace && newPlace) {
                const double turn = TextAngle(label.body.front()) - TextAngle(body.front());
                if (turn != 0.0)
                    for (Element& element : body) element.RotateAboutZ(turn, *newPlace);
                offset = *entry.oldPlace - *newPlace;
            }
            entry.change = LabelChange::Retexted;
        }
        module_.host.RemoveElement(label.cell);
        entry.newCell = CreateLabelCell(module_, body, offset, wanted.anchor, label.kneeOffset, label.origin);
        entry.newPlace = PlaceOf(body);
    }

    bool TryPlaceAt(Wanted& wanted, const Point& place, LabelChangeEntry& entry) {
        const std::optional<Point> builtAt = PlaceOf(wanted.body);
        if (!builtAt) return false;
        const Point offset = place - *builtAt;
        bool free = false;
        {
            FenceModesGuard modes(module_.host, OverlapFenceModes);
            free = ProbeIsFree(module_.host, LabelBox(module_.host, wanted.body), offset);
            module_.host.ClearFence();
        }
        ++result_.changes.probes;
        if (!free) return false;
        Create(wanted, offset, entry);
        return true;
    }

    void PlaceFree(Wanted& wanted, LabelChangeEntry& entry) {
        const Range box = LabelBox(module_.host, wanted.body);
        const FreePlaceSearch search = FindFreeLabelOffset(module_.host, box.low, box.high,
                                                           module_.settings.StepDistance, FreePlaceStartCount);
        module_.host.ClearFence();
        result_.changes.probes += search.probes;
        result_.placement.probes += search.probes;
        ++result_.placement.labels;
        if (search.free) ++result_.placement.freePlaces;
        Create(wanted, search.offset, entry);
    }

    void Create(Wanted& wanted, const Point& offset, LabelChangeEntry& entry) {
        std::vector<Element> body = wanted.body;
        entry.placement = LabelPlacement::Automatic;
        entry.newCell = CreateLabelCell(module_, body, offset, wanted.anchor, Point{},
                                        {wanted.key, LabelPlacement::Automatic});
        entry.newPlace = PlaceOf(body);
    }

    mdlOPM_Labeller& module_;
    UpdateResult& result_;
};

void ReadRunSettings(mdlOPM_Labeller& module, bool& placeDimensions, bool& placeLabels, ItemRows& labelItems,
                     ItemRows& dimItems) {
    const std::string arguments = module.host.KeyinArguments();
    if (!arguments.empty()) {
        ApplyKeyinArguments(arguments, placeDimensions, placeLabels);
        LoadSettingsFile(module, nullptr, labelItems, dimItems, "", true);
        return;
    }
    if (!module.dialog)
        throw std::invalid_argument("the update reads its settings from the main dialog, which has not been opened");
    ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
}

std::vector<Element> BorderShapes(mdlOPM_Labeller& module, const Level& level, PlacementReport& report) {
    std::vector<Element> borders = module.host.Scan(BorderShapeCriteria(level.name));
    if (borders.empty()) {
        report.bordersDrawn = CreateBorderShapes(module, level.name);
        borders = module.host.Scan(BorderShapeCriteria(level.name));
    }
    return borders;
}

}  // namespace

UpdateResult RunAnnotationUpdate(mdlOPM_Labeller& module, bool placeDimensions, bool placeLabels,
                                 const PlacementProgress& progress) {
    Host& host = module.host;
    ItemRows labelItems;
    ItemRows dimItems;
    ReadRunSettings(module, placeDimensions, placeLabels, labelItems, dimItems);
    const bool labelsCanMatch = std::any_of(labelItems.begin(), labelItems.end(),
                                            [](const ItemRow& row) { return !row.MatchPatterns.empty(); });
    if (placeLabels && labelsCanMatch) CheckStepDistance(module.settings);
    // Every recorded placement is read before anything changes, so a faulty one stops the
    // update with the sheet untouched.
    std::vector<Standing> labels = StandingLabels(host);

    host.PostMessage({"Starting to place labels", "", 12, false});
    const Level level = FindOrCreateBorderLevel(host, module.settings.ShapeLevelName);
    UpdateResult result;
    const std::vector<Element> borders = BorderShapes(module, level, result.placement);
    if (borders.empty()) {
        host.PostMessage({NoDrawingAreaMessage(level.name), "", 12, false});
        PostRunSummary(module);
        return result;
    }

    std::vector<std::vector<Wanted>> wanted;
    std::vector<Range> areas;
    for (const Element& border : borders) {
        areas.push_back(host.ElementRange(border));
        wanted.push_back(placeLabels ? WantedLabels(module, border, labelItems) : std::vector<Wanted>{});
    }
    std::vector<Wanted> everyWanted;
    for (const auto& area : wanted) everyWanted.insert(everyWanted.end(), area.begin(), area.end());
    RecogniseUnrecorded(labels, everyWanted, areas);

    // Each component takes the first label that names it and is still free; a component in
    // two areas has a label in each, as Automatic Place gives it.
    std::multimap<std::string, Standing*> byKey;
    for (Standing& label : labels)
        if (!label.side && !label.key.empty()) byKey.emplace(label.key, &label);
    std::vector<std::vector<Standing*>> matches(wanted.size());
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        for (const Wanted& w : wanted[a]) {
            Standing* match = nullptr;
            const auto [first, last] = byKey.equal_range(w.key);
            for (auto it = first; it != last && !match; ++it)
                if (!it->second->taken) match = it->second;
            if (match) match->taken = true;
            matches[a].push_back(match);
        }
    }

    // Labels whose component is gone leave first, so that the places they held are free.
    if (placeLabels) {
        for (const Standing& label : labels) {
            if (label.side || label.taken) continue;
            LabelChangeEntry entry;
            entry.component = label.key;
            entry.placement = label.origin.placement;
            entry.oldText = Joined(TextsOf(label.body));
            entry.oldPlace = PlaceOf(label.body);
            entry.oldCell = label.cell.id;
            if (label.origin.placement == LabelPlacement::Automatic) {
                entry.change = LabelChange::Removed;
                host.RemoveElement(label.cell);
            } else {
                entry.change = LabelChange::Orphaned;
                entry.newCell = label.cell.id;
                entry.newPlace = entry.oldPlace;
            }
            result.changes.entries.push_back(entry);
        }
    }

    if (placeDimensions) RebuildSides(module, borders, dimItems, labels, result);

    LabelUpdater updater(module, result);
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        if (placeLabels) {
            ZoomedOut zoom(host);
            for (std::size_t i = 0; i < wanted[a].size(); ++i) {
                if (matches[a][i])
                    updater.Update(wanted[a][i], *matches[a][i]);
                else
                    updater.Add(wanted[a][i]);
            }
        }
        ++result.placement.borders;
        if (progress.borderDone)
            progress.borderDone(result.placement.borders, static_cast<int>(borders.size()), result.placement);
    }
    PostRunSummary(module);
    return result;
}

}  // namespace zkl
