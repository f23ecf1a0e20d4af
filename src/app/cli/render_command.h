// `zkl-labeller render SHEET.json -o OUT.svg`: draws a sheet as a picture.
#pragma once

#include "app/cli/command.h"

namespace zkl::app {

Command AddRenderCommand(CLI::App& program);

}  // namespace zkl::app
