// The two item lists' Add, Revise and Remove/Cancel buttons follow the user's typing and
// choosing, edit the list as asked, and turn the label style into "Customized" until a
// real style is chosen again, which reloads the lists.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "dialog/dialog_fixture.h"

namespace zkl {
namespace {

using Entries = std::vector<std::string>;

// Both lists behave alike; every test runs on each.
struct ItemListNames {
    const char* combo;
    const char* add;
    const char* revise;
    const char* remove;
    void (FrmMain::*keyDown)(int, int);
    void (FrmMain::*click)();
    void (FrmMain::*addClick)();
    void (FrmMain::*reviseClick)();
    void (FrmMain::*removeClick)();
    int FrmMain::*currentIndex;
    Entries loaded;  // the list after the first style was loaded
};

const ItemListNames DimensionList{"cmbDimItems",
                                  "cmdDimItemsAdd",
                                  "cmdDimItemsRevise",
                                  "cmdDimItemsRemove",
                                  &FrmMain::cmbDimItems_KeyDown,
                                  &FrmMain::cmbDimItems_Click,
                                  &FrmMain::cmdDimItemsAdd_Click,
                                  &FrmMain::cmdDimItemsRevise_Click,
                                  &FrmMain::cmdDimItemsRemove_Click,
                                  &FrmMain::DimCurrentListIndex,
                                  {"general dim", "piping dim"}};
const ItemListNames LabelList{"cmbLabelItems",
                              "cmdLabelItemsAdd",
                              "cmdLabelItemsRevise",
                              "cmdLabelItemsRemove",
                              &FrmMain::cmbLabelItems_KeyDown,
                              &FrmMain::cmbLabelItems_Click,
                              &FrmMain::cmdLabelItemsAdd_Click,
                              &FrmMain::cmdLabelItemsRevise_Click,
                              &FrmMain::cmdLabelItemsRemove_Click,
                              &FrmMain::LabelCurrentListIndex,
                              {"general label", "piping label"}};

void PrintTo(const ItemListNames& names, std::ostream* out) { *out << names.combo; }

class ItemListEditing : public test::DialogTest, public ::testing::WithParamInterface<ItemListNames> {
protected:
    void SetUp() override { dialog = &Start(); }

    const ItemListNames& names() const { return GetParam(); }
    ComboBox& combo() { return dialog->Combo(names().combo); }
    const ControlRecord& add() { return dialog->Record(names().add); }
    const ControlRecord& revise() { return dialog->Record(names().revise); }
    const ControlRecord& remove() { return dialog->Record(names().remove); }
    int currentIndex() { return dialog->*names().currentIndex; }

    void Choose(int index) {
        combo().SetSelectedIndex(index);
        (dialog->*names().click)();
    }
    void TypeText(const std::string& text) {
        (dialog->*names().keyDown)(65, 0);
        combo().Type(text);
    }
    void PressAdd() { (dialog->*names().addClick)(); }
    void PressRevise() { (dialog->*names().reviseClick)(); }
    void PressRemove() { (dialog->*names().removeClick)(); }
    const ComboBox& styles() { return dialog->Combo("cmbDimStyle"); }

