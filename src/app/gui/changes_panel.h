// The change report of Update Annotation in the desktop program: a dock with the counts and
// one entry per label the update looked at. Selecting an entry shows the label on the
// canvas (view 1 of the host) and highlights its cell; a removed label has no cell any
// more, so where it stood is marked with a transient circle instead. The list describes the
// sheet right after the update, so the window reports every later change and the panel
// then marks the list out of date.
#pragma once

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QString>
#include <QTreeWidget>
#include <functional>

#include "app/gui/gui_host.h"
#include "commands/label_changes.h"

namespace zkl::gui {

class ChangesPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit ChangesPanel(QWidget* parent = nullptr);

    // Lists the report of the update just run on the sheet of `host`, in place of any before.
    void ShowChanges(GuiHost& host, const LabelChanges& changes);
    // The sheet changed (a command ran, an undo): the list stays, marked out of date, and
    // the highlight and mark are taken back.
    void SheetChanged();
    // Another sheet took the host's place: the list, which named the old sheet's cells, is
    // dropped, and the host listed before is not touched again.
    void SheetReplaced();

    // What the host highlights or shows as transient changed; the window draws it again.
    std::function<void()> highlightChanged;

    QTreeWidget* List() const { return list_; }
    QCheckBox* ShowUnchanged() const { return showUnchanged_; }
    QString Summary() const { return summary_->text(); }
    QString Notice() const { return notice_->text(); }
    bool IsOutOfDate() const { return outOfDate_; }
    // The label cell this panel highlights now, if any.
    ElementId Highlighted() const { return highlighted_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillList();
    void ShowEntry(const LabelChangeEntry& entry);
    void ClearHighlight();
    void TakeHighlightBack();
    void SetNotice(const QString& text, bool warning);

    QLabel* notice_ = nullptr;
    QLabel* summary_ = nullptr;
    QCheckBox* showUnchanged_ = nullptr;
    QTreeWidget* list_ = nullptr;

    GuiHost* host_ = nullptr;  // the host updated, until the sheet is replaced
    LabelChanges changes_;
    ElementId highlighted_ = NoElementId;
    bool marked_ = false;  // a transient circle marks where a removed label stood
    bool outOfDate_ = false;
};

}  // namespace zkl::gui
