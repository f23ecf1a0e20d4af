#include "io/svg_symbology.h"

#include <algorithm>
#include <array>

#include "io/svg_writer.h"

namespace zkl::io {

namespace {

// The eight named colours first, then eight more that stay distinct from them and from
// each other on white.
constexpr std::array<const char*, 16> Palette{
    "#000000", "#0000ff", "#008000", "#ff0000", "#b8860b", "#8a2be2", "#ff8c00", "#404040",
    "#008b8b", "#8b4513", "#c71585", "#2e8b57", "#4682b4", "#808000", "#800000", "#708090",
};

}  // namespace

std::string ColourOf(int colourIndex) {
    if (colourIndex < 0) return Palette[0];
    return Palette[static_cast<std::size_t>(colourIndex) % Palette.size()];
}

double StrokeWidthOf(int weight) { return 0.18 + 0.1 * std::max(weight, 0); }

std::string DashArrayOf(const std::vector<LineStyle>& lineStyles, const std::string& lineStyleName) {
    const auto style = std::find_if(lineStyles.begin(), lineStyles.end(), [&](const LineStyle& candidate) {
        return candidate.name == lineStyleName;
    });
    if (style == lineStyles.end() || style->dashes.empty()) return "";
    double total = 0.0;
    for (const double dash : style->dashes) {
        if (!(dash >= 0.0)) return "";  // also rejects NaN
        total += dash;
    }
    if (total <= 0.0) return "";
    std::string out;
    for (const double dash : style->dashes) {
        if (!out.empty()) out += ' ';
        out += FormatNumber(dash);
    }
    return out;
}

}  // namespace zkl::io
