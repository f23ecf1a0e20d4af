#include "io/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "cad/drawing.h"
#include "host/message_text.h"
#include "host/numbers.h"

namespace zkl::io {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string Quoted(std::string_view text) { return "'" + Escaped(text) + "'"; }

// One line turned into an input, or what is wrong with it.
struct LineResult {
    std::optional<Input> input;
    std::string problem;
};

LineResult Problem(std::string problem) { return {std::nullopt, std::move(problem)}; }

LineResult ParsePoint(const std::vector<std::string_view>& words) {
    if (words.size() < 3) return Problem("a point needs its X and Y: point X Y [view N]");
    Point point;
    const char* axes[] = {"X", "Y"};
    for (int i = 0; i < 2; ++i) {
        try {
            (i == 0 ? point.x : point.y) = TextToDouble(words[static_cast<std::size_t>(i) + 1]);
        } catch (const ConversionError&) {
            return Problem(std::string(axes[i]) + " of the point, " +
                           Quoted(words[static_cast<std::size_t>(i) + 1]) + ", is not a number");
        }
    }
    int view = 1;
    if (words.size() > 3) {
        if (Lower(words[3]) != "view")
            return Problem("expected 'view N' or the end of the line after the point, found " +
                           Quoted(words[3]));
        if (words.size() < 5)
            return Problem("'view' needs the number of a view, 1 to " + std::to_string(cad::ViewCount));
        const std::string_view number = words[4];
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), view);
        if (error != std::errc() || end != number.data() + number.size() || view < 1 || view > cad::ViewCount)
            return Problem("view " + Quoted(number) + " does not exist; views are numbered 1 to " +
                           std::to_string(cad::ViewCount));
        if (words.size() > 5) return Problem("unexpected " + Quoted(words[5]) + " after the view number");
    }
    return {Input::DataPoint(point, view), {}};
}

// The key-in text is everything after "keyin" and the blanks that follow it, as written.
LineResult ParseKeyin(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    i += 5;  // "keyin"
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return Problem("'keyin' needs the text to send: keyin TEXT");
    return {Input::Keyin(std::string(line.substr(i))), {}};
}

LineResult ParseLine(std::string_view line, const std::vector<std::string_view>& words) {
    const std::string keyword = Lower(words.front());
    if (keyword == "point") return ParsePoint(words);
    if (keyword == "keyin") return ParseKeyin(line);

    std::optional<Input> input;
    if (keyword == "reset") input = Input::Reset();
    if (keyword == "rotate") input = Input::Keyin(CtrlResetKeyin);
    if (keyword == "esc") input = Input::Keyin(EscapeKeyin);
    if (!input)
        return Problem(Quoted(words.front()) +
                       " is not an input; a line is one of: point X Y [view N], reset, "
                       "rotate, esc, keyin TEXT");
    if (words.size() > 1)
        return Problem("'" + keyword + "' takes nothing after it, found " + Quoted(words[1]));
    return {input, {}};
}

std::string Message(const std::string& source, const std::vector<ScriptProblem>& problems) {
    std::string message;
    for (const ScriptProblem& problem : problems) {
        if (!message.empty()) message += "\n";
        message += source + ":" + std::to_string(problem.line) + ": " + problem.problem;
    }
    return message;
}

}  // namespace

InputScriptError::InputScriptError(std::string source, std::vector<ScriptProblem> problems)
    : FileError(Message(source, problems)), source_(std::move(source)), problems_(std::move(problems)) {}

std::vector<Input> ParseInputScript(std::string_view text, const std::string& sourceName) {
    std::vector<Input> inputs;
    std::vector<ScriptProblem> problems;
    const std::vector<std::string_view> lines = SplitLines(text);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::vector<std::string_view> words = Words(lines[index]);
        if (words.empty() || words.front().starts_with('#')) continue;
        LineResult result = ParseLine(lines[index], words);
        if (result.input)
            inputs.push_back(std::move(*result.input));
        else
            problems.push_back({static_cast<int>(index) + 1, std::move(result.problem)});
    }
    if (!problems.empty()) throw InputScriptError(sourceName, std::move(problems));
    return inputs;
}

std::vector<Input> LoadInputScript(const std::filesystem::path& path) {
    return ParseInputScript(ReadWholeFile(path), path.string());
}

}  // namespace zkl::io
