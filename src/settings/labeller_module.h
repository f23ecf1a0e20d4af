// The labeller's shared state while it is loaded: the host, the main dialog (created on
// first use), the settings record and the list of properties that could not be read. One
// object, passed to every command; nothing else is kept between commands.
#pragma once

#include <memory>
#include <string>

#include "host/host.h"
#include "settings/labeller_settings.h"
#include "settings/placement_options.h"

namespace zkl {

class FrmMain;

struct mdlOPM_Labeller {
    explicit mdlOPM_Labeller(Host& hostToUse) : host(hostToUse) {}

    Host& host;
    std::shared_ptr<FrmMain> dialog;
    LabellerSettings settings;  // its DimMode is the dimension mode commands share
    // Set by the caller of Automatic Place (the configuration file and command line); no
    // command changes it.
    PlacementOptions placement;
    // Access strings that could not be read, each followed by a comma; "," when none.
    std::string invalidPropertyList = ",";
};

}  // namespace zkl
