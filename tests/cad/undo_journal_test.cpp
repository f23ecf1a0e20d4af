// Guards the undo journal: steps opened by marks revert whole, redo re-applies them, a new
// change drops what could be redone, and removed elements come back under their old ids.
#include "cad/undo_journal.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "cad/cad_host.h"
#include "test_drawings.h"

namespace zkl::cad {
namespace {

using test::BasicDrawing;
using test::Contents;
using test::Ids;

// A host over a drawing holding lines 1, 2 and 3, added before the session starts.
CadHost HostWithThreeLines() {
    Drawing drawing = BasicDrawing();
    for (int i = 0; i < 3; ++i)
        test::AddTo(drawing, ActiveModelId, MakeLine({0, i * 10.0, 0}, {50, i * 10.0, 0}));
    return CadHost(std::move(drawing));
}

TEST(UndoJournal, UndoMarkRevertsEveryChangeSinceTheLastMarkOneStepAtATime) {
    CadHost host = HostWithThreeLines();
    const std::vector<Element> original = Contents(host.GetDrawing().activeModel);

    host.SendKeyin("mark");
    Element added = MakeText("A", {5, 5, 0});
    host.AddElement(added);
    const std::vector<Element> afterFirstStep = Contents(host.GetDrawing().activeModel);

    host.SendKeyin("mark");
    Element moved = host.GetElement(ActiveModelId, 1);
    moved.Move({0, 100, 0});
    host.RewriteElement(moved);
    host.RemoveElement(host.GetElement(ActiveModelId, 2));
    Element second = MakeLine({1, 1, 0}, {2, 2, 0});
    host.AddElement(second);
    moved.Move({0, 100, 0});
    host.RewriteElement(moved);  // the same element twice in one step

    host.SendKeyin("undo mark");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), afterFirstStep);
    host.SendKeyin("undo mark");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), original);
    EXPECT_EQ(host.Journal().StepCount(), 0u);
}

TEST(UndoJournal, RedoReappliesTheUndoneStepsInTurn) {
    CadHost host = HostWithThreeLines();
    host.SendKeyin("mark");
    host.RemoveElement(host.GetElement(ActiveModelId, 3));
    const std::vector<Element> afterRemove = Contents(host.GetDrawing().activeModel);
    host.SendKeyin("mark");
    Element added = MakeLine({0, 0, 0}, {9, 9, 0});
    host.AddElement(added);
    Element changed = host.GetElement(ActiveModelId, 1);
    changed.symbology.colour = 7;
    host.RewriteElement(changed);
    const std::vector<Element> afterBoth = Contents(host.GetDrawing().activeModel);

    host.SendKeyin("undo mark");
    host.SendKeyin("undo mark");
    EXPECT_EQ(host.Journal().RedoCount(), 2u);
    host.SendKeyin("redo");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), afterRemove);
    host.SendKeyin("redo");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), afterBoth);
    EXPECT_EQ(host.GetElement(ActiveModelId, added.id), added);

    host.SendKeyin("redo");  // nothing left to redo
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), afterBoth);
}

TEST(UndoJournal, ANewChangeClearsWhatCouldBeRedone) {
    CadHost host = HostWithThreeLines();
    host.SendKeyin("mark");
    Element first = MakeLine({0, 0, 0}, {1, 0, 0});
    host.AddElement(first);
    host.SendKeyin("undo mark");
    ASSERT_EQ(host.Journal().RedoCount(), 1u);

    host.SendKeyin("mark");  // a mark alone is not a change
    EXPECT_EQ(host.Journal().RedoCount(), 1u);
    Element other = MakeLine({0, 5, 0}, {1, 5, 0});
    host.AddElement(other);
    EXPECT_EQ(host.Journal().RedoCount(), 0u);
    const std::vector<Element> now = Contents(host.GetDrawing().activeModel);
    host.SendKeyin("redo");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), now);
}

