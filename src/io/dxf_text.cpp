#include <array>
#include <cmath>
#include <cstdint>

#include "cad/text_metrics.h"
#include "io/dxf_writer.h"

namespace zkl::io {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Code points of the Windows-1252 bytes 0x80..0x9F; 0 where the byte is undefined.
constexpr std::array<char32_t, 32> Windows1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a code point, or 0 when the code page lacks it.
unsigned char Windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < Windows1252High.size(); ++i)
        if (Windows1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
    return 0;
}

// The code points of a text, one per glyph as cad::GlyphCount counts them: every byte that
// does not continue a sequence starts a glyph, and one that starts no valid UTF-8 sequence
// is U+FFFD. Stray continuation bytes are no glyph, so the count stays the metrics' count.
std::vector<char32_t> Glyphs(std::string_view utf8) {
    std::vector<char32_t> glyphs;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char lead = byte(pos);
        if ((lead & 0xC0) == 0x80) {
            ++pos;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1, c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        }
        bool valid = length != 0 && pos + length <= utf8.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            valid = (byte(pos + i) & 0xC0) == 0x80;
            c = (c << 6) | (byte(pos + i) & 0x3F);
        }
        valid = valid && c >= minimum && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        glyphs.push_back(valid ? c : Replacement);
        pos += valid ? length : 1;
    }
    return glyphs;
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

std::string UnicodeEscape(char32_t c) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string escape = "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) escape += Hex[(c >> shift) & 0xF];
    return escape;
}

// Glyph i of a text as TEXT bytes; its neighbours decide whether a "%" or "\" needs care.
std::string EncodeGlyph(const std::vector<char32_t>& glyphs, std::size_t i) {
    const char32_t c = glyphs[i];
    const auto at = [&](std::size_t k) { return k < glyphs.size() ? glyphs[k] : char32_t{0}; };
    // A TEXT is one line, and a control character would end the group value or be read as
    // one; a space keeps the glyph's cell, so the rest of the text stays in its box.
    if (IsControl(c)) return " ";
    // AutoCAD reads "^" followed by a character as a control character and "^ " as "^".
    if (c == '^') return "^ ";
    // "%%" starts a control code (%%d, %%p, %%c, %%u, %%o, %%nnn) and "%%%" is one "%", so
    // each "%" that touches another is written as "%%%"; a "%" on its own is taken as is.
    if (c == '%') return (i > 0 && at(i - 1) == '%') || at(i + 1) == '%' ? "%%%" : "%";
    // Readers turn \U+XXXX (and \M+NXXXX, double-byte code pages) into the character.
    if (c == '\\') {
        const char32_t next = at(i + 1);
        const bool escapeStart =
            (next == 'U' || next == 'u' || next == 'M' || next == 'm') && at(i + 2) == '+';
        return escapeStart ? UnicodeEscape('\\') : "\\";
    }
    if (c > 0xFFFF) return UnicodeEscape(Replacement);
    if (const unsigned char b = Windows1252Byte(c); b != 0) return std::string(1, static_cast<char>(b));
    return UnicodeEscape(c);
}

}  // namespace

std::string EncodeDxfText(std::string_view utf8) {
    const std::vector<char32_t> glyphs = Glyphs(utf8);
    std::string value;
    value.reserve(utf8.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) value += EncodeGlyph(glyphs, i);
    return value;
}

std::vector<DxfTextPiece> SplitDxfText(std::string_view utf8) {
    const std::vector<char32_t> glyphs = Glyphs(utf8);
    std::vector<DxfTextPiece> pieces;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const std::string glyph = EncodeGlyph(glyphs, i);
        if (pieces.empty() || pieces.back().value.size() + glyph.size() > DxfTextValueLimit)
            pieces.push_back({{}, static_cast<int>(i), 0});
        pieces.back().value += glyph;
        ++pieces.back().glyphs;
    }
    return pieces;
}

std::optional<DxfTextPlacement> PlaceDxfText(const TextGeometry& text, int firstGlyph, int glyphs) {
    const int justification = (text.justification < 0 || text.justification > 14) ? 2 : text.justification;

    // The box as seen from above: one glyph's advance along the baseline and the box's
    // height across it. Their z parts do not show.
    const Point along = text.rotation.Column(0) * text.width;
    const Point up = text.rotation.Column(1) * text.height;
    const Point advance{along.x, along.y, 0};
    const Point rise{up.x, up.y, 0};
    const double advanceLength = Length(advance);
    if (!(advanceLength > 1e-9 * text.width)) return std::nullopt;
    const Point direction = advance * (1.0 / advanceLength);
    const Point normal{-direction.y, direction.x, 0};
    // The rise splits into a part across the baseline (the glyph height; negative for a
    // mirrored text, drawn upside down) and a part along it (a shear, the oblique angle).
    const double across = Dot(rise, normal);
    const double shear = Dot(rise, direction);
    if (!(std::abs(across) > 1e-9 * text.height)) return std::nullopt;

    // A turned text's matrix holds sines and cosines a last digit off; what that gives beyond
    // the twelfth digit of a size, or the tenth decimal of an angle, is noise, not the sheet.
    const auto near = [](double value, double exact) {
        return std::abs(value - exact) <= 1e-12 * std::abs(exact) ? exact : value;
    };
    const auto degrees = [](double radians) { return std::round(radians * 180.0 / Pi * 1e10) / 1e10; };
    DxfTextPlacement placement;
    placement.height = near(std::abs(across), text.height);
    placement.widthFactor = near(advanceLength, text.width) / (placement.height * DxfGlyphAdvance);
    placement.rotation = degrees(std::atan2(direction.y, direction.x));
    if (placement.rotation < 0) placement.rotation += 360.0;
    placement.oblique =
        std::abs(shear) <= 1e-12 * std::abs(across) ? 0.0 : degrees(std::atan(shear / std::abs(across)));
    placement.upsideDown = across < 0;

    // Our columns 0 and 1 (left, left margin) are left, 2 centre, 3 and 4 (right margin,
    // right) right; rows top, centre and bottom are top, middle and baseline, as the box's
    // bottom edge is the baseline. The alignment point is then the same point of the box:
    // for a whole text, its origin.
    const int column = justification / 3;
    const int row = justification % 3;
    placement.horizontal = column <= 1 ? 0 : column == 2 ? 1 : 2;
    placement.vertical = row == 0 ? 3 : row == 1 ? 2 : 0;
    const double alongShare = placement.horizontal * 0.5;
    const double upShare = row == 0 ? 1.0 : row == 1 ? 0.5 : 0.0;
    const Point low =
        cad::JustificationOffset(justification, cad::GlyphCount(text.text) * text.width, text.height);
    const auto at = [&](double glyph, double height) {
        const Point p =
            text.origin + text.rotation.Apply(low + Point{glyph * text.width, height * text.height, 0});
        return Point{p.x, p.y, 0};
    };
    placement.first = at(firstGlyph, 0);
    placement.second = at(firstGlyph + glyphs * alongShare, upShare);
    return placement;
}

}  // namespace zkl::io
