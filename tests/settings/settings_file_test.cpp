// Guards the configuration-file loader: comments, keys and values, sections, the two
// modes, faulty rows and numbers, line endings, code pages and the missing-file error.
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "cad/cad_host.h"
#include "host/numbers.h"
#include "settings/fake_settings_dialog.h"

namespace zkl {
namespace {

namespace fs = std::filesystem;
using Box = cad::RecordingPrompter::Box;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("zkl_settings_test_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        host_.GetDrawing().macroProjectPath = (folder_ / "Labeller.mvba").string();
        host_.SetPrompter(prompter_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void WriteConfiguration(const std::string& bytes) const {
        std::ofstream out(folder_ / "ZKL_Labeller.ini", std::ios::binary);
        out << bytes;
    }
    void LoadSettings(const std::string& bytes, std::string_view style = "") {
        WriteConfiguration(bytes);
        LoadSettingsFile(module_, nullptr, labelItems_, dimItems_, style, true);
    }
    void LoadDialog(const std::string& bytes, std::string_view style = "") {
        WriteConfiguration(bytes);
        LoadSettingsFile(module_, &dialog_, labelItems_, dimItems_, style, false);
    }
    const std::vector<Box>& Boxes() const { return prompter_->Boxes(); }

    fs::path folder_;
    cad::CadHost host_{cad::Drawing{}};
    std::shared_ptr<cad::RecordingPrompter> prompter_ = std::make_shared<cad::RecordingPrompter>();
    mdlOPM_Labeller module_{host_};
    testing::FakeSettingsDialog dialog_;
    ItemRows labelItems_{{"old", "", "", 0, ""}, {"older", "", "", 0, ""}};
    ItemRows dimItems_{{"old", "", "", 0, ""}};
};

TEST(ConfigurationFilePath, FolderEndsAtTheLastSlashOfEitherKind) {
    EXPECT_EQ(ConfigurationFilePath("C:\\Projects\\Plant\\Labeller.mvba"),
              "C:\\Projects\\Plant\\ZKL_Labeller.ini");
    EXPECT_EQ(ConfigurationFilePath("/home/cad/macros/Labeller.mvba"), "/home/cad/macros/ZKL_Labeller.ini");
    EXPECT_EQ(ConfigurationFilePath("/home/cad\\odd/Labeller.mvba"), "/home/cad\\odd/ZKL_Labeller.ini");
    EXPECT_EQ(ConfigurationFilePath("Labeller.mvba"), "ZKL_Labeller.ini");
}

TEST_F(SettingsFile, CommentsKeysAndValuesAreReadAsWritten) {
    LoadSettings(
        "  # TEXTHEIGHT=9\n"
        "  textheight = 2.5  \n"
        "LineLabelFormat=x=y\n"
        "GRIDCELLNAME = GRID# 1\n"
        "PLANTORIGINOFFSET = 100, 200 , 300\n"
        "UNKNOWNKEY=whatever\n"
        "\n"
        "labelitems = A;B;C;0;STRAIGHT\n");
    EXPECT_EQ(module_.settings.TextHeight, 2.5);
    EXPECT_EQ(module_.settings.LineLabelFormat, "x=y");
    EXPECT_EQ(module_.settings.GridCellName, "GRID# 1");  // "#" after the start is value
    EXPECT_EQ(module_.settings.PlantOriginOffset, "100,200,300");
    EXPECT_EQ(labelItems_, (ItemRows{{"A", "B", "C", 0, "STRAIGHT"}}));
    EXPECT_EQ(dimItems_, ItemRows(1));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsFile, EveryKeyFillsItsField) {
    LoadSettings(
        "IGNOREDN=25\nDIMSTYLENAME=D\nTEXTSTYLENAME=T\nDIMLEVELNAME=L\nPLANTORIGINOFFSET=1,2,3\n"
        "LABELDISTANCE1=11\nLABELDISTANCE2=12\nUNDERLINEDISTANCE=0.5\nTEXTHEIGHT=2\nTEXTWIDTH=1.5\n"
        "DIMHEIGHT=8\nGRIDCELLNAME=G*\nLINELABELFORMAT=[P]\nEQUIPMENTLABELFORMAT=[N]\nLABELFRAMESTYLE=3\n"
        "SHAPELEVELNAME=S\nDIMMODE=2.5\nSTEPDISTANCE=4\n");
    const LabellerSettings expected{25,  "D", "T",  "L",   "1,2,3", 11,  12,  0.5, 2,
                                    1.5, 8,   "G*", "[P]", "[N]",   "3", "S", 2,   4};
    EXPECT_EQ(module_.settings, expected);
}

TEST_F(SettingsFile, StyleSectionsApplyByNameIgnoringCaseAndRepeatedSectionsBothApply) {
    const std::string file =
        "LABELITEMS=g1;p;f;0;STRAIGHT\n"
        "TEXTHEIGHT=1\n"
        "LABELITEMS=g2;p;f;0;STRAIGHT\n"
        "LABEL STYLE=Piping\n"
        "TEXTHEIGHT=2\n"
        "LABELITEMS=piping1;p;f;0;STRAIGHT\n"
        "LABEL STYLE=Equipment\n"
        "[GENERAL]\n"  // only a heading: the Equipment section goes on
        "TEXTHEIGHT=3\n"
        "LABELITEMS=equipment;p;f;0;EQUIPMENT\n"
        "label style = piping\n"
        "LABELITEMS=piping2;p;f;0;STRAIGHT\n"
        "LABEL STYLE=\n"  // nameless, but a style all the same
        "LABELITEMS=nameless;p;f;0;STRAIGHT\n";
    auto formats = [&] {
        std::vector<std::string> names;
        for (const ItemRow& row : labelItems_) names.push_back(row.MatchFormat);
        return names;
    };

    LoadSettings(file, "PIPING");
    EXPECT_EQ(formats(), (std::vector<std::string>{"g1", "g2", "piping1", "piping2"}));
    EXPECT_EQ(module_.settings.TextHeight, 2);

    LoadSettings(file, "equipment");
    EXPECT_EQ(formats(), (std::vector<std::string>{"g1", "g2", "equipment"}));
    EXPECT_EQ(module_.settings.TextHeight, 3);

    LoadSettings(file, "");
    EXPECT_EQ(formats(), (std::vector<std::string>{"g1", "g2"}));
    EXPECT_EQ(module_.settings.TextHeight, 1);
}

TEST_F(SettingsFile, KeysMissingFromALoadKeepTheEarlierValue) {
    module_.settings.TextWidth = 7;
    module_.invalidPropertyList = ",NAME,";
    LoadSettings("TEXTHEIGHT=2\n");
    EXPECT_EQ(module_.settings.TextWidth, 7);
    EXPECT_EQ(module_.invalidPropertyList, ",");
}

TEST_F(SettingsFile, DialogModeFillsControlsListsAndOnlyTheFourNames) {
    module_.settings.TextHeight = 9;
    module_.settings.PlantOriginOffset = "5,5,5";
    LoadDialog(
        "TEXTHEIGHT=2.5 # not checked here\n"
        "DIMSTYLENAME=Dims\nTEXTSTYLENAME=Texts\nDIMLEVELNAME=Labels\nSHAPELEVELNAME=Borders\n"
        "PLANTORIGINOFFSET=1, 2, 3\n"
        "DIMMODE=1\n"
        "LABELITEMS=A;B\n"
        "DIMITEMS=D;E;F;0;TEE\n"
        "LABEL STYLE=Piping\n"
        "TEXTWIDTH=2\n"
        "LABEL STYLE=Equipment\n"
        "LABEL STYLE=Piping\n");
    EXPECT_EQ(dialog_.writes,
              (std::vector<std::string>{"txtTextHeight=2.5 # not checked here", "txtDimMode=1",
                                        "cmbLabelItems+A;B", "cmbDimItems+D;E;F;0;TEE", "cmbDimStyle+Piping",
                                        "cmbDimStyle+Equipment", "cmbDimStyle+Piping"}));
    EXPECT_EQ(module_.settings.DimStyleName, "Dims");
    EXPECT_EQ(module_.settings.TextStyleName, "Texts");
    EXPECT_EQ(module_.settings.DimLevelName, "Labels");
    EXPECT_EQ(module_.settings.ShapeLevelName, "Borders");
    EXPECT_EQ(module_.settings.TextHeight, 9);
    EXPECT_EQ(module_.settings.PlantOriginOffset, "5,5,5");
    EXPECT_EQ(labelItems_, ItemRows(1));
    EXPECT_EQ(dimItems_, ItemRows(1));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsFile, DialogModeWithAStyleDoesNotListTheStyles) {
    LoadDialog("LABEL STYLE=Piping\nTEXTWIDTH=2\nLABEL STYLE=Other\nTEXTWIDTH=3\n", "Piping");
    EXPECT_EQ(dialog_.writes, (std::vector<std::string>{"txtTextWidth=2"}));
}

TEST_F(SettingsFile, FaultyRowsAreReportedByFileLineAndTheLoadGoesOn) {
    LoadSettings(
        "# rows\n"
        "LABELITEMS=A;B;C\n"
        "LABELITEMS=D;E;F;x;TEE\n"
        "DIMITEMS=\n"
        "TEXTHEIGHT=4\n");
    EXPECT_EQ(labelItems_, (ItemRows{{"A", "B", "C", 0, ""}, {"D", "E", "F", 0, "TEE"}}));
    EXPECT_EQ(dimItems_, ItemRows(1));
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Error!", "Please check row 2\rA\rB\rC"},
                                         {"Error!", "Please check row 3\rD\rE\rF\rx\rTEE"},
                                         {"Error!", "Please check row 4\r"}}));
    EXPECT_EQ(module_.settings.TextHeight, 4);
}

