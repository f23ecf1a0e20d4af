// Guards the PDF plot of a sheet: the paper the page rule picks, the annotated example sheet
// on A3 with every label findable as text, texts filling their boxes, colours, dimming,
// dashes and ellipses where the SVG has them (read back from a rasterised page), hostile
// text kept as text, and the same bytes for the same sheet. Reading a PDF back needs
// poppler-utils; without it those tests are skipped.
#include "io/pdf_renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "commands/automatic_placement.h"
#include "commands/placement_session.h"

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

constexpr double PointsPerMillimetre = 72.0 / 25.4;

// ---- Reading a PDF back with poppler-utils -----------------------------------------------

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, read);
    pclose(pipe);
    return text;
}

std::string Collapsed(const std::string& text) { return std::regex_replace(text, std::regex("\\s+"), " "); }

class PdfFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo, pdftoppm) is not installed";
        folder_ =
            fs::temp_directory_path() / ("zkl_pdf_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Writes the PDF and returns its path, quoted for the shell.
    std::string Write(const std::string& pdf) {
        const fs::path path = folder_ / "plot.pdf";
        std::ofstream(path, std::ios::binary) << pdf;
        return "'" + path.string() + "'";
    }

    // The page rasterised at one pixel per point, as rows of RGB bytes.
    struct Raster {
        int width = 0, height = 0;
        std::string pixels;
        std::array<int, 3> At(double xMillimetres, double yMillimetres, double pageHeightMillimetres) const {
            const int x = static_cast<int>(xMillimetres * PointsPerMillimetre);
            const int y = static_cast<int>((pageHeightMillimetres - yMillimetres) * PointsPerMillimetre);
            const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
            return {static_cast<unsigned char>(pixels[at]), static_cast<unsigned char>(pixels[at + 1]),
                    static_cast<unsigned char>(pixels[at + 2])};
        }
    };
    Raster Rasterise(const std::string& pdf) {
        const fs::path root = folder_ / "page";
        Output("pdftoppm -r 72 -singlefile " + Write(pdf) + " '" + root.string() + "'");
        std::ifstream ppm(root.string() + ".ppm", std::ios::binary);
        Raster raster;
        std::string magic;
        int maximum = 0;
        ppm >> magic >> raster.width >> raster.height >> maximum;
        ppm.get();
        raster.pixels.assign(std::istreambuf_iterator<char>(ppm), {});
        EXPECT_EQ(magic, "P6");
        EXPECT_EQ(raster.pixels.size(), static_cast<std::size_t>(raster.width) * raster.height * 3);
        return raster;
    }

    fs::path folder_;
};

// ---- Drawings ----------------------------------------------------------------------------

DisplayElement Piece(Element shape, Rgb colour, double strokeWidth = 0.18, std::vector<double> dashes = {}) {
    DisplayElement shown;
    shown.type = shape.type;
    shown.style.colour = colour;
    shown.style.strokeWidth = strokeWidth;
    shown.style.dashes = std::move(dashes);
    shown.shape = std::move(shape);
    return shown;
}

Element Text(const std::string& content, const Point& origin, double height, double width) {
    Element text = MakeText(content, origin);
    text.Text().height = height;
    text.Text().width = width;
    return text;
}

// Every text of a cell and of the cells within it.
void CollectTexts(const Element& cell, std::vector<std::string>& texts) {
    for (const Element& component : cell.Cell().components) {
        if (component.IsText()) texts.push_back(component.Text().text);
        if (component.IsCell()) CollectTexts(component, texts);
    }
}

// ---- Tests -------------------------------------------------------------------------------

