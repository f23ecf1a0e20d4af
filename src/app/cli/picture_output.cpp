#include "app/cli/picture_output.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "app/cli/cli_support.h"
#include "io/dxf_writer.h"
#include "io/pdf_renderer.h"
#include "io/svg_renderer.h"

namespace zkl::app {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Render(const cad::Drawing& drawing, const io::DisplayList& list, PictureFormat format) {
    switch (format) {
        case PictureFormat::Svg:
            return io::RenderSvg(list);
        case PictureFormat::Dxf:
            return io::RenderDxf(drawing, list);
        case PictureFormat::Pdf:
            return io::RenderPdf(list);
    }
    throw std::logic_error("unknown picture format");
}

std::string CheckName(const std::string& path, PictureFormat format, std::string_view what) {
    if (PictureFormatOf(path) == format) return "";
    const std::string extension(ExtensionOf(format));
    return QuotedPath(path) + " is not a " + extension + " file name; " + std::string(what) + " (FILE" +
           extension + ")";
}

}  // namespace

std::optional<PictureFormat> PictureFormatOf(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension.empty() ? std::nullopt : PictureFormatNamed(std::string_view(extension).substr(1));
}

std::optional<PictureFormat> PictureFormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "svg") return PictureFormat::Svg;
    if (lower == "dxf") return PictureFormat::Dxf;
    if (lower == "pdf") return PictureFormat::Pdf;
    return std::nullopt;
}

std::string_view ExtensionOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Svg:
            return ".svg";
        case PictureFormat::Dxf:
            return ".dxf";
        case PictureFormat::Pdf:
            return ".pdf";
    }
    return "";
}

std::vector<PictureRequest> PictureOptions::Requests() const {
    std::vector<PictureRequest> pictures;
    if (svg) pictures.push_back({PictureFormat::Svg, *svg});
    if (dxf) pictures.push_back({PictureFormat::Dxf, *dxf});
    if (pdf) pictures.push_back({PictureFormat::Pdf, *pdf});
    return pictures;
}

void AddPictureOptions(CLI::App& command, PictureOptions& options, const std::string& what) {
    command.add_option("--svg", options.svg, "Also draw " + what + " as a picture (FILE.svg)")
        ->check(CLI::Validator(CheckSvgName, "FILE.svg", "picture file name"));
    command.add_option("--dxf", options.dxf, "Also write " + what + " for CAD programs (FILE.dxf)")
        ->check(CLI::Validator(CheckDxfName, "FILE.dxf", "drawing file name"));
    command.add_option("--pdf", options.pdf, "Also plot " + what + " (FILE.pdf)")
        ->check(CLI::Validator(CheckPdfName, "FILE.pdf", "plot file name"));
}

void AddPictures(io::OutputSet& outputs, const cad::Drawing& drawing,
                 const std::vector<PictureRequest>& pictures, const std::string& source) {
    if (pictures.empty()) return;
    try {
        const io::DisplayList list = io::BuildDisplayList(drawing);
        for (const PictureRequest& picture : pictures)
            outputs.Add(picture.path, Render(drawing, list, picture.format));
    } catch (const io::FileError&) {
        throw;  // names the output already
    } catch (const std::exception& error) {
        throw std::runtime_error("cannot draw " + QuotedPath(source) + ": " + error.what());
    }
}

std::string CheckSvgName(const std::string& path) {
    return CheckName(path, PictureFormat::Svg, "pictures are written as SVG");
}
std::string CheckDxfName(const std::string& path) {
    return CheckName(path, PictureFormat::Dxf, "CAD drawings are written as DXF");
}
std::string CheckPdfName(const std::string& path) {
    return CheckName(path, PictureFormat::Pdf, "plots are written as PDF");
}

}  // namespace zkl::app