TEST(UndoJournal, UndoOfARemovalRestoresTheElementUnderItsOldId) {
    CadHost host = HostWithThreeLines();
    const Element removed = host.GetElement(ActiveModelId, 2);
    host.SendKeyin("mark");
    host.RemoveElement(removed);
    Element added = MakeLine({7, 7, 0}, {8, 8, 0});
    host.AddElement(added);
    EXPECT_EQ(added.id, 4);  // ids are never reused

    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetElement(ActiveModelId, 2), removed);
    EXPECT_EQ(Ids(Contents(host.GetDrawing().activeModel)), (std::vector<ElementId>{1, 2, 3}));
    // The restored element is in the spatial index again.
    ScanCriteria nearIt;
    nearIt.IncludeOnlyWithin(Range::FromPoint({25, 10, 0}));
    EXPECT_EQ(Ids(host.Scan(nearIt)), std::vector<ElementId>{2});
}

TEST(UndoJournal, AnEmptyStepRevertsNothingAndIsConsumed) {
    CadHost host = HostWithThreeLines();
    host.SendKeyin("mark");
    Element added = MakeLine({0, 0, 0}, {1, 1, 0});
    host.AddElement(added);
    host.SendKeyin("mark");  // a command that changed nothing
    const std::vector<Element> withLine = Contents(host.GetDrawing().activeModel);

    host.SendKeyin("undo mark");
    EXPECT_EQ(Contents(host.GetDrawing().activeModel), withLine);
    EXPECT_EQ(host.Journal().StepCount(), 1u);
    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetDrawing().activeModel.Find(added.id), nullptr);
    EXPECT_EQ(host.Journal().StepCount(), 0u);

    host.SendKeyin("undo mark");  // nothing left: the drawing stays as it is
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), 3u);
}

TEST(UndoJournal, ChangesBeforeAnyMarkAreOneImplicitStep) {
    CadHost host = HostWithThreeLines();
    Element a = MakeLine({0, 0, 0}, {1, 0, 0});
    Element b = MakeLine({0, 1, 0}, {1, 1, 0});
    host.AddElement(a);
    host.AddElement(b);
    host.SendKeyin("mark");
    Element c = MakeLine({0, 2, 0}, {1, 2, 0});
    host.AddElement(c);

    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), 5u);
    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetDrawing().activeModel.Size(), 3u);
}

TEST(UndoJournal, TheStepGuardClosesItsStepWhenTheBlockThrows) {
    CadHost host = HostWithThreeLines();
    Element inBlock = MakeLine({0, 0, 0}, {1, 0, 0});
    EXPECT_THROW(
        {
            UndoStepGuard step(host.Journal());
            host.AddElement(inBlock);
            throw std::runtime_error("command failed");
        },
        std::runtime_error);
    Element afterBlock = MakeLine({0, 1, 0}, {1, 1, 0});
    host.AddElement(afterBlock);

    // The change after the block is a step of its own, not part of the block's.
    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetDrawing().activeModel.Find(afterBlock.id), nullptr);
    EXPECT_NE(host.GetDrawing().activeModel.Find(inBlock.id), nullptr);
    host.SendKeyin("undo mark");
    EXPECT_EQ(host.GetDrawing().activeModel.Find(inBlock.id), nullptr);
}

TEST(UndoJournal, UndoAfterAFailedCommandRemovesWhatItHadWritten) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    const Element component = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {1, 0, 0}));
    CadHost host(std::move(drawing));

    host.SendKeyin("mark");
    Element label = MakeText("P-101", {3, 3, 0});
    host.AddElement(label);
    host.SelectElement(label);
    EXPECT_THROW(host.RewriteElement(component), HostError);

    host.SendKeyin("undo mark");
    EXPECT_TRUE(host.GetDrawing().activeModel.Empty());
    EXPECT_TRUE(host.SelectedElements().empty());  // the selection forgets undone elements
}

}  // namespace
}  // namespace zkl::cad
