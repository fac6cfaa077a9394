#include "tools/print_program/pdf_document.hpp"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

#include "platform/code_page_850.hpp"

namespace vela {
namespace {

constexpr double kPageWidth = 595.2756;  // A4 in points
constexpr double kPageHeight = 841.8898;
constexpr double kMargin = 28.3465;  // 10 mm
constexpr double kCellWidth = (kPageWidth - 2 * kMargin) / kPdfColumns;
constexpr double kLinePitch = (kPageHeight - 2 * kMargin) / kPdfLines;

const char* const kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const char* const kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

}  // namespace

struct PdfFonts::Faces {
    FT_Library library = nullptr;
    FT_Face ft[2] = {nullptr, nullptr};
    cairo_font_face_t* cairo[2] = {nullptr, nullptr};
    double size = 10;  // the size whose advance is one grid cell
};

PdfFonts::PdfFonts() : faces_(std::make_unique<Faces>()) {}

PdfFonts::~PdfFonts() {
    for (int i = 0; i < 2; ++i) {
        if (faces_->cairo[i] != nullptr) cairo_font_face_destroy(faces_->cairo[i]);
        if (faces_->ft[i] != nullptr) FT_Done_Face(faces_->ft[i]);
    }
    if (faces_->library != nullptr) FT_Done_FreeType(faces_->library);
}

bool PdfFonts::Load(std::string& error) { return Load(kRegularFont, kBoldFont, error); }

bool PdfFonts::Load(const std::string& regularPath, const std::string& boldPath,
                    std::string& error) {
    if (faces_->library == nullptr && FT_Init_FreeType(&faces_->library) != 0) {
        error = "FreeType could not start";
        return false;
    }
    const std::string paths[2] = {regularPath, boldPath};
    for (int i = 0; i < 2; ++i) {
        if (faces_->ft[i] != nullptr) continue;
        if (FT_New_Face(faces_->library, paths[i].c_str(), 0, &faces_->ft[i]) != 0) {
            faces_->ft[i] = nullptr;
            error = "cannot load the font " + paths[i] + " (package fonts-dejavu-core)";
            return false;
        }
        faces_->cairo[i] = cairo_ft_font_face_create_for_ft_face(faces_->ft[i], 0);
    }
    // A monospaced face: every glyph advances the same width.
    const FT_Face face = faces_->ft[0];
    double advance = 0.6;
    if (FT_Load_Char(face, '0', FT_LOAD_NO_SCALE) == 0 && face->units_per_EM > 0) {
        advance = static_cast<double>(face->glyph->advance.x) / face->units_per_EM;
    }
    faces_->size = kCellWidth / advance;
    return true;
}

struct PdfDocument::Surface {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    cairo_scaled_font_t* scaled[2] = {nullptr, nullptr};
};

PdfDocument::PdfDocument(PdfFonts& fonts, int ymd)
    : fonts_(fonts), ymd_(ymd), surface_(std::make_unique<Surface>()) {}

PdfDocument::~PdfDocument() {
    std::string ignored;
    if (surface_->surface != nullptr) Close(ignored);
}

bool PdfDocument::Open(const std::string& hostPath, const std::string& title) {
    sheets_ = 0;
    surface_->surface = cairo_pdf_surface_create(hostPath.c_str(), kPageWidth, kPageHeight);
    if (cairo_surface_status(surface_->surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface_->surface);
        surface_->surface = nullptr;
        return false;
    }
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02dT00:00:00", ymd_ / 10000, ymd_ / 100 % 100,
                  ymd_ % 100);
    cairo_pdf_surface_set_metadata(surface_->surface, CAIRO_PDF_METADATA_CREATE_DATE, date);
    cairo_pdf_surface_set_metadata(surface_->surface, CAIRO_PDF_METADATA_MOD_DATE, date);
    cairo_pdf_surface_set_metadata(surface_->surface, CAIRO_PDF_METADATA_CREATOR, "ROVODOVO");
    cairo_pdf_surface_set_metadata(surface_->surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    surface_->cr = cairo_create(surface_->surface);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_matrix_t size;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&size, fonts_.faces().size, fonts_.faces().size);
    cairo_matrix_init_identity(&identity);
    for (int i = 0; i < 2; ++i) {
        surface_->scaled[i] =
            cairo_scaled_font_create(fonts_.faces().cairo[i], &size, &identity, options);
    }
    cairo_font_options_destroy(options);
    return true;
}

