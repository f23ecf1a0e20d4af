#include "io/pdf_renderer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "cad/text_metrics.h"
#include "io/atomic_file.h"

namespace zkl::io {

namespace {

constexpr double PointsPerMillimetre = 72.0 / 25.4;
constexpr double PaperSlack = 1.0;      // mm a drawing may reach past the paper's edge
constexpr double CutMargin = 10.0;      // mm around a page cut to the drawing
constexpr double LargestPage = 5080.0;  // mm: 200 inches, the most PDF readers open

struct PaperSize {
    IsoPaper paper;
    const char* name;
    double shortSide, longSide;  // mm
};

constexpr std::array<PaperSize, 5> Papers{{
    {IsoPaper::A4, "A4", 210, 297},
    {IsoPaper::A3, "A3", 297, 420},
    {IsoPaper::A2, "A2", 420, 594},
    {IsoPaper::A1, "A1", 594, 841},
    {IsoPaper::A0, "A0", 841, 1189},
}};

const PaperSize& SizeOf(IsoPaper paper) {
    return *std::find_if(Papers.begin(), Papers.end(),
                         [&](const PaperSize& size) { return size.paper == paper; });
}

PageLayout PaperPage(const PaperSize& size, bool landscape) {
    PageLayout page;
    page.paper = size.name;
    page.landscape = landscape;
    page.width = landscape ? size.longSide : size.shortSide;
    page.height = landscape ? size.shortSide : size.longSide;
    return page;
}

// The paper laid with its lower-left corner on the drawing's origin holds the extent.
bool OnPaper(const Range& extent, const PageLayout& page) {
    return extent.low.x >= -PaperSlack && extent.low.y >= -PaperSlack &&
           extent.high.x <= page.width + PaperSlack && extent.high.y <= page.height + PaperSlack;
}

// The extent's centre on the page's centre, shrunk when it does not fit within `margin`.
PageLayout Centred(PageLayout page, const Range& extent, double margin) {
    const double width = extent.high.x - extent.low.x;
    const double height = extent.high.y - extent.low.y;
    double scale = 1.0;
    if (width > 0.0) scale = std::min(scale, (page.width - 2 * margin) / width);
    if (height > 0.0) scale = std::min(scale, (page.height - 2 * margin) / height);
    page.scale = scale;
    const Point centre = (extent.low + extent.high) * 0.5;
    page.origin = {centre.x - page.width / 2 / scale, centre.y - page.height / 2 / scale, 0.0};
    return page;
}

// ---- cairo -----------------------------------------------------------------------------

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct FontFaceDeleter {
    void operator()(cairo_font_face_t* face) const { cairo_font_face_destroy(face); }
};
struct FontOptionsDeleter {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
struct GlyphsDeleter {
    void operator()(cairo_glyph_t* glyphs) const { cairo_glyph_free(glyphs); }
};
struct ClustersDeleter {
    void operator()(cairo_text_cluster_t* clusters) const { cairo_text_cluster_free(clusters); }
};

// cairo calls this from C: an exception must not pass through it, so a failure to grow the
// text becomes a write error that cairo reports when the surface is finished.
cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    } catch (...) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
}

[[noreturn]] void Fail(const std::string& what, cairo_status_t status) {
    throw FileError("PDF: " + what + ": " + cairo_status_to_string(status));
}

bool Finite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A pattern cairo refuses would leave the whole page in an error state; the display list
// already drops such patterns, this only keeps a list built elsewhere from doing that.
bool Drawable(const std::vector<double>& dashes) {
    double total = 0.0;
    for (const double dash : dashes) {
        if (!(dash >= 0.0)) return false;
        total += dash;
    }
    return dashes.empty() || (total > 0.0 && std::isfinite(total));
}

class PageWriter {
public:
    PageWriter(cairo_t* cr, cairo_font_face_t* font, double attachmentOpacity)
        : cr_(cr),
          font_(font),
          opacity_(std::clamp(std::isnan(attachmentOpacity) ? 1.0 : attachmentOpacity, 0.0, 1.0)) {}

