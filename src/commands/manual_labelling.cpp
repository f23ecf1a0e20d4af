#include "commands/manual_labelling.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/component_key.h"
#include "dialog/frm_main.h"
#include "host/numbers.h"
#include "label/interactive_placement.h"
#include "label/label_body.h"
#include "label/label_cell.h"
#include "settings/read_settings_from_dialog.h"

namespace zkl {

namespace {

constexpr const char* SelectionKeyin = "CHOOSE ELEMENT;POWERSELECTOR MODE NEW;POWERSELECTOR SINGLE";
constexpr int CentreCentreJustification = 7;

// Pipeline and equipment buttons label whatever is picked with the dialog's one format.
ItemRow SingleRow(const SettingsDialog& dialog, std::int16_t labelMode) {
    const bool pipeline = labelMode == PipelineMode;
    ItemRow row;
    row.MatchFormat = "*";
    row.MatchPatterns = "*";
    row.LabelFormat = dialog.ControlText(pipeline ? "txtLineLabelFormat" : "txtEquipLabelFormat");
    const std::string frameStyle = dialog.ControlText("txtLabelFrameStyle");
    try {
        row.FrameStyle = TextToInt16(frameStyle);
    } catch (const ConversionError& error) {
        throw ConversionError(std::string("Label Frame (txtLabelFrameStyle): ") + error.what());
    }
    row.ComponentClass = pipeline ? "STRAIGHT" : "EQUIPMENT";
    return row;
}

// What each kind of body element counts towards recognising the body's make-up.
int MakeUpWeight(const Element& element) {
    switch (element.type) {
        case ElementType::Line:
        case ElementType::Text:
            return 1;
        case ElementType::LineString:
            return 2;
        case ElementType::Ellipse:
            return 3;
        default:
            return 0;
    }
}

Point StartPoint(const Element& element) { return element.Linear().vertices.front(); }

// The point of a placed label's body that was at the origin when the body was built, found
// from the make-up of the body (all components but the leader). Nothing for a make-up the
// label bodies we build never have: such a label cannot be put back where it was.
std::optional<Point> ReferencePoint(const std::vector<Element>& components) {
    if (components.size() < 2 || !components.front().IsText()) return std::nullopt;
    int sum = -1;
    for (std::size_t i = 0; i + 1 < components.size(); ++i) sum += MakeUpWeight(components[i]);

    const TextGeometry& firstText = components.front().Text();
    switch (sum) {
        case 0:  // a text alone
        case 2:  // a text in a box
            return firstText.origin;
        case 1: {  // a text on an underline
            if (firstText.justification == CentreCentreJustification) return firstText.origin;
            const Element& underline = components[1];
            if (!underline.IsLinear()) return std::nullopt;
            return StartPoint(underline);
        }
        case 3:    // a text in a circle
        case 4: {  // two texts in a circle
            const Element& circle = components[components.size() - 2];
            if (!circle.IsEllipse()) return std::nullopt;
            return circle.Ellipse().centre;
        }
        default:
            return std::nullopt;
    }
}

struct Pick {
    Point anchor;
    Point position = ManualPositionSentinel;
    Point kneeOffset;
    std::vector<Element> body;
    PlacementOrigins origins;
};

// Takes a placed label apart: its body moves back to the origin and the old cell leaves the
// model, so the user places it again with a new leader from the same anchor. Leaves the
// body empty (and the label untouched) when the label cannot be put back.
void TakeLabelApart(Host& host, const Element& labelCell, Pick& pick) {
    const std::vector<Element>& components = labelCell.Cell().components;
    const std::optional<Point> reference = ReferencePoint(components);
    if (!reference) return;

    pick.body = components;
    const Element& leader = pick.body.back();
    if (leader.type == ElementType::LineString && leader.Linear().vertices.size() >= 2) {
        const std::vector<Point>& vertices = leader.Linear().vertices;
        pick.anchor = vertices[0];
        pick.kneeOffset = vertices[1] - vertices[0];
    }
    pick.position = *reference;
    pick.origins.putBack = ReadLabelOrigin(labelCell);
    pick.origins.placed = {pick.origins.putBack.component, LabelPlacement::MovedByHand};
    host.ClearSelection();
    pick.body.pop_back();
    for (Element& element : pick.body) {
        element.Move(-*reference);
        element.id = NoElementId;
    }
    host.RemoveElement(labelCell);
}

ItemRows LabelRows(mdlOPM_Labeller& module, std::int16_t labelMode) {
    if (!module.dialog)
        throw std::logic_error(
            "the manual labelling command needs the main dialog; start the labeller first");
    ItemRows labelItems;
    ItemRows dimItems;
    ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
    if (labelMode == PipelineMode || labelMode == EquipmentMode)
        labelItems = ItemRows{SingleRow(*module.dialog, labelMode)};
    return labelItems;
}

}  // namespace

void RunManualLabelling(mdlOPM_Labeller& module, std::int16_t labelMode) {
    Host& host = module.host;
    const ItemRows rows = LabelRows(module, labelMode);

    host.PostMessage(Message{"Starting to place labels", "", 12, false});
    host.SendKeyin("accudraw dialog main");

    while (true) {
        host.SendKeyin(SelectionKeyin);
        Pick pick;
        host.ShowStatus(StatusField::Command, "Place label");
        host.ShowStatus(StatusField::Prompt,
                        "Select element to label or select label to relocate/Reset to exit");

        const Input input = host.WaitForInput();
        if (input.kind != InputKind::DataPoint) {
            host.ShowStatus(StatusField::Command, "");
            host.ShowStatus(StatusField::Prompt, "");
            host.StartDefaultCommand();
            PostRunSummary(module);
            return;
        }

        pick.anchor = input.point;
        const std::optional<Element> picked = host.LocateElement(input.point, host.LastInputView());
        if (!picked) {
            host.ShowStatus(StatusField::Command, "Nothing selected!");
            continue;
        }
        if (picked->type != ElementType::Cell) continue;

        host.SetHighlight(*picked, true);
        // A label of a reference attachment is as unchangeable as a locked one: taking it
        // apart would fail on removing it and end the command.
        const bool relocate =
            picked->Cell().name == LabelCellName && !picked->locked && picked->model == ActiveModelId;
        std::int16_t frameStyle = -1;
        if (relocate) {
            TakeLabelApart(host, *picked, pick);
        } else {
            std::vector<Point> keyPoints;
            frameStyle = BuildLabelBody(module, *picked, rows, true, pick.body, &keyPoints);
            if (!pick.body.empty())
                pick.origins.placed = {ComponentKey(host, *picked, keyPoints), LabelPlacement::ByHand};
        }

        if (pick.body.empty())
            host.PostMessage(Message{"Invalid element!", "", 12, false});
        else
            PlaceLabelInteractive(module, pick.body, relocate, pick.anchor, pick.position, frameStyle,
                                  pick.kneeOffset, pick.origins);
        host.SetHighlight(*picked, false);
    }
}

}  // namespace zkl