TEST(PdfPage, TheSmallestIsoPaperFromTheOriginHoldsTheDrawingAndAnythingElseGetsAPageCutToIt) {
    const struct {
        const char* what;
        std::optional<Range> extent;
        std::optional<IsoPaper> forced;
        const char* paper;
        double width, height, scale;
        Point origin;
    } table[] = {
        {"the example's A3 frame", Range{{0, 0, 0}, {420, 297, 0}}, {}, "A3", 420, 297, 1, {0, 0, 0}},
        {"a frame stroked on the edge", Range{{-0.5, -0.5, 0}, {420.5, 297.5, 0}}, {}, "A3", 420, 297, 1, {}},
        {"a tall drawing", Range{{10, 10, 0}, {200, 280, 0}}, {}, "A4", 210, 297, 1, {}},
        {"a wide drawing", Range{{0, 0, 0}, {250, 100, 0}}, {}, "A4", 297, 210, 1, {}},
        {"just wider than A4", Range{{0, 0, 0}, {300, 100, 0}}, {}, "A3", 420, 297, 1, {}},
        {"far up the sheet", Range{{100, 250, 0}, {200, 290, 0}}, {}, "A4", 210, 297, 1, {}},
        {"taller than A4", Range{{0, 0, 0}, {100, 400, 0}}, {}, "A3", 297, 420, 1, {}},
        {"a whole A0", Range{{0, 0, 0}, {1189, 841, 0}}, {}, "A0", 1189, 841, 1, {}},
        {"past A0", Range{{0, 0, 0}, {1300, 100, 0}}, {}, "", 1320, 120, 1, {-10, -10, 0}},
        {"left of the origin", Range{{-50, 0, 0}, {100, 100, 0}}, {}, "", 170, 120, 1, {-60, -10, 0}},
        {"beyond what readers open", Range{{0, 0, 0}, {10120, 100, 0}}, {}, "", 5080, 70, 0.5, {-20, -20, 0}},
        {"nothing drawn", std::nullopt, {}, "A4", 210, 297, 1, {}},
        {"A1 asked for", Range{{0, 0, 0}, {420, 297, 0}}, IsoPaper::A1, "A1", 841, 594, 1, {}},
        {"A3 asked for, the drawing runs tall",
         Range{{0, 0, 0}, {100, 400, 0}},
         IsoPaper::A3,
         "A3",
         297,
         420,
         1,
         {}},
        {"A4 asked for an A3 sheet",
         Range{{0, 0, 0}, {420, 297, 0}},
         IsoPaper::A4,
         "A4",
         297,
         210,
         190.0 / 297.0,
         {210 - 148.5 * 297 / 190, 148.5 - 105.0 * 297 / 190, 0}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const PageLayout page = ChoosePage(row.extent, row.forced);
        EXPECT_EQ(page.paper, row.paper);
        EXPECT_NEAR(page.width, row.width, 1e-9);
        EXPECT_NEAR(page.height, row.height, 1e-9);
        EXPECT_EQ(page.landscape, row.width > row.height);
        EXPECT_NEAR(page.scale, row.scale, 1e-12);
        EXPECT_NEAR(page.origin.x, row.origin.x, 1e-9);
        EXPECT_NEAR(page.origin.y, row.origin.y, 1e-9);
    }
}

TEST(PdfText, BrokenUtf8AndCodePointsCairoRefusesBecomeReplacementCharacters) {
    const struct {
        const char* what;
        std::string text, clean;
    } table[] = {
        {"plain and non-Latin", "P-101 Ø½ Жук 中文 😀", "P-101 Ø½ Жук 中文 😀"},
        {"a stray continuation byte",
         "A\x80"
         "B",
         "A\uFFFD"
         "B"},
        {"a lead byte cut short", "A\xC3", "A\uFFFD"},
        {"a lead byte before ASCII",
         "\xE2\x82"
         "x",
         "\uFFFD\uFFFDx"},
        {"an overlong slash", "\xC0\xAF", "\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"a byte never in UTF-8", "\xFF", "\uFFFD"},
        {"a surrogate", "\xED\xA0\x80", "\uFFFD"},
        {"noncharacters", "\xEF\xBF\xBE\xEF\xB7\x90\xF0\x9F\xBF\xBF", "\uFFFD\uFFFD\uFFFD"},
        {"a NUL", std::string("a\0b", 3),
         "a\uFFFD"
         "b"},
        {"control characters kept", "a\tb\nc\x01", "a\tb\nc\x01"},
    };
    for (const auto& row : table) EXPECT_EQ(SanitizeUtf8(row.text), row.clean) << row.what;
}

TEST_F(PdfFile, TheAnnotatedExampleSheetPlotsOnA3WithEveryLabelFoundAsText) {
    test::Session session{test::ExampleDrawing()};
    session.host.SetKeyinArguments("TRUE,TRUE");
    const PlacementReport report = RunAutomaticPlacement(session.module, true, true);
    ASSERT_GT(report.labels, 10);

    std::vector<std::string> labelTexts;
    for (const auto& [id, entry] : session.host.GetDrawing().activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label")
            CollectTexts(entry.element, labelTexts);
    ASSERT_GE(labelTexts.size(), static_cast<std::size_t>(report.labels));

    const std::string pdf = RenderPdf(session.host.GetDrawing());
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(pdf, RenderPdf(session.host.GetDrawing())) << "the same sheet gives the same bytes";
    const std::string file = Write(pdf);

    const std::string info = Output("pdfinfo " + file);
    EXPECT_TRUE(std::regex_search(info, std::regex("Page size: +1190.55 x 841.89 pts \\(A3\\)"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +1\n"))) << info;
    const std::string text = Collapsed(Output("pdftotext -layout " + file + " -"));
    for (const std::string& label : labelTexts)
        EXPECT_NE(text.find(Collapsed(label)), std::string::npos) << label;
}

TEST_F(PdfFile, ATextSpansExactlyItsBoxAtItsPlaceOnThePaper) {
    DisplayList list;
    list.extent = Range{{0, 0, 0}, {297, 210, 0}};  // A4 landscape
    DisplayModel& model = list.models.emplace_back();
    // Seven glyphs 3 wide: the box runs from x = 50 to 71; the baseline is at y = 60.
    DisplayElement text = Piece(Text("DN150-P", {50, 60, 0}, 4, 3), {});
    text.textBox = {Point{50, 60, 0}, Point{71, 60, 0}, Point{71, 64, 0}, Point{50, 64, 0}};
    model.elements.push_back(text);

    const std::string boxes = Output("pdftotext -bbox " + Write(RenderPdf(list)) + " -");
    std::smatch word;
    ASSERT_TRUE(std::regex_search(
        boxes, word,
        std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">DN150-P<")))
        << boxes;
    EXPECT_NEAR(std::stod(word[1]), 50 * PointsPerMillimetre, 0.05);
    EXPECT_NEAR(std::stod(word[3]), 71 * PointsPerMillimetre, 0.05);
    const double baseline = (210 - 60) * PointsPerMillimetre;  // from the top of the page
    EXPECT_LT(std::stod(word[2]), baseline - 2.5 * PointsPerMillimetre);
    EXPECT_GT(std::stod(word[4]), baseline);
    EXPECT_LT(std::stod(word[4]), baseline + 1.5 * PointsPerMillimetre);
}

TEST_F(PdfFile, ColoursDimmingDashesFillsAndEllipsesLandWhereTheSheetHasThem) {
    const Rgb red{0xff, 0x00, 0x00};
    const Rgb blue{0x00, 0x00, 0xff};
    DisplayList list;
    list.extent = Range{{0, 0, 0}, {297, 210, 0}};  // A4 landscape, drawing origin at its corner
    DisplayModel& reference = list.models.emplace_back();
    reference.reference = true;
    reference.elements.push_back(Piece(MakeLine({20, 20, 0}, {120, 20, 0}), blue, 3.0));
    DisplayModel& active = list.models.emplace_back();
    active.elements.push_back(Piece(MakeLine({20, 50, 0}, {120, 50, 0}), red, 3.0, {10, 10}));
    DisplayElement arrow = Piece(MakeShape({{150, 20, 0}, {190, 30, 0}, {150, 40, 0}, {150, 20, 0}}), red);
    arrow.filled = true;
    DisplayElement dimension;
    dimension.type = ElementType::Dimension;
    dimension.parts.push_back(arrow);
    active.elements.push_back(dimension);
    active.elements.push_back(Piece(MakeShape({{150, 60, 0}, {190, 60, 0}, {190, 90, 0}}), blue, 1.0));
    // Dashes run from the first vertex round the shape, the top edge from right to left.
    active.elements.push_back(
        Piece(MakeShape({{20, 80, 0}, {120, 80, 0}, {120, 120, 0}, {20, 120, 0}}), blue, 2.0, {10, 10}));
    // Primary axis along y: 30 up and down, 10 to either side.
    active.elements.push_back(
        Piece(MakeEllipse({240, 100, 0}, 30, 10, Matrix3d::RotationAboutAxisIndex(2, Pi / 2)), blue, 2.0));

    const Raster page = Rasterise(RenderPdf(list));
    ASSERT_EQ(page.width, 842);
    ASSERT_EQ(page.height, 596);  // 841.89 x 595.28 points, rounded up
    using Colour = std::array<int, 3>;
    const struct {
        const char* what;
        Point at;
        Colour colour;
    } table[] = {
        {"a reference line, dimmed to 0.4", {70, 20, 0}, {153, 153, 255}},
        {"a dash", {25, 50, 0}, {255, 0, 0}},
        {"the gap after it", {35, 50, 0}, {255, 255, 255}},
        {"the next dash", {45, 50, 0}, {255, 0, 0}},
        {"inside an arrowhead", {160, 30, 0}, {255, 0, 0}},
        {"inside a shape that is not filled", {180, 65, 0}, {255, 255, 255}},
        {"the closing edge of that shape", {170, 75, 0}, {0, 0, 255}},
        {"a rectangle's first dash", {25, 80, 0}, {0, 0, 255}},
        {"the gap after it", {35, 80, 0}, {255, 255, 255}},
        {"the top edge, 145 along", {115, 120, 0}, {0, 0, 255}},
        {"the top edge, 155 along", {105, 120, 0}, {255, 255, 255}},
        {"the ellipse's top", {240, 130, 0}, {0, 0, 255}},
        {"the ellipse's side", {230, 100, 0}, {0, 0, 255}},
        {"inside the ellipse", {240, 100, 0}, {255, 255, 255}},
        {"where a circle of radius 30 would be", {210, 100, 0}, {255, 255, 255}},
    };
    for (const auto& row : table) {
        const Colour seen = page.At(row.at.x, row.at.y, 210);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(seen[channel], row.colour[channel], 8) << row.what << ", channel " << channel;
    }
}

TEST_F(PdfFile, MarkupNonLatinAndBrokenUtf8AreDrawnAndTheValidPartsFound) {
    cad::Drawing drawing;
    const std::string hostile = "<b>&amp; Ω Жук 中文 \xFF\xC3( ok\xEF\xBF\xBE";
    Element first = Text(hostile, {20, 20, 0}, 3, 2);
    Element second = Text("R&D <3", {20, 40, 0}, 3, 2);
    Element third = Text(std::string("NUL\0inside\t\x01\n", 13), {20, 60, 0}, 3, 2);
    drawing.Add(ActiveModelId, first);
    drawing.Add(ActiveModelId, second);
    drawing.Add(ActiveModelId, third);

    std::string pdf;
    ASSERT_NO_THROW(pdf = RenderPdf(drawing));
    const std::string found = Output("pdftotext " + Write(pdf) + " -");
    for (const char* part : {"<b>&amp;", "Ω", "Жук", "中文", "( ok", "R&D <3", "inside"})
        EXPECT_NE(found.find(part), std::string::npos) << part << " in\n" << found;
}

}  // namespace
}  // namespace zkl::io