    void WriteModel(const DisplayModel& model) {
        reference_ = model.reference;
        for (const DisplayElement& element : model.elements) {
            WriteElement(element);
            // Errors in cairo are sticky: checking after each element names the one that broke.
            cairo_status_t status = cairo_status(cr_);
            if (status == CAIRO_STATUS_SUCCESS) status = textFailure_;
            if (status != CAIRO_STATUS_SUCCESS)
                Fail("element " + std::to_string(element.id) + " of " +
                         (model.reference ? "attachment '" + model.name + "'"
                                          : std::string("the active model")) +
                         " could not be drawn",
                     status);
        }
    }

private:
    void WriteElement(const DisplayElement& element) {
        for (const DisplayElement& part : element.parts) WriteElement(part);
        if (!element.shape) return;
        const Element& shape = *element.shape;
        if (shape.IsText())
            WriteText(element, shape.Text());
        else if (shape.IsEllipse())
            WriteEllipse(element, shape.Ellipse());
        else if (shape.IsLinear())
            WriteLinear(element, shape);
    }

    void WriteLinear(const DisplayElement& shown, const Element& element) {
        std::vector<Point> vertices = element.Linear().vertices;
        if (vertices.size() < 2 || !std::all_of(vertices.begin(), vertices.end(), Finite)) return;
        const bool closed = element.type == ElementType::Shape;
        if (closed && vertices.size() > 2 && vertices.front() == vertices.back()) vertices.pop_back();
        cairo_new_path(cr_);
        cairo_move_to(cr_, vertices[0].x, vertices[0].y);
        for (std::size_t i = 1; i < vertices.size(); ++i) cairo_line_to(cr_, vertices[i].x, vertices[i].y);
        if (closed) cairo_close_path(cr_);
        // cairo writes a path it takes for a rectangle as the PDF operator "re", which starts
        // at a corner of its own choosing and runs its own way round, so dashes would not
        // start at the first vertex as they do in the SVG. A second, zero-length subpath
        // keeps the path from looking like a rectangle; its round dot falls on the first
        // vertex, where the first dash already puts its round end.
        if (!shown.style.dashes.empty() && vertices.size() <= 5) {
            cairo_move_to(cr_, vertices[0].x, vertices[0].y);
            cairo_line_to(cr_, vertices[0].x, vertices[0].y);
        }
        if (closed && shown.filled) {
            SetColour(shown.style.colour);
            cairo_fill_preserve(cr_);
        }
        Stroke(shown.style);
    }

    void WriteEllipse(const DisplayElement& shown, const EllipseGeometry& ellipse) {
        // The unit circle under the matrix whose columns are the scaled local axes is the
        // ellipse seen from above, tilted or mirrored ones included. When that matrix is
        // singular the ellipse is seen edge-on and, as in the SVG, nothing is drawn.
        const Point u = ellipse.rotation.Column(0) * ellipse.primaryRadius;
        const Point v = ellipse.rotation.Column(1) * ellipse.secondaryRadius;
        const double determinant = u.x * v.y - u.y * v.x;
        if (!Finite(u) || !Finite(v) || !Finite(ellipse.centre) ||
            !(std::abs(determinant) > 1e-12 * (u.x * u.x + u.y * u.y + v.x * v.x + v.y * v.y)))
            return;
        cairo_matrix_t saved;
        cairo_get_matrix(cr_, &saved);
        cairo_matrix_t axes;
        cairo_matrix_init(&axes, u.x, u.y, v.x, v.y, ellipse.centre.x, ellipse.centre.y);
        cairo_new_path(cr_);
        cairo_transform(cr_, &axes);
        cairo_arc(cr_, 0.0, 0.0, 1.0, 0.0, 2 * Pi);
        cairo_close_path(cr_);
        // Back to sheet units before stroking, or the pen would be squashed with the circle.
        cairo_set_matrix(cr_, &saved);
        Stroke(shown.style);
    }

