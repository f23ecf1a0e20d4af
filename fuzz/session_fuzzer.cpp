// An interactive command on the example sheet, driven by any input script: the first byte
// picks the command (manual, semi-automatic, pipeline, equipment, revise dimensions), the
// rest is the script, as `zkl-labeller run` feeds it. Picks anywhere, key-ins of any text,
// resets at any prompt and undo in any order must end the command or end in an error a
// user can read, never in a crash or a hang, and the sheet left saves and loads again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "cad/cad_host.h"
#include "cad/input_source.h"
#include "command_checks.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/input_script.h"
#include "io/sheet_file.h"
#include "settings/labeller_module.h"

namespace zkl::fuzz {
namespace {

const std::filesystem::path Folder = ZKL_EXAMPLES_DIR;

const std::string& ExampleSheet() {
    static const std::string text = [] {
        std::ifstream file(Folder / "demo_sheet.json", std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }();
    return text;
}

constexpr std::array<void (FrmMain::*)(), 5> Commands{&FrmMain::cmdManual_Click, &FrmMain::cmdSemiAuto_Click,
                                                      &FrmMain::cmdPipeline_Click, &FrmMain::cmdEquip_Click,
                                                      &FrmMain::cmdReviseDim_Click};

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    if (size == 0) return 0;
    std::vector<Input> inputs;
    try {
        inputs = io::ParseInputScript(AsText(data + 1, size - 1), "fuzz.txt");
    } catch (const io::InputScriptError&) {
        return 0;
    }
    cad::Drawing drawing = io::ParseSheet(ExampleSheet(), "demo_sheet.json", Folder);
    auto source = std::make_shared<cad::ScriptedInputSource>(std::deque<Input>(inputs.begin(), inputs.end()));
    cad::CadHost host(std::move(drawing));
    host.SetInputSource(source);
    mdlOPM_Labeller module(host);
    clsOPM_Labeller labeller(module, MakeDialogCommands(module));
    labeller.Start_Labeller();
    if (!RunsOrRefuses([&] { (module.dialog.get()->*Commands[data[0] % Commands.size()])(); })) return 0;
    CheckSavesAndLoads(host.GetDrawing(), Folder);
    return 0;
}
