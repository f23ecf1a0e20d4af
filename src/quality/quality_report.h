// The quality of an annotated sheet, judged from the sheet alone: which label bodies overlap
// each other or plant components, which leaders cross, which bodies stray outside their
// drawing area, which selected components have no label, which side labels stand closer
// than the minimum gap, and how long the leaders are. Nothing here asks the placement code
// what it did; the label cells, the border shapes and the components are read back as any
// drawing would be (docs/quality.md says what each finding means and how it is computed).
//
// Units: active-model drawing units. The caller owns the module (host and settings) and the
// label item rows; the report is a plain value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/element.h"
#include "host/geometry.h"
#include "settings/item_row.h"
#include "settings/labeller_module.h"

namespace zkl {

// Two shapes closer than this meet: touching counts, a gap of 0.01 does not.
inline constexpr double MeetTolerance = 0.001;

enum class FindingKind {
    BodyOverlap,          // two label bodies meet
    BodyOverComponent,    // a label body meets a plant component
    LeaderCrossing,       // two leaders meet, at least one of a component label
    LeaderThroughBody,    // a leader meets another label's body
    BodyOutsideArea,      // a component label's body reaches beyond its drawing area
    UnlabelledComponent,  // a component the label rows select has no label at its anchor
    SideLabelsTooClose,   // neighbouring side labels closer than the minimum gap
    SideLeaderCrossing,   // two side-label leaders meet
};

inline constexpr FindingKind AllFindingKinds[] = {
    FindingKind::BodyOverlap,        FindingKind::BodyOverComponent,  FindingKind::LeaderCrossing,
    FindingKind::LeaderThroughBody,  FindingKind::BodyOutsideArea,    FindingKind::UnlabelledComponent,
    FindingKind::SideLabelsTooClose, FindingKind::SideLeaderCrossing,
};

// "bodyOverlap", "bodyOverComponent", ...: the key of the kind in the JSON report.
std::string_view FindingKey(FindingKind kind);
// What a drafter reads: "overlapping label bodies", ...
std::string_view FindingTitle(FindingKind kind);

// A plant component: a cell of a reference attachment, named by the attachment.
struct ComponentRef {
    std::string model;
    ElementId id = NoElementId;
    friend bool operator==(const ComponentRef&, const ComponentRef&) = default;
};

// A "ZKL_Label" cell of the active model and, for a component label whose anchor is a
// selected component's anchor, that component.
struct LabelRef {
    ElementId cell = NoElementId;
    std::optional<ComponentRef> component;
    friend bool operator==(const LabelRef&, const LabelRef&) = default;
};

struct Finding {
    FindingKind kind = FindingKind::BodyOverlap;
    std::vector<LabelRef> labels;           // the one or two label cells concerned
    std::optional<ComponentRef> component;  // the component met, or left without a label
    Point at;                               // where: the middle of the meeting, or the anchor
    // Overlaps: the depth of the overlap (the smaller of its width and height, 0 for a
    // touch); outside: how far the body reaches out; too close: the gap found; else 0.
    double amount = 0.0;
    std::string note;  // what more there is to say, usually nothing
};

struct LeaderLengths {
    std::size_t count = 0;  // component labels with a leader
    double median = 0.0;
    double p95 = 0.0;  // nearest rank
    double max = 0.0;
};

struct QualityReport {
    int areas = 0;
    std::size_t componentLabels = 0;
    std::size_t sideLabels = 0;
    std::size_t selectedComponents = 0;
    std::size_t leaders = 0;               // every label cell with a leader, side labels too
    std::size_t leadersThroughBodies = 0;  // of them, those meeting at least one other body
    LeaderLengths leaderLengths;           // component labels only: side leaders are fixed
    std::vector<Finding> findings;         // grouped by kind, in the order of AllFindingKinds

    std::size_t Count(FindingKind kind) const;
    // Overlapping bodies and bodies over components: what --strict refuses.
    std::size_t Overlaps() const;
};

// Reads the drawing areas (closed shapes on ShapeLevelName), the label cells of the active
// model and the components the fence of each area takes in, and judges them. Uses the
// host's fence (modes put back, fence cleared afterwards); reading the rows records
// unreadable properties in the module as labelling does. Side labels are told apart from
// component labels by their origin: a component label starts at a selected component's
// anchor or inside an area, a side label outside every area.
QualityReport CheckAnnotation(mdlOPM_Labeller& module, const ItemRows& labelItems);

}  // namespace zkl
