#include "io/configuration_folder.h"

#include <unistd.h>

#include <atomic>
#include <stdexcept>

#include "host/message_text.h"
#include "settings/settings_file.h"

namespace zkl::io {

namespace fs = std::filesystem;

namespace {

std::string QuotedPath(const fs::path& path) { return "'" + Escaped(path.string()) + "'"; }

// A desktop session may choose several configurations in turn; each copy gets its own folder.
std::string CopyFolderName() {
    static std::atomic<unsigned> copies{0};
    return "zkl-labeller-config-" + std::to_string(::getpid()) + "-" + std::to_string(copies++);
}

}  // namespace

ConfigurationFolder::ConfigurationFolder(const std::optional<fs::path>& config, const fs::path& sheet,
                                         std::string_view howToChoose)
    : file_(config ? *config : sheet.parent_path() / ConfigurationFileName) {
    std::error_code ec;
    const fs::file_status status = fs::status(file_, ec);
    if (fs::is_directory(status))
        throw std::runtime_error("the configuration file " + QuotedPath(file_) + " is a folder");
    if (!fs::exists(status)) {
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            throw std::runtime_error("cannot read the configuration file " + QuotedPath(file_) + ": " +
                                     ec.message());
        throw std::runtime_error("the configuration file " + QuotedPath(file_) + " does not exist (" +
                                 std::string(howToChoose) + ")");
    }
    if (!fs::is_regular_file(status))
        throw std::runtime_error("the configuration file " + QuotedPath(file_) + " is not a file");
    if (file_.filename() == ConfigurationFileName) {
        folder_ = fs::absolute(file_).parent_path();
        return;
    }
    const fs::path copy = fs::temp_directory_path() / CopyFolderName();
    fs::create_directories(copy, ec);
    if (!ec) fs::copy_file(file_, copy / ConfigurationFileName, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::error_code ignored;  // the destructor does not run for a constructor that throws
        fs::remove_all(copy, ignored);
        throw std::runtime_error("cannot copy the configuration file " + QuotedPath(file_) + " to " +
                                 QuotedPath(copy) + ": " + ec.message());
    }
    temporary_ = copy;
    folder_ = copy;
}

ConfigurationFolder::~ConfigurationFolder() {
    std::error_code ignored;  // a temporary copy left behind is no reason to fail the run
    if (temporary_) fs::remove_all(*temporary_, ignored);
}

std::string ConfigurationFolder::MacroProjectPath() const { return (folder_ / "ZKL_Labeller.mvba").string(); }

}  // namespace zkl::io
