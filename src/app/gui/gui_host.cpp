#include "app/gui/gui_host.h"

#include <QMessageBox>
#include <QString>

namespace zkl::gui {

void CanvasInputSource::Open() {
    inputs_.clear();
    open_ = true;
}

void CanvasInputSource::Close() {
    open_ = false;
    inputs_.clear();
    if (loop_) loop_->quit();
}

void CanvasInputSource::Give(const Input& input) {
    if (!open_) return;
    inputs_.push_back(input);
    if (loop_) loop_->quit();
}

std::optional<Input> CanvasInputSource::Next() {
    if (inputs_.empty() && open_) {
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    if (inputs_.empty()) return std::nullopt;
    Input input = std::move(inputs_.front());
    inputs_.pop_front();
    return input;
}

void DialogPrompter::MessageBox(std::string_view title, std::string_view text) {
    QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    body.replace('\r', '\n');
    QMessageBox::information(parent_, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
                             body);
}

GuiHost::GuiHost(cad::Drawing drawing, std::shared_ptr<CanvasInputSource> source)
    : CadHost(std::move(drawing)), source_(source) {
    SetInputSource(std::move(source));
}

Input GuiHost::WaitForInput() {
    if (beforeWait) beforeWait();
    return CadHost::WaitForInput();
}

void GuiHost::ShowStatus(StatusField field, std::string_view text) {
    CadHost::ShowStatus(field, text);
    if (statusShown) statusShown(field, std::string(text));
}

void GuiHost::PostMessage(const Message& message) {
    CadHost::PostMessage(message);
    if (messagePosted) messagePosted(message);
}

}  // namespace zkl::gui
