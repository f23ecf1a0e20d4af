// A plan sheet from PCF pipelines: a reference attachment with one plant component cell
// per component (io/pcf_component_cells.h), in flow order; a drawing area (a border shape
// on "ZKL_Border") around them with room outside for side labels and dimension chains; a
// frame and title block on an ISO paper at a standard scale, chosen to fit or given; and
// the plant grid when one is given. The labeller's `auto` then labels it as any sheet.
//
// Units: the sheet is paper millimetres; the attachment holds (plant mm - local origin) /
// 100 and its transform scales by 100 / N for a scale of 1:N, so elevations stay the
// plant's millimetres. The local origin is the whole metre at or below the pipelines' least
// east and north, so that plants placed far from their frame's origin draw near ours.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/drawing.h"
#include "io/grid_file.h"
#include "io/pcf_model.h"

namespace zkl::io {

enum class Paper { A3, A2, A1, A0 };

std::string PaperName(Paper paper);
std::optional<Paper> PaperNamed(std::string_view name);  // "A3", "a1", ...

// 1:N for these N.
inline constexpr std::array<int, 7> StandardScales{20, 25, 50, 100, 200, 250, 500};

struct PcfSheetOptions {
    std::optional<int> scale;    // N; chosen when empty
    std::optional<Paper> paper;  // chosen when empty
    std::vector<GridAxis> grid;
    std::string macroProjectPath = "ZKL_Labeller.mvba";
    // Plant mm taken off x and y; chosen from the pipelines when empty. A new revision keeps
    // its earlier sheet's, so that what stood in one place still does.
    std::optional<Point> localOrigin;
};

struct PcfPipeline {
    const pcf::PcfFile* file = nullptr;
    const pcf::Pipeline* pipeline = nullptr;
};

struct PcfSheet {
    cad::Drawing drawing;
    int scale = 100;
    Paper paper = Paper::A3;
    Point localOrigin;  // plant mm taken off x and y
    std::size_t components = 0;
    std::vector<std::pair<std::string, int>> componentsByClass;  // most first, then by name
    std::vector<std::string> warnings;                           // "SOURCE:LINE: text"
};

// The pipelines do not fit on the paper at the scale (given or any standard one).
class SheetLayoutError : public std::runtime_error {
public:
    explicit SheetLayoutError(const std::string& message) : std::runtime_error(message) {}
};

// What the title block of a sheet this import made says: its local origin ("ORIGIN E500000
// N198000") and its scale ("SCALE 1:100"); nothing for a sheet without them.
std::optional<Point> PcfSheetLocalOrigin(const cad::Drawing& drawing);
std::optional<int> PcfSheetScale(const cad::Drawing& drawing);

// Throws SheetLayoutError; std::invalid_argument when no pipeline has a component.
PcfSheet BuildPcfSheet(const std::vector<PcfPipeline>& pipelines, const PcfSheetOptions& options);

}  // namespace zkl::io
