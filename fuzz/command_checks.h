// What the harnesses that run a command on a sheet share: how a run may end, and that the
// sheet it leaves is one the loader takes back.
#pragma once

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "cad/drawing.h"
#include "fuzz_check.h"
#include "io/sheet_file.h"

namespace zkl::fuzz {

// Runs `command`; false when it refused its input with an error. An index out of range is
// the program's own fault, whatever the input held.
template <typename Command>
bool RunsOrRefuses(Command&& command) {
    try {
        command();
    } catch (const std::out_of_range& error) {
        Fail(std::string("an index out of range: ") + error.what());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

inline void CheckSavesAndLoads(const cad::Drawing& drawing, const std::filesystem::path& folder) {
    const std::string saved = io::SerializeSheet(drawing, folder);
    try {
        (void)io::ParseSheet(saved, "saved.json", folder);
    } catch (const io::SheetError& error) {
        Fail(std::string("a sheet left by a command does not load: ") + error.what());
    }
}

}  // namespace zkl::fuzz
