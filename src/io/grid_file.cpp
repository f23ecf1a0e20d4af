#include "io/grid_file.h"

#include <algorithm>

#include "host/message_text.h"
#include "host/numbers.h"
#include "io/atomic_file.h"
#include "settings/config_text.h"

namespace zkl::io {

namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

}  // namespace

std::vector<GridAxis> ParseGridAxes(std::string_view text, const std::string& sourceName) {
    const auto fail = [&](int line, const std::string& problem) {
        return FileError(sourceName + (line ? ":" + std::to_string(line) : std::string()) + ": " + problem);
    };
    std::vector<GridAxis> axes;
    const std::vector<std::string> lines = SplitLines(DecodeConfigurationText(text));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        const std::vector<std::string_view> words = Words(lines[i]);
        if (words.empty() || words[0].starts_with('#')) continue;
        const std::string axis = words.size() == 3 ? ToUpperAscii(words[1]) : "";
        if (words.size() != 3 || (axis != "E" && axis != "X" && axis != "N" && axis != "Y"))
            throw fail(number, "expected NAME E|N POSITION (\"A E 1000\"), found " + Quoted(lines[i]));
        GridAxis grid{std::string(words[0]), axis == "E" || axis == "X", 0.0, number};
        try {
            grid.position = TextToDouble(words[2]) + 0.0;
        } catch (const ConversionError&) {
            throw fail(number, "the position " + Quoted(words[2]) + " is not a number");
        }
        if (std::any_of(axes.begin(), axes.end(), [&](const GridAxis& a) { return a.name == grid.name; }))
            throw fail(number, "the axis " + Quoted(grid.name) + " is named twice");
        axes.push_back(std::move(grid));
    }
    if (axes.empty()) throw fail(0, "no grid axes");
    return axes;
}

std::vector<GridAxis> ReadGridAxes(const std::filesystem::path& path) {
    return ParseGridAxes(ReadWholeFile(path), path.string());
}

}  // namespace zkl::io
