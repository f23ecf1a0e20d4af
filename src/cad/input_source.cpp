#include "cad/input_source.h"

namespace zkl::cad {

std::optional<Input> ScriptedInputSource::Next() {
    if (inputs_.empty()) return Input::Reset();
    Input next = std::move(inputs_.front());
    inputs_.pop_front();
    return next;
}

}  // namespace zkl::cad
