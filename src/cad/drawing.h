// A drawing sheet as our engine holds it, and as the sheet file stores it: the design
// file's tables (levels, text, dimension and line styles), the active model, the reference
// attachments with their own models, the eight views, the active symbology and the macro
// project path. Session state (selection, fence, inputs, journal) lives in CadHost.
//
// Coordinates: each model's elements are in that model's own units; an attachment's
// transform maps them into active-model coordinates.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cad/element_store.h"
#include "host/element.h"
#include "host/host_types.h"

namespace zkl::cad {

struct Attachment {
    std::string name;
    ElementStore model;
    Transform3d toActive;
    double unitFactor = 1.0;
    double scaleDivisor = 1.0;
    bool displayed = true;
};

inline constexpr int ViewCount = 8;

struct Drawing {
    std::vector<Level> levels;
    std::vector<TextStyle> textStyles;
    std::vector<DimensionStyle> dimensionStyles;
    std::vector<LineStyle> lineStyles;

    double activeUnitFactor = 1.0;
    ElementStore activeModel;
    std::vector<Attachment> attachments;

    std::array<ViewArea, ViewCount> views;  // view n is views[n - 1]
    Symbology activeSymbology;              // level, colour, line style and weight
    FenceModes fenceModes;
    std::string macroProjectPath;  // the macro project file; its folder holds the configuration

    // ---- Look-ups (throw HostError naming what is missing) ------------------------------
    const Level& FindLevel(std::string_view name) const;
    const TextStyle& FindTextStyle(std::string_view name) const;
    const DimensionStyle& FindDimensionStyle(std::string_view name) const;
    const LineStyle& FindLineStyle(std::string_view name) const;
    // The named style, or a default style of that name when the design file lacks it, so
    // that a drawing with a dangling style name still draws.
    DimensionStyle DimensionStyleOrDefault(const std::string& name) const;

    // ---- Models -------------------------------------------------------------------------
    ElementStore& Model(ModelId model);
    const ElementStore& Model(ModelId model) const;
    const Attachment& AttachmentOf(ModelId model) const;  // throws for the active model
    int ModelCount() const { return 1 + static_cast<int>(attachments.size()); }

    // The range of an element in its own model's coordinates.
    Range RangeOf(const Element& element) const;
    // The range of an attachment's elements in active-model coordinates.
    Range AttachmentRange(ModelId model) const;

    // Element changes that keep the spatial index current. Add assigns the id and model.
    // Add, Insert and Replace throw HostError for cells nested deeper than MaxCellNesting
    // before anything walks them.
    ElementId Add(ModelId model, Element& element);
    void Insert(ModelId model, const Element& element);
    void Insert(ModelId model, Element&& element);  // without a copy, for loading
    void Replace(ModelId model, const Element& element);
    void Remove(ModelId model, ElementId id);

    const ViewArea& View(int number) const;  // 1..8; throws HostError otherwise
    ViewArea& View(int number);
};

}  // namespace zkl::cad
