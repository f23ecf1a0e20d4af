// The transcript of a scripted session: what the user of an interactive command would have
// seen and done, one entry a line, so a session run by `zkl-labeller run` can be read and
// checked without a screen. The host is observed, not changed: TranscriptHost is our engine
// with each status field change, message, message box, key-in and consumed input also
// written down as it happens. Line format (values escaped with zkl::Escaped, so a line break
// in a message stays "\n" and every entry keeps to its line; an empty value ends the line
// at the colon):
//   status command: TEXT        the command field is set to TEXT (a repeat included)
//   status prompt: TEXT         the prompt field is set to TEXT (a repeat included)
//   message: TEXT (DETAILS)     a message in the message list; " (DETAILS)" only when given
//   box "TITLE": TEXT           a message box; its lines are separated by "\r"
//   keyin: TEXT                 a key-in the labeller sent to the host
//   input: LINE                 an input the command took, written as its script line
//                               (point X Y [view N], reset, rotate, esc, keyin TEXT);
//                               "input: reset (the script has run out)" when the script had
//                               nothing left, "input: point X Y (queued by the labeller)" for
//                               a data point the labeller queued itself
//   error: TEXT                 the error that ended the command, last
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/cad_host.h"

namespace zkl::app {

// An input as the script line that gives it.
std::string ScriptLine(const Input& input);

class TranscriptHost : public cad::CadHost {
public:
    // The host takes its inputs from `script`, which it needs to tell a script input from
    // one the labeller queued and from the Reset of a script run dry.
    TranscriptHost(cad::Drawing drawing, std::shared_ptr<cad::ScriptedInputSource> script);

    void SendKeyin(std::string_view keyin) override;
    Input WaitForInput() override;
    void ShowStatus(StatusField field, std::string_view text) override;
    void PostMessage(const Message& message) override;
    void ShowMessageBox(std::string_view title, std::string_view text) override;

    // Ends the transcript with the error that ended the command.
    void RecordError(std::string_view what);

    const std::vector<std::string>& Lines() const { return lines_; }
    // Every line followed by "\n".
    std::string Text() const;

private:
    void Add(std::string_view kind, std::string_view value);

    std::shared_ptr<cad::ScriptedInputSource> script_;
    std::vector<std::string> lines_;
};

}  // namespace zkl::app
