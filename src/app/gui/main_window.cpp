#include "app/gui/main_window.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "commands/labeller_commands.h"
#include "dialog/controls.h"
#include "io/atomic_file.h"
#include "io/dxf_writer.h"
#include "io/pdf_renderer.h"
#include "io/sheet_file.h"
#include "io/svg_renderer.h"

namespace zkl::gui {

namespace {

constexpr const char* ProgramTitle = "ZKL Labeller";
constexpr const char* ConfigurationFile = "ZKL_Labeller.ini";

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path PathOf(const QString& name) { return std::filesystem::path(name.toStdString()); }

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    canvas_ = new Canvas(this);
    setCentralWidget(canvas_);
    commandField_ = new QLabel(this);
    promptField_ = new QLabel(this);
    cursorField_ = new QLabel(this);
    statusBar()->addWidget(commandField_, 1);
    statusBar()->addWidget(promptField_, 2);
    statusBar()->addPermanentWidget(cursorField_);

    auto* dock = new QDockWidget(tr("Messages"), this);
    dock->setObjectName("messages");
    messages_ = new QListWidget(dock);
    dock->setWidget(messages_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    // The sheet is what the user works on; the messages get a strip under it.
    resizeDocks({dock}, {110}, Qt::Vertical);

    showMessage_ = [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
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

    BuildMenus();
    UpdateTitle();
    UpdateActions();
    resize(1200, 800);
}

MainWindow::~MainWindow() {
    // The labeller refers to the host, and the host to the source: end in that order.
    source_->Close();
    labeller_.reset();
    module_.reset();
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), QKeySequence::Open, this, [this] { OpenWithDialog(); });
    saveAction = file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { Save(); });
    sheetActions_ << saveAction;
    sheetActions_ << file->addAction(tr("Save &As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    for (const QString& kind : {QString("SVG"), QString("DXF"), QString("PDF")})
        sheetActions_ << exportMenu->addAction(kind + "...", this, [this, kind] { Export(kind); });
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(tr("&Fit to Sheet"), QKeySequence(Qt::Key_F), this, [this] { canvas_->FitToSheet(); });

    QMenu* labeller = menuBar()->addMenu(tr("&Labeller"));
    automaticPlaceAction = labeller->addAction(tr("&Automatic Place"), this,
                                               [this] { RunButton(&FrmMain::cmdAutoPlace_Click); });
    semiAutoPlaceAction =
        labeller->addAction(tr("&Semi-Auto Place"), this, [this] { RunButton(&FrmMain::cmdSemiAuto_Click); });
    manualPlaceAction =
        labeller->addAction(tr("&Manual Place"), this, [this] { RunButton(&FrmMain::cmdManual_Click); });
    labeller->addSeparator();
    // The dialog has one button that says Undo or Redo by turns; the two menu entries are
    // that button, each enabled while the button says it.
    undoAction = labeller->addAction(tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                                     [this] { RunButton(&FrmMain::cmdUndo_Click); });
    redoAction = labeller->addAction(tr("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), this,
                                     [this] { RunButton(&FrmMain::cmdUndo_Click); });
    sheetActions_ << automaticPlaceAction << semiAutoPlaceAction << manualPlaceAction;
}

void MainWindow::RouteMessages(std::function<void(const QString&, const QString&)> show) {
    showMessage_ = std::move(show);
}

void MainWindow::ShowError(const QString& title, const QString& text) { showMessage_(title, text); }

bool MainWindow::OpenSheet(const std::filesystem::path& path) {
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
    labeller_.reset();
    module_.reset();
    host_ = std::move(host);
    host_->SetPrompter(prompter_);
    host_->beforeWait = [this] { RefreshCanvas(); };
    host_->statusShown = [this](StatusField field, const std::string& status) {
        (field == StatusField::Command ? commandField_ : promptField_)->setText(FromUtf8(status));
    };
    host_->messagePosted = [this](const Message& message) {
        QString line = FromUtf8(message.text);
        if (!message.details.empty()) line += " (" + FromUtf8(message.details) + ")";
        messages_->addItem(line);
        messages_->scrollToBottom();
    };
    messages_->clear();
    sheetPath_ = path;
    savedText_ = std::move(text);
    ResetLabeller();
    canvas_->FitToSheet();
    UpdateTitle();
    UpdateActions();
    return true;
}

void MainWindow::ResetLabeller() {
    labeller_.reset();
    module_ = std::make_unique<mdlOPM_Labeller>(*host_);
    labeller_ = std::make_unique<clsOPM_Labeller>(*module_, MakeDialogCommands(*module_));
    labellerStarted_ = false;
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
    const auto answer = QMessageBox::question(
        this, ProgramTitle, tr("The sheet has unsaved changes. Save them?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return Save();
    return answer == QMessageBox::Discard;
}

void MainWindow::OpenWithDialog() {
    if (commandRunning_ || !MaySetSheetAside()) return;
    const QString name =
        QFileDialog::getOpenFileName(this, tr("Open Sheet"), QString(), tr("Sheets (*.json)"));
    if (!name.isEmpty()) OpenSheet(PathOf(name));
}

void MainWindow::RunButton(void (FrmMain::*button)()) {
    if (!host_ || commandRunning_) return;
    // The labeller finds its configuration beside the macro project, which a sheet keeps
    // beside itself; saying so here is kinder than the error from deep in the dialog.
    const std::filesystem::path configuration =
        std::filesystem::path(host_->GetDrawing().macroProjectPath).parent_path() / ConfigurationFile;
    if (!std::filesystem::is_regular_file(configuration)) {
        ShowError(tr("No configuration"),
                  tr("The labeller needs its configuration file %1.").arg(FromUtf8(configuration.string())));
        return;
    }
    if (!labellerStarted_) {
        try {
            labeller_->Start_Labeller();
            labellerStarted_ = true;
        } catch (const std::exception& error) {
            // A dialog that failed to initialise stays half-filled; the next try starts afresh.
            ResetLabeller();
            ShowError(tr("Cannot start the labeller"), FromUtf8(error.what()));
            return;
        }
    }

    commandRunning_ = true;
    UpdateActions();
    source_->Open();
    try {
        (module_->dialog.get()->*button)();
    } catch (const std::exception& error) {
        ShowError(tr("The command failed"), FromUtf8(error.what()));
    }
    source_->Close();
    host_->ClearTransient();
    commandRunning_ = false;
    RefreshCanvas();
    UpdateTitle();
    UpdateActions();
    if (closeWanted_) close();
}

void MainWindow::RefreshCanvas() {
    if (!host_) return;
    const std::optional<cad::DragState>& drag = host_->Drag();
    const bool dragging = drag && drag->basePoint;
    try {
        canvas_->SetDrawing(host_->GetDrawing(), dragging ? drag->elements : std::vector<ElementId>{});
        canvas_->SetTransient(host_->GetDrawing(), host_->Transient(),
                              dragging ? std::optional<Point>(*drag->basePoint) : std::nullopt);
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
    bool sayingUndo = true;
    if (module_ && module_->dialog) sayingUndo = module_->dialog->Button("cmdUndo").record.caption != "Redo";
    undoAction->setEnabled(ready && labellerStarted_ && sayingUndo);
    redoAction->setEnabled(ready && labellerStarted_ && !sayingUndo);
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
    if (!closeWanted_ && !MaySetSheetAside()) return event->ignore();
    event->accept();
}

}  // namespace zkl::gui
