// Modal message boxes. CadHost hands every box to a Prompter: the GUI shows a real dialog,
// the command line prints it, tests record it. The prompter is shared between the host and
// whoever created it (a test keeps its RecordingPrompter to read the boxes back).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zkl::cad {

class Prompter {
public:
    virtual ~Prompter() = default;
    // Returns when the user has acknowledged the box; lines of `text` are separated by "\r".
    virtual void MessageBox(std::string_view title, std::string_view text) = 0;
};

// Keeps every box instead of showing it.
class RecordingPrompter : public Prompter {
public:
    struct Box {
        std::string title;
        std::string text;
        friend bool operator==(const Box&, const Box&) = default;
    };

    void MessageBox(std::string_view title, std::string_view text) override;
    const std::vector<Box>& Boxes() const { return boxes_; }

private:
    std::vector<Box> boxes_;
};

}  // namespace zkl::cad
