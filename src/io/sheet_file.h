// The sheet file: this program's own JSON form of one cad::Drawing (every key is described in
// docs/sheet-format.md). Loading checks the whole file and refuses it at the first fault, so
// a drawing never comes half-loaded; saving is atomic and deterministic (one drawing always
// gives the same bytes, numbers in their shortest round-trip digits).
//
// Units are those of the drawing: each model's elements in its own units, angles of hand
// written rotations in degrees. The macro project path is held resolved in the drawing (a
// relative path in the file is relative to the file's folder) and written relative to the
// output file's folder when both lie under a common folder below the root.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "cad/drawing.h"
#include "io/atomic_file.h"

namespace zkl::io {

inline constexpr const char* SheetFormatName = "zkl-sheet";
inline constexpr int SheetFormatVersion = 1;

// A sheet that cannot be read or written. The message names the file and where in it the
// fault lies: a JSON pointer to the first bad value ("/attachments/0/elements/12/vertices/1")
// or, for a JSON syntax error, the line and column, followed by what was expected.
class SheetError : public FileError {
public:
    SheetError(std::string source, std::string location, const std::string& problem);

    const std::string& Source() const { return source_; }
    // A JSON pointer ("" for the whole file) or "line L, column C".
    const std::string& Location() const { return location_; }

private:
    std::string source_;
    std::string location_;
};

// Throws FileError when the file cannot be read, SheetError when its content is faulty.
cad::Drawing LoadSheet(const std::filesystem::path& path);

// sourceName is only used in messages; baseFolder resolves a relative macro project path.
cad::Drawing ParseSheet(std::string_view json, const std::string& sourceName,
                        const std::filesystem::path& baseFolder);

// Throws SheetError when the drawing holds something the format cannot store (a number that
// is not finite, text that is not UTF-8) and FileError when the file cannot be written; an
// existing file is left as it was in both cases.
void SaveSheet(const cad::Drawing& drawing, const std::filesystem::path& path);

// The same, staged among the other outputs of one command (see OutputSet).
void AddSheet(OutputSet& outputs, const cad::Drawing& drawing, const std::filesystem::path& path);

// baseFolder is the folder the text will be saved in; the macro project path is written
// relative to it when possible.
std::string SerializeSheet(const cad::Drawing& drawing, const std::filesystem::path& baseFolder);

}  // namespace zkl::io
