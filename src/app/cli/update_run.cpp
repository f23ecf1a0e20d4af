#include "app/cli/update_run.h"

#include "app/cli/cli_support.h"

namespace zkl::app {

UpdateResult RunUpdate(mdlOPM_Labeller& module, cad::CadHost& host, const std::optional<std::string>& keyinArguments,
                       const std::string& sheetName, const PlacementProgress& progress) {
    const bool withArguments = keyinArguments && !keyinArguments->empty();
    if (withArguments) host.SetKeyinArguments(*keyinArguments);
    return RunUpdateCommand(module, withArguments, sheetName.empty() ? "" : QuotedPath(sheetName), progress);
}

}  // namespace zkl::app
