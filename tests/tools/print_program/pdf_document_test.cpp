// The PDF of a document, read back with pdftotext (poppler-utils), gives the
// text rendering's lines; the same pages give the same bytes.
#include "tools/print_program/pdf_document.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "platform/code_page_850.hpp"
#include "platform/process.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/print_program/text_rendering.hpp"

namespace vela {
namespace {

using testing::ReadFile;
using testing::TempFolder;

bool HavePdfToText() { return ::access("/usr/bin/pdftotext", X_OK) == 0; }

// Lines without blank runs and empty lines, page by page: what pdftotext
// keeps of a fixed-pitch page whatever its spacing heuristics.
std::vector<std::vector<std::string>> Normalised(const std::string& utf8) {
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream in(utf8);
    std::string line;
    while (std::getline(in, line)) {
        std::string out;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\f') {
                pages.emplace_back();
                continue;
            }
            if (line[i] == ' ' && (out.empty() || out.back() == ' ')) continue;
            out += line[i];
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        if (!out.empty()) pages.back().push_back(out);
    }
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
}

std::vector<SpoolPage> PagesOf(const std::string& spool) {
    const SpoolContents c = ReadSpool(spool);
    EXPECT_EQ(c.documents.size(), 1u);
    return c.documents.empty() ? std::vector<SpoolPage>() : c.documents[0].pages;
}

std::string Line(int column, const std::string& utf8, int advance) {
    return " " + std::to_string(column) + " ," + Cp850(utf8) + ", " + std::to_string(advance) +
           " \r\n";
}

// A certificate's kind of page: bold owner block, box drawing, the euro
// sign (code 213), the letters of the four languages.
std::string CertificateSpool() {
    std::string s = "DEVICEPDF\r\nSENDanna@example.cat,,ANNA\r\nPAGE 66 \r\n*@e\r\n*bi\r\n";
    s += Line(1, "JOSEP PEÑA SERRA", 1) + Line(1, "AV. DIAGONAL, 171", 2) + "*ib\r\n";
    s += Line(1, "REFERÈNCIA I42", 0) + Line(54, "ÀNGELS CORTÉS IBÁÑEZ", 8);
    s += Line(20, "┌┤", 0) + "*b\r\n" + Line(0, "OPERACIONS SUBJECTES A RETENCIÓ", 0) + "*b\r\n";
    s += Line(0, "├──────────────────────────────────────────┐", 1);
    s += Line(20, "│PAGADOR", 0) + Line(50, "Çà èé íï òó úü ñ ÿ ß æ ø å", 0) + Line(95, "│", 1);
    s += Line(20, "│", 0) + Line(50, "IMPORT ÍNTEGRE ", 0) + Line(70, "1.234,56 €", 0) +
         Line(95, "│", 1);
    s += Line(20, "└──────────────────────────────────────────┘", 8);
    s += Line(51, "GONÇALVES, mercè; ação; Aranés: aué", 1);
    return s;
}

std::string ListingSpool(int pages) {
    std::string s = "DEVICEPDF\r\n";
    for (int p = 1; p <= pages; ++p) {
        s += "PAGE 66 \r\n*@e\r\n" + Line(1, "FINQUES PLANA", 0) +
             Line(85, "PÀGINA " + std::to_string(p), 2);
        for (int i = 0; i < 55; ++i) {
            s += Line(1, std::to_string(1000 + i), 0) +
                 Line(6, "ES1001199" + std::to_string(i % 10) + "M", 0) +
                 Line(24, "PUIG CASTELLÓ ÍÑIGO " + std::to_string(p * 100 + i), 0) +
                 Line(65, "G01", 0) + Line(69, "     27.181,03", 0) + Line(83, "      3.694,04", 1);
        }
    }
    return s;
}

void Render(const std::vector<SpoolPage>& pages, const std::string& path, int ymd,
            std::string* text = nullptr) {
    PdfFonts fonts;
    std::string error;
    ASSERT_TRUE(fonts.Load(error)) << error;
    PdfDocument pdf(fonts, ymd);
    ASSERT_TRUE(pdf.Open(path, "DOC0001"));
    for (const SpoolPage& page : pages) {
        pdf.AddPage(page);
        if (text != nullptr) *text += (text->empty() ? "" : "\f\n") + RenderPageText(page);
    }
    ASSERT_TRUE(pdf.Close(error)) << error;
}

std::string PdfToText(const std::string& path) {
    std::string out;
    EXPECT_EQ(RunPiped({"/usr/bin/pdftotext", "-layout", path, "-"}, "", &out), 0);
    return out;
}

TEST(PdfDocument, CertificateReadsBackAsItsTextRendering) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempFolder folder;
    std::string text;
    Render(PagesOf(CertificateSpool()), folder / "c.pdf", 20251231, &text);
    const std::string back = PdfToText(folder / "c.pdf");
    EXPECT_EQ(Normalised(back), Normalised(text)) << back;
    EXPECT_NE(back.find("1.234,56 €"), std::string::npos);
    EXPECT_NE(back.find("┌┤OPERACIONS SUBJECTES A RETENCIÓ├───"), std::string::npos);
    // The grid keeps the columns: the payee block starts right of the middle.
    std::istringstream lines(back);
    std::string line;
    while (std::getline(lines, line) && line.find("REFERÈNCIA") == std::string::npos) {
    }
    const auto name = line.find("ÀNGELS");
    ASSERT_NE(name, std::string::npos);
    EXPECT_GE(name, 50u);
    EXPECT_LE(name, 60u);
}

