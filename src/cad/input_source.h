// Where a host's user input comes from. Canvas clicks, script lines and tests all produce
// the same Input record; CadHost asks its source for the next one whenever a command waits.
// A source that has nothing more to give (a script run dry, a window being closed) answers
// Reset, so every waiting command ends.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "host/host_types.h"

namespace zkl::cad {

class InputSource {
public:
    virtual ~InputSource() = default;
    // The next input; nullopt when the source is shut down (the host then answers Reset).
    virtual std::optional<Input> Next() = 0;
};

// A queue of inputs given in advance (tests, `zkl-labeller run`).
class ScriptedInputSource : public InputSource {
public:
    ScriptedInputSource() = default;
    explicit ScriptedInputSource(std::deque<Input> inputs) : inputs_(std::move(inputs)) {}

    void Push(Input input) { inputs_.push_back(std::move(input)); }
    std::size_t Pending() const { return inputs_.size(); }

    // Reset once the queue is exhausted.
    std::optional<Input> Next() override;

private:
    std::deque<Input> inputs_;
};

}  // namespace zkl::cad
