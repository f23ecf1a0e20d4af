#include "dialog/cls_opm_labeller.h"

#include <memory>
#include <utility>

#include "dialog/frm_main.h"

namespace zkl {

clsOPM_Labeller::clsOPM_Labeller(mdlOPM_Labeller& module, DialogCommands commands)
    : module_(module), commands_(std::move(commands)) {}

void clsOPM_Labeller::Start_Labeller() {
    if (!module_.dialog) {
        module_.dialog = std::make_shared<FrmMain>(module_, commands_);
        module_.dialog->Initialise();
    }
    module_.dialog->Show();
}

}  // namespace zkl
