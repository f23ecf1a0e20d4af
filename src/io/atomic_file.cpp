#include "io/atomic_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/message_text.h"

namespace zkl::io {

namespace fs = std::filesystem;

namespace {

// Paths come from users and may hold anything, a line break included.
std::string Shown(const fs::path& path) { return "'" + Escaped(path.string()) + "'"; }

// errno is read by the caller right after the failing call: anything in between (a remove,
// a message being built) may change it.
std::string Reason(int error) { return error != 0 ? std::strerror(error) : "the system gave no reason"; }

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A hidden name beside the target; the pid keeps two programs writing the same target from
// sharing one.
fs::path Sibling(const fs::path& path, std::string_view kind) {
    return FolderOf(path) / ("." + path.filename().string() + std::string(kind) + std::to_string(::getpid()));
}

fs::path Resolved(const fs::path& path) {
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(fs::absolute(path), ec);
    return ec ? fs::absolute(path).lexically_normal() : resolved;
}

// Keeps the file now at `target` under the name `kept`, so that it can be put back. A hard
// link costs nothing and keeps a symbolic link as the link itself; a copy is the way out on
// file systems without hard links.
std::error_code Keep(const fs::path& target, const fs::path& kept) {
    std::error_code ec;
    fs::create_hard_link(target, kept, ec);
    if (!ec) return ec;
    ec.clear();
    fs::copy_file(target, kept, fs::copy_options::overwrite_existing, ec);
    return ec;
}

}  // namespace

void CheckOutputPath(const fs::path& path) {
    const fs::path folder = FolderOf(path);
    std::error_code ec;
    const fs::file_status folderStatus = fs::status(folder, ec);
    if (!fs::exists(folderStatus)) {
        if (ec && ec != std::errc::no_such_file_or_directory)
            throw FileError("cannot write " + Shown(path) + ": " + ec.message());
        throw FileError("cannot write " + Shown(path) + ": folder " + Shown(folder) + " does not exist");
    }
    if (!fs::is_directory(folderStatus))
        throw FileError("cannot write " + Shown(path) + ": " + Shown(folder) + " is not a folder");
    if (fs::is_directory(fs::status(path, ec)))
        throw FileError("cannot write " + Shown(path) + ": it is a folder");
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) || Resolved(a) == Resolved(b);
}

OutputSet::~OutputSet() { Discard(); }

void OutputSet::Discard() noexcept {
    std::error_code ignored;  // a temporary that cannot be removed is no reason to hide the real fault
    for (const Staged& file : staged_) fs::remove(file.temporary, ignored);
    staged_.clear();
}

void OutputSet::Add(const fs::path& path, std::string_view content) {
    Add(path, [content](std::ostream& out) { out.write(content.data(), static_cast<std::streamsize>(content.size())); });
}

void OutputSet::Add(const fs::path& path, const std::function<void(std::ostream&)>& write) {
    CheckOutputPath(path);
    for (const Staged& file : staged_)
        if (SameFile(file.target, path))
            throw FileError("cannot write " + Shown(path) + ": it is the same file as " + Shown(file.target) +
                            ", written by the same command");
    const fs::path temporary = Sibling(path, ".tmp");
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        const int error = errno;
        throw FileError("cannot write " + Shown(path) + ": " + Reason(error));
    }
    staged_.push_back({path, temporary});  // from here on Discard removes it
    auto unstage = [this] {
        fs::path failed = std::move(staged_.back().temporary);
        staged_.pop_back();
        std::error_code ignored;
        fs::remove(failed, ignored);
    };
    try {
        write(out);
    } catch (...) {
        out.close();
        unstage();
        throw;
    }
    out.close();
    if (!out) {
        unstage();
        throw FileError("cannot write " + Shown(path) + ": the disk refused the data");
    }
}

void OutputSet::Commit() {
    // kept[i] holds the old content of target i once it is replaced (empty: it had none), so
    // that a failure further on can put everything back.
    std::vector<fs::path> kept(staged_.size());
    std::string failure;
    std::size_t placed = 0;
    for (; placed < staged_.size(); ++placed) {
        const Staged& file = staged_[placed];
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(file.target, ec);
        if (fs::is_directory(status)) {
            failure = "cannot replace " + Shown(file.target) + ": it is a folder";
            break;
        }
        // The last rename needs no way back: when it fails, it has changed nothing.
        if (placed + 1 < staged_.size() && fs::exists(status)) {
            kept[placed] = Sibling(file.target, ".old");
            if (const std::error_code keepError = Keep(file.target, kept[placed])) {
                kept[placed].clear();
                failure = "cannot replace " + Shown(file.target) +
                          ": its old content cannot be kept until the other outputs are in place (" +
                          keepError.message() + ")";
                break;
            }
        }
        fs::rename(file.temporary, file.target, ec);
        if (ec) {
            failure = "cannot replace " + Shown(file.target) + ": " + ec.message();
            std::error_code ignored;
            if (!kept[placed].empty()) fs::remove(kept[placed], ignored);
            kept[placed].clear();
            break;
        }
    }

    std::error_code ignored;
    if (failure.empty()) {
        for (const fs::path& old : kept)
            if (!old.empty()) fs::remove(old, ignored);
        staged_.clear();
        return;
    }
    for (std::size_t i = 0; i < placed; ++i) {
        const fs::path& target = staged_[i].target;
        std::error_code ec;
        if (kept[i].empty())
            fs::remove(target, ec);
        else
            fs::rename(kept[i], target, ec);
        if (ec)
            failure += "; " + Shown(target) + " could not be put back" +
                       (kept[i].empty() ? "" : " (its old content is in " + Shown(kept[i]) + ")");
    }
    Discard();
    throw FileError(failure);
}

void WriteFileAtomically(const fs::path& path, std::string_view content) {
    OutputSet output;
    output.Add(path, content);
    output.Commit();
}

std::string ReadWholeFile(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw FileError("cannot read " + Shown(path) + ": it is a folder");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        throw FileError("cannot read " + Shown(path) + ": " + Reason(error));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw FileError("cannot read " + Shown(path) + ": read error");
    return text.str();
}

}  // namespace zkl::io
