// A label cell's record of where it comes from: written, read back, left out when there is
// nothing to record, and a placement word this program never writes refused by name.
#include <gtest/gtest.h>

#include <stdexcept>

#include "label/label_origin.h"

namespace zkl {
namespace {

Element LabelCell() {
    Element cell = MakeCell("ZKL_Label", {MakeText("100-P", {1, 2, 0})}, {0, 0, 0});
    cell.properties.push_back({"NOTE", PropertyValue("kept as it is")});
    return cell;
}

TEST(LabelOrigin, RoundTripsThroughTheCellsProperties) {
    const LabelOrigin origins[] = {
        {"id:XV-1001", LabelPlacement::Automatic},
        {"PIPE|1001-P|600,0,4500;2000,0,4500", LabelPlacement::ByHand},
        {"id:P-1", LabelPlacement::MovedByHand},
        {"", LabelPlacement::Side},
        {"", LabelPlacement::Unrecorded},
    };
    for (const LabelOrigin& origin : origins) {
        SCOPED_TRACE(LabelPlacementName(origin.placement));
        Element cell = LabelCell();
        RecordLabelOrigin(cell, {"id:old", LabelPlacement::Automatic});
        RecordLabelOrigin(cell, origin);  // replaces what was recorded before
        EXPECT_EQ(ReadLabelOrigin(cell), origin);
        EXPECT_EQ(cell.properties.front().accessString, "NOTE");
        const std::size_t recorded = (origin.component.empty() ? 0 : 1) +
                                     (origin.placement == LabelPlacement::Unrecorded ? 0 : 1);
        EXPECT_EQ(cell.properties.size(), 1 + recorded);
    }
}

TEST(LabelOrigin, AnUnknownPlacementIsRefusedNamingTheCell) {
    Element cell = LabelCell();
    cell.id = 57;
    cell.properties.push_back({"ZKL_LABEL.PLACED", PropertyValue("sideways")});
    try {
        ReadLabelOrigin(cell);
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("57"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("'sideways'"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace zkl
