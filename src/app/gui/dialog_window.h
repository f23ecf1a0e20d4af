// The labeller's main dialog on screen: a tool window above the main window whose widgets
// are made from the dialog model's controls (kind, caption, place, size) and bound both
// ways. What the user types, picks or ticks goes into the model and the model's own event
// handlers run; Sync shows whatever the model holds now. Nothing of the dialog's behaviour
// lives here.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "dialog/frm_main.h"

namespace zkl::gui {

class DialogWindow : public QWidget {
    Q_OBJECT

public:
    using Handler = void (FrmMain::*)();
    using KeyHandler = void (FrmMain::*)(int keyCode, int shift);

    explicit DialogWindow(QWidget* owner);

    // Makes the widgets for this dialog in place of any before; null leaves none.
    void Bind(FrmMain* dialog);
    FrmMain* Dialog() const { return dialog_; }
    // Shows the model: values, entries, selections, captions, enabled states, the title, the
    // height and whether the dialog is shown.
    void Sync();

    // Buttons that start a command: the main window runs them, as it does its menu items.
    std::function<void(Handler)> runCommand;
    // A handler threw; the text is for the user.
    std::function<void(const QString& text)> failed;

    // The widget made for a control, or null (tests press buttons through it).
    QWidget* ControlWidget(std::string_view name) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeWidget(const Control& control);
    void Handle(Handler handler);
    void Run(Handler handler);

    FrmMain* dialog_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> widgets_;
    // The line edits of the editable combos, for their key-down handlers.
    std::map<QObject*, KeyHandler> keyDownHandlers_;
};

}  // namespace zkl::gui
