// Synthetic plant sheets for demos, tests and benchmarks: a sheet frame with a title block,
// one drawing area (a border shape on "ZKL_Border", or none), and a reference attachment
// holding the plant: pipe runs with bends, equal tees, eccentric reducers and risers,
// pieces of equipment and a grid, at about the density of a real piping plan.
//
// Components carry the properties the example configuration's rows read (EC_CLASS_NAME,
// PIPELINE, NOMINAL_DIAMETER, ..., TRANSFORMATION_MATRIX.M00 to M11) and are drawn by the
// rules of the example sheet: placement in mm, design lengths in m, attached-model
// coordinates = mm / 100; the attachment lies right of x = 40 in the active model.
// The same options always give the same drawing, on every platform.
#pragma once

#include <cstdint>
#include <string>

#include "cad/drawing.h"

namespace zkl::io {

struct SheetGeneratorOptions {
    int components = 100;  // plant component cells (pipes, fittings, equipment), at least 1
    std::uint32_t seed = 1;
    bool border = true;  // draw the drawing area's border shape
    // The macro project path the drawing gets; its folder is where the labeller looks for
    // ZKL_Labeller.ini.
    std::string macroProjectPath = "ZKL_Labeller.mvba";
};

// The design tables of the plant sheets we make (generated and imported): the levels, line,
// text and dimension styles the example configuration names, and 1:100 units.
void AddPlantDesignTables(cad::Drawing& drawing);

// Throws std::invalid_argument when the component count is below 1 or above 1,000,000.
cad::Drawing GenerateSheet(const SheetGeneratorOptions& options);

}  // namespace zkl::io
