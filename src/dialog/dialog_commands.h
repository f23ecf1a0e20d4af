// The commands the main dialog's buttons start, handed to the dialog as callables so that
// the dialog does not depend on the command code (and tests can put probes in). Each does
// nothing unless set. A command that fails throws; the dialog lets the error through.
#pragma once

#include <functional>

namespace zkl {

struct DialogCommands {
    std::function<void(bool placeDimensions, bool placeLabels)> automatic = [](bool, bool) {};
    std::function<void()> semiAutomatic = [] {};
    // labelMode 0 manual, 1 pipeline, 2 equipment.
    std::function<void(int labelMode)> manual = [](int) {};
    std::function<void()> reviseDimension = [] {};
};

}  // namespace zkl
