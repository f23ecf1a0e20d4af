// Guards CadHost's design file and models: level look-up and creation, changes to the
// active model only, scans by type, level and range in model order, attachments and the
// geometry questions the host answers about elements.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cad/cad_host.h"
#include "test_drawings.h"

namespace zkl::cad {
namespace {

using test::BasicDrawing;
using test::Ids;
using ::testing::HasSubstr;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const HostError& error) {
        return error.what();
    }
    return "no error";
}

TEST(CadHostDesignFile, MissingLevelIsReportedByName) {
    CadHost host(BasicDrawing());
    EXPECT_EQ(host.FindLevel("Piping"), (Level{2, "Piping"}));
    EXPECT_EQ(ErrorOf([&] { host.FindLevel("ZKL_Border"); }),
              "level 'ZKL_Border' does not exist in the design file");
}

TEST(CadHostDesignFile, CreatedLevelsTakeTheNextIdAndExistingNamesAreReturned) {
    CadHost host(BasicDrawing());
    EXPECT_EQ(host.CreateLevel("ZKL_Border"), (Level{6, "ZKL_Border"}));
    EXPECT_EQ(host.CreateLevel("ZKL_Text"), (Level{7, "ZKL_Text"}));
    EXPECT_EQ(host.CreateLevel("Piping"), (Level{2, "Piping"}));
    EXPECT_EQ(host.Levels().size(), 5u);
    EXPECT_EQ(host.FindLevel("ZKL_Border").id, 6);
    EXPECT_EQ(host.LevelCommitCount(), 0);
    host.CommitLevels();
    EXPECT_EQ(host.LevelCommitCount(), 1);
    EXPECT_THROW(host.CreateLevel(""), HostError);
}

TEST(CadHostModel, AddedElementGetsANewIdInTheActiveModelWhateverItCarried) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    Element copy = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {1, 0, 0}));
    test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {2, 0, 0}));
    CadHost host(std::move(drawing));

    ASSERT_EQ(copy.model, plant);
    const ElementId id = host.AddElement(copy);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(copy.id, 2);
    EXPECT_EQ(copy.model, ActiveModelId);
    EXPECT_EQ(host.GetElement(ActiveModelId, 2), copy);
    EXPECT_EQ(host.GetDrawing().attachments[0].model.Size(), 1u);
}

TEST(CadHostModel, AttachmentAndDetachedElementsCannotBeChanged) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    const Element component = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {1, 0, 0}));
    CadHost host(std::move(drawing));

    EXPECT_THAT(ErrorOf([&] { host.RewriteElement(component); }),
                HasSubstr("belongs to reference attachment 'plant' and cannot be changed"));
    EXPECT_THAT(ErrorOf([&] { host.RemoveElement(component); }),
                HasSubstr("belongs to reference attachment 'plant' and cannot be changed"));
    EXPECT_THAT(ErrorOf([&] { host.RemoveElement(MakeLine({0, 0, 0}, {1, 1, 0})); }), HasSubstr("detached"));
    Element gone = MakeLine({0, 0, 0}, {1, 1, 0});
    host.AddElement(gone);
    host.RemoveElement(gone);
    EXPECT_THAT(ErrorOf([&] { host.RewriteElement(gone); }), HasSubstr("does not exist in the active model"));
    EXPECT_EQ(host.Journal().StepCount(), 1u);  // failed changes are not journalled
    EXPECT_EQ(host.Journal().Steps()[0].size(), 2u);
}

// A cell `levels` deep: each level a cell whose one component is the next, the last holding a line.
Element NestedCell(int levels) {
    Element cell = MakeCell("C", {MakeLine({0, 0, 0}, {1, 1, 0})}, {0, 0, 0});
    for (int level = 2; level <= levels; ++level) {
        std::vector<Element> parts;
        parts.push_back(std::move(cell));
        cell = MakeCell("C", std::move(parts), {0, 0, 0});
    }
    return cell;
}

