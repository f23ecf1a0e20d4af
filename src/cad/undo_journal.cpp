#include "cad/undo_journal.h"

#include <utility>

namespace zkl::cad {

namespace {

void Revert(Drawing& drawing, const UndoJournal::Change& change) {
    if (change.before && change.after)
        drawing.Replace(change.before->model, *change.before);
    else if (change.after)
        drawing.Remove(change.after->model, change.after->id);
    else if (change.before)
        // The element comes back under its old id, so references to it stay valid.
        drawing.Insert(change.before->model, *change.before);
}

void Apply(Drawing& drawing, const UndoJournal::Change& change) {
    if (change.before && change.after)
        drawing.Replace(change.after->model, *change.after);
    else if (change.after)
        drawing.Insert(change.after->model, *change.after);
    else if (change.before)
        drawing.Remove(change.before->model, change.before->id);
}

}  // namespace

void UndoJournal::Mark() {
    steps_.emplace_back();
    open_ = true;
}

void UndoJournal::RecordAdd(const Element& added) { Record({std::nullopt, added}); }

void UndoJournal::RecordRemove(const Element& removed) { Record({removed, std::nullopt}); }

void UndoJournal::RecordRewrite(const Element& before, const Element& after) { Record({before, after}); }

void UndoJournal::Record(Change change) {
    undone_.clear();
    if (!open_ || steps_.empty()) {
        steps_.emplace_back();
        open_ = true;
    }
    steps_.back().push_back(std::move(change));
}

bool UndoJournal::Undo(Drawing& drawing) {
    if (steps_.empty()) return false;
    const Step& step = steps_.back();
    for (auto it = step.rbegin(); it != step.rend(); ++it) Revert(drawing, *it);
    undone_.push_back(std::move(steps_.back()));
    steps_.pop_back();
    return true;
}

bool UndoJournal::Redo(Drawing& drawing) {
    if (undone_.empty()) return false;
    for (const Change& change : undone_.back()) Apply(drawing, change);
    steps_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    return true;
}

}  // namespace zkl::cad
