#include <algorithm>
#include <array>
#include <cstdint>

#include "io/dxf_writer.h"

namespace zkl::io {

namespace {

// The AutoCAD colour index palette as 0xRRGGBB, index 0 unused. 1 to 9 are the named
// colours and two greys; 10 to 249 walk the colour wheel in 24 hues of 15 degrees, ten
// shades each: the full colour and its pastel (half way to white) at the brightness levels
// 255, 165, 127, 76 and 38, components rounded down; 250 to 255 are greys.
constexpr std::array<std::uint32_t, 256> AciPalette{
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0,
    0xFF0000, 0xFF7F7F, 0xA50000, 0xA55252, 0x7F0000, 0x7F3F3F, 0x4C0000, 0x4C2626, 0x260000, 0x261313,
    0xFF3F00, 0xFF9F7F, 0xA52900, 0xA56752, 0x7F1F00, 0x7F4F3F, 0x4C1300, 0x4C2F26, 0x260900, 0x261713,
    0xFF7F00, 0xFFBF7F, 0xA55200, 0xA57B52, 0x7F3F00, 0x7F5F3F, 0x4C2600, 0x4C3926, 0x261300, 0x261C13,
    0xFFBF00, 0xFFDF7F, 0xA57B00, 0xA59052, 0x7F5F00, 0x7F6F3F, 0x4C3900, 0x4C4226, 0x261C00, 0x262113,
    0xFFFF00, 0xFFFF7F, 0xA5A500, 0xA5A552, 0x7F7F00, 0x7F7F3F, 0x4C4C00, 0x4C4C26, 0x262600, 0x262613,
    0xBFFF00, 0xDFFF7F, 0x7BA500, 0x90A552, 0x5F7F00, 0x6F7F3F, 0x394C00, 0x424C26, 0x1C2600, 0x212613,
    0x7FFF00, 0xBFFF7F, 0x52A500, 0x7BA552, 0x3F7F00, 0x5F7F3F, 0x264C00, 0x394C26, 0x132600, 0x1C2613,
    0x3FFF00, 0x9FFF7F, 0x29A500, 0x67A552, 0x1F7F00, 0x4F7F3F, 0x134C00, 0x2F4C26, 0x092600, 0x172613,
    0x00FF00, 0x7FFF7F, 0x00A500, 0x52A552, 0x007F00, 0x3F7F3F, 0x004C00, 0x264C26, 0x002600, 0x132613,
    0x00FF3F, 0x7FFF9F, 0x00A529, 0x52A567, 0x007F1F, 0x3F7F4F, 0x004C13, 0x264C2F, 0x002609, 0x132617,
    0x00FF7F, 0x7FFFBF, 0x00A552, 0x52A57B, 0x007F3F, 0x3F7F5F, 0x004C26, 0x264C39, 0x002613, 0x13261C,
    0x00FFBF, 0x7FFFDF, 0x00A57B, 0x52A590, 0x007F5F, 0x3F7F6F, 0x004C39, 0x264C42, 0x00261C, 0x132621,
    0x00FFFF, 0x7FFFFF, 0x00A5A5, 0x52A5A5, 0x007F7F, 0x3F7F7F, 0x004C4C, 0x264C4C, 0x002626, 0x132626,
    0x00BFFF, 0x7FDFFF, 0x007BA5, 0x5290A5, 0x005F7F, 0x3F6F7F, 0x00394C, 0x26424C, 0x001C26, 0x132126,
    0x007FFF, 0x7FBFFF, 0x0052A5, 0x527BA5, 0x003F7F, 0x3F5F7F, 0x00264C, 0x26394C, 0x001326, 0x131C26,
    0x003FFF, 0x7F9FFF, 0x0029A5, 0x5267A5, 0x001F7F, 0x3F4F7F, 0x00134C, 0x262F4C, 0x000926, 0x131726,
    0x0000FF, 0x7F7FFF, 0x0000A5, 0x5252A5, 0x00007F, 0x3F3F7F, 0x00004C, 0x26264C, 0x000026, 0x131326,
    0x3F00FF, 0x9F7FFF, 0x2900A5, 0x6752A5, 0x1F007F, 0x4F3F7F, 0x13004C, 0x2F264C, 0x090026, 0x171326,
    0x7F00FF, 0xBF7FFF, 0x5200A5, 0x7B52A5, 0x3F007F, 0x5F3F7F, 0x26004C, 0x39264C, 0x130026, 0x1C1326,
    0xBF00FF, 0xDF7FFF, 0x7B00A5, 0x9052A5, 0x5F007F, 0x6F3F7F, 0x39004C, 0x42264C, 0x1C0026, 0x211326,
    0xFF00FF, 0xFF7FFF, 0xA500A5, 0xA552A5, 0x7F007F, 0x7F3F7F, 0x4C004C, 0x4C264C, 0x260026, 0x261326,
    0xFF00BF, 0xFF7FDF, 0xA5007B, 0xA55290, 0x7F005F, 0x7F3F6F, 0x4C0039, 0x4C2642, 0x26001C, 0x261321,
    0xFF007F, 0xFF7FBF, 0xA50052, 0xA5527B, 0x7F003F, 0x7F3F5F, 0x4C0026, 0x4C2639, 0x260013, 0x26131C,
    0xFF003F, 0xFF7F9F, 0xA50029, 0xA55267, 0x7F001F, 0x7F3F4F, 0x4C0013, 0x4C262F, 0x260009, 0x261317,
    0x333333, 0x505050, 0x696969, 0x828282, 0xBEBEBE, 0xFFFFFF,
};

bool AllowedInSymbol(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '$';
}

}  // namespace

Rgb AciRgb(int index) {
    const std::uint32_t value = AciPalette[static_cast<std::size_t>(std::clamp(index, 1, 255))];
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

int NearestAci(const Rgb& colour) {
    int best = 7;
    long bestDistance = -1;
    for (int index = 1; index <= 255; ++index) {
        const Rgb candidate = index == 7 ? Rgb{0, 0, 0} : AciRgb(index);
        const long red = long{candidate.red} - colour.red;
        const long green = long{candidate.green} - colour.green;
        const long blue = long{candidate.blue} - colour.blue;
        const long distance = red * red + green * green + blue * blue;
        if (bestDistance < 0 || distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

std::string DxfSymbolName(std::string_view name) {
    std::string symbol;
    for (std::size_t i = 0; i < name.size() && symbol.size() < DxfSymbolLength; ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        // A character beyond ASCII is one "_", however many bytes it takes.
        if ((byte & 0xC0) == 0x80) continue;
        const char upper =
            (byte >= 'a' && byte <= 'z') ? static_cast<char>(byte - 'a' + 'A') : static_cast<char>(byte);
        symbol += AllowedInSymbol(upper) ? upper : '_';
    }
    return symbol;
}

std::vector<double> DxfDashElements(const std::vector<double>& dashes) {
    if (dashes.empty()) return {};
    // On and off lengths in pairs; an odd list is gone through twice, so that its second
    // round swaps dashes and gaps, as an SVG dash array does.
    std::vector<double> lengths = dashes;
    if (lengths.size() % 2 == 1) lengths.insert(lengths.end(), dashes.begin(), dashes.end());
    std::vector<std::pair<double, double>> pairs;
    for (std::size_t i = 0; i < lengths.size(); i += 2) {
        if (!pairs.empty() && pairs.back().second == 0.0) {
            pairs.back().first += lengths[i];
            pairs.back().second = lengths[i + 1];
        } else {
            pairs.emplace_back(lengths[i], lengths[i + 1]);
        }
    }
    // The pattern repeats, so a last gap of 0 joins its dash to the first one.
    if (pairs.size() > 1 && pairs.back().second == 0.0) {
        pairs.front().first += pairs.back().first;
        pairs.pop_back();
    }
    if (pairs.size() == 1 && pairs.front().second == 0.0) return {};  // never a gap: solid
    std::vector<double> elements;
    for (const auto& [on, off] : pairs) {
        elements.push_back(on);
        elements.push_back(-off);
    }
    return elements;
}

}  // namespace zkl::io