TEST(CadHostModel, CellsNestedDeeperThanTheLimitCannotEnterAModel) {
    // Every way into a model, each given a host whose active model holds line 1.
    using Enter = std::function<void(CadHost&, Element)>;
    const std::vector<std::pair<std::string, Enter>> ways{
        {"CadHost::AddElement", [](CadHost& host, Element e) { host.AddElement(e); }},
        {"CadHost::RewriteElement",
         [](CadHost& host, Element e) {
             e.id = 1;
             host.RewriteElement(e);
         }},
        {"Drawing::Add", [](CadHost& host, Element e) { host.GetDrawing().Add(ActiveModelId, e); }},
        {"Drawing::Insert",
         [](CadHost& host, Element e) {
             e.id = 2;
             host.GetDrawing().Insert(ActiveModelId, static_cast<const Element&>(e));
         }},
        {"Drawing::Insert of a temporary",
         [](CadHost& host, Element e) {
             e.id = 2;
             host.GetDrawing().Insert(ActiveModelId, std::move(e));
         }},
        {"Drawing::Replace",
         [](CadHost& host, Element e) {
             e.id = 1;
             host.GetDrawing().Replace(ActiveModelId, e);
         }},
        {"ElementStore::Add",
         [](CadHost& host, Element e) { host.GetDrawing().activeModel.Add(e, Range{}); }},
        {"ElementStore::Insert",
         [](CadHost& host, Element e) {
             e.id = 2;
             host.GetDrawing().activeModel.Insert(e, Range{});
         }},
        {"ElementStore::Replace",
         [](CadHost& host, Element e) {
             e.id = 1;
             host.GetDrawing().activeModel.Replace(e, Range{});
         }},
    };
    const auto hostWithALine = [] {
        Drawing drawing = BasicDrawing();
        test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {1, 0, 0}));
        return CadHost(std::move(drawing));
    };
    for (const auto& [way, enter] : ways) {
        for (const int levels : {MaxCellNesting + 1, 1000}) {
            CadHost host = hostWithALine();
            const std::vector<Element> before = test::Contents(host.GetDrawing().activeModel);
            EXPECT_THAT(ErrorOf([&] { enter(host, NestedCell(levels)); }),
                        HasSubstr("holds cells nested deeper than 64 levels"))
                << way << ", " << levels << " levels";
            EXPECT_EQ(test::Contents(host.GetDrawing().activeModel), before) << way;
            EXPECT_EQ(host.Journal().StepCount(), 0u) << way;
        }
        CadHost host = hostWithALine();
        EXPECT_EQ(ErrorOf([&] { enter(host, NestedCell(MaxCellNesting)); }), "no error") << way;
        int deepest = 0;
        for (const Element& element : test::Contents(host.GetDrawing().activeModel))
            deepest = std::max(deepest, CellNesting(element));
        EXPECT_EQ(deepest, MaxCellNesting) << way;
    }
}

TEST(CadHostModel, GetElementReadsAttachmentsAndNamesTheModelWhenMissing) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    const Element component = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {1, 0, 0}));
    CadHost host(std::move(drawing));

    EXPECT_EQ(host.GetElement(plant, component.id), component);
    EXPECT_EQ(host.GetElement(plant, component.id).model, plant);
    EXPECT_EQ(ErrorOf([&] { host.GetElement(plant, 99); }),
              "element 99 does not exist in reference attachment 'plant'");
    EXPECT_EQ(ErrorOf([&] { host.GetElement(ActiveModelId, 1); }),
              "element 1 does not exist in the active model");
    EXPECT_THROW(host.GetElement(2, 1), HostError);
}

