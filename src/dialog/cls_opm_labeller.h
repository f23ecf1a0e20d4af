// The add-in's one public class: Start_Labeller opens the main dialog. The dialog is
// created on the first call and kept in the module, so later calls show the same dialog
// with what the user left in it. The module and the commands are the caller's.
#pragma once

#include "dialog/dialog_commands.h"
#include "settings/labeller_module.h"

namespace zkl {

class clsOPM_Labeller {
public:
    clsOPM_Labeller(mdlOPM_Labeller& module, DialogCommands commands);

    // Creates and initialises the dialog if there is none, then shows it. An error during
    // initialisation goes on to the caller and leaves the dialog hidden; it stays in the
    // module, partly filled, and the next call shows it without initialising it again.
    void Start_Labeller();

private:
    mdlOPM_Labeller& module_;
    DialogCommands commands_;
};

}  // namespace zkl
