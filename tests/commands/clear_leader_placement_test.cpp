// Guards clear-leader placement: which of the spiral's free places it takes when leaders and
// bodies of other labels stand around the anchor, that it falls back to the first free place
// and says so when nothing is clear, and how its options read.
#include "commands/clear_leader_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/clear_leader_pass.h"
#include "commands/clear_place_assignment.h"
#include "commands/placement_session.h"
#include "commands/spiral_walk.h"
#include "label/label_cell.h"
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
        {"nothing around: the first free place is clear",
         [](const Point&, const Point&) { return Obstacles{}; }, true, false},
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
             return Obstacles{
                 {{{99.9, 99.9, 0}, {100.1, 99.9, 0}, {100.1, 100.1, 0}, {99.9, 100.1, 0}, {99.9, 99.9, 0}}},
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
        // Without the candidates the search tries places in another order; it must take the same.
        const ClearLeaderPlace quick = FindClearLeaderPlace(host, clearance, request, false);
        EXPECT_EQ(quick.search.offset, place.search.offset);
        EXPECT_EQ(quick.clear, place.clear);
        EXPECT_EQ(quick.step, place.step);

        EXPECT_EQ(place.clear, c.clear);
        EXPECT_TRUE(place.search.free);
        EXPECT_EQ(place.firstFreeStep, 1);
        ASSERT_FALSE(place.candidates.empty());
        const CandidateVerdict first = place.candidates.front().verdict;
        EXPECT_EQ(first != CandidateVerdict::Chosen && first != CandidateVerdict::Superseded,
                  c.firstFreeMissed);
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

// A search told that the first steps are taken (as a search on the sheet before the pass's
// labels found) walks them without probing and must end where the full search ends.
TEST(ClearLeaderPlacement, StepsKnownTakenAreWalkedWithoutProbesToTheSamePlace) {
    const Point anchor{100, 100, 0};
    std::vector<Element> body{MakeText("LABEL", anchor)};
    test::RecordingHost host{cad::Drawing{}};
    // A square of lines round the anchor blocks the first rings.
    for (const double r : {3.0, 5.0, 7.0}) {
        Element ring =
            MakeShape({anchor + Point{-r, -r, 0}, anchor + Point{r, -r, 0}, anchor + Point{r, r, 0},
                       anchor + Point{-r, r, 0}, anchor + Point{-r, -r, 0}});
        host.AddElement(ring);
    }
    LeaderClearance clearance(20.0);
    ClearLeaderRequest request;
    request.body = &body;
    request.labelBox = LabelBox(host, body);
    request.anchor = anchor;
    request.step = 1.0;
    const ClearLeaderPlace full = FindClearLeaderPlace(host, clearance, request, false);
    ASSERT_GT(full.firstFreeStep, 10);
    for (const std::int64_t known : {std::int64_t{1}, full.firstFreeStep / 2, full.firstFreeStep}) {
        SCOPED_TRACE(known);
        request.blockedBefore = known;
        const ClearLeaderPlace told = FindClearLeaderPlace(host, clearance, request, false);
        EXPECT_EQ(told.search.offset, full.search.offset);
        EXPECT_EQ(told.step, full.step);
        EXPECT_EQ(told.firstFreeStep, full.firstFreeStep);
        EXPECT_EQ(told.search.probes, full.search.probes - (known - 1));
    }
}

TEST(ClearLeaderPlacement, PlacementOptionsReadFirstAndClearInAnyCaseAndNameWhatIsWrong) {
    struct Case {
        const char* text;
        bool valid;
        PlacementRule rule;
    };
    for (const Case& c :
         {Case{"first", true, PlacementRule::FirstFree}, Case{" CLEAR ", true, PlacementRule::ClearLeader},
          Case{"Clear", true, PlacementRule::ClearLeader}, Case{"bogus", false, {}}, Case{"", false, {}}}) {
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
        EXPECT_STREQ(
            error.what(),
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
        // Asked before the removal too: a body found once must not be remembered past it.
        EXPECT_TRUE(clearance.BodyTouchesBody({{54, -1, 0}, {60, 1, 0}}));
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
            const Range box =
                parts[i].IsText() ? session.host.TextBox(parts[i]) : session.host.ElementRange(parts[i]);
            EXPECT_FALSE(others.BodyTouchesBody(box)) << "label #" << cell.id;
        }
    }
}

}  // namespace
}  // namespace zkl

