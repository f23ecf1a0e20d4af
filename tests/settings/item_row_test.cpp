// Guards how one row text becomes an ItemRow: fields set one by one, a bad field leaving
// only itself empty, and the message that lists the row's parts.
#include "settings/item_row.h"

#include <gtest/gtest.h>

namespace zkl {
namespace {

TEST(ItemRow, EachFieldIsSetOnItsOwnAndFaultsMarkTheRowIncomplete) {
    const struct {
        std::string text;
        ItemRow row;
        bool complete;
    } cases[] = {
        {"A;B;C;1;STRAIGHT", {"A", "B", "C", 1, "STRAIGHT"}, true},
        {" A ; B ;C; 1 ;STRAIGHT ", {"A", "B", "C", 1, "STRAIGHT"}, true},
        {"A;B;C;2;TEE;extra;more", {"A", "B", "C", 2, "TEE"}, true},
        {"A;B;C;x;TEE", {"A", "B", "C", 0, "TEE"}, false},
        {"A;B;C;40000;TEE", {"A", "B", "C", 0, "TEE"}, false},
        {"A;B;C;2.5;TEE", {"A", "B", "C", 2, "TEE"}, true},  // halves go to the even neighbour
        {"A;B;C;3.5;TEE", {"A", "B", "C", 4, "TEE"}, true},
        {"A;B", {"A", "B", "", 0, ""}, false},
        {"A;B;C", {"A", "B", "C", 0, ""}, false},
        {"A;B;C;;TEE", {"A", "B", "C", 0, "TEE"}, false},
        {"", {}, false},
        {";;;0;", {"", "", "", 0, ""}, true},
        {"A\t;B", {"A\t", "B", "", 0, ""}, false},
    };
    for (const auto& c : cases) {
        const ParsedItemRow parsed = ParseItemRow(c.text);
        EXPECT_EQ(parsed.row, c.row) << "row: " << c.text;
        EXPECT_EQ(parsed.complete, c.complete) << "row: " << c.text;
    }
}

TEST(ItemRow, FaultyRowMessagePutsEveryPartOnItsOwnLine) {
    const ParsedItemRow parsed = ParseItemRow("A ; B;C;x;TEE");
    EXPECT_EQ(FaultyRowMessage("Please check row 7", parsed.parts), "Please check row 7\rA\rB\rC\rx\rTEE");
    EXPECT_EQ(FaultyRowMessage("Please check row 3", ParseItemRow("").parts), "Please check row 3\r");
}

}  // namespace
}  // namespace zkl