    FrmMain* dialog = nullptr;
};

TEST_P(ItemListEditing, ButtonStatesFollowTypingAndChoosing) {
    // Freshly loaded: only Remove is usable.
    EXPECT_FALSE(add().enabled);
    EXPECT_FALSE(revise().enabled);
    EXPECT_TRUE(remove().enabled);
    EXPECT_EQ(remove().caption, "Remove");

    Choose(0);
    EXPECT_EQ(currentIndex(), 0);
    TypeText("changed");
    EXPECT_TRUE(add().enabled);
    EXPECT_TRUE(revise().enabled);
    EXPECT_EQ(remove().caption, "Cancel");

    Choose(1);
    EXPECT_EQ(currentIndex(), 1);
    EXPECT_FALSE(add().enabled);
    EXPECT_FALSE(revise().enabled);
    EXPECT_EQ(remove().caption, "Remove");

    // Typing with no entry chosen: there is nothing to revise.
    combo().SetSelectedIndex(-1);
    TypeText("new row");
    EXPECT_TRUE(add().enabled);
    EXPECT_FALSE(revise().enabled);
    EXPECT_EQ(remove().caption, "Cancel");
    EXPECT_EQ(currentIndex(), 1);
}

TEST_P(ItemListEditing, AddAppendsAndSelectsTheTypedRow) {
    TypeText("piping dim");  // the same text as an entry may be added again
    PressAdd();
    Entries expected = names().loaded;
    expected.push_back("piping dim");
    EXPECT_EQ(combo().Entries(), expected);
    EXPECT_EQ(combo().SelectedIndex(), 2);
    EXPECT_FALSE(add().enabled);
    EXPECT_FALSE(revise().enabled);
    EXPECT_EQ(remove().caption, "Remove");
    EXPECT_EQ(styles().Value(), "Customized");
}

TEST_P(ItemListEditing, ReviseOverwritesTheChosenEntryInPlace) {
    Choose(0);
    TypeText("revised");
    PressRevise();
    EXPECT_EQ(combo().Entries(), (Entries{"revised", names().loaded[1]}));
    EXPECT_EQ(remove().caption, "Remove");
    EXPECT_FALSE(revise().enabled);
}

TEST_P(ItemListEditing, CancelRestoresTheRememberedEntry) {
    Choose(0);
    TypeText("abandoned");
    PressRemove();
    EXPECT_EQ(combo().Entries(), names().loaded);
    EXPECT_EQ(combo().Value(), names().loaded[0]);
    EXPECT_EQ(combo().SelectedIndex(), 0);
    EXPECT_EQ(remove().caption, "Remove");
    EXPECT_FALSE(add().enabled);
}

TEST_P(ItemListEditing, RemovingEveryEntryDisablesRemoveAndCancelThenEmptiesTheText) {
    PressRemove();
    EXPECT_EQ(combo().Entries(), Entries{names().loaded[0]});
    EXPECT_EQ(combo().SelectedIndex(), 0);
    EXPECT_TRUE(remove().enabled);
    PressRemove();
    EXPECT_EQ(combo().Count(), 0);
    EXPECT_EQ(currentIndex(), -1);
    EXPECT_FALSE(remove().enabled);

    TypeText("typed");
    EXPECT_TRUE(remove().enabled);
    PressRemove();  // Cancel with nothing remembered
    EXPECT_EQ(combo().Value(), "");
    EXPECT_EQ(combo().Count(), 0);
    EXPECT_FALSE(remove().enabled);
}

TEST_P(ItemListEditing, RemoveWithoutAChosenEntryLeavesTheListAlone) {
    combo().SetSelectedIndex(-1);
    PressRemove();
    EXPECT_EQ(combo().Entries(), names().loaded);
    EXPECT_EQ(combo().SelectedIndex(), 1);
    EXPECT_EQ(styles().Value(), "Customized");
}

TEST_P(ItemListEditing, AddOrReviseWithEmptyTextStillCustomises) {
    TypeText("");
    PressAdd();
    EXPECT_EQ(combo().Entries(), names().loaded);
    EXPECT_EQ(styles().Value(), "Customized");

    Choose(0);
    dialog->Combo("cmbDimStyle").SetValue("Piping");
    EXPECT_EQ(styles().Entries(), (Entries{"Piping", "Steel"}));
    TypeText("");
    PressRevise();
    EXPECT_EQ(combo().Entries(), names().loaded);
    EXPECT_EQ(styles().Value(), "Customized");
}

INSTANTIATE_TEST_SUITE_P(BothLists, ItemListEditing, ::testing::Values(DimensionList, LabelList),
                         [](const auto& info) { return std::string(info.param.combo); });

using LabelStyleChoice = test::DialogTest;

TEST_F(LabelStyleChoice, CustomizedIsAddedOnceAndDroppedWhenARealStyleIsChosen) {
    FrmMain& dialog = Start();
    dialog.cmbDimItems_KeyDown(65, 0);
    dialog.Combo("cmbDimItems").Type("extra dim");
    dialog.cmdDimItemsAdd_Click();
    dialog.cmbLabelItems_KeyDown(65, 0);
    dialog.Combo("cmbLabelItems").Type("extra label");
    dialog.cmdLabelItemsAdd_Click();

    const ComboBox& styles = dialog.Combo("cmbDimStyle");
    EXPECT_EQ(styles.Entries(), (Entries{"Piping", "Steel", "Customized"}));
    EXPECT_EQ(styles.SelectedIndex(), 2);
    // "Customized" loads nothing: the edits stay.
    EXPECT_EQ(dialog.Combo("cmbDimItems").Count(), 3);

    dialog.Text("txtTextWidth").text = "9";
    dialog.Combo("cmbDimStyle").SetSelectedIndex(1);
    EXPECT_EQ(styles.Entries(), (Entries{"Piping", "Steel"}));
    EXPECT_EQ(styles.Value(), "Steel");
    EXPECT_EQ(dialog.Combo("cmbDimItems").Entries(), Entries{"general dim"});
    EXPECT_EQ(dialog.Combo("cmbLabelItems").Entries(), (Entries{"general label", "steel label"}));
    EXPECT_EQ(dialog.Combo("cmbLabelItems").Value(), "steel label");
    EXPECT_EQ(dialog.Text("txtTextWidth").text, "1.5");
    // Keys the new style does not set keep what the previous load left.
    EXPECT_EQ(dialog.Text("txtTextHeight").text, "2.5");
}

TEST_F(LabelStyleChoice, EditingWithoutLabelStylesCustomisesTheEmptyList) {
    FrmMain& dialog = Start("DIMITEMS = only row\n");
    dialog.cmdDimItemsRemove_Click();
    EXPECT_EQ(dialog.Combo("cmbDimStyle").Entries(), Entries{"Customized"});
    EXPECT_EQ(dialog.Combo("cmbDimStyle").SelectedIndex(), 0);
    EXPECT_EQ(dialog.Combo("cmbDimItems").Count(), 0);
}

TEST_F(LabelStyleChoice, FailedReloadLeavesBothItemListsCleared) {
    FrmMain& dialog = Start();
    std::filesystem::remove(folder / "ZKL_Labeller.ini");
    EXPECT_ANY_THROW(dialog.Combo("cmbDimStyle").SetSelectedIndex(1));
    EXPECT_EQ(dialog.Combo("cmbDimItems").Count(), 0);
    EXPECT_EQ(dialog.Combo("cmbLabelItems").Count(), 0);
}

}  // namespace
}  // namespace zkl