TEST_F(SettingsFile, RowsStayInTheFirstSlotWhileItsMatchFormatIsEmpty) {
    // The first slot counts as the list's unused initial row until it has a match format.
    LoadSettings("LABELITEMS= ;first;;0;\nLABELITEMS=A;second;;0;\nLABELITEMS=B;third;;0;\n");
    EXPECT_EQ(labelItems_, (ItemRows{{"A", "second", "", 0, ""}, {"B", "third", "", 0, ""}}));
}

TEST_F(SettingsFile, ANumberThatDoesNotConvertEndsTheLoadNamingLineAndKey) {
    module_.settings.TextWidth = 7;
    WriteConfiguration("TEXTHEIGHT=2\nLABELITEMS=A;B;C;0;TEE\n\nTEXTHEIGHT=2.5 # big\nTEXTWIDTH=3\n");
    try {
        LoadSettingsFile(module_, nullptr, labelItems_, dimItems_, "", true);
        FAIL() << "the load went on";
    } catch (const ConversionError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "ZKL_Labeller.ini line 4: TEXTHEIGHT: cannot convert \"2.5 # big\" to a number");
    }
    EXPECT_EQ(module_.settings.TextHeight, 2);
    EXPECT_EQ(module_.settings.TextWidth, 7);
    EXPECT_EQ(labelItems_, (ItemRows{{"A", "B", "C", 0, "TEE"}}));

    for (const std::string bad : {"DIMMODE=40000\n", "DIMMODE=\n", "IGNOREDN=1,5\n"}) {
        WriteConfiguration(bad);
        EXPECT_THROW(LoadSettingsFile(module_, nullptr, labelItems_, dimItems_, "", true), ConversionError)
            << bad;
    }
}

