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

// Message boxes as real dialogs; lines of a box are separated by "\r".
class DialogPrompter : public cad::Prompter {
public:
    explicit DialogPrompter(QWidget* parent) : parent_(parent) {}
    void MessageBox(std::string_view title, std::string_view text) override;

private:
    QWidget* parent_;
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
    std::function<void(StatusField, const std::string&)> statusShown;
    std::function<void(const Message&)> messagePosted;

    Input WaitForInput() override;
    void ShowStatus(StatusField field, std::string_view text) override;
    void PostMessage(const Message& message) override;

private:
    std::shared_ptr<CanvasInputSource> source_;
};

}  // namespace zkl::gui
