// Guards file writing: a target that cannot be written is refused in one line naming it and
// the real reason, and the files of an output set land together or leave every target as it
// was, with no temporary file left behind.
#include "io/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace zkl::io {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("zkl_atomic_file_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& content) const {
        std::ofstream(folder_ / name, std::ios::binary) << content;
    }
    std::string Read(const std::string& name) const { return ReadWholeFile(folder_ / name); }

    // Every name in the folder, hidden temporaries included.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
};

TEST_F(AtomicFile, AnUnwritableTargetIsRefusedInOneLineNamingItAndWhy) {
    struct Case {
        const char* what;
        std::string name;  // relative to the test's folder
        std::function<void(const fs::path&)> prepare;
        std::string message;  // "F" stands for the test's folder
    };
    const std::vector<Case> cases{
        {"target is a folder", "out.svg", [](const fs::path& f) { fs::create_directory(f / "out.svg"); },
         "cannot write 'F/out.svg': it is a folder"},
        {"folder missing", "none/out.svg", [](const fs::path&) {},
         "cannot write 'F/none/out.svg': folder 'F/none' does not exist"},
        {"folder is a file", "sheet.json/out.svg",
         [](const fs::path& f) { std::ofstream(f / "sheet.json") << "{}"; },
         "cannot write 'F/sheet.json/out.svg': 'F/sheet.json' is not a folder"},
        {"line break in the name", "new\nfolder/out \"1\".svg", [](const fs::path&) {},
         "cannot write 'F/new\\nfolder/out \\\"1\\\".svg': folder 'F/new\\nfolder' does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        c.prepare(folder_);
        const std::set<std::string> before = Names();
        std::string expected;
        for (const char ch : c.message) expected += ch == 'F' ? folder_.string() : std::string(1, ch);

        for (const bool asSet : {false, true}) {
            try {
                if (asSet) {
                    OutputSet output;
                    output.Add(folder_ / "first.txt", "first");
                    output.Add(folder_ / c.name, "picture");
                    output.Commit();
                } else {
                    WriteFileAtomically(folder_ / c.name, "picture");
                }
                ADD_FAILURE() << "written";
            } catch (const FileError& error) {
                EXPECT_EQ(error.what(), expected);
            }
            EXPECT_EQ(Names(), before) << "nothing written, no temporary left";
        }
    }
}

TEST_F(AtomicFile, AnOutputSetPutsEveryFileInPlaceOrLeavesEveryTargetAsItWas) {
    Write("sheet.json", "old sheet");
    {
        OutputSet output;
        output.Add(folder_ / "sheet.json", "new sheet");
        output.Add(folder_ / "picture.svg", "new picture");
        EXPECT_EQ(Read("sheet.json"), "old sheet") << "nothing lands before the commit";
        output.Commit();
    }
    EXPECT_EQ(Read("sheet.json"), "new sheet");
    EXPECT_EQ(Read("picture.svg"), "new picture");
    EXPECT_EQ(Names(), (std::set<std::string>{"picture.svg", "sheet.json"}));

    // A set given up before its commit leaves no trace.
    {
        OutputSet output;
        output.Add(folder_ / "sheet.json", "abandoned");
        output.Add(folder_ / "report.txt", "abandoned");
    }
    EXPECT_EQ(Read("sheet.json"), "new sheet");
    EXPECT_EQ(Names(), (std::set<std::string>{"picture.svg", "sheet.json"}));

    // Two names of one file are refused, however they are spelt.
    fs::create_symlink("sheet.json", folder_ / "link.svg");
    for (const fs::path& again : {folder_ / "." / "sheet.json", folder_ / "link.svg"}) {
        OutputSet output;
        output.Add(folder_ / "sheet.json", "twice");
        try {
            output.Add(again, "twice");
            ADD_FAILURE() << again << " was taken";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("is the same file as"), std::string::npos)
                << error.what();
        }
    }

    // The third rename fails after two files are in place: both are put back as they were,
    // the one that is new removed again.
    std::set<std::string> before = Names();
    OutputSet output;
    output.Add(folder_ / "sheet.json", "lost sheet");
    output.Add(folder_ / "new.txt", "lost text");
    output.Add(folder_ / "picture.svg", "lost picture");
    fs::remove(folder_ / "picture.svg");
    fs::create_directories(folder_ / "picture.svg" / "inside");
    before.insert("picture.svg");
    try {
        output.Commit();
        ADD_FAILURE() << "committed onto a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.what(),
                  "cannot replace '" + (folder_ / "picture.svg").string() + "': it is a folder");
    }
    EXPECT_EQ(Read("sheet.json"), "new sheet");
    EXPECT_EQ(Names(), before);
}

}  // namespace
}  // namespace zkl::io