namespace zkl {
namespace {

// A small deterministic generator, so that the scenes are the same with every library.
struct Scene {
    std::uint64_t state;
    double Next(double low, double high) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * static_cast<double>(state >> 11) / static_cast<double>(1ULL << 53);
    }
};

bool BruteMeets(const Point& s, const Point& e, const std::vector<std::pair<Point, Point>>& leaders,
                const std::vector<Range>& bodies) {
    for (const auto& [a, b] : leaders)
        if (Distance(a, s) > 0.001 && SegmentDistance2d(s, e, a, b) <= LeaderClearanceTolerance) return true;
    for (const Range& box : bodies)
        if (SegmentMeetsBox2d(s, e, box, LeaderClearanceTolerance)) return true;
    return false;
}

// The index answers as asking every item would, wherever the items lie: across buckets,
// beyond where the grid first stood, and so far out that no grid holds them.
TEST(LeaderClearance, AnswersAsAskingEveryItemWouldWhereverTheItemsLie) {
    struct Case {
        const char* name;
        double spread;  // items and leaders within this of the origin
        double bucket;
        bool farItems;  // a few items a billion units out
    };
    const std::vector<Case> cases{{"many small buckets", 200, 3, false},
                                  {"buckets larger than the leaders", 200, 80, false},
                                  {"items far beyond the grid", 200, 10, true},
                                  {"everything in one bucket", 20, 100, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene{42};
        LeaderClearance clearance(c.bucket);
        std::vector<std::pair<Point, Point>> leaders;
        std::vector<Range> bodies;
        for (int i = 0; i < 150; ++i) {
            const double far = c.farItems && i % 25 == 0 ? 1e9 : 0.0;
            const Point a{far + scene.Next(-c.spread, c.spread), scene.Next(-c.spread, c.spread), 0};
            if (i % 2 == 0) {
                const Point b = a + Point{scene.Next(-30, 30), scene.Next(-30, 30), 0};
                clearance.AddLeader(100 + i, {a, b});
                leaders.push_back({a, b});
            } else {
                const Range box{a, a + Point{scene.Next(0.5, 30), scene.Next(0.5, 5), 0}};
                clearance.AddBody(100 + i, box);
                bodies.push_back(box);
            }
        }
        for (int q = 0; q < 400; ++q) {
            const double far = c.farItems && q % 40 == 0 ? 1e9 : 0.0;
            const Point s{far + scene.Next(-c.spread, c.spread), scene.Next(-c.spread, c.spread), 0};
            // Some leaders axis-parallel: the bucket walk has a column of its own for them.
            const Point e = s + (q % 5 == 0 ? Point{0, scene.Next(-60, 60), 0}
                                            : Point{scene.Next(-60, 60), scene.Next(-60, 60), 0});
            const bool meets = BruteMeets(s, e, leaders, bodies);
            ASSERT_EQ(clearance.FirstObstacle(s, e).has_value(), meets) << "query " << q;
            ASSERT_EQ(clearance.AllObstacles(s, e).empty(), !meets) << "query " << q;
            const Range box{s, s + Point{scene.Next(0.5, 30), scene.Next(0.5, 5), 0}};
            bool touches = false;
            for (const Range& body : bodies)
                touches = touches || (box.low.x <= body.high.x + LeaderClearanceTolerance &&
                                      body.low.x <= box.high.x + LeaderClearanceTolerance &&
                                      box.low.y <= body.high.y + LeaderClearanceTolerance &&
                                      body.low.y <= box.high.y + LeaderClearanceTolerance);
            ASSERT_EQ(clearance.BodyTouchesBody(box), touches) << "query " << q;
        }
    }
}

AssignmentLabel LabelWithOptions(const Point& anchor, const std::vector<Point>& offsets) {
    // A label box 10 by 2 at the anchor, the leader to the box corner nearest the anchor.
    AssignmentLabel label{anchor, {anchor, anchor + Point{10, 2, 0}}, {}};
    for (const Point& offset : offsets) {
        const Range moved{label.labelBox.low + offset, label.labelBox.high + offset};
        const Point attach = NearestCorner(moved, anchor);
        label.options.push_back({offset, attach, Distance(anchor, attach), 0});
    }
    std::stable_sort(
        label.options.begin(), label.options.end(),
        [](const ClearPlaceOption& a, const ClearPlaceOption& b) { return a.leaderLength < b.leaderLength; });
    return label;
}

// The places chosen never touch or cross each other, as the pass's own index sees them; the
// label with fewer places goes first, and a label whose every place is taken gets none.
TEST(ClearPlaceAssignment, ChosenPlacesKeepClearOfEachOtherAndTheCrowdedGoFirst) {
    using Choice = std::vector<std::optional<std::size_t>>;
    struct Case {
        const char* name;
        std::vector<AssignmentLabel> labels;
        std::optional<Choice> expected;  // none: only that the places keep clear
    };
    std::vector<AssignmentLabel> crowd;
    Scene scene{7};
    for (int i = 0; i < 300; ++i) {
        std::vector<Point> offsets;
        for (int k = 0; k < 8; ++k) offsets.push_back({scene.Next(-20, 10), scene.Next(-12, 12), 0});
        crowd.push_back(LabelWithOptions({scene.Next(0, 400), scene.Next(0, 400), 0}, offsets));
    }
    const std::vector<Case> cases{
        {"the one with a single place takes it, the other its second",
         {LabelWithOptions({0, 0, 0}, {{0, 3, 0}, {0, -6, 0}}), LabelWithOptions({4, 0, 0}, {{-4, 4, 0}})},
         Choice{1, 0}},
        {"a leader through the other's only body takes the next place",
         {LabelWithOptions({0, 0, 0}, {{0, 3, 0}, {-16, -8, 0}}),
          LabelWithOptions({-5, 1, 0}, {{0, 0.5, 0}})},
         Choice{1, 0}},
        {"leaders from one anchor are a fan",
         {LabelWithOptions({0, 0, 0}, {{0, 3, 0}}), LabelWithOptions({0, 0, 0}, {{0, -5, 0}})},
         Choice{0, 0}},
        {"a place taken leaves the other label none",
         {LabelWithOptions({0, 0, 0}, {{0, 3, 0}}), LabelWithOptions({1, 0, 0}, {{0, 3, 0}}),
          LabelWithOptions({50, 50, 0}, {})},
         Choice{0, std::nullopt, std::nullopt}},
        {"three hundred labels among each other", crowd, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Choice chosen = AssignClearPlaces(c.labels, 8.0);
        ASSERT_EQ(chosen.size(), c.labels.size());
        if (c.expected) {
            EXPECT_EQ(chosen, *c.expected);
        }
        EXPECT_EQ(AssignClearPlaces(c.labels, 3.0), chosen) << "the bucket size changed the choice";
        std::size_t placed = 0;
        for (std::size_t i = 0; i < c.labels.size(); ++i) {
            if (!chosen[i]) continue;
            ++placed;
            LeaderClearance others(8.0);
            for (std::size_t j = 0; j < c.labels.size(); ++j) {
                if (j == i || !chosen[j]) continue;
                const ClearPlaceOption& o = c.labels[j].options[*chosen[j]];
                others.AddBody(j + 1,
                               {c.labels[j].labelBox.low + o.offset, c.labels[j].labelBox.high + o.offset});
                others.AddLeader(j + 1, {c.labels[j].anchor, o.attach});
            }
            const ClearPlaceOption& mine = c.labels[i].options[*chosen[i]];
            EXPECT_FALSE(others.FirstObstacle(c.labels[i].anchor, mine.attach)) << "label " << i;
            EXPECT_FALSE(others.BodyTouchesBody(
                {c.labels[i].labelBox.low + mine.offset, c.labels[i].labelBox.high + mine.offset}))
                << "label " << i;
        }
        if (!c.expected) {
            EXPECT_GT(placed, c.labels.size() / 2);
        }
    }
}

}  // namespace
}  // namespace zkl