void PdfDocument::AddPage(const SpoolPage& page) {
    if (surface_->cr == nullptr) return;
    std::size_t first = 0;
    do {
        DrawSheet(page, first);
        first += kPdfLines;
    } while (first < page.lines.size());
}

void PdfDocument::DrawSheet(const SpoolPage& page, std::size_t firstLine) {
    cairo_t* cr = surface_->cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    const std::size_t end = std::min(page.lines.size(), firstLine + kPdfLines);
    for (std::size_t i = firstLine; i < end; ++i) {
        const std::string& text = page.lines[i];
        const std::string& marks = page.bold[i];
        const double baseline = kMargin + (static_cast<double>(i - firstLine) + 0.8) * kLinePitch;
        // Runs of one face, each glyph on its cell of the grid.
        std::size_t start = 0;
        while (start < text.size()) {
            if (text[start] == ' ') {
                ++start;
                continue;
            }
            const bool bold = start < marks.size() && marks[start] == 'b';
            std::size_t stop = start;
            while (stop < text.size() && (stop < marks.size() && marks[stop] == 'b') == bold) {
                ++stop;
            }
            while (stop > start && text[stop - 1] == ' ') --stop;
            const std::string utf8 = Utf8FromCp850(text.substr(start, stop - start));
            cairo_scaled_font_t* font = surface_->scaled[bold ? 1 : 0];
            cairo_glyph_t* glyphs = nullptr;
            int glyphCount = 0;
            cairo_text_cluster_t* clusters = nullptr;
            int clusterCount = 0;
            cairo_text_cluster_flags_t flags{};
            const double x0 = kMargin + static_cast<double>(start) * kCellWidth;
            if (cairo_scaled_font_text_to_glyphs(
                    font, x0, baseline, utf8.data(), static_cast<int>(utf8.size()), &glyphs,
                    &glyphCount, &clusters, &clusterCount, &flags) == CAIRO_STATUS_SUCCESS) {
                int glyph = 0;
                for (int c = 0; c < clusterCount; ++c) {
                    for (int g = 0; g < clusters[c].num_glyphs; ++g, ++glyph) {
                        glyphs[glyph].x = x0 + c * kCellWidth;
                        glyphs[glyph].y = baseline;
                    }
                }
                cairo_set_scaled_font(cr, font);
                cairo_show_text_glyphs(cr, utf8.data(), static_cast<int>(utf8.size()), glyphs,
                                       glyphCount, clusters, clusterCount, flags);
            }
            cairo_glyph_free(glyphs);
            cairo_text_cluster_free(clusters);
            start = stop;
        }
    }
    cairo_show_page(cr);
    ++sheets_;
}

bool PdfDocument::Close(std::string& error) {
    if (surface_->surface == nullptr) {
        error = "not open";
        return false;
    }
    for (auto*& font : surface_->scaled) {
        if (font != nullptr) cairo_scaled_font_destroy(font);
        font = nullptr;
    }
    if (sheets_ == 0) cairo_show_page(surface_->cr);  // a document is never without a page
    cairo_destroy(surface_->cr);
    surface_->cr = nullptr;
    cairo_surface_finish(surface_->surface);
    const cairo_status_t status = cairo_surface_status(surface_->surface);
    cairo_surface_destroy(surface_->surface);
    surface_->surface = nullptr;
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace vela
