// The desktop window driven as a user would: menu actions, clicks on the canvas at the
// places of drawing points, saving. Runs on Qt's offscreen platform.
#include "app/gui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cad/cad_host.h"
#include "commands/labeller_commands.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/sheet_file.h"

namespace zkl::gui {
namespace {

namespace fs = std::filesystem;

fs::path Example(const std::string& name) { return fs::path(ZKL_EXAMPLES_DIR) / name; }

std::size_t LabelCells(const cad::Drawing& drawing) {
    std::size_t cells = 0;
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label") ++cells;
    return cells;
}

// What `zkl-labeller auto` does to the sheet, without the window.
std::size_t LabelsOfAutomaticPlaceWithoutWindow(const fs::path& sheet) {
    cad::CadHost host(io::LoadSheet(sheet));
    mdlOPM_Labeller module(host);
    clsOPM_Labeller labeller(module, MakeDialogCommands(module));
    labeller.Start_Labeller();
    module.dialog->cmdAutoPlace_Click();
    return LabelCells(host.GetDrawing());
}

class DesktopWindow : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("zkl-gui-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        // The sheet keeps its configuration beside it, so both are copied.
        for (const char* name : {"demo_sheet.json", "ZKL_Labeller.ini"})
            fs::copy(Example(name), folder_ / name);
        window_ = std::make_unique<MainWindow>();
        window_->RouteMessages([this](const QString& title, const QString& text) {
            boxes_.push_back((title + ": " + text).toStdString());
        });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(window_->OpenSheet(folder_ / "demo_sheet.json"));
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(folder_);
    }

    void Click(const Point& drawingPoint, Qt::MouseButton button = Qt::LeftButton) {
        Canvas* canvas = window_->SheetCanvas();
        QTest::mouseClick(canvas, button, Qt::NoModifier, canvas->WidgetPosition(drawingPoint).toPoint());
    }

    fs::path folder_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> boxes_;
};

TEST_F(DesktopWindow, AutomaticPlaceFromTheMenuLabelsTheSheetAsTheCommandLineDoes) {
    window_->automaticPlaceAction->trigger();
    const std::size_t labels = LabelCells(window_->Host()->GetDrawing());
    EXPECT_EQ(labels, LabelsOfAutomaticPlaceWithoutWindow(folder_ / "demo_sheet.json"));
    // `zkl-labeller auto` on the demo: 19 component labels and 16 side labels, all cells
    // of the label cell's name.
    EXPECT_EQ(labels, 35u);
    EXPECT_TRUE(window_->IsModified());
    EXPECT_TRUE(window_->windowTitle().startsWith("demo_sheet.json*"));
}

TEST_F(DesktopWindow, SavingWritesASheetThatLoadsBackAsTheDrawingShown) {
    window_->automaticPlaceAction->trigger();
    const fs::path saved = folder_ / "saved.json";
    ASSERT_TRUE(window_->SaveSheetTo(saved));
    EXPECT_FALSE(window_->IsModified());
    EXPECT_EQ(io::SerializeSheet(io::LoadSheet(saved), folder_),
              io::SerializeSheet(window_->Host()->GetDrawing(), folder_));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(DesktopWindow, ManualPlaceByClicksPlacesOneLabelAndUndoTakesItAway) {
    // The command waits inside the menu action, so the clicks come from the event loop it
    // runs while waiting: pick the pipe, place its label, then reset to end the command.
    QTimer::singleShot(0, window_.get(), [this] {
        EXPECT_TRUE(window_->CommandRunning());
        Click(Point{95, 130, 0});
        Click(Point{110, 145, 0});
        Click(Point{0, 0, 0}, Qt::RightButton);
    });
    window_->manualPlaceAction->trigger();
    EXPECT_FALSE(window_->CommandRunning());
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 1u);

    ASSERT_TRUE(window_->undoAction->isEnabled());
    window_->undoAction->trigger();
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 0u);
    EXPECT_FALSE(window_->IsModified());
    EXPECT_TRUE(window_->redoAction->isEnabled());
}

TEST_F(DesktopWindow, ClosingTheWindowUnderAWaitingCommandEndsTheCommand) {
    QTimer::singleShot(0, window_.get(), [this] {
        Click(Point{95, 130, 0});
        window_->close();
    });
    window_->manualPlaceAction->trigger();
    EXPECT_FALSE(window_->CommandRunning());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 0u);
}

TEST_F(DesktopWindow, ABadSheetIsReportedAndTheOpenSheetStays) {
    const fs::path bad = folder_ / "bad.json";
    std::ofstream(bad) << "{\"format\": \"zkl-sheet\", \"version\": 1, \"levels\": 7}";
    EXPECT_FALSE(window_->OpenSheet(bad));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find("bad.json"), std::string::npos) << boxes_[0];
    EXPECT_TRUE(window_->windowTitle().startsWith("demo_sheet.json"));
}

}  // namespace
}  // namespace zkl::gui

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
