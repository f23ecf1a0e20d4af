// The PCF reader and the sheet built from what it reads, on any bytes. A file is refused
// with a PcfError or read; what is read keeps the reader's promises (every kept component
// has the points its shape needs, at finite coordinates, and every line number lies in the
// file); the sheet built from it is refused only for not fitting the paper, and then saves,
// loads again and renders like any sheet.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "io/pcf_reader.h"
#include "io/pcf_sheet.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"

namespace zkl::fuzz {
namespace {

const std::filesystem::path Folder = "/fuzz/sheets";

bool Finite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// How many points of each kind a component of this shape is kept with.
std::size_t EndsNeeded(io::pcf::Shape shape) {
    using io::pcf::Shape;
    switch (shape) {
        case Shape::Straight:
        case Shape::Bend:
            return 2;
        case Shape::Closure:
            return 1;
        default:
            return 0;
    }
}

void CheckRead(const io::pcf::PcfFile& file, std::string_view text) {
    const int lines = static_cast<int>(LineCount(text));
    const auto inFile = [&](int line, std::string_view what) {
        Check(line >= 1 && line <= lines, std::string(what) + " has line " + std::to_string(line) +
                                              " outside the file's " + std::to_string(lines));
    };
    for (const io::pcf::Warning& warning : file.warnings) inFile(warning.line, "a warning");
    for (const io::pcf::Pipeline& pipeline : file.pipelines) {
        for (const io::pcf::Skipped& skipped : pipeline.skipped) inFile(skipped.line, "a skipped component");
        for (const io::pcf::Component& component : pipeline.components) {
            inFile(component.line, "a component");
            Check(component.ends.size() >= EndsNeeded(component.shape),
                  component.keyword + " at line " + std::to_string(component.line) + " kept with " +
                      std::to_string(component.ends.size()) + " ends");
            for (const io::pcf::PointLine& point : component.points) {
                inFile(point.line, "a point");
                Check(Finite(point.position),
                      "a point at line " + std::to_string(point.line) + " is not finite");
            }
            Check(!component.centre || Finite(*component.centre),
                  component.keyword + " at line " + std::to_string(component.line) + " has no finite centre");
            Check(std::isfinite(component.deflection) && component.deflection >= 0.0 &&
                      component.deflection <= 180.0,
                  component.keyword + " at line " + std::to_string(component.line) + " has deflection " +
                      std::to_string(component.deflection));
        }
    }
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    const std::string_view text = AsText(data, size);
    io::pcf::PcfFile file;
    try {
        file = io::ParsePcf(text, "fuzz.pcf");
    } catch (const io::PcfError&) {
        return 0;
    }
    CheckRead(file, text);

    std::vector<io::PcfPipeline> pipelines;
    for (const io::pcf::Pipeline& pipeline : file.pipelines)
        if (!pipeline.components.empty()) pipelines.push_back({&file, &pipeline});
    Check(!pipelines.empty(), "a file read without a component");
    io::PcfSheet sheet;
    try {
        sheet = io::BuildPcfSheet(pipelines, io::PcfSheetOptions{});
    } catch (const io::SheetLayoutError&) {
        return 0;
    }
    const std::string saved = io::SerializeSheet(sheet.drawing, Folder);
    try {
        (void)io::ParseSheet(saved, "imported.json", Folder);
    } catch (const io::SheetError& error) {
        Fail(std::string("an imported sheet does not load: ") + error.what());
    }
    (void)io::RenderSvg(sheet.drawing);
    return 0;
}
