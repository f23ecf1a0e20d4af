// CadHost: the design file, the active model and its changes, attachments, element
// geometry, properties and the macro environment. The fence and locate live in
// cad_host_spatial.cpp, input, key-ins, views and messages in cad_host_interaction.cpp.
#include "cad/cad_host.h"

#include <algorithm>
#include <cctype>

#include "cad/intersections.h"
#include "cad/text_metrics.h"

namespace zkl::cad {

namespace {

std::string ModelName(const Drawing& drawing, ModelId model) {
    if (model == ActiveModelId) return "the active model";
    return "reference attachment '" + drawing.AttachmentOf(model).name + "'";
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

CadHost::CadHost(Drawing drawing)
    : drawing_(std::move(drawing)),
      inputSource_(std::make_shared<ScriptedInputSource>()),
      prompter_(std::make_shared<RecordingPrompter>()) {}

// ---- Design file ------------------------------------------------------------------------

std::vector<Level> CadHost::Levels() const { return drawing_.levels; }

Level CadHost::FindLevel(std::string_view name) const { return drawing_.FindLevel(name); }

Level CadHost::CreateLevel(std::string_view name) {
    if (name.empty()) throw HostError("a level cannot be created without a name");
    for (const Level& level : drawing_.levels)
        if (level.name == name) return level;
    int highest = 0;
    for (const Level& level : drawing_.levels) highest = std::max(highest, level.id);
    drawing_.levels.push_back({highest + 1, std::string(name)});
    return drawing_.levels.back();
}

void CadHost::CommitLevels() { ++levelCommits_; }

std::vector<TextStyle> CadHost::TextStyles() const { return drawing_.textStyles; }

TextStyle CadHost::FindTextStyle(std::string_view name) const { return drawing_.FindTextStyle(name); }

std::vector<DimensionStyle> CadHost::DimensionStyles() const { return drawing_.dimensionStyles; }

DimensionStyle CadHost::FindDimensionStyle(std::string_view name) const {
    return drawing_.FindDimensionStyle(name);
}

LineStyle CadHost::FindLineStyle(std::string_view name) const { return drawing_.FindLineStyle(name); }

// ---- Active model -----------------------------------------------------------------------

ElementId CadHost::AddElement(Element& element) {
    const ElementId id = drawing_.Add(ActiveModelId, element);
    journal_.RecordAdd(drawing_.activeModel.Get(id));
    return id;
}

const Element& CadHost::ActiveModelElementToChange(const Element& element, const char* change) const {
    if (element.model != ActiveModelId)
        throw HostError(element.Describe() + " belongs to reference attachment '" +
                        drawing_.AttachmentOf(element.model).name + "' and cannot be changed");
    if (!element.IsInModel())
        throw HostError("a detached " + element.Describe() + " cannot be " + change +
                        ": it is not in the model");
    if (const Element* stored = drawing_.activeModel.Find(element.id)) return *stored;
    throw HostError(element.Describe() + " does not exist in the active model and cannot be " + change);
}

void CadHost::RemoveElement(const Element& element) {
    Element before = ActiveModelElementToChange(element, "removed");
    drawing_.Remove(ActiveModelId, element.id);
    journal_.RecordRemove(before);
    ForgetMissingElements();
}

void CadHost::RewriteElement(const Element& element) {
    Element before = ActiveModelElementToChange(element, "rewritten");
    drawing_.Replace(ActiveModelId, element);
    journal_.RecordRewrite(before, drawing_.activeModel.Get(element.id));
}

Element CadHost::GetElement(ModelId model, ElementId id) const {
    if (const Element* element = drawing_.Model(model).Find(id)) {
        Element copy = *element;
        copy.model = model;
        return copy;
    }
    throw HostError("element " + std::to_string(id) + " does not exist in " + ModelName(drawing_, model));
}

std::vector<Element> CadHost::Scan(const ScanCriteria& criteria) const {
    const ElementStore& store = drawing_.activeModel;
    auto matches = [&](const Element& element) {
        if (criteria.types && criteria.types->count(element.type) == 0) return false;
        if (criteria.levels && criteria.levels->count(element.symbology.level) == 0) return false;
        return true;
    };

    std::vector<Element> found;
    if (criteria.range) {
        std::vector<ElementId> ids;
        store.Index().Query(*criteria.range, [&](ElementId id) {
            ids.push_back(id);
            return true;
        });
        std::sort(ids.begin(), ids.end());
        for (ElementId id : ids)
            if (const Element& element = store.Get(id); matches(element)) found.push_back(element);
    } else {
        for (const auto& [id, entry] : store.Entries())
            if (matches(entry.element)) found.push_back(entry.element);
    }
    return found;
}

void CadHost::ClearSelection() {
    selection_.clear();
    // The drag moves the selection; with nothing selected there is nothing to drag.
    EndDrag();
}

void CadHost::SelectElement(const Element& element) {
    if (element.model != ActiveModelId || drawing_.activeModel.Find(element.id) == nullptr)
        throw HostError(element.Describe() + " cannot be selected: only elements of the active model can");
    if (std::find(selection_.begin(), selection_.end(), element.id) == selection_.end())
        selection_.push_back(element.id);
}

void CadHost::SetHighlight(const Element& element, bool on) {
    if (!element.IsInModel())
        throw HostError("a detached " + element.Describe() +
                        " cannot be highlighted: it is not in the model");
    if (on)
        highlighted_.insert({element.model, element.id});
    else
        highlighted_.erase({element.model, element.id});
}

void CadHost::ForgetMissingElements() {
    auto missing = [this](ModelId model, ElementId id) {
        return model < 0 || model >= drawing_.ModelCount() || drawing_.Model(model).Find(id) == nullptr;
    };
    std::erase_if(selection_, [&](ElementId id) { return missing(ActiveModelId, id); });
    std::erase_if(highlighted_, [&](const auto& key) { return missing(key.first, key.second); });
    if (drag_) std::erase_if(drag_->elements, [&](ElementId id) { return missing(ActiveModelId, id); });
}

void CadHost::UndoLastStep() {
    if (journal_.Undo(drawing_)) ForgetMissingElements();
}

void CadHost::RedoLastStep() {
    if (journal_.Redo(drawing_)) ForgetMissingElements();
}

// ---- Models and attachments -------------------------------------------------------------

std::vector<AttachmentInfo> CadHost::Attachments() const {
    std::vector<AttachmentInfo> infos;
    for (ModelId model = 1; model < drawing_.ModelCount(); ++model) infos.push_back(Attachment(model));
    return infos;
}

bool CadHost::IsAttachedReference(ModelId model) const {
    return model != ActiveModelId && model >= 1 && model < drawing_.ModelCount();
}

AttachmentInfo CadHost::Attachment(ModelId model) const {
    const cad::Attachment& attachment = drawing_.AttachmentOf(model);
    AttachmentInfo info;
    info.model = model;
    info.name = attachment.name;
    info.toActive = attachment.toActive;
    info.toReference = attachment.toActive.Inverse();
    info.unitFactor = attachment.unitFactor;
    info.scaleDivisor = attachment.scaleDivisor;
    info.displayed = attachment.displayed;
    info.range = drawing_.AttachmentRange(model);
    return info;
}

// ---- Element geometry -------------------------------------------------------------------

Range CadHost::ElementRange(const Element& element) const { return drawing_.RangeOf(element); }

Range CadHost::TextBox(const Element& text) const {
    if (!text.IsText()) throw HostError(text.Describe() + " is not a text and has no text box");
    return TextBoxRange(text.Text());
}

std::vector<Point> CadHost::Intersections(const Element& line, const Element& other,
                                          const Matrix3d& view) const {
    if (view == Matrix3d::Identity()) return IntersectElements(line, other);
    // Intersect in the view's own frame, where its x-y plane is the screen, and bring the
    // points back to model coordinates.
    const Transform3d toView = Transform3d::FromMatrixAndTranslation(view, Point{});
    Element viewedLine = line;
    Element viewedOther = other;
    viewedLine.ApplyTransform(toView);
    viewedOther.ApplyTransform(toView);
    std::vector<Point> points = IntersectElements(viewedLine, viewedOther);
    const Transform3d fromView = toView.Inverse();
    for (Point& point : points) point = fromView.Apply(point);
    return points;
}

double CadHost::EllipseLength(const Element& ellipse) const {
    return EllipseCircumference(ellipse.Ellipse());
}

Point CadHost::EllipsePointAtDistance(const Element& ellipse, double distance) const {
    const EllipseGeometry& geometry = ellipse.Ellipse();
    // On a circle the arc length is the angle times the radius, as EllipsePointAtArcLength
    // has it; the free-place search asks for the same angles around every label.
    const double radius = std::abs(geometry.primaryRadius);
    if (radius != 0 && radius == std::abs(geometry.secondaryRadius)) {
        const auto [cosT, sinT] = turns_.CosSin(distance / radius);
        return EllipsePointAtCosSin(geometry, cosT, sinT);
    }
    return EllipsePointAtArcLength(geometry, distance);
}

PropertyHandler CadHost::GetPropertyHandler(const Element& element) const {
    return PropertyHandler::Reading(element.properties);
}

// ---- Macro environment ------------------------------------------------------------------

std::string CadHost::MacroProperty(std::string_view object, std::string_view property) const {
    if (!EqualsIgnoringCase(object, "activevbproject"))
        throw HostError("the macro environment has no object '" + std::string(object) + "'");
    if (!EqualsIgnoringCase(property, "FileName"))
        throw HostError("the macro environment's object '" + std::string(object) + "' has no property '" +
                        std::string(property) + "'");
    return drawing_.macroProjectPath;
}

}  // namespace zkl::cad
