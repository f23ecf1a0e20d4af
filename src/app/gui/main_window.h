// The desktop program's window: the canvas, a File menu for sheets and pictures, a View
// menu, and a Labeller menu that presses the main dialog's buttons. The labeller's dialog
// model lives as long as the sheet; a command that waits for points keeps the window live
// through the host's nested event loop, and the menus stay off until it ends.
#pragma once

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/gui/canvas.h"
#include "app/gui/gui_host.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"

namespace zkl::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the sheet in place of the current one (without asking); false, after telling
    // the user why, when it cannot be read.
    bool OpenSheet(const std::filesystem::path& path);
    // Writes the sheet atomically; false, after telling the user why, when it cannot.
    bool SaveSheetTo(const std::filesystem::path& path);

    // Errors of the window itself and the labeller's message boxes go here instead of to
    // dialogs (tests, which have nobody to click OK).
    void RouteMessages(std::function<void(const QString& title, const QString& text)> show);

    GuiHost* Host() { return host_.get(); }
    Canvas* SheetCanvas() { return canvas_; }
    bool IsModified() const;
    bool CommandRunning() const { return commandRunning_; }

    QAction* automaticPlaceAction = nullptr;
    QAction* semiAutoPlaceAction = nullptr;
    QAction* manualPlaceAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* saveAction = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void OpenWithDialog();
    bool Save();
    bool SaveAs();
    void Export(const QString& kind);
    // Asks what to do with unsaved changes; false when the user cancels.
    bool MaySetSheetAside();
    void RunButton(void (FrmMain::*button)());
    // Creates the labeller's module and dialog for the current host (again).
    void ResetLabeller();
    void ShowError(const QString& title, const QString& text);
    void RefreshCanvas();
    void UpdateTitle();
    void UpdateActions();

    Canvas* canvas_ = nullptr;
    QLabel* commandField_ = nullptr;
    QLabel* promptField_ = nullptr;
    QLabel* cursorField_ = nullptr;
    QListWidget* messages_ = nullptr;
    QList<QAction*> sheetActions_;

    std::shared_ptr<CanvasInputSource> source_ = std::make_shared<CanvasInputSource>();
    std::shared_ptr<ForwardingPrompter> prompter_ = std::make_shared<ForwardingPrompter>();
    std::function<void(const QString&, const QString&)> showMessage_;
    std::unique_ptr<GuiHost> host_;
    std::unique_ptr<mdlOPM_Labeller> module_;
    std::unique_ptr<clsOPM_Labeller> labeller_;
    bool labellerStarted_ = false;
    std::filesystem::path sheetPath_;
    std::string savedText_;  // the sheet as last opened or saved, to tell unsaved changes
    bool commandRunning_ = false;
    bool closeWanted_ = false;
};

}  // namespace zkl::gui
