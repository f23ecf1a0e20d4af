// Guards the PCF reader against what real exports do: their bytes (encodings, line ends,
// BOM, blank lines), their block rules (indentation, case, messages and end markers inside
// components, repeated keywords, several pipelines, materials), their points (any order,
// glued bores, tees whose run is not END-POINT 1 to 2, corners on an end), units and bores
// written as DN, inch or outside diameter, components out of order, and bad input.
#include "io/pcf_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "io/pcf_points.h"

namespace zkl::io {
namespace {

using namespace pcf;

const std::string Header = "ISOGEN-FILES ISOGEN.FLS\nUNITS-BORE MM\nUNITS-CO-ORDS MM\n";

PcfFile Parse(const std::string& text) { return ParsePcf(text, "test.pcf"); }

std::vector<std::string> Keywords(const Pipeline& pipeline) {
    std::vector<std::string> keywords;
    for (const Component& component : pipeline.components) keywords.push_back(component.keyword);
    return keywords;
}

void ExpectNear(const Point& actual, const Point& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// ---- Bytes -----------------------------------------------------------------------------

TEST(PcfReaderBytes, EveryEncodingAndLineEndReadsAsTheSamePipeline) {
    const std::string lf = Header +
                           "PIPELINE-REFERENCE 10\xC3\x98-P\n"
                           "PIPE\n    END-POINT 0 0 0 150\n    END-POINT 1000 0 0 150\n"
                           "ELBOW\n    END-POINT 1000 0 0 150\n    CENTRE-POINT 1229 0 0\n"
                           "    END-POINT 1229 229 0 150\n    SKEY ELBW\n";
    const std::string windows1252 = Replace(lf, "\xC3\x98", "\xD8");
    struct Case {
        const char* name;
        std::string bytes;
        const char* encoding;
        int skeyLine;
    };
    const std::vector<Case> cases{
        {"LF", lf, "UTF-8", 12},
        {"CRLF", Replace(lf, "\n", "\r\n"), "UTF-8", 12},
        {"CR", Replace(lf, "\n", "\r"), "UTF-8", 12},
        {"no final newline", lf.substr(0, lf.size() - 1), "UTF-8", 12},
        {"BOM", "\xEF\xBB\xBF" + lf, "UTF-8", 12},
        {"Windows-1252", windows1252, "Windows-1252", 12},
        {"blank lines inside blocks", Replace(lf, "\n    ", "\n\n  \n    "), "UTF-8", 24},
        {"trailing spaces and tabs", Replace(lf, "\n", "   \t\n"), "UTF-8", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PcfFile file = Parse(c.bytes);
        EXPECT_EQ(file.encoding, c.encoding);
        ASSERT_EQ(file.pipelines.size(), 1u);
        EXPECT_EQ(file.pipelines[0].name, "10\xC3\x98-P");
        EXPECT_EQ(Keywords(file.pipelines[0]), (std::vector<std::string>{"PIPE", "ELBOW"}));
        const Component& elbow = file.pipelines[0].components[1];
        EXPECT_EQ(elbow.points.size(), 3u);
        ASSERT_EQ(elbow.attributes.size(), 1u);
        EXPECT_EQ(elbow.attributes[0].value, "ELBW");
        EXPECT_EQ(elbow.attributes[0].line, c.skeyLine);
        EXPECT_TRUE(file.warnings.empty());
    }
}

TEST(PcfReaderBytes, AnAttributeWithoutAValueIsKeptEmpty) {
    const PcfFile file = Parse(Header +
                               "PIPELINE-REFERENCE A\nPIPE\n    END-POINT 0 0 0 50\n"
                               "    END-POINT 100 0 0 50\n    COMPONENT-ATTRIBUTE1   \n    ITEM-CODE\n");
    const Component& pipe = file.pipelines[0].components[0];
    ASSERT_EQ(pipe.attributes.size(), 2u);
    EXPECT_EQ(pipe.attributes[0].keyword, "COMPONENT-ATTRIBUTE1");
    EXPECT_EQ(pipe.attributes[0].value, "");
    EXPECT_EQ(pipe.attributes[1].line, 9);
}

// ---- Block rules -----------------------------------------------------------------------

TEST(PcfReaderBlocks, IndentationCaseAndNestedBlocksDoNotChangeWhatAComponentIs) {
    struct Case {
        const char* name;
        std::string body;
        std::vector<std::string> keywords;
        std::size_t firstPoints;
        std::size_t firstNotes;
    };
    const std::string pipe = "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 100 0 0 50\n";
    const std::string flange = "FLANGE\n    END-POINT 100 0 0 50\n    END-POINT 200 0 0 50\n";
    const std::vector<Case> cases{
        {"four spaces", pipe + flange, {"PIPE", "FLANGE"}, 2, 0},
        {"no indentation", Replace(pipe + flange, "    ", ""), {"PIPE", "FLANGE"}, 2, 0},
        {"keywords indented by one",
         " " + Replace(pipe, "\nEND", "\n END") + " " + flange,
         {"PIPE", "FLANGE"},
         2,
         0},
        {"any letter case",
         "Pipe\n    End-Point 0 0 0 50\n    end-point 100 0 0 50\n    Skey PIPE\n" + flange,
         {"PIPE", "FLANGE"},
         2,
         0},
        {"message inside",
         pipe + "    MESSAGE-SQUARE\n        TEXT LINE 1\n        CO-ORDS 50 0 300\n" + flange,
         {"PIPE", "FLANGE"},
         2,
         1},
        {"end marker inside",
         pipe + "    END-CONNECTION-EQUIPMENT\n        CO-ORDS 0 0 0\n        PIPELINE-REFERENCE OTHER\n" +
             flange,
         {"PIPE", "FLANGE"},
         2,
         1},
        {"keyword repeated inside its block",
         "PIPE\n    END-POINT 0 0 0 50\n    PIPE\n    END-POINT 100 0 0 50\n" + flange,
         {"PIPE", "FLANGE"},
         2,
         0},
        {"message between components in column 1",
         pipe + "MESSAGE-CIRCLE\n    CO-ORDS 5 5 5\n    TEXT A\n" + flange,
         {"PIPE", "FLANGE"},
         2,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PcfFile file = Parse(Header + "PIPELINE-REFERENCE MAIN\n" + c.body);
        ASSERT_EQ(file.pipelines.size(), 1u);
        EXPECT_EQ(file.pipelines[0].name, "MAIN");
        EXPECT_EQ(Keywords(file.pipelines[0]), c.keywords);
        const Component& first = file.pipelines[0].components[0];
        EXPECT_EQ(first.points.size(), c.firstPoints);
        ExpectNear(first.ends.at(1).position, {100, 0, 0});
        EXPECT_EQ(first.notes.size(), c.firstNotes);
        if (c.firstNotes) {
            EXPECT_TRUE(first.notes[0].at.has_value());
        }
    }
}

TEST(PcfReaderBlocks, PipelinesStartInColumnOneAndKeepTheirNamesAsWritten) {
    const PcfFile file = Parse(
        "PIPELINE-REFERENCE \"/PLANT/10\"-P $2 A\nUNITS-BORE MM\nUNITS-CO-ORDS MM\n"
        "REVISION 2\nPIPE\n    END-POINT 0 0 0 50\n    END-POINT 100 0 0 50\n"
        "    PIPELINE-REFERENCE NOT-A-NEW-LINE\n"
        "PIPELINE-REFERENCE 20-CW\nVALVE\n    END-POINT 0 0 0 80\n    END-POINT 300 0 0 80\n");
    ASSERT_EQ(file.pipelines.size(), 2u);
    EXPECT_EQ(file.pipelines[0].name, "\"/PLANT/10\"-P $2 A");
    EXPECT_EQ(file.pipelines[1].name, "20-CW");
    EXPECT_EQ(file.pipelines[1].line, 9);
    ASSERT_NE(FindAttribute(file.pipelines[0].attributes, "REVISION"), nullptr);
    EXPECT_EQ(FindAttribute(file.pipelines[0].components[0].attributes, "PIPELINE-REFERENCE")->value,
              "NOT-A-NEW-LINE");
    EXPECT_TRUE(file.warnings.empty()) << file.warnings[0].text;
}

TEST(PcfReaderBlocks, AMessageBeforeAnyPipelineIsWarnedAboutOnceAtItsLine) {
    const PcfFile file = Parse(Header +
                               "MESSAGE-SQUARE\n    TEXT see note\nPIPELINE-REFERENCE A\n"
                               "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 100 0 0 50\n");
    ASSERT_EQ(file.pipelines.size(), 1u);
    EXPECT_EQ(file.pipelines[0].name, "A");
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_EQ(file.warnings[0].line, 4);
}

TEST(PcfReaderBlocks, UnknownKeywordsAreKeptAndMaterialsEndTheComponents) {
    const PcfFile file =
        Parse(Header +
              "PIPELINE-REFERENCE A\nFANCY-NEW-HEADER 3\n"
              "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 100 0 0 50\n"
              "    MATERIAL-IDENTIFIER 7\n    WHATEVER-THIS-IS x y\n"
              "FLANGE\n    END-POINT 100 0 0 50\n    END-POINT 200 0 0 50\n    ITEM-CODE FL-50\n"
              "MATERIALS\nITEM-CODE 7\n    DESCRIPTION PIPE SMLS A106\n"
              "ITEM-CODE FL-50\n    DESCRIPTION FLANGE WN\n    END-POINT 1 2 3\n");
    const Pipeline& pipeline = file.pipelines[0];
    EXPECT_EQ(FindAttribute(pipeline.attributes, "FANCY-NEW-HEADER")->value, "3");
    EXPECT_EQ(FindAttribute(pipeline.components[0].attributes, "WHATEVER-THIS-IS")->value, "x y");
    ASSERT_EQ(file.materials.size(), 2u);
    ASSERT_TRUE(pipeline.components[0].material);
    EXPECT_EQ(
        FindAttribute(file.materials[*pipeline.components[0].material].attributes, "DESCRIPTION")->value,
        "PIPE SMLS A106");
    ASSERT_TRUE(pipeline.components[1].material);
    EXPECT_EQ(file.materials[*pipeline.components[1].material].itemCode, "FL-50");
    EXPECT_EQ(pipeline.components[1].points.size(), 2u) << "a point line under MATERIALS is no component's";
}

// ---- Points ----------------------------------------------------------------------------

TEST(PcfReaderPoints, EachShapeFindsItsEndsCentreAndBranchesWhateverTheLineOrder) {
    struct Case {
        const char* name;
        std::string block;
        std::vector<Point> ends;
        std::optional<Point> centre;
        std::vector<Point> branches;
        double deflection;
    };
    const std::vector<Case> cases{
        {"points after attributes, reversed",
         "PIPE\n    SKEY PIPE\n    END-POINT 5 0 0 50\n    END-POINT 0 0 0 50\n",
         {{5, 0, 0}, {0, 0, 0}},
         std::nullopt,
         {},
         0},
        {"elbow corner",
         "ELBOW\n    CENTRE-POINT 229 0 0\n    END-POINT 0 0 0 150\n    END-POINT 229 229 0 150\n",
         {{0, 0, 0}, {229, 229, 0}},
         Point{229, 0, 0},
         {},
         90},
        {"45 degree bend with the angle between the legs",
         "BEND\n    END-POINT 0 0 0 150\n    CENTRE-POINT 100 0 0\n"
         "    END-POINT 170.7107 70.7107 0 150\n    ANGLE 13500\n",
         {{0, 0, 0}, {170.7107, 70.7107, 0}},
         Point{100, 0, 0},
         {},
         45},
        {"tee, run from END-POINT 1 to 2",
         "TEE\n    END-POINT -100 0 0 150\n    END-POINT 100 0 0 150\n"
         "    CENTRE-POINT 0 0 0\n    BRANCH1-POINT 0 100 0 100\n",
         {{-100, 0, 0}, {100, 0, 0}},
         Point{0, 0, 0},
         {{0, 100, 0}},
         0},
        {"tee, run from END-POINT 1 to the branch point",
         "TEE\n    BRANCH1-POINT 100 0 0 150\n    CENTRE-POINT 0 0 0\n"
         "    END-POINT -100 0 0 150\n    END-POINT 0 100 0 100\n",
         {{-100, 0, 0}, {100, 0, 0}},
         Point{0, 0, 0},
         {{0, 100, 0}},
         0},
        {"set-on tee",
         "TEE-SET-ON\n    CENTRE-POINT 0 0 0\n    BRANCH1-POINT 0 0 120 50\n",
         {},
         Point{0, 0, 0},
         {{0, 0, 120}},
         0},
        {"olet",
         "OLET\n    CENTRE-POINT 50 0 0\n    BRANCH1-POINT 50 0 90 25\n",
         {},
         Point{50, 0, 0},
         {{50, 0, 90}},
         0},
        {"support", "SUPPORT\n    CO-ORDS 30 0 -84 150\n    SKEY 01HG\n", {}, Point{30, 0, -84}, {}, 0},
        {"cap", "CAP\n    END-POINT 7 8 9 50\n", {{7, 8, 9}}, std::nullopt, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PcfFile file = Parse(Header + "PIPELINE-REFERENCE A\n" + c.block);
        ASSERT_EQ(file.pipelines[0].components.size(), 1u);
        const Component& component = file.pipelines[0].components[0];
        ASSERT_EQ(component.ends.size(), c.ends.size());
        for (std::size_t i = 0; i < c.ends.size(); ++i) ExpectNear(component.ends[i].position, c.ends[i]);
        ASSERT_EQ(component.centre.has_value(), c.centre.has_value());
        if (c.centre) ExpectNear(*component.centre, *c.centre);
        ASSERT_EQ(component.branches.size(), c.branches.size());
        for (std::size_t i = 0; i < c.branches.size(); ++i)
            ExpectNear(component.branches[i].position, c.branches[i]);
        EXPECT_NEAR(component.deflection, c.deflection, 0.01);
    }
}

TEST(PcfReaderPoints, BoreAndEndTypeMayBeGluedOrMissing) {
    const PcfFile file = Parse(
        "UNITS-BORE INCH\nUNITS-CO-ORDS MM\nPIPELINE-REFERENCE A\n"
        "FLANGE\n    END-POINT 0 0 0 6BW\n    END-POINT 100 0 0 6 FL\n"
        "PIPE\n    END-POINT 100 0 0\n    END-POINT 300 0 0 bw\n"
        "PIPE\n    END-POINT 300 0 0 -6\n    END-POINT 400 0 0 6\n");
    const auto& flange = file.pipelines[0].components[0];
    EXPECT_EQ(flange.ends[0].endType, "BW");
    EXPECT_EQ(flange.ends[1].endType, "FL");
    EXPECT_EQ(flange.ends[0].bore->nominal, 150);
    const auto& pipe = file.pipelines[0].components[1];
    EXPECT_FALSE(pipe.ends[0].bore);
    EXPECT_FALSE(pipe.ends[1].bore);
    EXPECT_EQ(pipe.ends[1].endType, "BW");
    // A negative bore is no size: the point is read without one, and the line is named.
    const auto& next = file.pipelines[0].components[2];
    EXPECT_FALSE(next.ends[0].bore);
    EXPECT_EQ(next.ends[1].bore->nominal, 150);
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_EQ(file.warnings[0].line, 11);
    EXPECT_EQ(file.warnings[0].text, "bore -6 is below 0; the point is read without a bore");
}

TEST(PcfReaderPoints, AnElbowWithoutAUsableCornerTakesItFromItsNeighbours) {
    // The corner written on an end point, and one not written at all; the legs' directions
    // come from the pipes on either side (first one, then both).
    for (const char* centre : {"    CENTRE-POINT 1000 0 0\n", ""}) {
        for (const bool secondPipe : {false, true}) {
            SCOPED_TRACE(std::string(centre) + (secondPipe ? " two pipes" : " one pipe"));
            const PcfFile file = Parse(
                Header + "PIPELINE-REFERENCE A\nELBOW\n    END-POINT 1000 0 0 150\n" + centre +
                "    END-POINT 1229 229 0 150\nPIPE\n    END-POINT 0 0 0 150\n    END-POINT 1000 0 0 150\n" +
                (secondPipe ? "PIPE\n    END-POINT 1229 229 0 150\n    END-POINT 1229 2000 0 150\n" : ""));
            ASSERT_EQ(file.pipelines[0].skipped.size(), 0u);
            const Component& elbow = file.pipelines[0].components[0];
            ASSERT_TRUE(elbow.centre);
            ExpectNear(*elbow.centre, {1229, 0, 0}, 1e-6);
            EXPECT_NEAR(elbow.deflection, 90, 1e-6);
        }
    }
}

// ---- Units and bores -------------------------------------------------------------------

TEST(PcfReaderUnits, BoresAreReadAsNominalSizesWhateverFormTheyWereWrittenIn) {
    struct Case {
        const char* units;
        const char* written;
        double nominal;
        double outside;
        bool matched;
    };
    const std::vector<Case> cases{
        {"MM", "150", 150, 168.3, true},   {"MM", "152.4", 150, 168.3, true},
        {"MM", "168.3", 150, 168.3, true}, {"MM", "168", 150, 168.3, true},
        {"MM", "25.4", 25, 33.4, true},    {"MM", "19.05", 20, 26.7, true},
        {"MM", "610", 600, 609.6, true},   {"MM", "88.9", 80, 88.9, true},
        {"MM", "101.6", 100, 114.3, true}, {"INCH", "6", 150, 168.3, true},
        {"INCH", "0.75", 20, 26.7, true},  {"INCH", "24", 600, 609.6, true},
        {"MM", "7.3", 7.3, 7.3, false},    {"INCH", "7", 177.8, 177.8, false},
        {"MM", "157", 157, 157, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.units) + " " + c.written);
        const PcfFile file =
            Parse(std::string("UNITS-BORE ") + c.units + "\nUNITS-CO-ORDS MM\nPIPELINE-REFERENCE A\n" +
                  "PIPE\n    END-POINT 0 0 0 " + c.written + "\n    END-POINT 100 0 0 " + c.written + "\n");
        const Bore bore = *file.pipelines[0].components[0].MainBore();
        EXPECT_NEAR(bore.nominal, c.nominal, 1e-9);
        EXPECT_NEAR(bore.outside, c.outside, 1e-9);
        EXPECT_EQ(bore.size.has_value(), c.matched);
        EXPECT_EQ(bore.written, std::stod(c.written));
        ASSERT_EQ(file.warnings.size(), c.matched ? 0u : 1u);
        if (!c.matched) {
            EXPECT_EQ(file.warnings[0].line, 5);
            EXPECT_NE(file.warnings[0].text.find("fits no nominal pipe size"), std::string::npos);
        }
    }
}

TEST(PcfReaderUnits, EveryReadingOfEveryNominalSizeLeadsBackToThatSize) {
    for (const PipeSize& size : NominalPipeSizes()) {
        SCOPED_TRACE(size.inches);
        EXPECT_EQ(SizeOfMillimetreBore(size.nominal), size);
        EXPECT_EQ(SizeOfMillimetreBore(size.inches * 25.4), size);
        EXPECT_EQ(SizeOfMillimetreBore(size.outside), size);
        EXPECT_EQ(SizeOfInchBore(size.inches), size);
    }
}

TEST(PcfReaderUnits, CoordinatesAreMillimetreDoublesWithoutNegativeZeroAndKeepTheirSlope) {
    struct Case {
        const char* name;
        std::string header;
        std::string end1, end2;
        Point expected1, expected2;
        std::size_t warnings;
    };
    const std::vector<Case> cases{
        {"far from the origin",
         Header,
         "1000000123.4 -2000000456.7 101.25",
         "1000006123.4 -2000000456.7 99.25",
         {1000000123.4, -2000000456.7, 101.25},
         {1000006123.4, -2000000456.7, 99.25},
         0},
        {"negative zero", Header, "-0.0000 -0.0 0", "100 -0.0000 -0", {0, 0, 0}, {100, 0, 0}, 0},
        {"inch co-ordinates",
         "UNITS-BORE MM\nUNITS-CO-ORDS INCH\n",
         "10 20 30",
         "10 20 40",
         {254, 508, 762},
         {254, 508, 1016},
         0},
        {"header after the pipeline reference",
         "",
         "10 20 30",
         "10 20 40",
         {254, 508, 762},
         {254, 508, 1016},
         0},
        {"no header", "", "1 2 3", "4 5 6", {1, 2, 3}, {4, 5, 6}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool late = std::string(c.name) == "header after the pipeline reference";
        const PcfFile file =
            Parse(c.header + "PIPELINE-REFERENCE A\n" + (late ? "UNITS-CO-ORDS INCH\nUNITS-BORE MM\n" : "") +
                  "PIPE\n    END-POINT " + c.end1 + " 150\n    END-POINT " + c.end2 + " 150\n");
        const Component& pipe = file.pipelines[0].components[0];
        ExpectNear(pipe.ends[0].position, c.expected1, 1e-6);
        ExpectNear(pipe.ends[1].position, c.expected2, 1e-6);
        for (const PointLine& end : pipe.ends)
            for (const double value : {end.position.x, end.position.y, end.position.z})
                if (value == 0) {
                    EXPECT_FALSE(std::signbit(value));
                }
        EXPECT_EQ(file.warnings.size(), c.warnings);
        if (c.warnings) {
            EXPECT_NE(file.warnings[0].text.find("millimetres are assumed"), std::string::npos);
        }
    }
}

// ---- Order and connectivity ------------------------------------------------------------

TEST(PcfReaderOrder, ComponentsOutOfOrderAndCutRunsAreWalkedInFlowOrder) {
    // A line from west to east in four pieces and an elbow, written in shuffled order with
    // one piece reversed, plus an unconnected line.
    const PcfFile file = Parse(Header +
                               "PIPELINE-REFERENCE A\n"
                               "PIPE\n    END-POINT 2000 0 0 50\n    END-POINT 1000.3 0 0 50\n"  // 1
                               "ELBOW\n    END-POINT 3000 0 0 50\n    CENTRE-POINT 3076 0 0\n"
                               "    END-POINT 3076 76 0 50\n"                                  // 3
                               "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 1000 0 0 50\n"     // 0
                               "PIPE\n    END-POINT 9000 0 0 50\n    END-POINT 9500 0 0 50\n"  // 4
                               "PIPE\n    END-POINT 2000.2 0.1 0 50\n    END-POINT 3000 0 0 50\n");
    const Pipeline& pipeline = file.pipelines[0];
    const Connectivity connectivity = Connect(pipeline.components);
    EXPECT_EQ(FlowOrder(pipeline.components, connectivity), (std::vector<std::size_t>{2, 0, 4, 1, 3}));
    EXPECT_EQ(connectivity.links[2][1], (PortId{0, 1})) << "0.3 mm apart: connected";
    EXPECT_EQ(connectivity.links[0][0], (PortId{4, 0}));
    EXPECT_EQ(connectivity.links[4][1], (PortId{1, 0}));
    EXPECT_FALSE(connectivity.links[1][1]);
    EXPECT_FALSE(connectivity.links[3][0]);
}

TEST(PcfReaderOrder, PortsConnectWithinHalfAMillimetreOnly) {
    for (const auto& [gap, connected] :
         std::vector<std::pair<double, bool>>{{0, true}, {0.49, true}, {0.51, false}}) {
        SCOPED_TRACE(gap);
        const auto end = [](const Point& at) {
            PointLine point;
            point.position = at;
            return point;
        };
        Component a, b;
        a.ends = {end({0, 0, 0}), end({100, 0, 0})};
        b.ends = {end({100, 0, gap}), end({200, 0, 0})};
        const Connectivity connectivity = Connect({a, b});
        EXPECT_EQ(connectivity.links[0][1].has_value(), connected);
    }
}

// ---- Bad input -------------------------------------------------------------------------

TEST(PcfReaderBadInput, TextThatIsNoPcfIsRefusedWithItsFileAndLine) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    };
    const std::vector<Case> cases{
        {"empty", "", "bad.pcf: the file is empty"},
        {"blank", "\r\n  \n\n", "bad.pcf: the file holds only blank lines"},
        {"binary", "PK\x03\x04zip\nmore\n", "bad.pcf:1: not a PCF file: binary data (byte 0x03)"},
        {"NUL on line 3", Header.substr(0, Header.size() - 1) + std::string("\0x", 2),
         "bad.pcf:3: not a PCF file: binary data (byte 0x00)"},
        {"no components", Header + "PIPELINE-REFERENCE A\n    REVISION 0\n",
         "bad.pcf: no components: not one PIPE, ELBOW, TEE, FLANGE, VALVE or other component line"},
        {"none readable",
         Header + "PIPELINE-REFERENCE A\nPIPE\n    END-POINT 0 0 0\nELBOW\n    END-POINT 0 0 0\n",
         "bad.pcf:5: no component could be read: 2 skipped, the first because PIPE needs two END-POINTs and "
         "has 1 END-POINT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ParsePcf(c.bytes, "bad.pcf");
            ADD_FAILURE() << "accepted";
        } catch (const PcfError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
    EXPECT_THROW(ReadPcf(std::filesystem::temp_directory_path() / "zkl-no-such-file.pcf"), FileError);
}

TEST(PcfReaderBadInput, ComponentsThatLackPointsAreSkippedWithTheirLineAndTheRestIsRead) {
    const PcfFile file =
        Parse(Header +
              "PIPELINE-REFERENCE A\n"
              "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 100 0 0 50\n"
              "PIPE\n    END-POINT 100 0 0 50\n    END-POINT 1oo 0 0 50\n"
              "ELBOW\n    END-POINT 0 0 0 50\n    CENTRE-POINT 0 0 0\n    END-POINT 0 0 0 50\n"
              "TEE\n    END-POINT 0 0 0 50\n    BRANCH1-POINT 0 0 9 50\n"
              "ELBOW\n    END-POINT 500 0 0 50\n    END-POINT 576 76 0 50\n"
              "SUPPORT\n    SKEY 01HG\n"
              "PIPE\n    END-POINT 0 0 0 50\n    END-POINT 3e26 0 0 50\n");
    const Pipeline& pipeline = file.pipelines[0];
    EXPECT_EQ(Keywords(pipeline), std::vector<std::string>{"PIPE"});
    std::vector<std::pair<int, std::string>> skipped;
    for (const Skipped& s : pipeline.skipped) skipped.emplace_back(s.line, s.reason);
    EXPECT_EQ(skipped, (std::vector<std::pair<int, std::string>>{
                           {8, "PIPE needs two END-POINTs and has 1 END-POINT"},
                           {11, "its END-POINTs coincide"},
                           {15, "TEE needs a CENTRE-POINT and a BRANCH1-POINT"},
                           {18,
                            "its CENTRE-POINT is missing or lies on an end, and no connected component shows "
                            "where its legs meet"},
                           {21, "SUPPORT needs CO-ORDS"},
                           {23, "PIPE needs two END-POINTs and has 1 END-POINT"},
                       }));
    std::vector<std::pair<int, std::string>> warnings;
    for (const Warning& w : file.warnings) warnings.emplace_back(w.line, w.text);
    EXPECT_EQ(warnings,
              (std::vector<std::pair<int, std::string>>{
                  {10, "END-POINT needs three coordinates, found \"1oo 0 0 50\"; the line is ignored"},
                  {25,
                   "END-POINT has the coordinate 3e26, farther than any plant reaches; the line is "
                   "ignored"},
              }));
}

}  // namespace
}  // namespace zkl::io
