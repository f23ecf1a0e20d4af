// Guards clear-leader placement: which of the spiral's free places it takes when leaders and
// bodies of other labels stand around the anchor, that it falls back to the first free place
// and says so when nothing is clear, and how its options read.
#include "commands/clear_leader_placement.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "commands/clear_leader_pass.h"
#include "commands/placement_session.h"
#include "commands/spiral_walk.h"
#include "settings/placement_options.h"

namespace zkl {
namespace {

// An empty sheet: every probe is free, so what decides is the leader alone. The obstacles are
// laid across the leader the first free place would get, from `a` (the anchor) to `b`.
struct Obstacles {
    std::vector<std::vector<Point>> leaders;
    std::vector<Range> bodies;
};

struct ClearCase {
    const char* name;
    Obstacles (*obstacles)(const Point& a, const Point& b);
    bool clear;            // a clear place is found
    bool firstFreeMissed;  // the first free place's leader is not clear
};

Point Middle(const Point& a, const Point& b) { return (a + b) * 0.5; }

TEST(ClearLeaderPlacement, TakesTheShortestClearLeaderAmongTheFreePlacesOrFallsBackToTheFirst) {
    const Point anchor{100, 100, 0};
    // A body of one text, built at the anchor as the pass builds it.
    std::vector<Element> body{MakeText("LABEL", anchor)};
    const std::vector<ClearCase> cases{
        {"nothing around: the first free place is clear", [](const Point&, const Point&) { return Obstacles{}; },
         true, false},
        {"a leader across the first place's leader",
         [](const Point& a, const Point& b) {
             const Point m = Middle(a, b);
             const Point across{-(b.y - a.y) * 0.05, (b.x - a.x) * 0.05, 0};
             return Obstacles{{{m - across, m + across}}, {}};
         },
         true, true},
        {"a small body on the first place's leader",
         [](const Point& a, const Point& b) {
             const Point m = Middle(a, b);
             return Obstacles{{}, {{m - Point{0.02, 0.02, 0}, m + Point{0.02, 0.02, 0}}}};
         },
         true, true},
        {"the anchor boxed in by other leaders close round it",
         [](const Point&, const Point&) {
             return Obstacles{{{{99.9, 99.9, 0}, {100.1, 99.9, 0}, {100.1, 100.1, 0}, {99.9, 100.1, 0}, {99.9, 99.9, 0}}},
                              {}};
         },
         false, true},
        {"leaders sharing the anchor are a fan, not a crossing",
         [](const Point& a, const Point& b) {
             return Obstacles{{{a, Middle(a, b) + Point{0, 3, 0}}, {a, b}}, {}};
         },
         true, false},
    };
    test::RecordingHost probeHost{cad::Drawing{}};
    const Range labelBox = LabelBox(probeHost, body);
    SpiralWalk walk(probeHost, labelBox.low, 1.0, FreePlaceStartCount);
    ASSERT_TRUE(walk.Next());
    const Point firstEnd = LeaderPreview(probeHost, body, anchor).AttachPoint(walk.Offset());

    for (const ClearCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingHost host{cad::Drawing{}};
        LeaderClearance clearance(20.0);
        const Obstacles obstacles = c.obstacles(anchor, firstEnd);
        for (const std::vector<Point>& leader : obstacles.leaders) clearance.AddLeader(7, leader);
        for (const Range& box : obstacles.bodies) clearance.AddBody(8, box);

        ClearLeaderRequest request;
        request.body = &body;
        request.labelBox = labelBox;
        request.anchor = anchor;
        request.step = 1.0;
        const ClearLeaderPlace place = FindClearLeaderPlace(host, clearance, request, true);

        EXPECT_EQ(place.clear, c.clear);
        EXPECT_TRUE(place.search.free);
        EXPECT_EQ(place.firstFreeStep, 1);
        ASSERT_FALSE(place.candidates.empty());
        const CandidateVerdict first = place.candidates.front().verdict;
        EXPECT_EQ(first != CandidateVerdict::Chosen && first != CandidateVerdict::Superseded, c.firstFreeMissed);
        if (!c.clear) {
            EXPECT_EQ(place.step, 1);
            EXPECT_EQ(place.search.offset, place.candidates.front().offset);
            continue;
        }
        // The leader taken meets nothing, and no clear place looked at had a shorter one.
        const Point attach = LeaderPreview(host, body, anchor).AttachPoint(place.search.offset);
        EXPECT_FALSE(clearance.FirstObstacle(anchor, attach));
        EXPECT_NEAR(place.leaderLength, Distance(anchor, attach), 1e-9);
        for (const CandidatePlace& other : place.candidates) {
            if (other.verdict == CandidateVerdict::Superseded) {
                EXPECT_GE(other.leaderLength, place.leaderLength);
            }
        }
    }
}

TEST(ClearLeaderPlacement, PlacementOptionsReadFirstAndClearInAnyCaseAndNameWhatIsWrong) {
    struct Case {
        const char* text;
        bool valid;
        PlacementRule rule;
    };
    for (const Case& c : {Case{"first", true, PlacementRule::FirstFree}, Case{" CLEAR ", true, PlacementRule::ClearLeader},
                          Case{"Clear", true, PlacementRule::ClearLeader}, Case{"bogus", false, {}},
                          Case{"", false, {}}}) {
        SCOPED_TRACE(c.text);
        if (c.valid) {
            EXPECT_EQ(ParsePlacementRule(c.text), c.rule);
            continue;
        }
        try {
            ParsePlacementRule(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("'" + std::string(c.text) + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("'first'"), std::string::npos) << message;
            EXPECT_NE(message.find("'clear'"), std::string::npos) << message;
        }
    }
    const std::filesystem::path data(ZKL_TEST_DATA_DIR);
    EXPECT_EQ(ReadPlacementOptions(test::ExampleConfiguration), PlacementOptions{});
    EXPECT_EQ(ReadPlacementOptions(data / "placement_clear.ini"),
              (PlacementOptions{PlacementRule::ClearLeader, true}));
    try {
        ReadPlacementOptions(data / "placement_bad.ini");
        ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(),
                     "placement_bad.ini line 3: KEEPLABELSINSIDE: 'maybe' is not 1 or 0 (TRUE/FALSE, YES/NO)");
    }
}

TEST(ClearLeaderPlacement, PassOnTheExampleKeepsEveryLeaderClearOrNamesTheLabelsThatFellBack) {
    test::Session session{test::ExampleDrawing()};
    session.module.placement.rule = PlacementRule::ClearLeader;
    const PassResult pass = LabelComponentsInBorder(session.module, test::ExampleBorder(session.host),
                                                    LabellingManner::Automatic, session.labelItems);
    ASSERT_FALSE(pass.labels.empty());
    // Every leader the pass drew is clear of every other label on the sheet, unless its label
    // is one that fell back.
    const std::vector<Element> cells = test::LabelCells(session.host);
    std::size_t fellBack = 0;
    for (const PassLabel& label : pass.labels) fellBack += label.clearLeaderFallback ? 1 : 0;
    std::size_t clear = 0;
    for (const Element& cell : cells) {
        LeaderClearance others(20.0);
        for (const Element& other : cells)
            if (other.id != cell.id) others.AddLabel(session.host, other.id, other.Cell().components);
        const std::vector<Point>& leader = cell.Cell().components.back().Linear().vertices;
        clear += others.FirstObstacle(leader.front(), leader.back()) ? 0 : 1;
    }
    EXPECT_GE(clear + fellBack, pass.labels.size());
    // The message names what fell back, and says nothing when nothing did.
    EXPECT_EQ(ClearLeaderFallbackMessage({}), "");
    EXPECT_EQ(ClearLeaderFallbackMessage({"PlantModel #12", "PlantModel #40"}),
              "Clear-leader placement: 2 labels have no clear place within " +
                  std::to_string(ClearLeaderExtraRings) +
                  " rings beyond the first free place and stand at the first free place: PlantModel #12, "
                  "PlantModel #40");
}

}  // namespace
}  // namespace zkl

