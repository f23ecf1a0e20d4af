// The engine as the desktop program's host. A command that waits for input runs a nested
// event loop until the canvas gives a click or key, so the window stays live while the
// labeller's code keeps its plain "wait, then act" shape. Status fields, messages and
// message boxes go to whatever the window hooks up.
#pragma once

#include <QEventLoop>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cad/cad_host.h"
#include "cad/input_source.h"
#include "cad/prompter.h"

namespace zkl::gui {

// Inputs from the canvas. Inputs only count while a command runs: a stray click between
// commands must not be taken as the first point of the next one.
class CanvasInputSource : public cad::InputSource {
public:
    // Starts taking inputs for a command; anything left from before is dropped.
    void Open();
    // No more inputs: a waiting command gets Reset, and so does every later wait, until the
    // next Open. Used when a command ends and when the window closes under a command.
    void Close();
    bool IsOpen() const { return open_; }
    bool IsWaiting() const { return loop_ != nullptr; }

    // Queues the input when a command runs and ends the wait for it.
    void Give(const Input& input);

    std::optional<Input> Next() override;

private:
    bool open_ = false;
    std::deque<Input> inputs_;
    QEventLoop* loop_ = nullptr;
};

// Hands every box to a function, so the window can route them (and tests can keep them).
class ForwardingPrompter : public cad::Prompter {
public:
    std::function<void(std::string_view, std::string_view)> show;
    void MessageBox(std::string_view title, std::string_view text) override {
        if (show) show(title, text);
    }
};

class GuiHost : public cad::CadHost {
public:
    GuiHost(cad::Drawing drawing, std::shared_ptr<CanvasInputSource> source);

    // Called before each wait, so the window can show what the command has drawn so far.
    std::function<void()> beforeWait;
    // Called whenever a command shows a status while it does not wait (Automatic Place
    // reports its progress so), so the window can repaint between components.
    std::function<void()> busy;
    std::function<void(StatusField, const std::string&)> statusShown;
    std::function<void(const Message&)> messagePosted;
    // A command moved view 1, which is the window's canvas.
    std::function<void(const ViewArea&)> screenMoved;

    Input WaitForInput() override;
    void ShowStatus(StatusField field, std::string_view text) override;
    void PostMessage(const Message& message) override;

    // View 1 is what the canvas shows, not the view stored in the sheet: panning is not an
    // edit of the sheet, and a command's zoom moves the canvas. The other views are the
    // sheet's.
    ViewArea GetViewArea(int view) const override;
    void SetViewArea(int view, const ViewArea& area) override;
    Point ViewReferencePoint(int view) const override;
    void ZoomView(int view, const Point& about, double factor) override;
    // The user panned or zoomed: the canvas tells the host without being told back.
    void SetScreenArea(const ViewArea& area) { screen_ = area; }

    // The labeller finds its configuration beside the macro project; the window points it at
    // the configuration chosen for the sheet without changing the sheet.
    void SetConfigurationProject(std::string macroProjectPath) { configurationProject_ = std::move(macroProjectPath); }
    std::string MacroProperty(std::string_view object, std::string_view property) const override;

private:
    std::shared_ptr<CanvasInputSource> source_;
    ViewArea screen_;
    std::optional<std::string> configurationProject_;
};

}  // namespace zkl::gui
