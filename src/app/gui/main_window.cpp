#include "app/gui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

#include "app/gui/qt_text.h"
#include "commands/labeller_commands.h"
#include "commands/update_command.h"
#include "io/atomic_file.h"
#include "io/dxf_writer.h"
#include "io/pdf_renderer.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"
#include "settings/placement_options.h"

namespace zkl::gui {

namespace {

constexpr const char* ProgramTitle = "ZKL Labeller";
constexpr const char* RecentFilesKey = "recentFiles";
constexpr int RecentFilesKept = 8;
// While Automatic Place runs, the window repaints this often; the sheet is drawn again
// less often, since that costs as much as a few components.
constexpr int RepaintMilliseconds = 50;
constexpr int RedrawMilliseconds = 1000;

std::filesystem::path PathOf(const QString& name) { return std::filesystem::path(name.toStdString()); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    auto* centre = new QWidget(this);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    canvas_ = new Canvas(centre);
    keyin_ = new QLineEdit(centre);
    keyin_->setObjectName("keyin");
    keyin_->setPlaceholderText(tr("Key-in: Enter gives it to the command waiting for input"));
    layout->addWidget(canvas_, 1);
    layout->addWidget(keyin_);
    setCentralWidget(centre);

    commandField_ = new QLabel(this);
    promptField_ = new QLabel(this);
    cursorField_ = new QLabel(this);
    statusBar()->addWidget(commandField_, 1);
    statusBar()->addWidget(promptField_, 2);
    statusBar()->addPermanentWidget(cursorField_);

    auto* dock = new QDockWidget(tr("Messages"), this);
    dock->setObjectName("messages");
    messages_ = new QListWidget(dock);
    messages_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    messages_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(tr("&Copy"), messages_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] {
        QStringList lines;
        for (const QListWidgetItem* item : messages_->selectedItems()) lines << item->text();
        QApplication::clipboard()->setText(lines.join('\n'));
    });
    messages_->addAction(copy);
    dock->setWidget(messages_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    // The sheet is what the user works on; the messages get a strip under it.
    resizeDocks({dock}, {110}, Qt::Vertical);

    findings_ = new FindingsPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, findings_);
    findings_->hide();  // until the first check
    findings_->checkRequested = [this] { CheckLayout(); };
    findings_->highlightChanged = [this] { RefreshCanvas(); };
    findings_->failed = [this](const QString& text) { ShowError(tr("The layout check"), text); };

    changes_ = new ChangesPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, changes_);
    // The two docks are rarely wanted at once; as tabs each keeps the width of the sheet.
    tabifyDockWidget(findings_, changes_);
    changes_->hide();  // until the first update
    changes_->highlightChanged = [this] { RefreshCanvas(); };

    dialogWindow_ = new DialogWindow(this);
    dialogWindow_->runCommand = [this](DialogWindow::Handler handler) { RunButton(handler); };
    dialogWindow_->failed = [this](const QString& text) { ShowError(tr("The labeller"), text); };

    showMessage_ = [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    };
    askToSave_ = [this] {
        return QMessageBox::question(this, ProgramTitle, tr("The sheet has unsaved changes. Save them?"),
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                     QMessageBox::Save);
    };
    prompter_->show = [this](std::string_view title, std::string_view text) {
        QString body = FromUtf8(text);
        body.replace('\r', '\n');
        showMessage_(FromUtf8(title), body);
    };

    connect(canvas_, &Canvas::InputGiven, this, [this](const Input& input) { source_->Give(input); });
    connect(canvas_, &Canvas::CursorMoved, this, [this](double x, double y) {
        cursorField_->setText(QString("x %1  y %2").arg(x, 0, 'f', 2).arg(y, 0, 'f', 2));
    });
    connect(canvas_, &Canvas::AreaChanged, this, [this](const ViewArea& area) {
        if (host_) host_->SetScreenArea(area);
    });
    connect(keyin_, &QLineEdit::returnPressed, this, [this] { SendKeyin(); });

    BuildMenus();
    UpdateTitle();
    UpdateActions();
    resize(1200, 800);
}

