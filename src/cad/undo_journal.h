// The undo journal of a drawing session: every add, remove and rewrite is recorded with the
// element before and after, grouped into steps. A mark opens a step; undo reverts the last
// step and moves it to the redo list; redo re-applies the last undone step. Any new change
// clears the redo list, because the undone steps no longer describe the drawing.
//
// Changes recorded before the first mark (or after a step was closed) form one implicit
// step, so they can be undone too. After an undo, new changes join the step that is now
// the last one: they follow its mark. The journal owns copies of the elements it records; the
// Drawing it reverts is owned by the caller and must only have been changed through
// journalled operations since the steps were recorded.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "cad/drawing.h"
#include "host/element.h"

namespace zkl::cad {

class UndoJournal {
public:
    // One recorded change: an add has only `after`, a removal only `before`, a rewrite both.
    struct Change {
        std::optional<Element> before;
        std::optional<Element> after;
    };
    using Step = std::vector<Change>;

    // Opens a new step; the changes that follow belong to it.
    void Mark();
    // Closes the current step without opening another: later changes start an implicit
    // step of their own instead of joining it.
    void CloseStep() { open_ = false; }

    void RecordAdd(const Element& added);
    void RecordRemove(const Element& removed);
    void RecordRewrite(const Element& before, const Element& after);

    // Reverts the last step in the drawing (an empty step reverts nothing) and moves it to
    // the redo list. False when there is no step to undo.
    bool Undo(Drawing& drawing);
    // Re-applies the last undone step. False when there is none.
    bool Redo(Drawing& drawing);

    std::size_t StepCount() const { return steps_.size(); }
    std::size_t RedoCount() const { return undone_.size(); }
    const std::vector<Step>& Steps() const { return steps_; }

private:
    void Record(Change change);

    std::vector<Step> steps_;
    std::vector<Step> undone_;  // the last undone step is at the back
    bool open_ = false;         // changes join steps_.back()
};

// Keeps one undo step around a block: opens it on construction and closes it on every way
// out, so an exception cannot leave later changes inside the block's step. Guards do not
// nest: an inner guard closes the step its outer guard opened.
class UndoStepGuard {
public:
    explicit UndoStepGuard(UndoJournal& journal) : journal_(journal) { journal_.Mark(); }
    ~UndoStepGuard() { journal_.CloseStep(); }
    UndoStepGuard(const UndoStepGuard&) = delete;
    UndoStepGuard& operator=(const UndoStepGuard&) = delete;

private:
    UndoJournal& journal_;
};

}  // namespace zkl::cad
