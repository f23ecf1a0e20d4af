// The sheet loader on any text. A sheet is refused with a SheetError or loaded whole; a
// loaded sheet must save, its save must load again, and the second save must give the same
// bytes as the first (the format promises deterministic saves and load-save-load without
// loss). Every loaded sheet must also render, as a picture, a DXF drawing and a PDF plot.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/dxf_writer.h"
#include "io/pdf_renderer.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"

namespace zkl::fuzz {
namespace {

// Where the sheet would lie: a relative macro project path resolves against it and is
// written relative to it again. Nothing is read there.
const std::filesystem::path Folder = "/fuzz/sheets";

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    const std::string_view text = AsText(data, size);
    cad::Drawing drawing;
    try {
        drawing = io::ParseSheet(text, "fuzz.json", Folder);
    } catch (const io::SheetError&) {
        return 0;
    }
    const std::string saved = io::SerializeSheet(drawing, Folder);
    cad::Drawing reloaded;
    try {
        reloaded = io::ParseSheet(saved, "saved.json", Folder);
    } catch (const io::SheetError& error) {
        Fail(std::string("a saved sheet does not load: ") + error.what() + "\n" + saved);
    }
    const std::string savedAgain = io::SerializeSheet(reloaded, Folder);
    if (savedAgain != saved)
        Fail("the second save differs from the first:\n" + saved + "\n---\n" + savedAgain);
    (void)io::RenderSvg(drawing);
    (void)io::RenderDxf(drawing);
    (void)io::RenderPdf(drawing);
    return 0;
}
