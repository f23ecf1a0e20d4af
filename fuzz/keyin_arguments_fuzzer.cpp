// The argument text of the Automatic Place key-in ("TRUE,FALSE") against the rule written out
// once more here: of the comma-separated parts only the first two count, each switches its
// part off when it reads FALSE in any case of ASCII letters with blanks and tabs around it,
// and anything else leaves the switch as it was, so a switch that starts off stays off.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "commands/automatic_placement.h"
#include "fuzz_check.h"

namespace zkl::fuzz {
namespace {

bool ReadsFalse(std::string_view part) {
    const std::size_t first = part.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    part = part.substr(first, part.find_last_not_of(" \t") - first + 1);
    constexpr std::string_view False = "FALSE";
    if (part.size() != False.size()) return false;
    for (std::size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (c != False[i] && c != False[i] - 'A' + 'a') return false;
    }
    return true;
}

}  // namespace
}  // namespace zkl::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl::fuzz;
    const std::string_view arguments = AsText(data, size);
    const std::size_t comma = arguments.find(',');
    const bool firstOff = ReadsFalse(arguments.substr(0, comma));
    bool secondOff = false;
    if (comma != std::string_view::npos) {
        const std::string_view rest = arguments.substr(comma + 1);
        secondOff = ReadsFalse(rest.substr(0, rest.find(',')));
    }
    for (const bool dimensionsBefore : {false, true}) {
        for (const bool labelsBefore : {false, true}) {
            bool dimensions = dimensionsBefore;
            bool labels = labelsBefore;
            zkl::ApplyKeyinArguments(arguments, dimensions, labels);
            Check(dimensions == (dimensionsBefore && !firstOff),
                  "the dimension switch is set against the rule");
            Check(labels == (labelsBefore && !secondOff), "the label switch is set against the rule");
        }
    }
    return 0;
}
