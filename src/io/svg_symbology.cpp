#include "io/svg_symbology.h"

#include <cstdio>

#include "io/svg_writer.h"

namespace zkl::io {

std::string HexColour(const Rgb& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

std::string ColourOf(int colourIndex) { return HexColour(ColourRgb(colourIndex)); }

std::string DashArrayOf(const std::vector<double>& dashes) {
    std::string out;
    for (const double dash : dashes) {
        if (!out.empty()) out += ' ';
        out += FormatNumber(dash);
    }
    return out;
}

}  // namespace zkl::io
