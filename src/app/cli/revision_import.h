// A new revision of a plant model annotated the way its earlier sheet was: the labels of
// the earlier sheet that record their component come over onto the sheet imported afresh,
// and the update (commands/annotation_update.h) then keeps, re-texts, moves, removes and
// adds them. Side labels and dimension chains are not carried; the update builds them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "cad/drawing.h"
#include "commands/annotation_update.h"

namespace zkl::app {

struct CarriedLabels {
    std::size_t carried = 0;
    std::size_t unrecorded = 0;  // labels without a recorded component: they stay behind
};

// Copies the label cells of `earlier` that record a component into `sheet`'s active model.
// Each keeps its place relative to its leader's start, which follows the plant model from
// the earlier sheet's attachment to the new one's (the first attachment of each).
// `earlierName` names the earlier sheet in the error for a faulty recorded placement.
CarriedLabels CarryLabels(const cad::Drawing& earlier, const std::string& earlierName, cad::Drawing& sheet);

// Runs the update on `sheet` with the configuration `configuration` (the dialog's settings,
// as `auto` takes them). `sheet` keeps its macro project path.
UpdateResult UpdateCarriedAnnotation(cad::Drawing& sheet, const std::filesystem::path& configuration);

}  // namespace zkl::app
