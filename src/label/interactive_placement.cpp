#include "label/interactive_placement.h"

#include "host/host.h"
#include "label/label_cell.h"

namespace zkl {

namespace {

constexpr const char* PlacePrompt = "Select point to place label";
constexpr const char* RotateOrCancelPrompt = "Ctrl+RESET to rotate/RESET to cancel";
constexpr const char* QuitHint = "/ESC to quit";

// A circled body ends in its circle, whose edge lies further from the text than the text's
// own box: the hint keeps the same clearance from the circle.
constexpr double CircleClearance = 2.5;

// While the user chooses, the body lives in the model, selected, so the host's own "move"
// command can drag it; its base point is the origin the body was built around.
void StartDragging(Host& host, std::vector<Element>& elements) {
    host.ShowTransient(elements);
    host.ClearSelection();
    for (Element& element : elements) {
        host.AddElement(element);
        host.SelectElement(element);
    }
    host.SendKeyin("move");
    host.QueueDataPoint(Point{}, 1);
}

// Takes the body out of the model again; the caller gets detached elements back.
void StopDragging(Host& host, std::vector<Element>& elements) {
    host.ClearSelection();
    if (!elements.empty()) {
        for (Element& element : elements) {
            host.RemoveElement(element);
            element.id = NoElementId;
        }
    }
    host.SendKeyin("choose none");
    host.ClearTransient();
}

void GiveDistanceHint(const mdlOPM_Labeller& module, const std::vector<Element>& elements,
                      const Point& anchor, const Point& kneeOffset) {
    DrawingAidHints hints;
    hints.origin = anchor + kneeOffset;
    if (kneeOffset.x + kneeOffset.y != 0.0) {
        double distance = module.settings.LabelDistance2;
        if (!elements.empty() && elements.back().IsEllipse()) distance += CircleClearance;
        if (kneeOffset.y != 0.0)
            hints.yDistance = kneeOffset.y > 0.0 ? distance : -distance;
        else
            hints.xDistance = kneeOffset.x > 0.0 ? distance : -distance;
    }
    module.host.SetDrawingAidHints(hints);
}

void RotateBody(std::vector<Element>& elements, double angle) {
    for (Element& element : elements) element.RotateAboutZ(angle, Point{});
}

// Turns the body back to how it came in; a label placed by a data point keeps its turn.
void UndoRotation(std::vector<Element>& elements, int rotationCount) {
    if (rotationCount > 0) RotateBody(elements, -rotationCount * Pi / 2);
}

PlacementOutcome Place(mdlOPM_Labeller& module, std::vector<Element>& elements, const Point& position,
                       const Point& anchor, const Point& kneeOffset, const LabelOrigin& origin) {
    CreateLabelCell(module, elements, position, anchor, kneeOffset, origin);
    return PlacementOutcome::Placed;
}

}  // namespace

PlacementOutcome PlaceLabelInteractive(mdlOPM_Labeller& module, std::vector<Element>& elements,
                                       bool placeOnReset, const Point& anchor, Point& position,
                                       std::int16_t /*frameStyle*/, const Point& kneeOffset,
                                       const PlacementOrigins& origins) {
    Host& host = module.host;
    int rotationCount = 0;
    while (true) {
        StartDragging(host, elements);
        GiveDistanceHint(module, elements, anchor, kneeOffset);
        host.ShowStatus(StatusField::Command, PlacePrompt);
        // Only a run that can be ended here (a new label without a place of its own) offers
        // Esc; the manual command's labels start away from x = 0.
        host.ShowStatus(StatusField::Prompt,
                        std::string(RotateOrCancelPrompt) + (position.x == 0.0 ? QuitHint : ""));

        const Input input = host.WaitForInput();
        StopDragging(host, elements);

        if (input.kind == InputKind::DataPoint) {
            position = input.point;
            return Place(module, elements, position, anchor, kneeOffset, origins.placed);
        }
        if (input.kind == InputKind::Keyin && input.text == CtrlResetKeyin) {
            rotationCount = (rotationCount + 1) % 4;
            RotateBody(elements, Pi / 2);
            continue;
        }
        if (input.kind == InputKind::Keyin && input.text == EscapeKeyin) {
            UndoRotation(elements, rotationCount);
            if (placeOnReset) CreateLabelCell(module, elements, position, anchor, kneeOffset, origins.putBack);
            PostRunSummary(module);
            elements.clear();
            return PlacementOutcome::Quit;
        }
        if (input.kind == InputKind::Keyin) {
            // Another command interrupts the placement; a relocated label still goes back,
            // turned as the user left it.
            if (placeOnReset) return Place(module, elements, position, anchor, kneeOffset, origins.putBack);
            return PlacementOutcome::NotPlaced;
        }
        UndoRotation(elements, rotationCount);
        if (placeOnReset) return Place(module, elements, position, anchor, kneeOffset, origins.putBack);
        return PlacementOutcome::NotPlaced;
    }
}

std::string RunSummary(const std::string& invalidPropertyList) {
    const std::string placed = "Label placed by Quorvel";
    if (invalidPropertyList.size() < 3) return placed;
    // The list opens with a comma and ends each name with one: ",A,B," shows as "A,B".
    return placed + ". These properties are invalid, Please check: " +
           invalidPropertyList.substr(1, invalidPropertyList.size() - 2);
}

void PostRunSummary(mdlOPM_Labeller& module) {
    module.host.PostMessage(Message{RunSummary(module.invalidPropertyList), "", 12, false});
}

}  // namespace zkl
