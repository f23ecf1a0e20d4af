#include "cad/prompter.h"

namespace zkl::cad {

void RecordingPrompter::MessageBox(std::string_view title, std::string_view text) {
    boxes_.push_back({std::string(title), std::string(text)});
}

}  // namespace zkl::cad
