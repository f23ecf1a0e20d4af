// The desktop window driven as a user would: menu actions, clicks on the canvas at the
// places of drawing points, saving. Runs on Qt's offscreen platform.
#include "app/gui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

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

// The direction the text of the first label cell runs in.
std::optional<Point> FirstLabelTextDirection(const cad::Drawing& drawing) {
    std::function<std::optional<Point>(const Element&)> find = [&](const Element& element) -> std::optional<Point> {
        if (element.IsText()) return element.Text().rotation.Column(0);
        if (!element.IsCell()) return std::nullopt;
        for (const Element& part : element.Cell().components)
            if (auto found = find(part)) return found;
        return std::nullopt;
    };
    for (const auto& [id, entry] : drawing.activeModel.Entries())
        if (entry.element.IsCell() && entry.element.Cell().name == "ZKL_Label") return find(entry.element);
    return std::nullopt;
}

template <typename Widget>
Widget& DialogControl(MainWindow& window, std::string_view name) {
    auto* widget = qobject_cast<Widget*>(window.MainDialog()->ControlWidget(name));
    if (!widget) throw std::logic_error("the dialog shows no " + std::string(name));
    return *widget;
}

QStringList Entries(const QComboBox& box) {
    QStringList entries;
    for (int i = 0; i < box.count(); ++i) entries << box.itemText(i);
    return entries;
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
    // The command zooms view 1 out and back; view 1 is the canvas.
    std::vector<double> widthsShown;
    const auto moveCanvas = window_->Host()->screenMoved;
    window_->Host()->screenMoved = [&](const ViewArea& area) {
        moveCanvas(area);
        widthsShown.push_back(window_->SheetCanvas()->VisibleArea().extent.x);
    };
    const double widthBefore = window_->SheetCanvas()->VisibleArea().extent.x;
    window_->automaticPlaceAction->trigger();
    ASSERT_GE(widthsShown.size(), 2u);
    EXPECT_NEAR(widthsShown.front(), 100 * widthBefore, 1e-6 * widthBefore);
    EXPECT_NEAR(widthsShown.back(), widthBefore, 1e-9 * widthBefore);

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

TEST_F(DesktopWindow, TheDialogShowsTheModelAndTakesWhatTheUserTypesAndPicks) {
    FrmMain& model = *window_->MainDialog()->Dialog();
    ASSERT_TRUE(window_->MainDialog()->isVisible());
    EXPECT_EQ(window_->MainDialog()->windowTitle().toStdString(), model.Title());

    // Drawn from the model: the configuration's label styles, the sheet's text styles and
    // levels, each list with the model's choice.
    for (const char* name : {"cmbDimStyle", "cmbTextStyle", "cmbDimStyleName", "cmbShapeLevelName", "cmbDimLevel"}) {
        const auto& box = DialogControl<QComboBox>(*window_, name);
        const ComboBox& list = model.Combo(name);
        ASSERT_GT(list.Count(), 0) << name;
        EXPECT_EQ(box.count(), list.Count()) << name;
        EXPECT_EQ(box.currentIndex(), list.SelectedIndex()) << name;
    }
    EXPECT_TRUE(Entries(DialogControl<QComboBox>(*window_, "cmbDimStyle")).contains("Piping"));

    // Typing goes into the model.
    auto& height = DialogControl<QLineEdit>(*window_, "txtTextHeight");
    height.selectAll();
    QTest::keyClicks(&height, "4.5");
    EXPECT_EQ(model.Text("txtTextHeight").text, "4.5");

    // Typing in an item list runs the model's key-down handler: Add is offered, Remove
    // becomes Cancel; Cancel puts the list back.
    auto& items = DialogControl<QComboBox>(*window_, "cmbLabelItems");
    auto& add = DialogControl<QPushButton>(*window_, "cmdLabelItemsAdd");
    auto& remove = DialogControl<QPushButton>(*window_, "cmdLabelItemsRemove");
    EXPECT_FALSE(add.isEnabled());
    const std::size_t rows = static_cast<std::size_t>(model.Combo("cmbLabelItems").Count());
    QTest::keyClicks(items.lineEdit(), "X");
    EXPECT_TRUE(add.isEnabled());
    EXPECT_EQ(remove.text(), "Cancel");
    add.click();
    EXPECT_EQ(static_cast<std::size_t>(model.Combo("cmbLabelItems").Count()), rows + 1);
    EXPECT_EQ(items.count(), static_cast<int>(rows) + 1);
    // Editing the rows makes the label style "Customized", in the model and on screen.
    EXPECT_EQ(model.Combo("cmbDimStyle").Value(), CustomizedStyleName);
    EXPECT_EQ(DialogControl<QComboBox>(*window_, "cmbDimStyle").currentText().toStdString(), CustomizedStyleName);

    // Picking a style is the model's choice too, and what the style sets shows at once.
    auto& styles = DialogControl<QComboBox>(*window_, "cmbDimStyle");
    const int piping = Entries(styles).indexOf("Piping");
    styles.setCurrentIndex(piping);
    emit styles.activated(piping);
    EXPECT_EQ(model.Combo("cmbDimStyle").Value(), "Piping");
    EXPECT_EQ(height.text().toStdString(), model.Text("txtTextHeight").text);

    // The toggle switches the model's window height, and the window follows.
    const int compact = window_->MainDialog()->height();
    DialogControl<QPushButton>(*window_, "togFormMode").click();
    EXPECT_EQ(model.WindowHeight(), AdvancedWindowHeight);
    EXPECT_GT(window_->MainDialog()->height(), compact);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(DesktopWindow, TheDialogsButtonsRunTheCommandsAndItsUndoButtonFollows) {
    auto& undo = DialogControl<QPushButton>(*window_, "cmdUndo");
    EXPECT_FALSE(undo.isEnabled());
    DialogControl<QPushButton>(*window_, "cmdAutoPlace").click();
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 35u);
    EXPECT_TRUE(window_->MainDialog()->isVisible());  // hidden during the command, shown after
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_EQ(undo.text(), "Undo");

    // The Edit menu's Undo is the same button: its caption turns to Redo on screen.
    window_->undoAction->trigger();
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 0u);
    EXPECT_EQ(undo.text(), "Redo");
    EXPECT_FALSE(window_->undoAction->isEnabled());
    undo.click();
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 35u);
    EXPECT_EQ(undo.text(), "Undo");
}

