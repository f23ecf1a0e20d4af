#include "app/cli/render_command.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "app/cli/cli_support.h"
#include "app/cli/picture_output.h"
#include "io/atomic_file.h"
#include "io/sheet_file.h"

namespace zkl::app {

namespace {

struct RenderArguments {
    std::string sheet;
    std::string output;
    std::optional<std::string> format;
};

void Render(const RenderArguments& arguments) {
    std::optional<PictureFormat> format;
    if (arguments.format) {
        format = PictureFormatNamed(*arguments.format);
        if (!format)
            throw UsageError("--format " + QuotedPath(*arguments.format) + " is not one of svg, dxf, pdf");
    } else {
        format = PictureFormatOf(arguments.output);
        if (!format)
            throw UsageError(QuotedPath(arguments.output) +
                             " is not a .svg, .dxf or .pdf file name; name the format with --format");
    }
    io::CheckOutputPath(arguments.output);
    const cad::Drawing drawing = io::LoadSheet(arguments.sheet);
    io::OutputSet written;
    AddPictures(written, drawing, {{*format, arguments.output}}, arguments.sheet);
    written.Commit();
}

}  // namespace

Command AddRenderCommand(CLI::App& program) {
    auto arguments = std::make_shared<RenderArguments>();
    CLI::App* render = program.add_subcommand("render", "Draw a sheet as SVG, DXF or PDF");
    render->add_option("sheet", arguments->sheet, "The sheet file to draw (JSON)")->required();
    render
        ->add_option("-o,--output", arguments->output,
                     "The drawing to write: FILE.svg, FILE.dxf or FILE.pdf (the format by the extension)")
        ->required();
    render->add_option("--format", arguments->format, "svg, dxf or pdf, whatever the output's extension");
    return {render, [arguments] { Render(*arguments); }};
}

}  // namespace zkl::app