MainWindow::~MainWindow() {
    // The dialog's widgets refer to the dialog, the labeller to the host, and the host to
    // the source: end in that order.
    dialogWindow_->Bind(nullptr);
    source_->Close();
    labeller_.reset();
    module_.reset();
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), QKeySequence::Open, this, [this] { OpenWithDialog(); });
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    connect(recentMenu_, &QMenu::aboutToShow, this, [this] { BuildRecentMenu(); });
    saveAction = file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { Save(); });
    sheetActions_ << saveAction;
    sheetActions_ << file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    for (const QString& kind : {QString("SVG"), QString("DXF"), QString("PDF")})
        sheetActions_ << exportMenu->addAction(kind + "...", this, [this, kind] { Export(kind); });
    file->addSeparator();
    sheetActions_ << file->addAction(tr("Labeller &Configuration..."), this,
                                     [this] { ChooseConfigurationWithDialog(); });
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, [this] { close(); });

    // The dialog has one button that says Undo or Redo by turns; the two entries are that
    // button, each enabled while the button says it.
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    undoAction = edit->addAction(tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                                 [this] { RunButton(&FrmMain::cmdUndo_Click); });
    redoAction = edit->addAction(tr("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), this,
                                 [this] { RunButton(&FrmMain::cmdUndo_Click); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(tr("&Fit to Sheet"), QKeySequence(Qt::Key_F), this, [this] { canvas_->FitToSheet(); });
    QAction* keyin = view->addAction(tr("&Key-in"), QKeySequence(Qt::Key_Colon), this, [this] {
        keyin_->show();
        keyin_->setFocus();
    });
    sheetActions_ << keyin;
    sheetActions_ << view->addAction(tr("Labeller &Dialog"), QKeySequence(Qt::Key_F2), this, [this] {
        if (!labellerStarted_ && !StartLabeller()) return;
        module_->dialog->Show();
        dialogWindow_->Sync();
        dialogWindow_->raise();
    });
    view->addAction(findings_->toggleViewAction());
    view->addAction(changes_->toggleViewAction());

    QMenu* labeller = menuBar()->addMenu(tr("&Labeller"));
    automaticPlaceAction = labeller->addAction(tr("&Automatic Place"), this,
                                               [this] { RunButton(&FrmMain::cmdAutoPlace_Click); });
    semiAutoPlaceAction =
        labeller->addAction(tr("&Semi-Auto Place"), this, [this] { RunButton(&FrmMain::cmdSemiAuto_Click); });
    manualPlaceAction =
        labeller->addAction(tr("&Manual Place"), this, [this] { RunButton(&FrmMain::cmdManual_Click); });
    pipelineAction =
        labeller->addAction(tr("&Pipeline"), this, [this] { RunButton(&FrmMain::cmdPipeline_Click); });
    equipmentAction =
        labeller->addAction(tr("&Equipment"), this, [this] { RunButton(&FrmMain::cmdEquip_Click); });
    labeller->addSeparator();
    reviseDimensionAction = labeller->addAction(tr("Revise &Dimension"), this,
                                                [this] { RunButton(&FrmMain::cmdReviseDim_Click); });
    updateAnnotationAction = labeller->addAction(tr("&Update Annotation"), QKeySequence(Qt::CTRL | Qt::Key_U),
                                                 this, [this] { UpdateAnnotation(); });
    labeller->addSeparator();
    checkLayoutAction =
        labeller->addAction(tr("&Check Layout"), QKeySequence(Qt::Key_F7), this, [this] { CheckLayout(); });
    sheetActions_ << automaticPlaceAction << semiAutoPlaceAction << manualPlaceAction << pipelineAction
                  << equipmentAction << reviseDimensionAction << updateAnnotationAction << checkLayoutAction;
}

void MainWindow::BuildRecentMenu() {
    recentMenu_->clear();
    const QStringList files = QSettings().value(RecentFilesKey).toStringList();
    for (const QString& name : files)
        recentMenu_->addAction(name, this, [this, name] {
            if (!commandRunning_ && MaySetSheetAside()) OpenSheet(PathOf(name));
        });
    recentMenu_->setEnabled(!commandRunning_);
    if (files.isEmpty()) recentMenu_->addAction(tr("(none)"))->setEnabled(false);
}

void MainWindow::RememberRecent(const std::filesystem::path& path) {
    std::error_code ec;
    const QString name = FromUtf8(std::filesystem::absolute(path, ec).string());
    QSettings settings;
    QStringList files = settings.value(RecentFilesKey).toStringList();
    files.removeAll(name);
    files.prepend(name);
    while (files.size() > RecentFilesKept) files.removeLast();
    settings.setValue(RecentFilesKey, files);
}

void MainWindow::RouteMessages(std::function<void(const QString&, const QString&)> show) {
    showMessage_ = std::move(show);
}

void MainWindow::RouteSaveQuestion(std::function<QMessageBox::StandardButton()> ask) {
    askToSave_ = std::move(ask);
}

void MainWindow::ShowError(const QString& title, const QString& text) { showMessage_(title, text); }

bool MainWindow::OpenSheet(const std::filesystem::path& given) {
    // A bare file name has no folder to find the configuration and the macro project from,
    // and the recent list must name the same file from wherever the program starts next.
    std::error_code failed;
    std::filesystem::path path = std::filesystem::absolute(given, failed).lexically_normal();
    if (failed) path = given;
    cad::Drawing drawing;
    std::string text;
    try {
        drawing = io::LoadSheet(path);
        text = io::SerializeSheet(drawing, path.parent_path());
    } catch (const std::exception& error) {
        ShowError(tr("Cannot open the sheet"), FromUtf8(error.what()));
        return false;
    }
    auto host = std::make_unique<GuiHost>(std::move(drawing), source_);
    try {
        canvas_->SetDrawing(host->GetDrawing());
    } catch (const std::exception& error) {
        ShowError(tr("Cannot draw the sheet"), FromUtf8(error.what()));
        return false;
    }
    findings_->SheetReplaced();
    changes_->SheetReplaced();
    dialogWindow_->Bind(nullptr);
    labeller_.reset();
    module_.reset();
    host_ = std::move(host);
    host_->SetPrompter(prompter_);
    host_->beforeWait = [this] {
        RefreshCanvas();
        dialogWindow_->Sync();
    };
    host_->busy = [this] { WhileBusy(); };
    host_->statusShown = [this](StatusField field, const std::string& status) {
        (field == StatusField::Command ? commandField_ : promptField_)->setText(FromUtf8(status));
    };
    host_->messagePosted = [this](const Message& message) {
        QString line = QTime::currentTime().toString("HH:mm:ss") + "  " + FromUtf8(message.text);
        if (!message.details.empty()) line += " (" + FromUtf8(message.details) + ")";
        messages_->addItem(line);
        messages_->scrollToBottom();
    };
    host_->screenMoved = [this](const ViewArea& area) { canvas_->ShowArea(area); };
    messages_->clear();
    sheetPath_ = path;
    savedText_ = std::move(text);
    chosenConfiguration_.reset();
    canvas_->FitToSheet();
    RememberRecent(path);
    ResetLabeller();
    StartLabeller();
    UpdateTitle();
    UpdateActions();
    return true;
}

void MainWindow::ResetLabeller() {
    dialogWindow_->Bind(nullptr);
    labeller_.reset();
    module_ = std::make_unique<mdlOPM_Labeller>(*host_);
    labeller_ = std::make_unique<clsOPM_Labeller>(*module_, MakeDialogCommands(*module_));
    labellerStarted_ = false;
}

bool MainWindow::StartLabeller() {
    try {
        configuration_ = std::make_unique<io::ConfigurationFolder>(
            chosenConfiguration_, sheetPath_, "choose one with File > Labeller Configuration");
        host_->SetConfigurationProject(configuration_->MacroProjectPath());
        labeller_->Start_Labeller();
        // Automatic Place from the dialog places labels as `auto` does with this file.
        module_->placement = ReadPlacementOptions(configuration_->File());
    } catch (const std::exception& error) {
        // A dialog that failed to initialise stays half-filled; the next try starts afresh.
        ResetLabeller();
        ShowError(tr("Cannot start the labeller"), FromUtf8(error.what()));
        UpdateActions();
        return false;
    }
    labellerStarted_ = true;
    dialogWindow_->Bind(module_->dialog.get());
    if (!dialogPlaced_) {
        dialogPlaced_ = true;
        // First shown over the lower left of the sheet, where it hides the least of a
        // sheet fitted to the window.
        const QPoint corner = canvas_->mapToGlobal(QPoint(16, canvas_->height() - dialogWindow_->height() - 16));
        dialogWindow_->move(corner);
    }
    UpdateActions();
    return true;
}

bool MainWindow::ChooseConfiguration(const std::filesystem::path& file) {
    if (!host_ || commandRunning_) return false;
    const std::optional<std::filesystem::path> before = chosenConfiguration_;
    chosenConfiguration_ = file;
    ResetLabeller();
    if (StartLabeller()) return true;
    chosenConfiguration_ = before;
    return false;
}

void MainWindow::ChooseConfigurationWithDialog() {
    const QString name = QFileDialog::getOpenFileName(this, tr("Labeller Configuration"),
                                                      FromUtf8(sheetPath_.parent_path().string()),
                                                      tr("Configurations (*.ini);;All files (*)"));
    if (!name.isEmpty()) ChooseConfiguration(PathOf(name));
}

bool MainWindow::IsModified() const {
    if (!host_) return false;
    try {
        return io::SerializeSheet(host_->GetDrawing(), sheetPath_.parent_path()) != savedText_;
    } catch (const std::exception&) {
        return true;  // what cannot be written is surely not what was saved
    }
}

bool MainWindow::SaveSheetTo(const std::filesystem::path& path) {
    if (!host_) return false;
    try {
        io::SaveSheet(host_->GetDrawing(), path);
        savedText_ = io::SerializeSheet(host_->GetDrawing(), path.parent_path());
    } catch (const std::exception& error) {
        ShowError(tr("Cannot save the sheet"), FromUtf8(error.what()));
        return false;
    }
    if (path != sheetPath_) RememberRecent(path);
    sheetPath_ = path;
    UpdateTitle();
    return true;
}

bool MainWindow::Save() { return host_ && SaveSheetTo(sheetPath_); }

bool MainWindow::SaveAs() {
    if (!host_) return false;
    const QString name = QFileDialog::getSaveFileName(this, tr("Save Sheet As"),
                                                      FromUtf8(sheetPath_.string()), tr("Sheets (*.json)"));
    return !name.isEmpty() && SaveSheetTo(PathOf(name));
}

void MainWindow::Export(const QString& kind) {
    if (!host_) return;
    const QString suffix = kind.toLower();
    std::filesystem::path suggested = sheetPath_;
    suggested.replace_extension(suffix.toStdString());
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Export %1").arg(kind), FromUtf8(suggested.string()), kind + " (*." + suffix + ")");
    if (name.isEmpty()) return;
    try {
        const cad::Drawing& drawing = host_->GetDrawing();
        const std::string content = kind == "SVG"   ? io::RenderSvg(drawing)
                                    : kind == "DXF" ? io::RenderDxf(drawing)
                                                    : io::RenderPdf(drawing);
        io::WriteFileAtomically(PathOf(name), content);
    } catch (const std::exception& error) {
        ShowError(tr("Cannot export the sheet"), FromUtf8(error.what()));
    }
}

bool MainWindow::MaySetSheetAside() {
    if (!IsModified()) return true;
    const QMessageBox::StandardButton answer = askToSave_();
    if (answer == QMessageBox::Save) return Save();
    return answer == QMessageBox::Discard;
}

void MainWindow::OpenWithDialog() {
    if (commandRunning_ || !MaySetSheetAside()) return;
    const QString name =
        QFileDialog::getOpenFileName(this, tr("Open Sheet"), QString(), tr("Sheets (*.json)"));
    if (!name.isEmpty()) OpenSheet(PathOf(name));
}

void MainWindow::RunButton(DialogWindow::Handler button) {
    RunCommand([this, button] { (module_->dialog.get()->*button)(); });
}

void MainWindow::UpdateAnnotation() {
    std::optional<UpdateResult> result;
    RunCommand([this, &result] {
        PlacementProgress progress;
        progress.borderDone = [this](int done, int total, const PlacementReport&) {
            commandField_->setText(tr("Updating the annotation: drawing area %1 of %2 done").arg(done).arg(total));
            WhileBusy();
        };
        const std::string sheetName = "'" + sheetPath_.filename().string() + "'";
        result = RunUpdateCommand(*module_, false, sheetName, progress);
    });
    // After the command, so that its end does not mark the fresh report out of date.
    if (result && host_) changes_->ShowChanges(*host_, result->changes);
}

void MainWindow::RunCommand(const std::function<void()>& command) {
    if (!host_ || commandRunning_) return;
    if (!labellerStarted_ && !StartLabeller()) return;

    findings_->SheetChanged();
    changes_->SheetChanged();
    commandRunning_ = true;
    UpdateActions();
    source_->Open();
    sinceRepaint_.start();
    try {
        command();
    } catch (const std::exception& error) {
        ShowError(tr("The command failed"), FromUtf8(error.what()));
    }
    source_->Close();
    host_->ClearTransient();
    host_->ClearDrawingAidHints();
    commandRunning_ = false;
    RefreshCanvas();
    dialogWindow_->Sync();
    UpdateTitle();
    UpdateActions();
    if (closeWanted_) close();
}

void MainWindow::CheckLayout() {
    if (!host_ || commandRunning_) return;
    if (!labellerStarted_ && !StartLabeller()) return;
    findings_->Check(*host_, *module_);
}

void MainWindow::WhileBusy() {
    if (sinceRepaint_.elapsed() < RepaintMilliseconds) return;
    static_assert(RedrawMilliseconds > RepaintMilliseconds);
    if (sinceRepaint_.elapsed() >= RedrawMilliseconds) RefreshCanvas();
    dialogWindow_->Sync();
    // Input waits until the command ends (the menus are off anyway); paint and timers run.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

void MainWindow::SendKeyin() {
    const QString text = keyin_->text().trimmed();
    if (text.isEmpty()) return;
    if (!source_->IsWaiting()) {
        messages_->addItem(tr("No command is waiting for a key-in; \"%1\" was not sent.").arg(text));
        return;
    }
    keyin_->clear();
    source_->Give(Input::Keyin(text.toStdString()));
}

void MainWindow::RefreshCanvas() {
    if (!host_) return;
    const std::optional<cad::DragState>& drag = host_->Drag();
    const bool dragging = drag && drag->basePoint;
    try {
        canvas_->SetDrawing(host_->GetDrawing(), dragging ? drag->elements : std::vector<ElementId>{},
                            host_->Highlighted());
        canvas_->SetTransient(host_->GetDrawing(), host_->Transient(),
                              dragging ? std::optional<Point>(*drag->basePoint) : std::nullopt);
        canvas_->SetHint(host_->GetDrawingAidHints());
    } catch (const std::exception& error) {
        messages_->addItem(tr("Cannot draw the sheet: %1").arg(FromUtf8(error.what())));
    }
}

void MainWindow::UpdateTitle() {
    if (!host_) return setWindowTitle(ProgramTitle);
    setWindowTitle(QString("%1%2 - %3")
                       .arg(FromUtf8(sheetPath_.filename().string()), IsModified() ? "*" : "", ProgramTitle));
}

void MainWindow::UpdateActions() {
    for (QAction* action : sheetActions_) action->setEnabled(host_ && !commandRunning_);
    const bool ready = host_ && !commandRunning_;
    findings_->setEnabled(ready);  // a selection would move the view under a command
    changes_->setEnabled(ready);
    bool sayingUndo = true;
    bool undoEnabled = false;
    if (module_ && module_->dialog) {
        const ControlRecord& button = module_->dialog->Button("cmdUndo").record;
        sayingUndo = button.caption != "Redo";
        undoEnabled = button.enabled;
    }
    undoAction->setEnabled(ready && labellerStarted_ && undoEnabled && sayingUndo);
    redoAction->setEnabled(ready && labellerStarted_ && undoEnabled && !sayingUndo);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (commandRunning_) {
        // The command is inside its wait for input; a Reset ends it, and the window closes
        // once it has unwound.
        closeWanted_ = true;
        source_->Close();
        event->ignore();
        return;
    }
    if (!MaySetSheetAside()) {
        closeWanted_ = false;
        return event->ignore();
    }
    dialogWindow_->hide();
    event->accept();
}

}  // namespace zkl::gui
