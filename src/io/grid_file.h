// The grid of a plant as a small text file, one axis a line: its name, the coordinate it
// holds constant and the position in millimetres of the plant's frame,
//
//   A  E  1000      a line of constant east (x) named A
//   1  N  -2500     a line of constant north (y) named 1
//
// X and Y may stand for E and N. Blank lines and lines starting with "#" are skipped.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zkl::io {

struct GridAxis {
    std::string name;
    bool constantEast = true;  // a line of constant x; otherwise of constant y
    double position = 0.0;     // mm
    int line = 0;
};

// Throws FileError "SOURCE:LINE: problem" for the first faulty line, and for a name given
// twice or a file without axes.
std::vector<GridAxis> ParseGridAxes(std::string_view text, const std::string& sourceName);

// Throws FileError when the file cannot be read, and as ParseGridAxes.
std::vector<GridAxis> ReadGridAxes(const std::filesystem::path& path);

}  // namespace zkl::io
