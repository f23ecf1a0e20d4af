// A main dialog on our drawing engine: a design file with a few styles and levels, and a
// configuration file written into a fresh temporary folder beside the macro project.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "cad/cad_host.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"

namespace zkl::test {

// Two label styles; the general part names a level used for both shapes and labels.
inline constexpr const char* TwoStyleConfiguration =
    "[GENERAL]\n"
    "DIMSTYLENAME = DimA\n"
    "TEXTSTYLENAME = TextB\n"
    "DIMLEVELNAME = Shared\n"
    "SHAPELEVELNAME = Shared\n"
    "TEXTHEIGHT = 2.5\n"
    "DIMITEMS = general dim\n"
    "LABELITEMS = general label\n"
    "LABEL STYLE = Piping\n"
    "DIMITEMS = piping dim\n"
    "LABELITEMS = piping label\n"
    "TEXTHEIGHT = 3\n"
    "LABEL STYLE = Steel\n"
    "LABELITEMS = steel label\n"
    "TEXTWIDTH = 1.5\n";

inline cad::Drawing DialogDrawing(const std::filesystem::path& folder) {
    cad::Drawing drawing;
    drawing.levels = {{1, "Default"}, {2, "Shared"}, {3, ""}, {4, "Border"}};
    drawing.textStyles = {{"TextA", 2.5, 2.0, "monospace"}, {"TextB", 2.5, 2.0, "monospace"}};
    drawing.dimensionStyles = {DimensionStyle{"DimA", 2.5, 0, {}}, DimensionStyle{"", 2.5, 0, {}},
                               DimensionStyle{"DimB", 2.5, 0, {}}};
    drawing.macroProjectPath = (folder / "ZKL_Labeller.mvba").string();
    return drawing;
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 (std::string("zkl_dialog_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        host = std::make_unique<cad::CadHost>(DialogDrawing(folder));
        module = std::make_unique<mdlOPM_Labeller>(*host);
    }
    ~DialogTest() override { std::filesystem::remove_all(folder); }

    void WriteConfiguration(const std::string& text) const {
        std::ofstream(folder / "ZKL_Labeller.ini", std::ios::binary) << text;
    }

    // Writes the configuration, starts the labeller and returns its dialog.
    FrmMain& Start(const std::string& configuration = TwoStyleConfiguration) {
        WriteConfiguration(configuration);
        labeller = std::make_unique<clsOPM_Labeller>(*module, commands);
        labeller->Start_Labeller();
        return *module->dialog;
    }

    std::filesystem::path folder;
    std::unique_ptr<cad::CadHost> host;
    std::unique_ptr<mdlOPM_Labeller> module;
    DialogCommands commands;
    std::unique_ptr<clsOPM_Labeller> labeller;
};

}  // namespace zkl::test
