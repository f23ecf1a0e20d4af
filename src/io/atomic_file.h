// Writing a file so that readers see either the old content or the complete new one: the
// text goes to a temporary file beside the target, which then replaces it by rename.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zkl::io {

// A file could not be read or written; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message) : std::runtime_error(message) {}
};

// Throws FileError naming the path when the folder is missing or the write fails; the
// target is then left as it was.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// Throws FileError naming the path when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace zkl::io
