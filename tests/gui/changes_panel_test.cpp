// Update Annotation in the desktop window: on the first revision's labels over the second
// revision's plant model it changes the sheet as `zkl-labeller auto --update` does, lists
// what it did to each label, shows and highlights the label of a selected entry, and one
// Undo takes the whole update back. Runs on Qt's offscreen platform.
#include "app/gui/changes_panel.h"

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
#include "commands/update_command.h"
#include "io/configuration_folder.h"
#include "io/sheet_file.h"
#include "settings/placement_options.h"

namespace zkl::gui {
namespace {

namespace fs = std::filesystem;

// The first revision annotated, the label of P-1 moved by hand, its plant model then swapped
// for the second revision's (docs/revisions.md has the two revisions).
const fs::path Revision = fs::path(ZKL_TEST_DATA_DIR) / "revision";
constexpr const char* SheetName = "rev1_labels_on_rev2_model.json";

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

struct Updated {
    std::string sheet;
    LabelChanges changes;
};

// What `zkl-labeller auto SHEET --update` makes of the sheet: the same command, started as
// the command line starts it, without the window.
Updated UpdateWithoutWindow(const fs::path& sheet) {
    cad::Drawing drawing = io::LoadSheet(sheet);
    const io::ConfigurationFolder configuration(std::nullopt, sheet, "");
    drawing.macroProjectPath = configuration.MacroProjectPath();
    cad::CadHost host(std::move(drawing));
    mdlOPM_Labeller module(host);
    module.placement = ReadPlacementOptions(configuration.File());
    const UpdateResult result = RunUpdateCommand(module, false, "");
    return {io::SerializeSheet(host.GetDrawing(), sheet.parent_path()), result.changes};
}

class AnnotationChanges : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("zkl-changes-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        for (const char* name : {SheetName, "ZKL_Labeller.ini"}) fs::copy(Revision / name, folder_ / name);
        window_ = std::make_unique<MainWindow>();
        window_->RouteMessages([this](const QString& title, const QString& text) {
            boxes_.push_back((title + ": " + text).toStdString());
        });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(window_->OpenSheet(folder_ / SheetName));
    }
    void TearDown() override {
        window_.reset();
        fs::remove_all(folder_);
    }

    void Update() {
        window_->updateAnnotationAction->trigger();
        QApplication::processEvents();  // the dock takes its room from the canvas
    }

    std::string Sheet() { return io::SerializeSheet(window_->Host()->GetDrawing(), folder_); }
    ChangesPanel& Panel() { return *window_->Changes(); }
    QTreeWidgetItem* Row(int i) { return Panel().List()->topLevelItem(i); }

    fs::path folder_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> boxes_;
};

TEST_F(AnnotationChanges, TheUpdateIsTheCommandLinesListedEntryByEntryAndOneUndoStep) {
    const std::string before = Sheet();
    const Updated expected = UpdateWithoutWindow(folder_ / SheetName);
    ASSERT_NE(expected.sheet, before);

    Update();
    EXPECT_EQ(Sheet(), expected.sheet);
    EXPECT_TRUE(window_->IsModified());
    ASSERT_TRUE(Panel().isVisible());
    EXPECT_TRUE(Panel().Summary().contains("Labels: 3 kept, 2 retexted, 2 moved, 2 removed, 1 added, 0 orphaned"))
        << Panel().Summary().toStdString();

    // Kept labels are only counted until asked for; the rest come in the report's order.
    const std::vector<std::pair<std::string, std::string>> listed{
        {"removed", "id:T-1"}, {"removed", "id:P-4"},  {"moved", "id:P-3"},   {"added", "id:V-1"},
        {"moved", "id:Q-1"},   {"retexted", "id:EQ-1"}, {"retexted", "id:Q-2"}};
    ASSERT_EQ(Panel().List()->topLevelItemCount(), static_cast<int>(listed.size()));
    for (int i = 0; i < static_cast<int>(listed.size()); ++i) {
        EXPECT_EQ(Row(i)->text(0).toStdString(), listed[i].first) << i;
        EXPECT_EQ(Row(i)->text(2).toStdString(), listed[i].second) << i;
    }
    Panel().ShowUnchanged()->setChecked(true);
    EXPECT_EQ(static_cast<std::size_t>(Panel().List()->topLevelItemCount()), expected.changes.entries.size());
    Panel().ShowUnchanged()->setChecked(false);

    // The renamed line's equipment label: its new text where it stood, shown and highlighted.
    const LabelChangeEntry& retexted = expected.changes.entries[8];
    ASSERT_EQ(retexted.component, "id:EQ-1");
    QTreeWidgetItem* row = Row(5);
    EXPECT_EQ(row->text(1), QString("#%1").arg(retexted.newCell));
    EXPECT_EQ(row->text(3), QString::fromUtf8("200-P-150 \u2192 201-P-150"));
    Canvas& canvas = *window_->SheetCanvas();
    const double fittedWidth = canvas.VisibleArea().extent.x;
    EXPECT_EQ(HighlightedPixels(canvas), 0);
    Panel().List()->setCurrentItem(row);
    EXPECT_TRUE(Shows(canvas.VisibleArea(), *retexted.newPlace));
    EXPECT_LT(canvas.VisibleArea().extent.x, fittedWidth / 2);
    const ElementKeys label{{ActiveModelId, retexted.newCell}};
    EXPECT_EQ(window_->Host()->Highlighted(), label);
    EXPECT_GT(HighlightedPixels(canvas), 0);

    // The tee's removed label has no cell any more: a mark where it stood instead.
    const LabelChangeEntry& removed = expected.changes.entries[0];
    Panel().List()->setCurrentItem(Row(0));
    EXPECT_TRUE(window_->Host()->Highlighted().empty());
    EXPECT_EQ(window_->Host()->Transient().size(), 1u);
    EXPECT_TRUE(Shows(canvas.VisibleArea(), *removed.oldPlace));

    // One Undo takes the whole update back; the list stays, out of date, showing nothing.
    ASSERT_TRUE(window_->undoAction->isEnabled());
    window_->undoAction->trigger();
    EXPECT_EQ(Sheet(), before);
    EXPECT_FALSE(window_->IsModified());
    EXPECT_TRUE(Panel().IsOutOfDate());
    EXPECT_TRUE(Panel().Notice().contains("changed")) << Panel().Notice().toStdString();
    EXPECT_TRUE(window_->Host()->Highlighted().empty());
    EXPECT_TRUE(window_->Host()->Transient().empty());
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(AnnotationChanges, ASecondUpdateChangesNothingAndSaysSo) {
    Update();
    const std::string once = Sheet();
    Update();
    EXPECT_EQ(Sheet(), once);
    EXPECT_FALSE(Panel().IsOutOfDate());
    EXPECT_TRUE(Panel().Summary().contains("Labels: 8 kept, 0 retexted, 0 moved, 0 removed, 0 added, 0 orphaned"))
        << Panel().Summary().toStdString();
    EXPECT_TRUE(Panel().Summary().contains("changed nothing")) << Panel().Summary().toStdString();
    EXPECT_EQ(Panel().List()->topLevelItemCount(), 0);

    // An unchanged label, once listed, is shown as any other.
    Panel().ShowUnchanged()->setChecked(true);
    ASSERT_EQ(Panel().List()->topLevelItemCount(), 8);
    EXPECT_EQ(Row(0)->text(0), "kept");
    Panel().List()->setCurrentItem(Row(0));
    EXPECT_EQ(window_->Host()->Highlighted().size(), 1u);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace
}  // namespace zkl::gui
