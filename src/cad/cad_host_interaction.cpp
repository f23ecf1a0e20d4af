// CadHost: key-ins, user input, views, transient display, status fields, messages and
// message boxes.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "cad/cad_host.h"

namespace zkl::cad {

namespace {

// Key-ins are commands typed by people: case and surrounding blanks do not matter.
std::string NormalisedKeyin(std::string_view keyin) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!keyin.empty() && blank(keyin.front())) keyin.remove_prefix(1);
    while (!keyin.empty() && blank(keyin.back())) keyin.remove_suffix(1);
    std::string command(keyin);
    std::transform(command.begin(), command.end(), command.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return command;
}

std::size_t StatusIndex(StatusField field) {
    switch (field) {
        case StatusField::Command:
            return 0;
        case StatusField::Prompt:
            return 1;
    }
    throw HostError("status field " + std::to_string(static_cast<int>(field)) + " does not exist");
}

}  // namespace

// ---- Key-ins ----------------------------------------------------------------------------

void CadHost::SendKeyin(std::string_view keyin) {
    keyinLog_.emplace_back(keyin);
    const std::string command = NormalisedKeyin(keyin);
    if (command == "mark") {
        journal_.Mark();
    } else if (command == "undo mark") {
        UndoLastStep();
    } else if (command == "redo") {
        RedoLastStep();
    } else if (command == "choose none") {
        ClearSelection();
    } else if (command == "move") {
        // Without a selection the move command would first ask for an element; nothing
        // here asks it to, so there is nothing to drag.
        if (!selection_.empty()) drag_ = DragState{selection_, std::nullopt, lastInputView_};
    }
}

// ---- Input ------------------------------------------------------------------------------

void CadHost::SetInputSource(std::shared_ptr<InputSource> source) {
    if (!source) throw std::invalid_argument("CadHost needs an input source");
    inputSource_ = std::move(source);
}

Input CadHost::WaitForInput() {
    Input input;
    if (!queuedDataPoints_.empty()) {
        input = std::move(queuedDataPoints_.front());
        queuedDataPoints_.pop_front();
    } else {
        input = inputSource_->Next().value_or(Input::Reset());
    }
    lastInputView_ = input.view;
    return input;
}

void CadHost::QueueDataPoint(const Point& point, int view) {
    drawing_.View(view);  // the point must come from a view that exists
    if (drag_ && !drag_->basePoint) {
        drag_->basePoint = point;
        drag_->view = view;
        return;
    }
    queuedDataPoints_.push_back(Input::DataPoint(point, view));
}

void CadHost::StartDefaultCommand() {
    ++defaultCommands_;
    EndDrag();
}

// ---- Views ------------------------------------------------------------------------------

void CadHost::CheckZoomFactor(int view, double factor) {
    if (!(factor > 0.0) || !std::isfinite(factor))
        throw HostError("view " + std::to_string(view) + " cannot be zoomed by " + DoubleToText(factor) +
                        ": the factor must be a positive number");
}

void CadHost::ZoomView(int view, const Point& about, double factor) {
    CheckZoomFactor(view, factor);
    ViewArea& area = drawing_.View(view);
    area = area.ZoomedAbout(about, factor);
}

void CadHost::RedrawView(int view) {
    drawing_.View(view);
    ++redraws_[static_cast<std::size_t>(view - 1)];
}

int CadHost::RedrawCount(int view) const {
    drawing_.View(view);
    return redraws_[static_cast<std::size_t>(view - 1)];
}

// ---- Status, messages, message boxes ----------------------------------------------------

void CadHost::ShowStatus(StatusField field, std::string_view text) { status_[StatusIndex(field)] = text; }

const std::string& CadHost::Status(StatusField field) const { return status_[StatusIndex(field)]; }

void CadHost::ShowMessageBox(std::string_view title, std::string_view text) {
    prompter_->MessageBox(title, text);
}

void CadHost::SetPrompter(std::shared_ptr<Prompter> prompter) {
    if (!prompter) throw std::invalid_argument("CadHost needs a prompter");
    prompter_ = std::move(prompter);
}

}  // namespace zkl::cad
