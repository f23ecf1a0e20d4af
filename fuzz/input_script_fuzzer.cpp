// The input-script parser on any text. A script is refused with every faulty line listed in
// order, or read whole; what it reads, written back as a script of `point` and `keyin` lines,
// reads back to the same inputs, so no input is lost or changed on its way through a line.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "io/input_script.h"

namespace zkl::fuzz {
namespace {

std::string Number(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    Check(error == std::errc(), "a point coordinate does not print");
    return std::string(buffer, end);
}

std::string WrittenBack(const std::vector<Input>& inputs) {
    std::string script;
    for (const Input& input : inputs) {
        switch (input.kind) {
            case InputKind::DataPoint:
                script += "point " + Number(input.point.x) + " " + Number(input.point.y) + " view " +
                          std::to_string(input.view) + "\n";
                break;
            case InputKind::Reset:
                script += "reset\n";
                break;
            case InputKind::Keyin:
                script += "keyin " + input.text + "\n";
                break;
            default:
                Fail("the parser gave an input a script cannot hold");
        }
    }
    return script;
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    const std::string_view text = AsText(data, size);
    std::vector<Input> inputs;
    try {
        inputs = io::ParseInputScript(text, "fuzz.txt");
    } catch (const io::InputScriptError& error) {
        const std::vector<io::ScriptProblem>& problems = error.Problems();
        Check(!problems.empty(), "a script was refused without a faulty line");
        int previous = 0;
        for (const io::ScriptProblem& problem : problems) {
            Check(problem.line > previous, "faulty lines are not listed in order");
            Check(static_cast<std::size_t>(problem.line) <= LineCount(text), "a faulty line past the end");
            Check(!problem.problem.empty(), "a faulty line without a problem");
            previous = problem.line;
        }
        return 0;
    }
    Check(inputs.size() <= LineCount(text), "more inputs than lines");
    const std::string script = WrittenBack(inputs);
    try {
        Check(io::ParseInputScript(script, "written.txt") == inputs,
              "the written-back script reads differently");
    } catch (const io::InputScriptError& error) {
        Fail(std::string("the written-back script is refused: ") + error.what() + "\n" + script);
    }
    return 0;
}
