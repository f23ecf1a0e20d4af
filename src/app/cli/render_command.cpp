#include "app/cli/render_command.h"

#include <filesystem>
#include <memory>

#include "app/cli/cli_support.h"
#include "io/atomic_file.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"

namespace zkl::app {

namespace {

struct RenderArguments {
    std::string sheet;
    std::string output;
};

void Render(const RenderArguments& arguments) {
    const cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    std::string svg;
    try {
        svg = io::RenderSvg(drawing);
    } catch (const std::exception& error) {
        throw std::runtime_error("cannot draw " + QuotedPath(arguments.sheet) + ": " + error.what());
    }
    io::WriteFileAtomically(arguments.output, svg);
}

}  // namespace

Command AddRenderCommand(CLI::App& program) {
    auto arguments = std::make_shared<RenderArguments>();
    CLI::App* render = program.add_subcommand("render", "Draw a sheet as an SVG picture");
    render->add_option("sheet", arguments->sheet, "The sheet file to draw (JSON)")->required();
    render->add_option("-o,--output", arguments->output, "The picture to write (FILE.svg)")
        ->required()
        ->check(CLI::Validator(CheckPictureName, "FILE.svg", "picture file name"));
    return {render, [arguments] { Render(*arguments); }};
}

}  // namespace zkl::app
