// Writes a sheet as a DXF file that any CAD program opens: AutoCAD Release 12 ASCII
// ($ACADVER AC1009), the oldest form every reader still takes. The picture is the one the
// display list gives (docs/export.md): the sheet seen from above, every point at z = 0, in
// the active model's drawing units. Levels become layers, each displayed reference
// attachment gets a layer of its own, line styles become linetypes, text styles become
// text styles, and every label cell becomes a block inserted at its origin, so a drafter
// moves a label as one piece.
//
// The functions after RenderDxf are the rules the writer follows, one each, exposed so that
// tests and docs/export.md can name them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "io/display_list.h"

namespace zkl::io {

// The same drawing always gives the same bytes (Windows-1252, CRLF line ends). Throws
// HostError naming the element when something cannot be written: a number that is not
// finite, an ellipse too large to approximate, a dimension whose graphics cannot be built.
std::string RenderDxf(const cad::Drawing& drawing);
// `list` must be the drawing's own display list (BuildDisplayList(drawing)); label cells are
// looked up in the drawing for their origin, and HostError says which one is missing.
std::string RenderDxf(const cad::Drawing& drawing, const DisplayList& list);

// ---- Colours ---------------------------------------------------------------------------

// The colour of an AutoCAD colour index 1..255 as the standard palette gives it.
Rgb AciRgb(int index);
// The index whose colour is nearest by RGB distance, ties to the lower index. Index 7 is
// drawn black on white paper and white on a dark screen, so it stands for black here:
// black becomes 7, never 0 (BYBLOCK) or 256 (BYLAYER).
int NearestAci(const Rgb& colour);

// ---- Names -----------------------------------------------------------------------------

inline constexpr std::size_t DxfSymbolLength = 31;

// A name as Release 12 allows for layers, linetypes, text styles and blocks: at most 31
// characters of A-Z, 0-9, "_", "-" and "$". Letters are upper-cased, every other character
// (one code point) becomes "_", and longer names are cut.
std::string DxfSymbolName(std::string_view name);

// The layers of a drawing: "0", one per level in table order, then one per attachment.
struct DxfLayerNames {
    std::map<std::string, std::string> levels;  // level name -> layer name
    std::vector<std::string> attachments;       // by attachment index (model - 1)

    // The layer of an element of the active model: its level's, or "0" when its level is
    // empty or not in the level table.
    const std::string& OfLevel(const std::string& level) const;
};

// Level layers are named by DxfSymbolName; attachment layers too, after the attachment's
// name ("ATTACHMENT_<n>" for an empty one). A name already taken (two names that differ
// only in characters the rule replaces, an attachment named like a level) gets "_2", "_3",
// ... (cut to stay within 31 characters). A level whose name becomes "0" shares layer "0".
DxfLayerNames DxfLayersOf(const cad::Drawing& drawing);

// ---- Line styles -----------------------------------------------------------------------

// The dash elements of a linetype for a dash pattern (on, off, on, ... as DashPatternOf
// gives it): dashes positive, gaps negative, a dash of length 0 a dot. A pattern of odd
// length is repeated once, as SVG does; gaps of length 0 join their dashes. Empty when the
// pattern draws a solid line.
std::vector<double> DxfDashElements(const std::vector<double>& dashes);

// ---- Texts -----------------------------------------------------------------------------

// The longest value, in bytes, of one TEXT; Release 12 readers refuse longer strings.
inline constexpr std::size_t DxfTextValueLimit = 250;

// A text as the value of one TEXT group, one glyph of the text-metrics rule at a time:
// Windows-1252 characters as their byte, other characters up to U+FFFF as \U+XXXX, those
// beyond (and bytes that are not UTF-8) as \U+FFFD; control characters as a space; "^" as
// "^ " and a "\" that would start an escape as \U+005C; every "%" of a run of two or more
// as "%%%", so that no %% control code is formed.
std::string EncodeDxfText(std::string_view utf8);

// The pieces of a text whose value would be longer than DxfTextValueLimit, cut between
// glyphs; each piece becomes a TEXT of its own along the same baseline.
struct DxfTextPiece {
    std::string value;   // encoded
    int firstGlyph = 0;  // of the whole text
    int glyphs = 0;
};
std::vector<DxfTextPiece> SplitDxfText(std::string_view utf8);

// The glyph advance of the fonts the text styles use (monotxt, fixed pitch) as a share of
// the text height; width factor = glyph width / (height * this).
inline constexpr double DxfGlyphAdvance = 1.0;

// Where a TEXT goes so that its glyphs fill the box the text-metrics rule gives.
struct DxfTextPlacement {
    Point first;               // 10/20: start of the baseline, the box's bottom-left corner
    Point second;              // 11/21: the alignment point, written unless left-baseline
    double height = 0.0;       // 40
    double widthFactor = 1.0;  // 41
    double rotation = 0.0;     // 50, degrees
    double oblique = 0.0;      // 51, degrees: a text sheared by its transform
    bool upsideDown = false;   // 71 = 4: a mirrored text
    int horizontal = 0;        // 72: 0 left, 1 centre, 2 right
    int vertical = 0;          // 73: 0 baseline, 2 middle, 3 top
};

// The placement of the glyphs firstGlyph .. firstGlyph + glyphs of a text (active-model
// coordinates). None when the text's box is seen edge-on from above: nothing of it shows.
std::optional<DxfTextPlacement> PlaceDxfText(const TextGeometry& text, int firstGlyph, int glyphs);

// ---- Ellipses --------------------------------------------------------------------------

// The largest distance allowed between an ellipse and the polyline drawn for it.
inline constexpr double DxfEllipseTolerance = 0.01;

// An ellipse seen from above: a circle when it is one, otherwise the closed polyline
// through `vertices`, as many as keep it within DxfEllipseTolerance of the ellipse.
struct DxfEllipse {
    bool circle = false;
    Point centre;
    double radius = 0.0;
    std::vector<Point> vertices;
};
// Throws HostError when more than 100,000 vertices would be needed.
DxfEllipse DxfEllipseOf(const EllipseGeometry& ellipse);

}  // namespace zkl::io