TEST(PdfDocument, MultiPageListingReadsBackPageByPage) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempFolder folder;
    std::string text;
    const auto pages = PagesOf(ListingSpool(3));
    ASSERT_EQ(pages.size(), 3u);
    Render(pages, folder / "l.pdf", 20251231, &text);
    const auto back = Normalised(PdfToText(folder / "l.pdf"));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back, Normalised(text));
}

TEST(PdfDocument, SamePagesGiveTheSameBytesAndTheDateIsTheWorkingDate) {
    TempFolder folder;
    const auto pages = PagesOf(CertificateSpool());
    Render(pages, folder / "a.pdf", 20251231);
    Render(pages, folder / "b.pdf", 20251231);
    Render(pages, folder / "c.pdf", 20260105);
    const std::string a = ReadFile(folder / "a.pdf");
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a, ReadFile(folder / "b.pdf"));
    EXPECT_NE(a, ReadFile(folder / "c.pdf"));
    EXPECT_NE(a.find("20251231000000"), std::string::npos);
}

TEST(PdfDocument, BoldTextUsesTheBoldFaceAndLongPagesGoOnOverMoreSheets) {
    TempFolder folder;
    PdfFonts fonts;
    std::string error;
    ASSERT_TRUE(fonts.Load(error)) << error;
    const auto plain = PagesOf("DEVICE\r\nPAGE 66 \r\n 1 ,plain, 1 \r\n");
    const auto bold = PagesOf("DEVICE\r\nPAGE 66 \r\n*bi\r\n 1 ,bold, 1 \r\n");
    Render(plain, folder / "p.pdf", 20251231);
    Render(bold, folder / "b.pdf", 20251231);
    EXPECT_EQ(ReadFile(folder / "p.pdf").find("DejaVuSansMono-Bold"), std::string::npos);
    EXPECT_NE(ReadFile(folder / "b.pdf").find("DejaVuSansMono-Bold"), std::string::npos);

    const auto longPage = PagesOf("DEVICE\r\nPAGE 66 \r\n 1 ,top, 100 \r\n 1 ,below, 1 \r\n");
    PdfDocument pdf(fonts, 20251231);
    ASSERT_TRUE(pdf.Open(folder / "long.pdf", "x"));
    pdf.AddPage(longPage[0]);
    EXPECT_EQ(pdf.sheets(), 2);
    EXPECT_TRUE(pdf.Close(error));
}

TEST(PdfDocument, MissingFontOrFolderIsReportedNotCrashed) {
    PdfFonts fonts;
    std::string error;
    EXPECT_FALSE(fonts.Load("/nonexistent/font.ttf", "/nonexistent/bold.ttf", error));
    EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos);
    PdfFonts good;
    ASSERT_TRUE(good.Load(error));
    PdfDocument pdf(good, 20251231);
    EXPECT_FALSE(pdf.Open("/nonexistent/folder/x.pdf", "x"));
}

}  // namespace
}  // namespace vela
