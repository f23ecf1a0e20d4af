// The one settings record every command reads: text sizes, distances, levels, styles,
// dimension mode. Filled from the main dialog at the start of a command, or from the
// configuration file when the automatic command runs from a key-in with arguments. Fresh,
// every number is 0 and every text empty; a load only overwrites the fields it sets.
// Distances are drawing units of the active model.
#pragma once

#include <cstdint>
#include <string>

namespace zkl {

struct LabellerSettings {
    double IgnoreDN = 0.0;
    std::string DimStyleName;
    std::string TextStyleName;
    std::string DimLevelName;
    std::string PlantOriginOffset;  // three comma-separated numbers
    double LabelDistance1 = 0.0;
    double LabelDistance2 = 0.0;
    double UnderlineDistance = 0.0;
    double TextHeight = 0.0;
    double TextWidth = 0.0;
    double DimHeight = 0.0;
    std::string GridCellName;       // a wildcard pattern
    std::string LineLabelFormat;
    std::string EquipmentLabelFormat;
    std::string LabelFrameStyle;
    std::string ShapeLevelName;
    std::int16_t DimMode = 0;
    double StepDistance = 0.0;

    friend bool operator==(const LabellerSettings&, const LabellerSettings&) = default;
};

}  // namespace zkl
