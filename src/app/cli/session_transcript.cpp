#include "app/cli/session_transcript.h"

#include <utility>

#include "host/message_text.h"
#include "host/property_value.h"

namespace zkl::app {

std::string ScriptLine(const Input& input) {
    switch (input.kind) {
        case InputKind::DataPoint: {
            std::string line = "point " + DoubleToText(input.point.x) + " " + DoubleToText(input.point.y);
            if (input.view != 1) line += " view " + std::to_string(input.view);
            return line;
        }
        case InputKind::Keyin:
            // Ctrl+Reset and Esc reach the command as key-ins; the script has words for them.
            if (input.text == CtrlResetKeyin) return "rotate";
            if (input.text == EscapeKeyin) return "esc";
            return "keyin " + input.text;
        case InputKind::Reset:
            break;
    }
    return "reset";
}

TranscriptHost::TranscriptHost(cad::Drawing drawing, std::shared_ptr<cad::ScriptedInputSource> script)
    : cad::CadHost(std::move(drawing)), script_(std::move(script)) {
    SetInputSource(script_);
}

void TranscriptHost::SendKeyin(std::string_view keyin) {
    Add("keyin", keyin);
    cad::CadHost::SendKeyin(keyin);
}

Input TranscriptHost::WaitForInput() {
    const std::size_t before = script_->Pending();
    Input input = cad::CadHost::WaitForInput();
    std::string line = ScriptLine(input);
    // The host queues only data points, so a Reset that took nothing from the script is the
    // one a script run dry answers.
    if (script_->Pending() == before)
        line += input.kind == InputKind::Reset ? " (the script has run out)" : " (queued by the labeller)";
    Add("input", line);
    return input;
}

void TranscriptHost::ShowStatus(StatusField field, std::string_view text) {
    // Every showing is written, a repeat of the same text included: the prompt before each
    // input says what that input answered.
    Add(field == StatusField::Command ? "status command" : "status prompt", text);
    cad::CadHost::ShowStatus(field, text);
}

void TranscriptHost::PostMessage(const Message& message) {
    Add("message", message.details.empty() ? message.text : message.text + " (" + message.details + ")");
    cad::CadHost::PostMessage(message);
}

void TranscriptHost::ShowMessageBox(std::string_view title, std::string_view text) {
    // Written before the box is shown: a prompter that fails must not lose it.
    lines_.push_back("box " + Quoted(title) + ": " + Escaped(text));
    cad::CadHost::ShowMessageBox(title, text);
}

void TranscriptHost::RecordError(std::string_view what) { Add("error", what); }

std::string TranscriptHost::Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text;
}

void TranscriptHost::Add(std::string_view kind, std::string_view value) {
    std::string line(kind);
    line += ':';
    if (!value.empty()) line += " " + Escaped(value);
    lines_.push_back(std::move(line));
}

}  // namespace zkl::app
