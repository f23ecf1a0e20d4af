// Guards how a command copies the main dialog into the settings and the two row lists:
// conversions that end the copy, list entries that become rows, and the messages for
// faulty entries.
#include "settings/read_settings_from_dialog.h"

#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "host/numbers.h"
#include "settings/fake_settings_dialog.h"

namespace zkl {
namespace {

using Box = cad::RecordingPrompter::Box;

class ReadSettingsFromDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_.SetPrompter(prompter_);
        dialog_.texts = {{"txtIgnoreDN", "25"},
                         {"txtPlantOriginOffset", "1, 2, 3"},
                         {"txtLabelDistance1", "12"},
                         {"txtLabelDistance2", "6"},
                         {"txtStepDistance", "5"},
                         {"txtDimHeight", "8"},
                         {"txtUnderlineDistance", "0.8"},
                         {"txtTextHeight", " 2.5 "},
                         {"txtTextWidth", "2"},
                         {"txtLineLabelFormat", "[PIPELINE]"},
                         {"txtEquipLabelFormat", "[NAME]"},
                         {"txtLabelFrameStyle", "1"},
                         {"txtGridCellName", "GRID*"},
                         {"txtDimMode", "2"}};
        dialog_.values = {
            {"cmbDimStyleName", "ZKL_Dim"}, {"cmbTextStyle", "ZKL_Text"}, {"cmbDimLevel", "Labels"}};
    }
    void Read() { ReadSettingsFromDialog(module_, dialog_, labelItems_, dimItems_); }

    cad::CadHost host_{cad::Drawing{}};
    std::shared_ptr<cad::RecordingPrompter> prompter_ = std::make_shared<cad::RecordingPrompter>();
    mdlOPM_Labeller module_{host_};
    testing::FakeSettingsDialog dialog_;
    ItemRows labelItems_{{"old", "", "", 0, ""}, {"older", "", "", 0, ""}};
    ItemRows dimItems_{{"old", "", "", 0, ""}};
};

TEST_F(ReadSettingsFromDialogTest, ControlsFillTheSettingsAndEmptyListsGiveOneEmptyRow) {
    module_.invalidPropertyList = ",NAME,";
    Read();
    // The shape level list has no selection: its value is empty text.
    const LabellerSettings expected{25, "ZKL_Dim", "ZKL_Text", "Labels",     "1, 2, 3", 12,  6,  0.8, 2.5,
                                    2,  8,         "GRID*",    "[PIPELINE]", "[NAME]",  "1", "", 2,   5};
    EXPECT_EQ(module_.settings, expected);
    EXPECT_EQ(labelItems_, ItemRows(1));
    EXPECT_EQ(dimItems_, ItemRows(1));
    EXPECT_EQ(module_.invalidPropertyList, ",");
    EXPECT_TRUE(prompter_->Boxes().empty());
}

TEST_F(ReadSettingsFromDialogTest, EntriesBecomeRowsAndFaultyOnesAreReportedByPosition) {
    dialog_.lists["cmbLabelItems"] = {"A ; B ;C; 1 ;STRAIGHT", "A;B;C;x;TEE", "A;B",
                                      "P;Q;R;2;ECC;extra;more"};
    dialog_.lists["cmbDimItems"] = {";first;;0;", "D;E;F;3"};
    Read();
    EXPECT_EQ(labelItems_, (ItemRows{{"A", "B", "C", 1, "STRAIGHT"},
                                     {"A", "B", "C", 0, "TEE"},
                                     {"A", "B", "", 0, ""},
                                     {"P", "Q", "R", 2, "ECC"}}));
    // Unlike the file, the dialog keeps an entry without match format as a row of its own.
    EXPECT_EQ(dimItems_, (ItemRows{{"", "first", "", 0, ""}, {"D", "E", "F", 3, ""}}));
    EXPECT_EQ(prompter_->Boxes(),
              (std::vector<Box>{{"Error!", "Please check dimension items row 2\rD\rE\rF\r3"},
                                {"Error!", "Please check label items row 2\rA\rB\rC\rx\rTEE"},
                                {"Error!", "Please check label items row 3\rA\rB"}}));
}

TEST_F(ReadSettingsFromDialogTest, ABoxThatDoesNotConvertEndsTheCopyAndNamesTheBox) {
    const struct {
        std::string control;
        std::string text;
    } cases[] = {{"txtIgnoreDN", ""},
                 {"txtTextHeight", "2,5"},
                 {"txtDimMode", "32768"},
                 {"txtTextWidth", "x"},
                 {"txtStepDistance", "5 mm"}};
    for (const auto& c : cases) {
        testing::FakeSettingsDialog dialog = dialog_;
        dialog.texts[c.control] = c.text;
        dialog.lists["cmbLabelItems"] = {"A;B;C;0;TEE"};
        try {
            ReadSettingsFromDialog(module_, dialog, labelItems_, dimItems_);
            ADD_FAILURE() << c.control << " accepted " << c.text;
        } catch (const ConversionError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(c.control + ": ")) << error.what();
        }
    }
    // Fields copied before the failing box keep their new values; later ones are untouched.
    module_.settings = LabellerSettings{};
    dialog_.texts["txtTextWidth"] = "x";
    EXPECT_THROW(Read(), ConversionError);
    EXPECT_EQ(module_.settings.TextHeight, 2.5);
    EXPECT_EQ(module_.settings.TextWidth, 0);
    EXPECT_EQ(module_.settings.LineLabelFormat, "");
}

}  // namespace
}  // namespace zkl
