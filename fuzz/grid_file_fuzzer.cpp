// The plant grid file on any text. A file is refused with a FileError or read whole; the
// axes read have names, unique ones, finite positions and the lines they stood on, in file
// order.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/atomic_file.h"
#include "io/grid_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zkl;
    using namespace zkl::fuzz;
    std::vector<io::GridAxis> axes;
    try {
        axes = io::ParseGridAxes(AsText(data, size), "fuzz.grid");
    } catch (const io::FileError&) {
        return 0;
    }
    Check(!axes.empty(), "a grid file read without axes");
    std::set<std::string> names;
    int lastLine = 0;
    for (const io::GridAxis& axis : axes) {
        Check(!axis.name.empty(), "an axis without a name at line " + std::to_string(axis.line));
        Check(names.insert(axis.name).second, "axis " + axis.name + " read twice");
        Check(std::isfinite(axis.position), "axis " + axis.name + " at a position that is not finite");
        Check(axis.line > lastLine, "axis " + axis.name + " out of file order");
        lastLine = axis.line;
    }
    return 0;
}
