#include "io/sheet_file.h"

namespace zkl::io {

namespace {

std::string SheetMessage(const std::string& source, const std::string& location, const std::string& problem) {
    return location.empty() ? source + ": " + problem : source + ": " + location + ": " + problem;
}

}  // namespace

SheetError::SheetError(std::string source, std::string location, const std::string& problem)
    : FileError(SheetMessage(source, location, problem)),
      source_(std::move(source)),
      location_(std::move(location)) {}

cad::Drawing LoadSheet(const std::filesystem::path& path) {
    const std::string text = ReadWholeFile(path);
    // An absolute folder keeps the macro project path valid whatever the working folder
    // becomes later.
    return ParseSheet(text, path.string(), std::filesystem::absolute(path).parent_path());
}

}  // namespace zkl::io