TEST(CadHostModel, ScansSelectByTypeLevelAndRangeInModelOrder) {
    Drawing drawing = BasicDrawing();
    using test::OnLevel;
    // Ids 1..6; the border shape is added before the elements it surrounds.
    test::AddTo(drawing, ActiveModelId, OnLevel(test::Square({0, 0, 0}, 100), "Border"));          // 1
    test::AddTo(drawing, ActiveModelId, OnLevel(MakeLine({10, 10, 0}, {20, 10, 0}), "Piping"));    // 2
    test::AddTo(drawing, ActiveModelId, OnLevel(MakeText("P-1", {12, 12, 0}), "Default"));         // 3
    test::AddTo(drawing, ActiveModelId, OnLevel(test::Square({200, 0, 0}, 50), "Border"));         // 4
    test::AddTo(drawing, ActiveModelId, OnLevel(MakeLine({210, 10, 0}, {220, 10, 0}), "Piping"));  // 5
    test::AddTo(drawing, ActiveModelId, OnLevel(MakeEllipse({15, 15, 0}, 2, 2), "Piping"));        // 6
    CadHost host(std::move(drawing));

    auto criteria = [](auto change) {
        ScanCriteria c;
        change(c);
        return c;
    };
    struct Case {
        const char* what;
        ScanCriteria criteria;
        std::vector<ElementId> expected;
    };
    const std::vector<Case> cases = {
        {"everything", {}, {1, 2, 3, 4, 5, 6}},
        {"no type included", criteria([](ScanCriteria& c) { c.ExcludeAllTypes(); }), {}},
        {"shapes", criteria([](ScanCriteria& c) { c.IncludeType(ElementType::Shape); }), {1, 4}},
        {"lines and ellipses",
         criteria([](ScanCriteria& c) {
             c.ExcludeAllTypes();
             c.IncludeType(ElementType::Line);
             c.IncludeType(ElementType::Ellipse);
         }),
         {2, 5, 6}},
        {"border shapes",
         criteria([](ScanCriteria& c) {
             c.IncludeType(ElementType::Shape);
             c.ExcludeAllLevels();
             c.IncludeLevel("Border");
         }),
         {1, 4}},
        {"no level included", criteria([](ScanCriteria& c) { c.ExcludeAllLevels(); }), {}},
        {"within the first area",
         criteria([](ScanCriteria& c) {
             c.IncludeOnlyWithin({{5, 5, 0}, {30, 30, 0}});
         }),
         {1, 2, 3, 6}},
        {"piping at a point",
         criteria([](ScanCriteria& c) {
             c.IncludeLevel("Piping");
             c.IncludeOnlyWithin(Range::FromPoint({215, 10, 0}));
         }),
         {5}},
        {"range that meets nothing",
         criteria([](ScanCriteria& c) {
             c.IncludeOnlyWithin({{120, 120, 0}, {130, 130, 0}});
         }),
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Ids(host.Scan(c.criteria)), c.expected) << c.what;
}

TEST(CadHostModel, RangeScanKeepsIdOrderOverManyElements) {
    Drawing drawing = BasicDrawing();
    // Added in a scattered order of position, so the R-tree's order differs from id order.
    for (int i = 0; i < 200; ++i) {
        const double x = (i * 37) % 200;
        test::AddTo(drawing, ActiveModelId, MakeLine({x, 0, 0}, {x + 0.5, 0, 0}));
    }
    CadHost host(std::move(drawing));
    ScanCriteria criteria;
    criteria.IncludeOnlyWithin({{-1, -1, 0}, {300, 1, 0}});
    const std::vector<ElementId> ids = Ids(host.Scan(criteria));
    ASSERT_EQ(ids.size(), 200u);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST(CadHostModel, SelectionKeepsOrderWithoutDuplicatesAndOnlyTakesActiveElements) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", Transform3d::Identity());
    const Element component = test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {1, 0, 0}));
    const Element a = test::AddTo(drawing, ActiveModelId, MakeLine({0, 0, 0}, {1, 0, 0}));
    const Element b = test::AddTo(drawing, ActiveModelId, MakeLine({0, 1, 0}, {1, 1, 0}));
    CadHost host(std::move(drawing));

    host.SelectElement(b);
    host.SelectElement(a);
    host.SelectElement(b);
    EXPECT_EQ(host.SelectedElements(), (std::vector<ElementId>{b.id, a.id}));
    EXPECT_THROW(host.SelectElement(component), HostError);
    EXPECT_THROW(host.SelectElement(MakeLine({0, 0, 0}, {1, 0, 0})), HostError);

    host.SetHighlight(component, true);
    host.SetHighlight(a, true);
    host.SetHighlight(a, false);
    EXPECT_EQ(host.Highlighted(), (std::set<std::pair<ModelId, ElementId>>{{plant, component.id}}));
    host.RemoveElement(b);
    EXPECT_EQ(host.SelectedElements(), std::vector<ElementId>{a.id});
}

