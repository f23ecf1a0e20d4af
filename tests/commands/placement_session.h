// A drawing session for the placement command tests: the example sheet (or a generated one)
// in the real engine, a host that also records every status text and every probe fence, and
// the module with the example configuration's settings and rows loaded as the key-in does.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/cad_host.h"
#include "io/sheet_file.h"
#include "settings/labeller_module.h"
#include "settings/settings_file.h"

namespace zkl::test {

inline const std::filesystem::path ExampleSheet = std::filesystem::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json";
inline const std::filesystem::path ExampleConfiguration =
    std::filesystem::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.ini";

class RecordingHost : public cad::CadHost {
public:
    using cad::CadHost::CadHost;

    void ShowStatus(StatusField field, std::string_view text) override {
        if (field == StatusField::Prompt && !text.empty()) prompts.emplace_back(text);
        cad::CadHost::ShowStatus(field, text);
    }
    void DefineFenceFromPoints(const std::vector<Point>& points, int view) override {
        probes.push_back(points);
        cad::CadHost::DefineFenceFromPoints(points, view);
    }
    void ZoomView(int view, const Point& about, double factor) override {
        zooms.push_back(factor);
        cad::CadHost::ZoomView(view, about, factor);
    }

    std::vector<std::string> prompts;        // second status field, non-empty texts in order
    std::vector<std::vector<Point>> probes;  // fences defined from points, in order
    std::vector<double> zooms;               // zoom factors, in order
};

struct Session {
    explicit Session(cad::Drawing drawing) : host(std::move(drawing)), module(host) {
        host.SetPrompter(prompter);
        LoadSettingsFile(ExampleConfiguration, module, nullptr, labelItems, dimItems, "", true);
    }

    std::shared_ptr<cad::RecordingPrompter> prompter = std::make_shared<cad::RecordingPrompter>();
    RecordingHost host;
    mdlOPM_Labeller module;
    ItemRows labelItems;
    ItemRows dimItems;
};

inline cad::Drawing ExampleDrawing() { return io::LoadSheet(ExampleSheet); }

// The active model's elements of a type, in id order.
inline std::vector<Element> ActiveElements(const cad::CadHost& host, ElementType type) {
    std::vector<Element> found;
    for (const auto& [id, entry] : host.GetDrawing().activeModel.Entries())
        if (entry.element.type == type) found.push_back(entry.element);
    return found;
}

inline std::vector<Element> LabelCells(const cad::CadHost& host) {
    std::vector<Element> cells;
    for (const Element& cell : ActiveElements(host, ElementType::Cell))
        if (cell.Cell().name == "ZKL_Label") cells.push_back(cell);
    return cells;
}

// The example's one border shape.
inline Element ExampleBorder(const cad::CadHost& host) {
    for (const Element& shape : ActiveElements(host, ElementType::Shape))
        if (shape.symbology.level == "ZKL_Border") return shape;
    throw std::runtime_error("the example sheet has no border shape");
}

}  // namespace zkl::test
