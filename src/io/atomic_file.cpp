#include "io/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zkl::io {

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    namespace fs = std::filesystem;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw FileError("cannot write '" + path.string() + "': folder '" + folder.string() + "' does not exist");
    // The pid keeps two programs writing the same target from sharing a temporary file.
    const fs::path temporary = folder / ("." + path.filename().string() + ".tmp" + std::to_string(::getpid()));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError("cannot write '" + path.string() + "': " + std::strerror(errno));
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            fs::remove(temporary, ec);
            throw FileError("cannot write '" + path.string() + "': the disk refused the data");
        }
    }
    fs::rename(temporary, path, ec);
    if (ec) {
        fs::remove(temporary, ec);
        throw FileError("cannot replace '" + path.string() + "': " + ec.message());
    }
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError("cannot read '" + path.string() + "': it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("cannot read '" + path.string() + "': " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw FileError("cannot read '" + path.string() + "': read error");
    return text.str();
}

}  // namespace zkl::io