TEST(CadHostModel, AttachmentsReportTheirTransformsAndRangeInActiveCoordinates) {
    Drawing drawing = BasicDrawing();
    const ModelId plant = test::Attach(drawing, "plant", test::QuarterTurnThenShift({100, 0, 0}));
    drawing.attachments[0].unitFactor = 1000;
    drawing.attachments[0].scaleDivisor = 4;
    test::AddTo(drawing, plant, MakeLine({0, 0, 0}, {10, 0, 0}));
    test::Attach(drawing, "grid", Transform3d::Identity(), false);
    CadHost host(std::move(drawing));

    const std::vector<AttachmentInfo> infos = host.Attachments();
    ASSERT_EQ(infos.size(), 2u);
    const AttachmentInfo& info = infos[0];
    EXPECT_EQ(info.model, 1);
    EXPECT_EQ(info.name, "plant");
    EXPECT_EQ(info.unitFactor, 1000);
    EXPECT_EQ(info.scaleDivisor, 4);
    EXPECT_TRUE(info.displayed);
    EXPECT_FALSE(infos[1].displayed);
    const Point there = info.toActive.Apply({10, 0, 0});
    EXPECT_NEAR(there.x, 100, 1e-9);
    EXPECT_NEAR(there.y, 10, 1e-9);
    const Point back = info.toReference.Apply(there);
    EXPECT_NEAR(back.x, 10, 1e-9);
    EXPECT_NEAR(back.y, 0, 1e-9);
    EXPECT_NEAR(info.range.low.x, 100, 1e-9);
    EXPECT_NEAR(info.range.high.y, 10, 1e-9);

    struct Case {
        ModelId model;
        bool reference;
    };
    for (const Case& c : {Case{-1, false}, Case{0, false}, Case{1, true}, Case{2, true}, Case{3, false}})
        EXPECT_EQ(host.IsAttachedReference(c.model), c.reference) << c.model;
    EXPECT_THROW(host.Attachment(ActiveModelId), HostError);
    EXPECT_THROW(host.Attachment(3), HostError);
}

TEST(CadHostGeometry, TextBoxIsOnlyForTexts) {
    CadHost host(BasicDrawing());
    Element text = MakeText("AB", {10, 20, 0});
    text.Text().width = 2;
    text.Text().height = 3;
    const Range box = host.TextBox(text);
    EXPECT_EQ(box, host.ElementRange(text));
    EXPECT_NEAR(box.high.x - box.low.x, 4, 1e-9);
    EXPECT_NEAR(box.high.y - box.low.y, 3, 1e-9);
    EXPECT_THAT(ErrorOf([&] { host.TextBox(MakeLine({0, 0, 0}, {1, 0, 0})); }), HasSubstr("is not a text"));
}

TEST(CadHostGeometry, IntersectionsInATurnedViewComeBackInModelCoordinates) {
    CadHost host(BasicDrawing());
    const Element line = MakeLine({0, 5, 0}, {20, 5, 0});
    const Element square = test::Square({5, 0, 0}, 10);
    const std::vector<Point> plan = host.Intersections(line, square);
    const std::vector<Point> turned =
        host.Intersections(line, square, Matrix3d::RotationAboutAxisIndex(2, 0.4));
    ASSERT_EQ(plan.size(), 2u);
    ASSERT_EQ(turned.size(), 2u);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_NEAR(turned[i].x, plan[i].x, 1e-9);
        EXPECT_NEAR(turned[i].y, plan[i].y, 1e-9);
    }
    EXPECT_NEAR(plan[0].x, 5, 1e-9);
    EXPECT_NEAR(plan[1].x, 15, 1e-9);
}

}  // namespace
}  // namespace zkl::cad
