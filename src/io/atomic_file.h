// Writing files so that readers see either the old content or the complete new one: the text
// goes to a temporary file beside the target, which then replaces it by rename. An output set
// does the same for the several files of one command, so they land together or not at all.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zkl::io {

// A file could not be read or written; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message) : std::runtime_error(message) {}
};

// Throws FileError naming the path when the folder is missing or the write fails; the
// target is then left as it was.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// Throws FileError when `path` cannot take a written file: its folder is missing or is no
// folder, or the path itself names a folder. Lets a command refuse an output before it
// spends time on the work.
void CheckOutputPath(const std::filesystem::path& path);

// True when both paths lead to one file: the same name once links and "." or ".." are
// resolved, or two names of one existing file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Files that are written together. Add stages each one in a temporary file beside its
// target; Commit renames them into place. When anything fails, every temporary is removed
// and every target is left as it was, those already replaced by Commit included.
class OutputSet {
public:
    OutputSet() = default;
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;
    // Removes the temporaries of a set that was not committed.
    ~OutputSet();

    // Throws FileError naming the path when it cannot be written or names the same file as
    // one added before.
    void Add(const std::filesystem::path& path, std::string_view content);
    // The same for content too large to hold whole: `write` streams it into the staged file.
    // Whatever `write` throws leaves no temporary behind and is passed on.
    void Add(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write);

    // Throws FileError naming the file that could not be put in place; the set is empty
    // afterwards either way.
    void Commit();

private:
    struct Staged {
        std::filesystem::path target;
        std::filesystem::path temporary;
    };

    void Discard() noexcept;

    std::vector<Staged> staged_;
};

// Throws FileError naming the path when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace zkl::io
