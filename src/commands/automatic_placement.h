// The two commands that work on whole drawings: Automatic Place (side labels and dimension
// chains around every drawing area, then a label for every component inside it, placed
// without asking) and Semi-Auto Place (the user places each label, area by area). Drawing
// areas are closed shapes on the level named ShapeLevelName; when the active model has none,
// one is drawn around each displayed reference attachment first.
//
// Units: active-model drawing units. The commands read their settings into the module (they
// stay in effect afterwards); the elements they add stay in the active model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "commands/labelling_pass.h"
#include "host/element.h"
#include "settings/labeller_module.h"

namespace zkl {

// What a run did, for the caller's summary line.
struct PlacementReport {
    int borders = 0;              // drawing areas visited
    int bordersDrawn = 0;         // of which drawn by this run
    std::int64_t labels = 0;      // component labels placed
    std::int64_t freePlaces = 0;  // of which at a place the search found free
    std::int64_t probes = 0;      // fence probes of the free-place searches
    // Clear-leader placement: labels that found no clear place and took the first free one.
    std::int64_t clearLeaderFallbacks = 0;
    std::int64_t sideLabels = 0;  // label cells added by the side annotation
    std::int64_t dimensions = 0;  // dimension elements added
    bool quitByUser = false;      // semi-automatic: Esc ended at least one area
};

// Hooks for a long run's progress; each may be left empty.
struct PlacementProgress {
    // After each drawing area: how many are done and how many there are in all.
    std::function<void(int done, int total, const PlacementReport& sofar)> borderDone;
    std::function<void(const PassLabel& label, const PlacementReport& sofar)> labelPlaced;
};

// Automatic Place. Key-in arguments ("FALSE" first: no dimensions; "FALSE" second: no
// labels; any case, blanks ignored) switch the two parts off and take the settings from the
// configuration file; without arguments the settings come from the module's dialog, which
// must exist. Throws std::invalid_argument naming StepDistance when labels are to be placed
// (switched on, and a label row that can match) with a step that is not greater than 0,
// before anything is placed. Posts "Starting to
// place labels" first and the run summary last; when no border shape exists and none can be
// drawn it posts NoDrawingAreaMessage instead of visiting any. Host errors end the run with
// the elements placed so far left in the model.
PlacementReport RunAutomaticPlacement(mdlOPM_Labeller& module, bool placeDimensions, bool placeLabels,
                                      const PlacementProgress& progress = {});

// Semi-Auto Place: settings from the module's dialog, which must exist.
PlacementReport RunSemiAutomaticPlacement(mdlOPM_Labeller& module, const PlacementProgress& progress = {});

// Draws a border shape (level `levelName`, line style "6", weight 4, the active colour)
// around each displayed attachment whose range starts right of x = 40. Returns how many.
int CreateBorderShapes(mdlOPM_Labeller& module, std::string_view levelName);

// The message a command posts, and the run it ends, when the active model has no border
// shape on `levelName` and none could be drawn.
std::string NoDrawingAreaMessage(std::string_view levelName);

// The level of the border shapes, created (and committed) when the design file lacks it.
// Throws HostError naming the level and the setting ShapeLevelName when it cannot be made.
Level FindOrCreateBorderLevel(Host& host, const std::string& name);

// Throws std::invalid_argument naming StepDistance unless it is a finite number above 0.
void CheckStepDistance(const LabellerSettings& settings);

// Splits key-in arguments of Automatic Place into the two switches; each starts as given and
// only a part reading FALSE (any case, blanks around it) clears it.
void ApplyKeyinArguments(std::string_view arguments, bool& placeDimensions, bool& placeLabels);

}  // namespace zkl
