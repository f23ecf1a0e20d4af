// Pins down where Automatic Place puts every label on generated sheets: a digest of each
// label cell's texts and positions, taken from the placement as first released. A faster
// free-place search must find the very same first free place of each spiral, so these
// digests must never change unless the placement rules themselves do.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>

#include "cad/cad_host.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_generator.h"

namespace zkl {
namespace {

// FNV-1a over the text of the labels, in element order.
struct Digest {
    std::uint64_t value = 14695981039346656037ull;
    void Add(std::string_view text) {
        for (const char c : text) {
            value ^= static_cast<unsigned char>(c);
            value *= 1099511628211ull;
        }
    }
    // Positions to a micrometre of drawing unit: the same place, whatever the last bit.
    void Add(const Point& point) {
        char text[96];
        std::snprintf(text, sizeof text, "(%.6f %.6f %.6f)", point.x + 0.0, point.y + 0.0, point.z + 0.0);
        Add(text);
    }
};

void AddLabel(Digest& digest, const Element& element) {
    if (element.IsText()) {
        digest.Add(element.Text().text);
        digest.Add(element.Text().origin);
    }
    if (element.IsLinear())
        for (const Point& vertex : element.Linear().vertices) digest.Add(vertex);
    if (!element.IsCell()) return;
    digest.Add(element.Cell().origin);
    for (const Element& part : element.Cell().components) AddLabel(digest, part);
}

struct Placed {
    std::size_t labels = 0;
    std::uint64_t digest = 0;
};

// `zkl-labeller auto` on `generate --components 1000 --seed S [--no-border]`: the settings
// the dialog opens with.
Placed AutomaticPlaceOnGeneratedSheet(std::uint32_t seed, bool border) {
    io::SheetGeneratorOptions options;
    options.components = 1000;
    options.seed = seed;
    options.border = border;
    options.macroProjectPath = std::string(ZKL_EXAMPLES_DIR) + "/ZKL_Labeller.mvba";
    cad::CadHost host(io::GenerateSheet(options));
    mdlOPM_Labeller module(host);
    clsOPM_Labeller labeller(module, MakeDialogCommands(module));
    labeller.Start_Labeller();
    module.dialog->cmdAutoPlace_Click();

    Placed placed;
    Digest digest;
    for (const auto& [id, entry] : host.GetDrawing().activeModel.Entries()) {
        if (!entry.element.IsCell() || entry.element.Cell().name != "ZKL_Label") continue;
        ++placed.labels;
        AddLabel(digest, entry.element);
    }
    placed.digest = digest.value;
    return placed;
}

struct Expected {
    std::uint32_t seed;
    bool border;
    std::size_t labels;
    std::uint64_t digest;
};

class PlacementDigest : public testing::TestWithParam<Expected> {};

TEST_P(PlacementDigest, EveryLabelKeepsItsTextAndPlace) {
    const Expected& expected = GetParam();
    // The pipes and fittings of a generated sheet all get labels, and so do the side
    // labels of the grid: there are more label cells than components.
    const Placed placed = AutomaticPlaceOnGeneratedSheet(expected.seed, expected.border);
    EXPECT_EQ(placed.labels, expected.labels);
    EXPECT_EQ(placed.digest, expected.digest) << "0x" << std::hex << placed.digest;
}

INSTANTIATE_TEST_SUITE_P(GeneratedSheets, PlacementDigest,
                         testing::Values(Expected{1, true, 1113, 0xaad3acd928677560},
                                         Expected{2, true, 1136, 0x8c5c695df21c6136},
                                         Expected{3, true, 1109, 0xc859146323ce02ba},
                                         Expected{1, false, 1153, 0x74ad2de584235032},
                                         Expected{2, false, 1169, 0x0e4b9a1e0667ce8d},
                                         Expected{3, false, 1155, 0xaec69d87e5b9d3ae}),
                         [](const testing::TestParamInfo<Expected>& info) {
                             return "Seed" + std::to_string(info.param.seed) +
                                    (info.param.border ? "WithBorder" : "WithoutBorder");
                         });

}  // namespace
}  // namespace zkl
