// Input scripts: a user's session written down as text, one input a line, so an interactive
// command can be run again exactly (`zkl-labeller run`, tests). The format is described in
// docs/input-scripts.md:
//   point X Y [view N]   a data point (drawing units of the active model), view 1 to 8
//   reset                a Reset
//   rotate               Ctrl+Reset (turns a label being placed)
//   esc                  Esc (ends a labelling run)
//   keyin TEXT           any other key-in, TEXT as written
// Keywords may be written in any case; blank lines and lines starting with "#" are skipped.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_types.h"
#include "io/atomic_file.h"

namespace zkl::io {

struct ScriptProblem {
    int line = 0;         // counted from 1
    std::string problem;  // what is wrong, for a person
};

// A script with faulty lines. The message has one "SCRIPT:LINE: problem" line per fault, in
// line order; every fault of the script is listed, not only the first.
class InputScriptError : public FileError {
public:
    InputScriptError(std::string source, std::vector<ScriptProblem> problems);

    const std::string& Source() const { return source_; }
    const std::vector<ScriptProblem>& Problems() const { return problems_; }

private:
    std::string source_;
    std::vector<ScriptProblem> problems_;
};

// sourceName names the script in messages. Lines end at LF, CRLF or CR.
std::vector<Input> ParseInputScript(std::string_view text, const std::string& sourceName);

// Throws FileError when the file cannot be read, InputScriptError when lines are faulty.
std::vector<Input> LoadInputScript(const std::filesystem::path& path);

}  // namespace zkl::io
