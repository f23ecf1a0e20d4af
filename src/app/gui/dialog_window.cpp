#include "app/gui/dialog_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <type_traits>

#include "app/gui/qt_text.h"

namespace zkl::gui {

namespace {

// The dialog is laid out in 0.01 mm and sized in twips; on screen, at 96 pixels an inch.
constexpr double PixelsPerUnit = 96.0 / 2540.0;
constexpr int TwipsPerPixel = 15;
// The window height in twips counts its caption and frame, which the toolkit adds itself.
constexpr int FramePixels = 28;
constexpr int MarginPixels = 8;
constexpr double DialogPointSize = 8.0;

struct ButtonHandler {
    std::string_view name;
    DialogWindow::Handler handler;
    bool startsCommand;  // may wait for input, so the main window runs it
};

constexpr ButtonHandler ButtonHandlers[] = {
    {"cmdAutoPlace", &FrmMain::cmdAutoPlace_Click, true},
    {"cmdSemiAuto", &FrmMain::cmdSemiAuto_Click, true},
    {"cmdManual", &FrmMain::cmdManual_Click, true},
    {"cmdPipeline", &FrmMain::cmdPipeline_Click, true},
    {"cmdEquip", &FrmMain::cmdEquip_Click, true},
    {"cmdReviseDim", &FrmMain::cmdReviseDim_Click, true},
    {"cmdUndo", &FrmMain::cmdUndo_Click, true},
    {"cmdDimItemsAdd", &FrmMain::cmdDimItemsAdd_Click, false},
    {"cmdDimItemsRevise", &FrmMain::cmdDimItemsRevise_Click, false},
    {"cmdDimItemsRemove", &FrmMain::cmdDimItemsRemove_Click, false},
    {"cmdLabelItemsAdd", &FrmMain::cmdLabelItemsAdd_Click, false},
    {"cmdLabelItemsRevise", &FrmMain::cmdLabelItemsRevise_Click, false},
    {"cmdLabelItemsRemove", &FrmMain::cmdLabelItemsRemove_Click, false},
};

// The item lists: key down before the key changes the text, click after a pick.
struct ItemListHandlers {
    std::string_view name;
    DialogWindow::KeyHandler keyDown;
    DialogWindow::Handler click;
};

constexpr ItemListHandlers ItemLists[] = {
    {"cmbDimItems", &FrmMain::cmbDimItems_KeyDown, &FrmMain::cmbDimItems_Click},
    {"cmbLabelItems", &FrmMain::cmbLabelItems_KeyDown, &FrmMain::cmbLabelItems_Click},
};

// Captions break lines with CR LF, as the dialog was written.
QString Caption(const std::string& caption) { return FromUtf8(caption).replace("\r\n", "\n"); }

int Pixels(int units) { return static_cast<int>(units * PixelsPerUnit + 0.5); }

void SyncCombo(QComboBox& box, const ComboBox& model) {
    QStringList entries;
    for (const std::string& entry : model.Entries()) entries << FromUtf8(entry);
    QStringList shown;
    for (int i = 0; i < box.count(); ++i) shown << box.itemText(i);
    if (entries != shown) {
        box.clear();
        box.addItems(entries);
    }
    if (box.currentIndex() != model.SelectedIndex()) box.setCurrentIndex(model.SelectedIndex());
    if (box.isEditable() && box.currentText() != FromUtf8(model.Value())) box.setEditText(FromUtf8(model.Value()));
}

}  // namespace

DialogWindow::DialogWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setObjectName("FrmMain");
    // The dialog was laid out for an 8 point font; larger captions would not fit its boxes.
    QFont small = font();
    small.setPointSizeF(DialogPointSize);
    setFont(small);
}

QWidget* DialogWindow::ControlWidget(std::string_view name) const {
    const auto found = widgets_.find(name);
    return found == widgets_.end() ? nullptr : found->second;
}

void DialogWindow::Bind(FrmMain* dialog) {
    for (auto& [name, widget] : widgets_) delete widget;
    widgets_.clear();
    keyDownHandlers_.clear();
    dialog_ = dialog;
    if (!dialog_) return hide();
    int right = 0;
    for (const Control& control : dialog_->Controls()) {
        QWidget* widget = MakeWidget(control);
        const ControlRecord& record = RecordOf(control);
        widget->setObjectName(QString::fromStdString(record.name));
        widget->setGeometry(MarginPixels + Pixels(record.left), MarginPixels + Pixels(record.top),
                            Pixels(record.width), Pixels(record.height));
        widget->show();
        widgets_.emplace(record.name, widget);
        right = std::max(right, MarginPixels + Pixels(record.left + record.width));
    }
    setFixedWidth(right + MarginPixels);
    Sync();
}

