// Draws a sheet as a one-page vector PDF for plotting, with cairo, in-process. It shows what
// the SVG picture shows (docs/text-metrics.md for texts): the same colours, dash patterns,
// stroke widths, round caps and joins, filled arrowheads, reference attachments dimmed, and
// texts as real, searchable text that fills exactly the box the text metrics give it.
//
// Paper and scale. Drawing units of a sheet are millimetres of paper, so a sheet is plotted
// at 1:1 and the page is chosen by this rule:
//   1. The drawing's origin is the paper's lower-left corner. The page is the smallest of
//      A4, A3, A2, A1, A0 that, turned as the drawing runs (landscape when it reaches at
//      least as far right as up), holds the extent of everything drawn. A millimetre of
//      slack is allowed, so a frame drawn on the paper's edge (the example sheet's frame is
//      0..420 x 0..297: A3 landscape) and rounding still count as on the paper.
//   2. Otherwise (a drawing reaching below or left of its origin, or larger than A0) the
//      page is cut to the extent with a margin of 10 mm on every side, still at 1:1.
//      PDF readers refuse pages over 200 inches (5080 mm), so a larger drawing is shrunk
//      until its page stays within that.
// A forced paper (PdfOptions::paper) takes the drawing at 1:1 from the origin when it lies on
// that paper either way round; otherwise the extent is centred on the paper, turned as it
// runs, and shrunk if it does not fit within the margins. An empty drawing gets A4 portrait.
#pragma once

#include <optional>
#include <string>

#include "cad/drawing.h"
#include "io/display_list.h"

namespace zkl::io {

enum class IsoPaper { A4, A3, A2, A1, A0 };

struct PdfOptions {
    // Plot on this paper instead of the one the rule above picks.
    std::optional<IsoPaper> paper;
    // How strongly reference attachments are drawn, 0 (invisible) to 1 (like the model),
    // as in the SVG picture.
    double attachmentOpacity = 0.4;
};

// Where the drawing lands on the page.
struct PageLayout {
    std::string paper;  // "A3", ..., or empty for a page cut to the drawing
    bool landscape = false;
    double width = 0.0, height = 0.0;  // page size in millimetres
    double scale = 1.0;                // paper millimetres per drawing unit
    Point origin;                      // the drawing point at the page's lower-left corner
};

// The page for a drawing whose display-list extent is `extent`, by the rule above.
PageLayout ChoosePage(const std::optional<Range>& extent, std::optional<IsoPaper> paper = std::nullopt);

// Returns the PDF file's bytes; the same drawing and options always give the same bytes
// (the creation date is fixed at 1970-01-01). Throws HostError when an element cannot be
// drawn (a dimension whose graphics cannot be built) and FileError naming what failed when
// cairo cannot make the PDF; no partial PDF is returned.
std::string RenderPdf(const cad::Drawing& drawing, const PdfOptions& options = {});
std::string RenderPdf(const DisplayList& list, const PdfOptions& options = {});

// The text with every byte that does not belong to a well-formed UTF-8 sequence, and every
// code point cairo refuses (NUL, surrogates, noncharacters such as U+FFFE), replaced by
// U+FFFD.
std::string SanitizeUtf8(std::string_view text);

}  // namespace zkl::io
