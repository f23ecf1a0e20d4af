#include "cad/drawing.h"

#include <algorithm>

#include "cad/element_geometry.h"
#include "host/host_error.h"

namespace zkl::cad {

namespace {

template <typename Item>
const Item& FindByName(const std::vector<Item>& items, std::string_view name, const char* what) {
    auto it = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.name == name; });
    if (it == items.end())
        throw HostError(std::string(what) + " '" + std::string(name) + "' does not exist in the design file");
    return *it;
}

}  // namespace

const Level& Drawing::FindLevel(std::string_view name) const { return FindByName(levels, name, "level"); }
const TextStyle& Drawing::FindTextStyle(std::string_view name) const {
    return FindByName(textStyles, name, "text style");
}
const DimensionStyle& Drawing::FindDimensionStyle(std::string_view name) const {
    return FindByName(dimensionStyles, name, "dimension style");
}
const LineStyle& Drawing::FindLineStyle(std::string_view name) const {
    return FindByName(lineStyles, name, "line style");
}

DimensionStyle Drawing::DimensionStyleOrDefault(const std::string& name) const {
    for (const auto& style : dimensionStyles)
        if (style.name == name) return style;
    DimensionStyle fallback;
    fallback.name = name;
    return fallback;
}

ElementStore& Drawing::Model(ModelId model) {
    return const_cast<ElementStore&>(static_cast<const Drawing&>(*this).Model(model));
}

const ElementStore& Drawing::Model(ModelId model) const {
    if (model == ActiveModelId) return activeModel;
    return AttachmentOf(model).model;
}

const Attachment& Drawing::AttachmentOf(ModelId model) const {
    if (model == ActiveModelId) throw HostError("the active model is not a reference attachment");
    if (model < 1 || model > static_cast<int>(attachments.size()))
        throw HostError("reference attachment " + std::to_string(model) + " does not exist");
    return attachments[static_cast<std::size_t>(model - 1)];
}

Range Drawing::RangeOf(const Element& element) const {
    return ElementRange(element, [this](const std::string& name) { return DimensionStyleOrDefault(name); });
}

Range Drawing::AttachmentRange(ModelId model) const {
    const Attachment& attachment = AttachmentOf(model);
    const Range local = attachment.model.Extent();
    // The eight corners of the local extent bound the transformed extent.
    Range result = Range::FromPoint(attachment.toActive.Apply(local.low));
    for (int i = 0; i < 8; ++i) {
        const Point corner{(i & 1) ? local.high.x : local.low.x, (i & 2) ? local.high.y : local.low.y,
                           (i & 4) ? local.high.z : local.low.z};
        result.Extend(attachment.toActive.Apply(corner));
    }
    return result;
}

// The store checks the nesting too, but the range is worked out first, and that walk must
// not meet a cell that is too deep either.
ElementId Drawing::Add(ModelId model, Element& element) {
    CheckCellNesting(element);
    element.model = model;
    return Model(model).Add(element, RangeOf(element));
}

void Drawing::Insert(ModelId model, const Element& element) { Insert(model, Element(element)); }

void Drawing::Insert(ModelId model, Element&& element) {
    CheckCellNesting(element);
    element.model = model;
    const Range range = RangeOf(element);
    Model(model).Insert(std::move(element), range);
}

void Drawing::Replace(ModelId model, const Element& element) {
    CheckCellNesting(element);
    Element stored = element;
    stored.model = model;
    const Range range = RangeOf(stored);
    Model(model).Replace(std::move(stored), range);
}

void Drawing::Remove(ModelId model, ElementId id) { Model(model).Remove(id); }

const ViewArea& Drawing::View(int number) const {
    if (number < 1 || number > ViewCount)
        throw HostError("view " + std::to_string(number) + " does not exist (views are numbered 1 to 8)");
    return views[static_cast<std::size_t>(number - 1)];
}

ViewArea& Drawing::View(int number) {
    return const_cast<ViewArea&>(static_cast<const Drawing&>(*this).View(number));
}

}  // namespace zkl::cad