TEST_F(SettingsFile, LinesEndAtCrCrLfOrLfAndTheRowNumberCountsEveryLine) {
    for (const std::string ending : {"\n", "\r", "\r\n"}) {
        LoadSettings("# comment" + ending + ending + "TEXTHEIGHT=3" + ending + "LABELITEMS=A;B" + ending);
        EXPECT_EQ(module_.settings.TextHeight, 3);
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ(Boxes().back().text, "Please check row 4\rA\rB");
    }
}

TEST_F(SettingsFile, AWindows1252FileIsReadAsUtf8) {
    std::ifstream in(std::string(ZKL_TEST_DATA_DIR) + "/settings_windows1252.ini", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty());
    LoadSettings(bytes, "Rohrleitung");
    EXPECT_EQ(module_.settings.LineLabelFormat,
              "[PIPELINE]&\" \xE2\x80\x93 \"&[NOMINAL_DIAMETER]&\" \xC3\x98\"");
    EXPECT_EQ(module_.settings.TextHeight, 3);
    EXPECT_EQ(labelItems_.front().LabelFormat,
              "\"Gr\xC3\xB6\xC3\x9F"
              "e \"&[NOMINAL_DIAMETER]");
}

TEST_F(SettingsFile, AMissingFileIsAnErrorNamingTheFullPath) {
    try {
        LoadSettingsFile(module_, nullptr, labelItems_, dimItems_, "", true);
        FAIL() << "no error";
    } catch (const SettingsFileError& error) {
        EXPECT_NE(std::string(error.what()).find((folder_ / "ZKL_Labeller.ini").string()), std::string::npos)
            << error.what();
    }
    // The lists are already reset when the open fails.
    EXPECT_EQ(labelItems_, ItemRows(1));
}