namespace zkl {
namespace {

// A repair takes labels out of the index and asks which labels stand across a leader; a label
// taken out must stop blocking at once, and one still there must be named however many
// buckets the leader passes.
TEST(LeaderClearance, NamesEveryLabelAcrossALeaderAndForgetsTheOnesTakenOut) {
    struct Case {
        const char* name;
        std::vector<ElementId> removed;
        std::vector<ElementId> across;  // of the leader from (0, 0) to (100, 0)
    };
    const std::vector<Case> cases{
        {"all three stand", {}, {11, 12, 13}},
        {"the body taken out", {12}, {11, 13}},
        {"both leaders taken out", {11, 13}, {12}},
        {"everything taken out", {11, 12, 13}, {}},
        {"a label not in the index", {99}, {11, 12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LeaderClearance clearance(7.0);
        clearance.AddLeader(11, {{10, -5, 0}, {10, 5, 0}});
        clearance.AddBody(12, {{45, -1, 0}, {55, 1, 0}});
        clearance.AddLeader(13, {{90, 5, 0}, {95, 20, 0}, {95, -20, 0}});
        clearance.AddLeader(14, {{0, 0, 0}, {0, 30, 0}});  // shares the anchor: a fan, not a crossing
        for (const ElementId cell : c.removed) clearance.Remove(cell);
        EXPECT_EQ(clearance.AllObstacles({0, 0, 0}, {100, 0, 0}), c.across);
        EXPECT_EQ(clearance.FirstObstacle({0, 0, 0}, {100, 0, 0}).has_value(), !c.across.empty());
        EXPECT_FALSE(clearance.BodyTouchesBody({{60, -1, 0}, {70, 1, 0}}));
        EXPECT_EQ(clearance.BodyTouchesBody({{54, -1, 0}, {60, 1, 0}}),
                  std::find(c.removed.begin(), c.removed.end(), 12) == c.removed.end());
    }
}

// Taking labels out and putting them back must leave one cell per label on the sheet, and no
// body touching another.
TEST(ClearLeaderPlacement, RepairLeavesOneCellPerLabelAndNoBodiesTouching) {
    test::Session session{test::ExampleDrawing()};
    session.module.placement.rule = PlacementRule::ClearLeader;
    const std::size_t before = test::LabelCells(session.host).size();
    const PassResult pass = LabelComponentsInBorder(session.module, test::ExampleBorder(session.host),
                                                    LabellingManner::Automatic, session.labelItems);
    const std::vector<Element> cells = test::LabelCells(session.host);
    ASSERT_EQ(cells.size(), before + pass.labels.size());
    for (const Element& cell : cells) {
        LeaderClearance others(20.0);
        for (const Element& other : cells)
            if (other.id != cell.id) others.AddLabel(session.host, other.id, other.Cell().components);
        const std::vector<Element>& parts = cell.Cell().components;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            const Range box = parts[i].IsText() ? session.host.TextBox(parts[i]) : session.host.ElementRange(parts[i]);
            EXPECT_FALSE(others.BodyTouchesBody(box)) << "label #" << cell.id;
        }
    }
}

}  // namespace
}  // namespace zkl