TEST_F(DesktopWindow, CtrlRightClickAndTheKeyinFieldTurnTheLabelBeforeItIsDropped) {
    // Each input is given while the command waits for it, one turn of its event loop apart.
    QTimer::singleShot(0, window_.get(), [this] {
        Click(Point{95, 130, 0});
        QTimer::singleShot(0, window_.get(), [this] {
            Canvas* canvas = window_->SheetCanvas();
            QTest::mouseClick(canvas, Qt::RightButton, Qt::ControlModifier,
                              canvas->WidgetPosition(Point{110, 145, 0}).toPoint());
            QTimer::singleShot(0, window_.get(), [this] {
                // The key-in line sends what the host receives for Ctrl+Reset: a second turn.
                QTest::keyClicks(window_->KeyinField(), CtrlResetKeyin);
                QTest::keyClick(window_->KeyinField(), Qt::Key_Return);
                Click(Point{110, 145, 0});
                Click(Point{0, 0, 0}, Qt::RightButton);
            });
        });
    });
    window_->manualPlaceAction->trigger();
    ASSERT_EQ(LabelCells(window_->Host()->GetDrawing()), 1u);
    const std::optional<Point> direction = FirstLabelTextDirection(window_->Host()->GetDrawing());
    ASSERT_TRUE(direction.has_value());
    EXPECT_NEAR(direction->x, -1.0, 1e-9);  // two quarter turns
    EXPECT_NEAR(direction->y, 0.0, 1e-9);
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

    // Named without its folder, as from a shell in that folder, the sheet still opens.
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    const bool opened = window_->OpenSheet("demo_sheet.json");
    fs::current_path(before);
    EXPECT_TRUE(opened);
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(DesktopWindow, AMissingConfigurationIsReportedAndOneCanBeChosen) {
    const fs::path elsewhere = folder_ / "elsewhere";
    fs::create_directories(elsewhere);
    fs::copy(folder_ / "demo_sheet.json", elsewhere / "demo_sheet.json");
    ASSERT_TRUE(window_->OpenSheet(elsewhere / "demo_sheet.json"));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find((elsewhere / "ZKL_Labeller.ini").string()), std::string::npos) << boxes_[0];
    EXPECT_FALSE(window_->MainDialog()->isVisible());

    // A configuration of another name, chosen from the File menu, starts the labeller.
    fs::copy(folder_ / "ZKL_Labeller.ini", folder_ / "project.ini");
    ASSERT_TRUE(window_->ChooseConfiguration(folder_ / "project.ini"));
    EXPECT_TRUE(window_->MainDialog()->isVisible());
    window_->automaticPlaceAction->trigger();
    EXPECT_EQ(LabelCells(window_->Host()->GetDrawing()), 35u);
    EXPECT_EQ(boxes_.size(), 1u);
}

}  // namespace
}  // namespace zkl::gui

int main(int argc, char** argv) {
    // Recent files and the like go to a test folder, not the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