TEST_F(SettingsFile, MessagesStayOnOneLineWhateverTheFileNameAndValuesHold) {
    struct Case {
        const char* what;
        std::string name;
        std::function<void(const fs::path&)> make;
        std::string message;  // "F" stands for the test's folder
    };
    const std::vector<Case> cases{
        {"number in a file with a line break in its name", "odd\nname \"1\".ini",
         [](const fs::path& file) { std::ofstream(file) << "# one\nTEXTHEIGHT=big\t\a\n"; },
         "odd\\nname \\\"1\\\".ini line 2: TEXTHEIGHT: cannot convert \"big\\t\\u0007\" to a number"},
        {"folder", "conf\ndir", [](const fs::path& file) { fs::create_directory(file); },
         "cannot read the configuration file 'F/conf\\ndir': it is a folder"},
        {"missing file", "gone\n.ini", [](const fs::path&) {},
         "cannot read the configuration file 'F/gone\\n.ini': No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make(folder_ / c.name);
        std::string expected;
        for (const char ch : c.message) expected += ch == 'F' ? folder_.string() : std::string(1, ch);
        try {
            LoadSettingsFile(folder_ / c.name, module_, nullptr, labelItems_, dimItems_, "", true);
            ADD_FAILURE() << "loaded";
        } catch (const std::exception& error) {
            EXPECT_EQ(error.what(), expected);
        }
    }
}

TEST_F(SettingsFile, DialogModeNeedsADialog) {
    WriteConfiguration("TEXTHEIGHT=1\n");
    EXPECT_THROW(LoadSettingsFile(module_, nullptr, labelItems_, dimItems_, "", false),
                 std::invalid_argument);
}

TEST(SettingsExample, TheShippedConfigurationLoadsWithoutMessagesInEveryStyle) {
    cad::CadHost host{cad::Drawing{}};
    auto prompter = std::make_shared<cad::RecordingPrompter>();
    host.SetPrompter(prompter);
    mdlOPM_Labeller module(host);
    ItemRows labelItems;
    ItemRows dimItems;
    const fs::path file = fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.ini";
    LoadSettingsFile(file, module, nullptr, labelItems, dimItems, "", true);
    EXPECT_EQ(module.settings.DimStyleName, "ZKL_Dim");
    EXPECT_EQ(module.settings.ShapeLevelName, "ZKL_Border");
    EXPECT_GE(labelItems.size(), 5u);
    EXPECT_GE(dimItems.size(), 2u);

    testing::FakeSettingsDialog dialog;
    LoadSettingsFile(file, module, &dialog, labelItems, dimItems, "", false);
    EXPECT_EQ(dialog.lists["cmbDimStyle"], (std::vector<std::string>{"Piping", "Equipment"}));
    for (const std::string& style : dialog.lists["cmbDimStyle"])
        LoadSettingsFile(file, module, nullptr, labelItems, dimItems, style, true);
    EXPECT_TRUE(prompter->Boxes().empty());
}

}  // namespace
}  // namespace zkl