    void WriteText(const DisplayElement& shown, const TextGeometry& text) {
        if (!(text.height > 0.0)) return;  // no box to fill
        const std::string content = SanitizeUtf8(text.text);
        if (content.empty()) return;
        const Point along = text.rotation.Column(0);
        const Point up = text.rotation.Column(1);
        const Point& start = shown.textBox[0];
        const double determinant = along.x * up.y - along.y * up.x;
        if (!Finite(along) || !Finite(up) || !Finite(start) || !std::isfinite(text.width) ||
            !std::isfinite(text.height) || !(std::abs(determinant) > 1e-9))
            return;  // seen edge-on, the box is a line with nothing to read

        cairo_save(cr_);
        // Glyph space has y pointing down: the frame puts the baseline start on the box's
        // bottom-left corner, runs x along the text and turns "down" into the text's -y.
        cairo_matrix_t frame;
        cairo_matrix_init(&frame, along.x, along.y, -up.x, -up.y, start.x, start.y);
        cairo_transform(cr_, &frame);
        cairo_set_font_face(cr_, font_);

        // The em is the box height, as font-size is in the SVG; the glyphs are then widened
        // or narrowed so the run of them is exactly the box width, and each glyph is put at
        // its own cell of the box so the text metrics hold whatever advances the font has.
        SetFontMatrix(text.height, text.height);
        cairo_scaled_font_t* font = cairo_get_scaled_font(cr_);
        cairo_glyph_t* glyphData = nullptr;
        int glyphCount = 0;
        cairo_text_cluster_t* clusterData = nullptr;
        int clusterCount = 0;
        cairo_text_cluster_flags_t flags{};
        const cairo_status_t status =
            cairo_scaled_font_text_to_glyphs(font, 0.0, 0.0, content.data(), static_cast<int>(content.size()),
                                             &glyphData, &glyphCount, &clusterData, &clusterCount, &flags);
        const std::unique_ptr<cairo_glyph_t, GlyphsDeleter> glyphs(glyphData);
        const std::unique_ptr<cairo_text_cluster_t, ClustersDeleter> clusters(clusterData);
        if (status != CAIRO_STATUS_SUCCESS) {
            textFailure_ = status;  // reported with the element it belongs to
            cairo_restore(cr_);
            return;
        }

        const double boxWidth = cad::GlyphCount(text.text) * text.width;
        cairo_text_extents_t natural;
        cairo_scaled_font_glyph_extents(font, glyphData, glyphCount, &natural);
        const double widening =
            boxWidth > 0.0 && natural.x_advance > 0.0 ? boxWidth / natural.x_advance : 1.0;
        const int codePoints = cad::GlyphCount(content);
        for (int i = 0; i < glyphCount; ++i)
            glyphData[i].x = boxWidth > 0.0 && glyphCount == codePoints ? i * boxWidth / codePoints
                                                                        : glyphData[i].x * widening;
        SetFontMatrix(text.height * widening, text.height);
        SetColour(shown.style.colour);
        // With the clusters the page keeps the characters, so a plot can be searched.
        cairo_show_text_glyphs(cr_, content.data(), static_cast<int>(content.size()), glyphData, glyphCount,
                               clusterData, clusterCount, flags);
        cairo_restore(cr_);
    }

    void SetFontMatrix(double xScale, double yScale) {
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, xScale, yScale);
        cairo_set_font_matrix(cr_, &matrix);
    }

    void Stroke(const DisplayStyle& style) {
        if (!(style.strokeWidth > 0.0) || !std::isfinite(style.strokeWidth)) {
            cairo_new_path(cr_);
            return;
        }
        cairo_set_line_width(cr_, style.strokeWidth);
        if (Drawable(style.dashes))
            cairo_set_dash(cr_, style.dashes.data(), static_cast<int>(style.dashes.size()), 0.0);
        else
            cairo_set_dash(cr_, nullptr, 0, 0.0);
        SetColour(style.colour);
        cairo_stroke(cr_);
    }

    // Attachments are dimmed by mixing their colours with the white of the paper: on white
    // that is what the SVG's group opacity shows, without a transparency group that some
    // plot drivers flatten into pixels.
    void SetColour(const Rgb& colour) {
        const double share = reference_ ? opacity_ : 1.0;
        auto channel = [&](std::uint8_t value) { return (value / 255.0) * share + (1.0 - share); };
        cairo_set_source_rgb(cr_, channel(colour.red), channel(colour.green), channel(colour.blue));
    }

    cairo_t* cr_;
    cairo_font_face_t* font_;
    double opacity_;
    bool reference_ = false;
    cairo_status_t textFailure_ = CAIRO_STATUS_SUCCESS;  // cairo keeps those out of cr_
};

// The length of the well-formed sequence that starts text[i] and its code point; 0 when the
// bytes there do not form one.
std::size_t SequenceAt(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead >= 0xC0 && lead < 0xE0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF8) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms and values past Unicode are not UTF-8 at all.
    if (codePoint < smallest || codePoint > 0x10FFFF) return 0;
    return length;
}

// Surrogates and noncharacters are well-formed sequences cairo still refuses.
bool RefusedByCairo(char32_t codePoint) {
    return (codePoint >= 0xD800 && codePoint <= 0xDFFF) || (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) ||
           (codePoint & 0xFFFE) == 0xFFFE;
}

}  // namespace

