// The pictures a command can write of a drawing: SVG for screens, DXF for CAD programs, PDF
// for plotting. All three are drawn from one display list, built once per drawing however
// many pictures are asked for.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "io/atomic_file.h"
#include "io/display_list.h"

namespace zkl::app {

enum class PictureFormat { Svg, Dxf, Pdf };

// The format a file name's extension (any case) names, none for another extension.
std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& path);
// "svg", "dxf" or "pdf" (any case); none for anything else.
std::optional<PictureFormat> PictureFormatNamed(std::string_view name);
std::string_view ExtensionOf(PictureFormat format);  // ".svg", ".dxf", ".pdf"

// One picture a command is asked to write.
struct PictureRequest {
    PictureFormat format;
    std::string path;
};

// The --svg, --dxf and --pdf options of a command that writes a sheet.
struct PictureOptions {
    std::optional<std::string> svg;
    std::optional<std::string> dxf;
    std::optional<std::string> pdf;

    std::vector<PictureRequest> Requests() const;
};

// Adds the three options to `command`; `what` names what is drawn ("the result").
void AddPictureOptions(CLI::App& command, PictureOptions& options, const std::string& what);

// Stages every requested picture of the drawing in `outputs`. A drawing that cannot be drawn
// is reported as "cannot draw SOURCE: why".
void AddPictures(io::OutputSet& outputs, const cad::Drawing& drawing,
                 const std::vector<PictureRequest>& pictures, const std::string& source);

// CLI11 validators for option values: empty text when the path ends in the format's
// extension, else why not.
std::string CheckSvgName(const std::string& path);
std::string CheckDxfName(const std::string& path);
std::string CheckPdfName(const std::string& path);

}  // namespace zkl::app
