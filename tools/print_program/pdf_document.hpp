// Documents as PDF: A4 portrait, the spool's 96 columns and 66 lines on a
// fixed grid, in DejaVu Sans Mono (regular and bold, loaded by file path
// through FreeType), every glyph placed on its grid cell and carrying its
// text, so that the text can be extracted again. The PDF's dates come from
// the date given (the session's working date), never from the clock, so the
// same pages always give the same bytes.
#pragma once

#include <memory>
#include <string>

#include "tools/print_program/spool_document.hpp"

namespace vela {

inline constexpr int kPdfColumns = 96;
inline constexpr int kPdfLines = 66;

// The two faces, loaded once for the whole run.
class PdfFonts {
  public:
    PdfFonts();
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    // Loads the faces from their files; false with the reason when one is
    // missing or unreadable.
    bool Load(const std::string& regularPath, const std::string& boldPath, std::string& error);
    bool Load(std::string& error);  // the faces of fonts-dejavu-core

    struct Faces;
    Faces& faces() { return *faces_; }

  private:
    std::unique_ptr<Faces> faces_;
};

class PdfDocument {
  public:
    // ymd: the date written as the document's creation and change date.
    PdfDocument(PdfFonts& fonts, int ymd);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    bool Open(const std::string& hostPath, const std::string& title);
    // One spool page; a page longer than the grid goes on over more sheets.
    void AddPage(const SpoolPage& page);
    // Finishes the file; false with the reason when it could not be written.
    bool Close(std::string& error);
    int sheets() const { return sheets_; }

  private:
    void DrawSheet(const SpoolPage& page, std::size_t firstLine);

    PdfFonts& fonts_;
    int ymd_;
    struct Surface;
    std::unique_ptr<Surface> surface_;
    int sheets_ = 0;
};

}  // namespace vela