QWidget* DialogWindow::MakeWidget(const Control& control) {
    const ControlRecord& record = RecordOf(control);
    const std::string name = record.name;
    switch (record.kind) {
        case ControlKind::Label:
            return new QLabel(this);
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
                dialog_->Text(name).text = text.toStdString();
            });
            return edit;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(this);
            connect(box, &QCheckBox::clicked, this, [this, name](bool checked) {
                dialog_->Check(name).value = checked;
                Sync();
            });
            return box;
        }
        case ControlKind::ToggleButton: {
            auto* button = new QPushButton(this);
            button->setCheckable(true);
            connect(button, &QPushButton::clicked, this, [this, name](bool checked) {
                dialog_->Toggle(name).pressed = checked;
                Handle(&FrmMain::togFormMode_Click);
            });
            return button;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(this);
            const auto* found = std::find_if(std::begin(ButtonHandlers), std::end(ButtonHandlers),
                                             [&](const ButtonHandler& b) { return b.name == name; });
            if (found != std::end(ButtonHandlers)) {
                const ButtonHandler handler = *found;
                connect(button, &QPushButton::clicked, this, [this, handler] {
                    handler.startsCommand ? Run(handler.handler) : Handle(handler.handler);
                });
            }
            return button;
        }
        case ControlKind::DropDownList:
        case ControlKind::EditableCombo: {
            auto* box = new QComboBox(this);
            const bool editable = record.kind == ControlKind::EditableCombo;
            box->setEditable(editable);
            if (editable) box->setInsertPolicy(QComboBox::NoInsert);  // Add does that
            const auto* list = std::find_if(std::begin(ItemLists), std::end(ItemLists),
                                            [&](const ItemListHandlers& l) { return l.name == name; });
            const bool itemList = list != std::end(ItemLists);
            const Handler click = itemList ? list->click : nullptr;
            connect(box, &QComboBox::activated, this, [this, name, click](int index) {
                try {
                    // Picking raises the model's change event, as a choice by the user does.
                    dialog_->Combo(name).SetSelectedIndex(index);
                } catch (const std::exception& error) {
                    if (failed) failed(FromUtf8(error.what()));
                }
                if (click) return Handle(click);
                Sync();
            });
            if (editable) {
                // textEdited comes from typing only, not from a pick or from Sync.
                connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, name](const QString& text) {
                    dialog_->Combo(name).Type(text.toStdString());
                    Sync();
                });
                if (itemList) {
                    box->lineEdit()->installEventFilter(this);
                    keyDownHandlers_[box->lineEdit()] = list->keyDown;
                }
            }
            return box;
        }
    }
    return new QWidget(this);
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && dialog_ && keyDownHandlers_.count(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control ||
                                  key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta;
        if (!modifierOnly && !key->text().isEmpty()) {
            // Before the key changes the text: the model remembers the entry typed over.
            const int shift = key->modifiers() & Qt::ShiftModifier ? 1 : 0;
            try {
                (dialog_->*keyDownHandlers_[watched])(key->key(), shift);
            } catch (const std::exception& error) {
                if (failed) failed(FromUtf8(error.what()));
            }
            Sync();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DialogWindow::Handle(Handler handler) {
    try {
        (dialog_->*handler)();
    } catch (const std::exception& error) {
        if (failed) failed(FromUtf8(error.what()));
    }
    Sync();
}

void DialogWindow::Run(Handler handler) {
    if (runCommand) runCommand(handler);
    Sync();
}

void DialogWindow::Sync() {
    if (!dialog_) return;
    for (const Control& control : dialog_->Controls()) {
        const ControlRecord& record = RecordOf(control);
        QWidget* widget = ControlWidget(record.name);
        if (!widget) continue;
        const QSignalBlocker blocker(widget);
        widget->setEnabled(record.enabled);
        std::visit(
            [&](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, Label>) {
                    static_cast<QLabel*>(widget)->setText(Caption(record.caption));
                } else if constexpr (std::is_same_v<T, TextBox>) {
                    auto* edit = static_cast<QLineEdit*>(widget);
                    // Setting equal text would move the cursor of someone typing.
                    if (edit->text() != FromUtf8(c.text)) edit->setText(FromUtf8(c.text));
                } else if constexpr (std::is_same_v<T, CheckBox>) {
                    auto* box = static_cast<QCheckBox*>(widget);
                    box->setText(Caption(record.caption));
                    box->setChecked(c.value);
                } else if constexpr (std::is_same_v<T, ToggleButton>) {
                    auto* button = static_cast<QPushButton*>(widget);
                    button->setText(Caption(record.caption));
                    button->setChecked(c.pressed);
                } else if constexpr (std::is_same_v<T, CommandButton>) {
                    static_cast<QPushButton*>(widget)->setText(Caption(record.caption));
                } else {
                    auto* box = static_cast<QComboBox*>(widget);
                    const QSignalBlocker editBlocker(box->lineEdit());
                    SyncCombo(*box, c);
                }
            },
            control);
    }
    setWindowTitle(FromUtf8(dialog_->Title()));
    const int height = std::max(dialog_->WindowHeight() / TwipsPerPixel - FramePixels, 0);
    if (height > 0) setFixedHeight(height);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != dialog_->StaysOnTop())
        setWindowFlag(Qt::WindowStaysOnTopHint, dialog_->StaysOnTop());
    setVisible(dialog_->IsVisible());
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    // The undo button is the dialog's cancel button.
    if (event->key() == Qt::Key_Escape && dialog_ && dialog_->Button("cmdUndo").record.enabled)
        return Run(&FrmMain::cmdUndo_Click);
    QWidget::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // Closing the tool window hides the dialog; the labeller keeps it, with what it holds.
    if (dialog_) dialog_->Hide();
    event->accept();
}

}  // namespace zkl::gui
