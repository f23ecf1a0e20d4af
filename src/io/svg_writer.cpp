#include "io/svg_writer.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace zkl::io {

namespace {

bool AllowedInXml(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes the code point starting at `pos`; returns its length in bytes, or 0 when the
// bytes there are not a valid, shortest-form UTF-8 sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms and encoded surrogates are not UTF-8.
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string EscapeXml(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(utf8, pos, codePoint);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for one undecodable byte
            ++pos;
            continue;
        }
        switch (codePoint) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (AllowedInXml(codePoint)) out.append(utf8.substr(pos, length));
        }
        pos += length;
    }
    return out;
}

std::string FormatNumber(double value) {
    if (!std::isfinite(value) || std::abs(value) < 1e-9) return "0";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return std::string(buffer, result.ptr);
}

std::string Attribute(std::string_view name, std::string_view value) {
    std::string out = " ";
    out += name;
    out += "=\"";
    out += EscapeXml(value);
    out += '"';
    return out;
}

std::string Attribute(std::string_view name, double value) { return Attribute(name, FormatNumber(value)); }

std::string PointList(const std::vector<Point>& points) {
    std::string out;
    for (const Point& p : points) {
        if (!out.empty()) out += ' ';
        out += FormatNumber(p.x);
        out += ',';
        out += FormatNumber(p.y);
    }
    return out;
}

}  // namespace zkl::io
