#include "app/gui/gui_host.h"

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

GuiHost::GuiHost(cad::Drawing drawing, std::shared_ptr<CanvasInputSource> source)
    : CadHost(std::move(drawing)), source_(source), screen_(CadHost::GetViewArea(1)) {
    SetInputSource(std::move(source));
}

Input GuiHost::WaitForInput() {
    if (beforeWait) beforeWait();
    return CadHost::WaitForInput();
}

void GuiHost::ShowStatus(StatusField field, std::string_view text) {
    CadHost::ShowStatus(field, text);
    if (statusShown) statusShown(field, std::string(text));
    if (busy && !source_->IsWaiting()) busy();
}

void GuiHost::PostMessage(const Message& message) {
    CadHost::PostMessage(message);
    if (messagePosted) messagePosted(message);
}

ViewArea GuiHost::GetViewArea(int view) const { return view == 1 ? screen_ : CadHost::GetViewArea(view); }

void GuiHost::SetViewArea(int view, const ViewArea& area) {
    if (view != 1) return CadHost::SetViewArea(view, area);
    screen_ = area;
    if (screenMoved) screenMoved(screen_);
}

Point GuiHost::ViewReferencePoint(int view) const {
    return view == 1 ? screen_.Centre() : CadHost::ViewReferencePoint(view);
}

void GuiHost::ZoomView(int view, const Point& about, double factor) {
    if (view != 1) return CadHost::ZoomView(view, about, factor);
    CheckZoomFactor(view, factor);
    SetViewArea(view, screen_.ZoomedAbout(about, factor));
}

std::string GuiHost::MacroProperty(std::string_view object, std::string_view property) const {
    const std::string stored = CadHost::MacroProperty(object, property);  // checks the names
    return configurationProject_ ? *configurationProject_ : stored;
}

}  // namespace zkl::gui