std::string SanitizeUtf8(std::string_view text) {
    static constexpr std::string_view Replacement = "\xEF\xBF\xBD";
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\0') {
            clean += Replacement;  // cairo's clusters end a text there
            ++i;
            continue;
        }
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            clean += text[i++];
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = SequenceAt(text, i, codePoint);
        if (length == 0) {
            clean += Replacement;  // one bad byte; what follows is looked at afresh
            ++i;
        } else {
            if (RefusedByCairo(codePoint))
                clean += Replacement;
            else
                clean.append(text.substr(i, length));
            i += length;
        }
    }
    return clean;
}

PageLayout ChoosePage(const std::optional<Range>& extent, std::optional<IsoPaper> paper) {
    if (!extent) return PaperPage(SizeOf(paper.value_or(IsoPaper::A4)), false);
    // Turned as the drawing runs from the origin, the paper that holds it is never beaten
    // by the same paper turned the other way.
    const bool runsWide = extent->high.x >= extent->high.y;
    if (paper) {
        for (const bool landscape : {runsWide, !runsWide}) {
            const PageLayout page = PaperPage(SizeOf(*paper), landscape);
            if (OnPaper(*extent, page)) return page;
        }
        const bool extentWide = extent->high.x - extent->low.x >= extent->high.y - extent->low.y;
        return Centred(PaperPage(SizeOf(*paper), extentWide), *extent, CutMargin);
    }
    for (const PaperSize& size : Papers) {
        const PageLayout page = PaperPage(size, runsWide);
        if (OnPaper(*extent, page)) return page;
    }

    PageLayout cut;
    const double width = extent->high.x - extent->low.x;
    const double height = extent->high.y - extent->low.y;
    const double room = LargestPage - 2 * CutMargin;
    cut.scale = std::min({1.0, room / width, room / height});
    cut.width = width * cut.scale + 2 * CutMargin;
    cut.height = height * cut.scale + 2 * CutMargin;
    cut.landscape = cut.width >= cut.height;
    cut.origin = extent->low - Point{CutMargin, CutMargin, 0.0} * (1.0 / cut.scale);
    return cut;
}

std::string RenderPdf(const cad::Drawing& drawing, const PdfOptions& options) {
    return RenderPdf(BuildDisplayList(drawing), options);
}

std::string RenderPdf(const DisplayList& list, const PdfOptions& options) {
    const PageLayout page = ChoosePage(list.extent, options.paper);
    const double pointsPerUnit = PointsPerMillimetre * page.scale;
    const double pageHeight = page.height * PointsPerMillimetre;

    std::string pdf;
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(cairo_pdf_surface_create_for_stream(
        AppendToString, &pdf, page.width * PointsPerMillimetre, pageHeight));
    if (const cairo_status_t status = cairo_surface_status(surface.get()); status != CAIRO_STATUS_SUCCESS)
        Fail("the page could not be made", status);
#if CAIRO_VERSION >= CAIRO_VERSION_ENCODE(1, 16, 0)
    // Otherwise cairo stamps the time of day, and the same sheet would not give the same bytes.
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, "1970-01-01T00:00:00Z");
#endif

    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    // Asked for by family rather than as "monospace", so a machine whose fontconfig prefers
    // another monospaced font still plots the same glyphs. Should it be missing, fontconfig
    // substitutes one, and since every text is measured before it is fitted, texts still
    // fill their boxes.
    const std::unique_ptr<cairo_font_face_t, FontFaceDeleter> font(
        cairo_toy_font_face_create("DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL));
    if (const cairo_status_t status = cairo_font_face_status(font.get()); status != CAIRO_STATUS_SUCCESS)
        Fail("the font DejaVu Sans Mono could not be opened", status);
    // Advances rounded to whole device units would make a text miss its box.
    const std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> fontOptions(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(fontOptions.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fontOptions.get(), CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, fontOptions.get());

    // Sheet units with y up, on a page whose y runs down from its top edge.
    cairo_matrix_t sheet;
    cairo_matrix_init(&sheet, pointsPerUnit, 0.0, 0.0, -pointsPerUnit, -page.origin.x * pointsPerUnit,
                      pageHeight + page.origin.y * pointsPerUnit);
    cairo_set_matrix(cr, &sheet);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (const cairo_status_t status = cairo_status(cr); status != CAIRO_STATUS_SUCCESS)
        Fail("the page could not be set up", status);

    PageWriter writer(cr, font.get(), options.attachmentOpacity);
    for (const DisplayModel& model : list.models) writer.WriteModel(model);

    cairo_surface_finish(surface.get());
    if (const cairo_status_t status = cairo_surface_status(surface.get()); status != CAIRO_STATUS_SUCCESS)
        Fail("the file could not be completed", status);
    return pdf;
}

}  // namespace zkl::io
