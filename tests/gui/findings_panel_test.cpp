// The layout findings in the desktop window: Labeller > Check Layout lists what
// `zkl-labeller check` finds, selecting an entry shows its place and highlights what it
// names, and a change to the sheet marks the list out of date. Runs on Qt's offscreen
// platform.
#include "app/gui/findings_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
#include "app/gui/sheet_painter.h"
#include "cad/cad_host.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
#include "quality/quality_report.h"
#include "settings/read_settings_from_dialog.h"

namespace zkl::gui {
namespace {

namespace fs = std::filesystem;

bool Shows(const ViewArea& area, const Point& p) {
    return p.x >= area.origin.x && p.x <= area.origin.x + area.extent.x && p.y >= area.origin.y &&
           p.y <= area.origin.y + area.extent.y;
}

int HighlightedPixels(QWidget& canvas) {
    const QImage image = canvas.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == HighlightColour) ++count;
    return count;
}

// What `zkl-labeller check` reports for the sheet, saved beside its configuration, without
// the window.
QualityReport CheckWithoutWindow(const fs::path& sheet) {
    cad::Drawing drawing = io::LoadSheet(sheet);
    const io::ConfigurationFolder configuration(std::nullopt, sheet, "");
    drawing.macroProjectPath = configuration.MacroProjectPath();
    cad::CadHost host(std::move(drawing));
    mdlOPM_Labeller module(host);
    clsOPM_Labeller(module, DialogCommands{}).Start_Labeller();
    ItemRows labelItems;
    ItemRows dimItems;
    ReadSettingsFromDialog(module, *module.dialog, labelItems, dimItems);
    return CheckAnnotation(module, labelItems);
}

class LayoutFindings : public testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("zkl-findings-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        window_ = std::make_unique<MainWindow>();
        window_->RouteMessages([this](const QString& title, const QString& text) {
            boxes_.push_back((title + ": " + text).toStdString());
        });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(folder_);
    }

    // Copies the sheet and, unless told not to, the example configuration beside it; opens it.
    void Open(const fs::path& sheet, bool withConfiguration = true) {
        fs::copy(sheet, folder_ / sheet.filename());
        if (withConfiguration)
            fs::copy(fs::path(ZKL_EXAMPLES_DIR) / "ZKL_Labeller.ini", folder_ / "ZKL_Labeller.ini");
        ASSERT_TRUE(window_->OpenSheet(folder_ / sheet.filename()));
    }

    void Check() {
        window_->checkLayoutAction->trigger();
        // The dock takes its room from the canvas once the layout has run.
        QApplication::processEvents();
    }

    FindingsPanel& Panel() { return *window_->Findings(); }

    fs::path folder_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> boxes_;
};

TEST_F(LayoutFindings, SelectingAFindingZoomsToItsPlaceAndHighlightsItsLabels) {
    // Two label bodies that overlap by 0.01 at (19.995, 12.5), on a 100 x 100 area.
    Open(fs::path(ZKL_TEST_DATA_DIR) / "check_overlap_sheet.json");
    Check();
    ASSERT_TRUE(Panel().isVisible());
    ASSERT_EQ(Panel().List()->topLevelItemCount(), 1);
    QTreeWidgetItem* entry = Panel().List()->topLevelItem(0);
    EXPECT_EQ(entry->text(0), "overlapping label bodies");
    EXPECT_EQ(entry->text(1), "#2, #3");
    EXPECT_EQ(entry->text(2), "");
    EXPECT_EQ(entry->text(3), "0.01");
    EXPECT_TRUE(Panel().Summary().contains("1 finding: 1 overlapping label bodies"))
        << Panel().Summary().toStdString();
    EXPECT_FALSE(window_->IsModified());  // checking reads the sheet, never changes it

    Canvas& canvas = *window_->SheetCanvas();
    const double fittedWidth = canvas.VisibleArea().extent.x;
    EXPECT_EQ(HighlightedPixels(canvas), 0);
    Panel().List()->setCurrentItem(entry);

    const ViewArea shown = canvas.VisibleArea();
    EXPECT_TRUE(Shows(shown, Point{19.995, 12.5, 0}));
    // Both bodies, (10, 10) to (30, 15), are in view, with room round them but zoomed in.
    EXPECT_TRUE(Shows(shown, Point{9, 9, 0}));
    EXPECT_TRUE(Shows(shown, Point{31, 16, 0}));
    EXPECT_LT(shown.extent.x, fittedWidth / 2);
    const ElementKeys both{{ActiveModelId, 2}, {ActiveModelId, 3}};
    EXPECT_EQ(window_->Host()->Highlighted(), both);
    EXPECT_GT(HighlightedPixels(canvas), 0);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(LayoutFindings, TheListFollowsTheSheetThroughCommandsAndUndo) {
    Open(fs::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json");
    Check();
    EXPECT_EQ(Panel().List()->topLevelItemCount(), 0);
    EXPECT_TRUE(Panel().Notice().contains("no labels yet")) << Panel().Notice().toStdString();

    window_->automaticPlaceAction->trigger();
    EXPECT_TRUE(Panel().IsOutOfDate());
    EXPECT_TRUE(Panel().Notice().contains("changed")) << Panel().Notice().toStdString();

    // Check Again lists what the check finds on the annotated sheet, in its order.
    ASSERT_TRUE(window_->SaveSheetTo(folder_ / "annotated.json"));
    const QualityReport expected = CheckWithoutWindow(folder_ / "annotated.json");
    ASSERT_GE(expected.findings.size(), 2u);
    auto* again = Panel().findChild<QPushButton*>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text(), "Check Again");
    again->click();
    EXPECT_FALSE(Panel().IsOutOfDate());
    ASSERT_EQ(static_cast<std::size_t>(Panel().List()->topLevelItemCount()), expected.findings.size());
    for (std::size_t i = 0; i < expected.findings.size(); ++i)
        EXPECT_EQ(Panel().List()->topLevelItem(static_cast<int>(i))->text(0).toStdString(),
                  FindingTitle(expected.findings[i].kind));

    // Moving to another entry takes the first one's highlight back.
    Panel().List()->setCurrentItem(Panel().List()->topLevelItem(0));
    const ElementKeys first = Panel().Highlighted();
    EXPECT_EQ(window_->Host()->Highlighted(), first);
    Panel().List()->setCurrentItem(Panel().List()->topLevelItem(1));
    const ElementKeys second = Panel().Highlighted();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(window_->Host()->Highlighted(), second);
    EXPECT_TRUE(Shows(window_->SheetCanvas()->VisibleArea(), expected.findings[1].at));

    // An undo changes the sheet: the list stays, marked out of date, with nothing highlighted.
    window_->undoAction->trigger();
    EXPECT_TRUE(Panel().IsOutOfDate());
    EXPECT_EQ(static_cast<std::size_t>(Panel().List()->topLevelItemCount()), expected.findings.size());
    EXPECT_TRUE(window_->Host()->Highlighted().empty());
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(LayoutFindings, AMissingConfigurationIsAMessageNamingTheFile) {
    Open(fs::path(ZKL_EXAMPLES_DIR) / "demo_sheet.json", false);
    ASSERT_EQ(boxes_.size(), 1u);  // opening said so first
    Check();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_NE(boxes_[1].find((folder_ / "ZKL_Labeller.ini").string()), std::string::npos) << boxes_[1];
    EXPECT_FALSE(Panel().isVisible());
}

}  // namespace
}  // namespace zkl::gui
