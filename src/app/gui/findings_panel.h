// The layout check in the desktop program: a dock with a summary of the quality report and
// one entry per finding. Selecting an entry shows the finding's place on the canvas (view 1
// of the host, as the labeller's own zooms) and highlights the label cells and components it
// names through the host's highlight; the next selection takes that highlight back. The list
// describes the sheet as it was when checked, so the window reports every change and the
// panel then marks the list out of date and offers to check again.
#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "app/gui/canvas.h"
#include "app/gui/gui_host.h"
#include "quality/quality_report.h"
#include "settings/labeller_module.h"

namespace zkl::gui {

class FindingsPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit FindingsPanel(QWidget* parent = nullptr);

    // Judges the sheet of `host` with the label rows `module`'s dialog holds now, as
    // `zkl-labeller check` judges a file, and lists the findings in place of any before.
    // The module must be started (have its dialog) and belong to `host`.
    void Check(GuiHost& host, mdlOPM_Labeller& module);
    // The sheet changed (a command ran, an undo): the list stays, marked out of date, and
    // the highlight is taken back.
    void SheetChanged();
    // Another sheet took the host's place: the list, which named the old sheet's elements,
    // is dropped, and the host checked before is not touched again.
    void SheetReplaced();

    // Check Again was pressed; the window runs its check as from the menu.
    std::function<void()> checkRequested;
    // What the host highlights changed; the window draws the sheet again.
    std::function<void()> highlightChanged;
    // The check could not run (a dialog box that does not convert); the text is for the user.
    std::function<void(const QString& text)> failed;

    QTreeWidget* List() const { return list_; }
    QString Summary() const { return summary_->text(); }
    // What the panel says about the list: out of date, nothing to check, or nothing.
    QString Notice() const { return notice_->text(); }
    bool IsOutOfDate() const { return outOfDate_; }
    // The elements this panel highlights now.
    const ElementKeys& Highlighted() const { return highlighted_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowReport(const QualityReport& report);
    void ShowFinding(const Finding& finding);
    void ClearHighlight();
    // Clears the highlight and the selection, and has the sheet drawn again if needed.
    void TakeHighlightBack();
    void SetNotice(const QString& text, bool warning);

    QLabel* notice_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeWidget* list_ = nullptr;

    GuiHost* host_ = nullptr;  // the host checked, until the sheet is replaced
    std::vector<Finding> findings_;
    ElementKeys highlighted_;
    bool outOfDate_ = false;
};

}  // namespace zkl::gui
