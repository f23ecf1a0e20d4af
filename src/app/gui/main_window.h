// The desktop program's window: the canvas with a key-in line under it, the messages, the
// labeller's main dialog as a tool window, and menus for sheets (File), the labeller's undo
// (Edit), the view and the labeller's commands. The labeller's module and dialog live as
// long as the sheet; a command that waits for points keeps the window live through the
// host's nested event loop, and the menus stay off until it ends.
#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/gui/canvas.h"
#include "app/gui/changes_panel.h"
#include "app/gui/dialog_window.h"
#include "app/gui/findings_panel.h"
#include "app/gui/gui_host.h"
#include "dialog/cls_opm_labeller.h"
#include "dialog/frm_main.h"
#include "io/configuration_folder.h"

namespace zkl::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the sheet in place of the current one (without asking); false, after telling
    // the user why, when it cannot be read. The labeller's dialog opens with it when its
    // configuration can be read, else the user is told why.
    bool OpenSheet(const std::filesystem::path& path);
    // Writes the sheet atomically; false, after telling the user why, when it cannot.
    bool SaveSheetTo(const std::filesystem::path& path);
    // Reads the labeller's configuration from this file instead of the one beside the sheet,
    // and opens the dialog afresh with it; false, after telling the user why, when it cannot.
    bool ChooseConfiguration(const std::filesystem::path& file);

    // Errors of the window itself and the labeller's message boxes go here instead of to
    // dialogs (tests, which have nobody to click OK).
    void RouteMessages(std::function<void(const QString& title, const QString& text)> show);
    // The question whether to save unsaved changes (Save, Discard or Cancel), likewise.
    void RouteSaveQuestion(std::function<QMessageBox::StandardButton()> ask);

    GuiHost* Host() { return host_.get(); }
    Canvas* SheetCanvas() { return canvas_; }
    DialogWindow* MainDialog() { return dialogWindow_; }
    FindingsPanel* Findings() { return findings_; }
    ChangesPanel* Changes() { return changes_; }
    QLineEdit* KeyinField() { return keyin_; }
    bool IsModified() const;
    bool CommandRunning() const { return commandRunning_; }

    QAction* automaticPlaceAction = nullptr;
    QAction* semiAutoPlaceAction = nullptr;
    QAction* manualPlaceAction = nullptr;
    QAction* pipelineAction = nullptr;
    QAction* equipmentAction = nullptr;
    QAction* reviseDimensionAction = nullptr;
    QAction* checkLayoutAction = nullptr;
    QAction* updateAnnotationAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* saveAction = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildRecentMenu();
    void OpenWithDialog();
    void ChooseConfigurationWithDialog();
    bool Save();
    bool SaveAs();
    void Export(const QString& kind);
    // Asks what to do with unsaved changes; false when the user cancels.
    bool MaySetSheetAside();
    // Presses one of the dialog's buttons: starts the labeller if it is not yet, then runs
    // the button's handler with the rest of the window off until it returns.
    void RunButton(DialogWindow::Handler button);
    // Update Annotation: the update `zkl-labeller auto --update` runs, behind the dialog's
    // Automatic Place button (its settings, its undo mark), then the report in its dock.
    void UpdateAnnotation();
    // Runs a command with the rest of the window off until it returns, as a button press.
    void RunCommand(const std::function<void()>& command);
    // Creates the labeller's module and dialog for the current host (again).
    void ResetLabeller();
    // Finds the configuration and opens the dialog; false, after telling the user, if not.
    bool StartLabeller();
    // Runs the layout check on the sheet as it is, with the rows the dialog holds now.
    void CheckLayout();
    void SendKeyin();
    void WhileBusy();
    void ShowError(const QString& title, const QString& text);
    void RefreshCanvas();
    void UpdateTitle();
    void UpdateActions();
    void RememberRecent(const std::filesystem::path& path);

    Canvas* canvas_ = nullptr;
    QLineEdit* keyin_ = nullptr;
    DialogWindow* dialogWindow_ = nullptr;
    FindingsPanel* findings_ = nullptr;
    ChangesPanel* changes_ = nullptr;
    QLabel* commandField_ = nullptr;
    QLabel* promptField_ = nullptr;
    QLabel* cursorField_ = nullptr;
    QListWidget* messages_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QList<QAction*> sheetActions_;
    QElapsedTimer sinceRepaint_;

    std::shared_ptr<CanvasInputSource> source_ = std::make_shared<CanvasInputSource>();
    std::shared_ptr<ForwardingPrompter> prompter_ = std::make_shared<ForwardingPrompter>();
    std::function<void(const QString&, const QString&)> showMessage_;
    std::function<QMessageBox::StandardButton()> askToSave_;
    std::unique_ptr<GuiHost> host_;
    std::unique_ptr<mdlOPM_Labeller> module_;
    std::unique_ptr<clsOPM_Labeller> labeller_;
    bool labellerStarted_ = false;
    bool dialogPlaced_ = false;  // placed once; then where the user leaves it
    std::optional<std::filesystem::path> chosenConfiguration_;  // for the open sheet only
    std::unique_ptr<io::ConfigurationFolder> configuration_;
    std::filesystem::path sheetPath_;
    std::string savedText_;  // the sheet as last opened or saved, to tell unsaved changes
    bool commandRunning_ = false;
    bool closeWanted_ = false;
};

}  // namespace zkl::gui
