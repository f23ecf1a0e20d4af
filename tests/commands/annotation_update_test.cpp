// The update of an annotation on the example sheet after its plant model changed: what
// happens to a label by how it was placed and what became of its component, that the
// whole update is one undo step, and that an update after an update changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/annotation_update.h"
#include "commands/labeller_commands.h"
#include "component/component_geometry.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_file.h"
#include "label/label_origin.h"
#include "placement_session.h"

namespace zkl {
namespace {

// The example sheet after Automatic Place, in the dialog.
class Annotated {
public:
    Annotated() : session(test::ExampleDrawing()), labeller(session.module, Commands()) {
        labeller.Start_Labeller();
        session.module.dialog->cmdAutoPlace_Click();
    }

    DialogCommands Commands() {
        DialogCommands commands = MakeDialogCommands(session.module);
        commands.semiAutomatic = [this] { result = RunAnnotationUpdate(session.module, true, true); };
        return commands;
    }

    // The update goes behind the Semi-Auto button here, so that Automatic Place stays as it is.
    LabelChanges Update() {
        session.module.dialog->cmdSemiAuto_Click();
        return result.changes;
    }

    std::string Saved() { return io::SerializeSheet(session.host.GetDrawing(), test::ExampleSheet.parent_path()); }

    // The first automatically placed label on a pipe, and its component.
    struct Labelled {
        Element label;
        Element component;
    };
    Labelled FirstPipeLabel() {
        const cad::Attachment& plant = session.host.GetDrawing().attachments.front();
        for (const Element& cell : test::LabelCells(session.host)) {
            if (!ReadLabelOrigin(cell).component.starts_with("PIPE|")) continue;
            const Point anchor = cell.Cell().components.back().Linear().vertices.front();
            for (const auto& [id, entry] : plant.model.Entries())
                if (entry.element.IsCell() &&
                    GetComponentPoints(session.module, entry.element, session.labelItems).back() == anchor)
                    return {cell, entry.element};
        }
        throw std::runtime_error("the example has no labelled pipe");
    }

    void SetProperty(Element component, const std::string& name, double value) {
        for (Property& property : component.properties)
            if (property.accessString == name) property.value = value;
        cad::Drawing& drawing = session.host.GetDrawing();
        drawing.attachments.front().model.Replace(component, drawing.RangeOf(component));
    }

    void MarkPlacedByHand(Element label) {
        RecordLabelOrigin(label, {ReadLabelOrigin(label).component, LabelPlacement::ByHand});
        session.host.RewriteElement(label);
    }

    test::Session session;
    clsOPM_Labeller labeller;
    UpdateResult result;
};

const LabelChangeEntry& EntryOf(const LabelChanges& changes, ElementId oldCell) {
    for (const LabelChangeEntry& entry : changes.entries)
        if (entry.oldCell == oldCell) return entry;
    throw std::runtime_error("the report does not name label #" + std::to_string(oldCell));
}

TEST(AnnotationUpdate, EachLabelFollowsItsComponentAsItWasPlaced) {
    struct Case {
        const char* what;
        bool byHand;
        bool componentGone;
        LabelChange expected;
    };
    const Case cases[] = {
        {"automatic, new text", false, false, LabelChange::Retexted},
        {"automatic, component gone", false, true, LabelChange::Removed},
        {"by hand, new text", true, false, LabelChange::Retexted},
        {"by hand, component gone", true, true, LabelChange::Orphaned},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Annotated fresh;
        Annotated::Labelled labelled = fresh.FirstPipeLabel();
        const std::optional<Point> place = labelled.label.Cell().components.front().Text().origin;
        if (c.byHand) fresh.MarkPlacedByHand(labelled.label);
        if (c.componentGone)
            fresh.session.host.GetDrawing().attachments.front().model.Remove(labelled.component.id);
        else
            fresh.SetProperty(labelled.component, "NOMINAL_DIAMETER", 999);

        const LabelChanges changes = fresh.Update();
        const LabelChangeEntry& entry = EntryOf(changes, labelled.label.id);
        EXPECT_EQ(entry.change, c.expected);
        const bool stands = c.expected != LabelChange::Removed;
        EXPECT_EQ(fresh.session.host.GetDrawing().activeModel.Find(entry.newCell) != nullptr, stands);
        if (!c.componentGone) {
            EXPECT_NE(entry.newText.find("-999"), std::string::npos) << entry.newText;
        }
        // A hand-placed label stands where the drafter put it, whatever happened.
        if (c.byHand) {
            EXPECT_EQ(entry.newPlace, place);
        }
        // Everything else on the sheet is as it was.
        EXPECT_EQ(changes.Count(LabelChange::Kept), static_cast<std::int64_t>(changes.entries.size()) - 1);
        EXPECT_FALSE(changes.sidesChanged);
    }
}

TEST(AnnotationUpdate, IsOneUndoStepAndChangesNothingTheSecondTime) {
    Annotated sheet;
    sheet.SetProperty(sheet.FirstPipeLabel().component, "NOMINAL_DIAMETER", 999);
    const std::string edited = sheet.Saved();

    EXPECT_TRUE(sheet.Update().ChangedSheet());
    const std::string updated = sheet.Saved();
    sheet.session.module.dialog->cmdUndo_Click();
    EXPECT_EQ(sheet.Saved(), edited) << "undo";
    sheet.session.module.dialog->cmdUndo_Click();  // now captioned "Redo"
    EXPECT_EQ(sheet.Saved(), updated) << "redo";

    EXPECT_FALSE(sheet.Update().ChangedSheet());
    EXPECT_EQ(sheet.Saved(), updated) << "the second update changed the sheet";
}

}  // namespace
}  // namespace zkl
