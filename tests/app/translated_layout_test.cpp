// Every translated text where the program puts it, in each of the four
// languages, read from the shipped language file:
// - the forms: each field's label, value and description area inside the
//   form's window (or the screen), each choice's description within the
//   width it is shown in, each list title within its list's frame; painted
//   through the program's own hooks, the window frames stay whole and every
//   label shows in full;
// - the certificate and the listing: written through the program's own
//   printing code into a spool file, no text runs into the next text of its
//   line or past the page, and the certificate's box closes at its border.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>

#include "app/certificate.hpp"
#include "app/listing.hpp"
#include "app/program_forms.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/edit_settings.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "platform/headless_console.hpp"
#include "print/spool_file.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/field_editor.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;

const fs::path kSourceDir = VELA_SOURCE_DIR;
const char* const kLanguages[] = {"CAT", "SPA", "GLG", "OCI"};

// The print program lays pages out on 96 columns.
constexpr int kPageWidth = 96;

std::string Shown(const std::string& cp850) { return '"' + Utf8FromCp850(cp850) + '"'; }

// An installation with the shipped language file; Translate reads it in the
// language chosen.
class TranslatedLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = Session;
        fs::create_directories(root_ / "LOCALE");
        fs::copy_file(kSourceDir / "data/LOCALE/KELD0190.LNG", root_ / "LOCALE/KELD0190.LNG");
        Session.rootDir = root_.path();
        Session.tmpDir = session_.path();
        Session.menuName = "";
        Session.menuTitle = " RETENCIONS ";
        Session.workDate = PackDigits("20260110");
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        SelectCurrency("a,E");
        ReloadEditSettings();
        ForgetTranslationModule();
        SetTranslationModule("KELD0190");
    }
    void TearDown() override {
        Session = saved_;
        ForgetTranslationModule();
        SetTranslationModule("");
    }
    void UseLanguage(const char* language) {
        Session.language = language;
        ForgetTranslationModule();
        SetTranslationModule("KELD0190");
    }

    SessionRecord saved_;
    TempFolder root_, session_;
};

// ---------------------------------------------------------------------------
// Forms

class TranslatedFormsTest : public TranslatedLayoutTest {
  protected:
    void SetUp() override {
        TranslatedLayoutTest::SetUp();
        ResetKeyboard();
        InstallConsole(std::make_unique<HeadlessConsole>());
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        RegisterProgramForms();
    }
    void TearDown() override {
        SetFormHooks({});
        ResetKeyboard();
        InstallConsole(nullptr);
        TranslatedLayoutTest::TearDown();
    }
    // The shipped forms, their texts translated as the loader translates them.
    void LoadForms(const char* language) {
        UseLanguage(language);
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            ReadFile((kSourceDir / "data/FORMS/KELD0190.KFM").string()),
            [](const std::string& text) { return Translate(text); }, formTables, error))
            << "line " << error.line << ": " << error.reason;
    }
};

// The cells a form may use: inside its window's frame, or the whole screen
// for a form without a window; and the origin its rows and columns count from.
struct FormArea {
    int originRow, originColumn;
    int top, left, bottom, right;
};

FormArea AreaOf(const FormEntry& form) {
    if (form.windowTop == 0) return {0, 0, 1, 1, Screen().Rows(), Screen().Columns()};
    return {form.windowTop,      form.windowLeft,       form.windowTop + 1,
            form.windowLeft + 1, form.windowBottom - 1, form.windowRight - 1};
}

// Width and lines of a field's value on the screen.
int ValueWidth(const FormField& f) { return f.lineWidth > 0 ? f.lineWidth : f.length; }
int ValueLines(const FormField& f) { return f.lineWidth > 0 ? f.length / f.lineWidth : 1; }

TEST_F(TranslatedFormsTest, EveryLabelWithItsFieldLiesInsideItsWindow) {
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        LoadForms(language);
        for (std::int16_t f = 1; f <= formTables.formCount; ++f) {
            const FormArea area = AreaOf(Form(f));
            for (std::int16_t i = 1; i <= Form(f).fieldCount; ++i) {
                const FormField& field = Field(f, i);
                const int first = area.originColumn + field.column;
                const int last = first + static_cast<int>(field.label.size()) + ValueWidth(field) +
                                 field.trailWidth - 1;
                const int row = area.originRow + field.row;
                const std::string where = "form " + std::to_string(f) + " field " +
                                          std::to_string(i) + " " + Shown(field.label) + " with " +
                                          std::to_string(ValueWidth(field)) + " + " +
                                          std::to_string(field.trailWidth) + " columns";
                EXPECT_GE(first, area.left) << where;
                EXPECT_LE(last, area.right) << where << " ends at column " << last
                                            << "; the last free column is " << area.right;
                EXPECT_GE(row, area.top) << where;
                EXPECT_LE(row + ValueLines(field) - 1, area.bottom) << where;

                // A coded field shows its description cut to the value and
                // description area.
                for (const FieldChoice& choice : ParseFieldChoices(field.choices)) {
                    EXPECT_LE(choice.description.size(),
                              static_cast<std::size_t>(field.length + field.trailWidth))
                        << where << ": choice " << choice.code << " " << Shown(choice.description);
                }
            }
        }
        for (std::int16_t l = 1; l <= formTables.listCount; ++l) {
            const BrowseListEntry& list = List(l);
            EXPECT_LE(list.title.size(), static_cast<std::size_t>(list.right - list.left - 1))
                << "list " << l << " title " << Shown(list.title);
        }
    }
}

// What a form looks like painted by the program with every value at its
// widest: the frame of its window is whole and its labels show in full.
TEST_F(TranslatedFormsTest, PaintedFormsKeepTheirFramesAndShowEveryLabel) {
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        LoadForms(language);
        for (std::int16_t f = 1; f <= formTables.formCount; ++f) {
            FormEntry& form = Form(f);
            std::map<std::int16_t, std::string> description;  // of coded fields
            for (std::int16_t i = 1; i <= form.fieldCount; ++i) {
                const FormField& field = Field(f, i);
                std::string value(static_cast<std::size_t>(field.length), 'W');
                if (field.dataType == field_types::kDate) {
                    value = DateFieldText(PackDigits("20250930"));
                } else if (field.dataType == field_types::kCode) {
                    value = "9999";
                }
                // A coded field at its longest description.
                std::size_t longest = 0;
                for (const FieldChoice& choice : ParseFieldChoices(field.choices)) {
                    if (choice.description.size() >= longest) {
                        longest = choice.description.size();
                        value = choice.code;
                        description[i] = choice.description;
                    }
                }
                SetFieldValue(f, i, value);
            }

            InstallConsole(std::make_unique<HeadlessConsole>());
            const bool window = form.windowTop != 0;
            std::vector<std::pair<int, int>> frame;
            if (window) {
                OpenWindow(form.windowTop, form.windowLeft, form.windowBottom, form.windowRight);
                DrawFrame(kFrameDouble);
                for (int r = form.windowTop; r <= form.windowBottom; ++r) {
                    frame.emplace_back(r, form.windowLeft);
                    frame.emplace_back(r, form.windowRight);
                }
                for (int c = form.windowLeft + 1; c < form.windowRight; ++c)
                    frame.emplace_back(form.windowBottom, c);
            }
            std::map<std::pair<int, int>, std::uint8_t> before;
            for (const auto& cell : frame) before[cell] = Screen().At(cell.first, cell.second).code;

            PaintForm(f);

            for (const auto& [cell, code] : before) {
                EXPECT_EQ(Screen().At(cell.first, cell.second).code, code)
                    << "form " << f << ": the frame at row " << cell.first << " column "
                    << cell.second << " was overwritten: " << Shown(Screen().RowText(cell.first));
            }
            const FormArea area = AreaOf(form);
            for (std::int16_t i = 1; i <= form.fieldCount; ++i) {
                const FormField& field = Field(f, i);
                const std::string row = Screen().RowText(area.originRow + field.row);
                const std::size_t at =
                    static_cast<std::size_t>(area.originColumn + field.column - 1);
                std::string expected = field.label;
                if (description.count(i) != 0) {
                    expected += description[i];
                } else if (field.dataType == field_types::kText) {
                    expected += field.value;
                }
                EXPECT_EQ(row.substr(std::min(at, row.size()), expected.size()), expected)
                    << "form " << f << " field " << i;
            }
            if (window) CloseWindow();
        }
    }
}

// ---------------------------------------------------------------------------
// Certificate and listing

// A text as the spool file places it: the line, the first and last column
// it takes (with the fill that follows it up to a column), and the text.
struct PlacedText {
    int page = 0;
    int line = 0;
    int first = 0;
    int last = 0;
    std::string text;
};

// Reads the placed texts of a spool file. A text written at column 0 goes on
// where the line stands and is part of the text before it.
std::vector<PlacedText> PlacedTexts(const std::string& spool) {
    std::vector<PlacedText> placed;
    std::istringstream in(spool);
    int page = 0, line = 0, column = 1, fillTo = 0;
    bool continues = false;  // the last text left its line open
    for (std::string directive; std::getline(in, directive);) {
        if (!directive.empty() && directive.back() == '\r') directive.pop_back();
        if (directive.rfind("PAGE", 0) == 0) {
            ++page;
            line = 0;
            column = 1;
            continues = false;
        } else if (directive.rfind("JUS", 0) == 0) {
            fillTo = directive.size() > 3 && directive[3] == 'N' ? std::atoi(&directive[4]) : 0;
        } else if (directive.rfind("SEND", 0) == 0 || directive.rfind("DEVICE", 0) == 0 ||
                   directive.rfind("*", 0) == 0) {
            continue;
        } else {
            const auto firstComma = directive.find(',');
            const auto lastComma = directive.rfind(',');
            if (firstComma == std::string::npos || firstComma == lastComma) {
                ADD_FAILURE() << "not a spool directive: " << Shown(directive);
                continue;
            }
            const int at = std::atoi(directive.substr(0, firstComma).c_str());
            const std::string text = directive.substr(firstComma + 1, lastComma - firstComma - 1);
            const int advance = std::atoi(directive.substr(lastComma + 1).c_str());
            const int start = at > 0 ? at : column;
            const int end = start + static_cast<int>(text.size()) - 1;
            if (at == 0 && continues && !placed.empty()) {
                placed.back().text += text;
                placed.back().last = std::max(placed.back().last, end);
            } else if (!text.empty()) {
                placed.push_back({page, line, start, end, text});
            }
            if (fillTo > 0 && end < fillTo && !placed.empty()) placed.back().last = fillTo;
            fillTo = 0;
            column = end + 1;
            continues = advance == 0 && !text.empty();
            if (advance > 0) {
                line += advance;
                column = 1;
            }
        }
    }
    return placed;
}

// No text runs into the next one on its line, nor past the page.
void ExpectTextsFitTheirColumns(std::vector<PlacedText> placed) {
    std::stable_sort(placed.begin(), placed.end(), [](const PlacedText& a, const PlacedText& b) {
        return std::tie(a.page, a.line, a.first) < std::tie(b.page, b.line, b.first);
    });
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedText& t = placed[i];
        EXPECT_LE(t.last, kPageWidth) << "page " << t.page << " line " << t.line << ": "
                                      << Shown(t.text) << " from column " << t.first;
        if (i + 1 < placed.size() && placed[i + 1].page == t.page && placed[i + 1].line == t.line) {
            EXPECT_LT(t.last, placed[i + 1].first)
                << "page " << t.page << " line " << t.line << ": " << Shown(t.text) << " (columns "
                << t.first << "-" << t.last << ") runs into " << Shown(placed[i + 1].text)
                << " at column " << placed[i + 1].first;
        }
    }
}

class TranslatedReportsTest : public TranslatedLayoutTest {
  protected:
    std::string Spool() { return ReadFile(session_.path() + "rovodovo.tmp"); }

    CertificateData Payee() {
        CertificateData d;
        d.ownerName = "FERNANDEZ DE LA TORRE MARTINEZ*M.CARMEN";
        d.ownerAddress1 = "CARRER DE LA DIPUTACIO 250 3R 2A";
        d.ownerAddress2 = "08007 BARCELONA";
        d.ownerAddress3 = "BARCELONA";
        d.ownerTaxId = "ES11111111H";
        d.payeeName = "ASSESSORIA TECNICA DEL VALLES SL";
        d.fiscalName = "ASSESSORIA TECNICA DEL VALLES SL";
        d.payeeAddress1 = "AVINGUDA DE LA GRAN VIA 1234";
        d.payeeAddress2 = "08203 SABADELL";
        d.payeeAddress3 = "BARCELONA";
        d.payeeEmail = "admin@assessoria.cat";
        d.payeeTaxId = "ESB12345678";
        d.payeeCode = PackDigits("9999");
        d.closingDate = PackDigits("20251231");
        d.sums = {99999999, 99999999, 99999999, 99999999, 99999999, 99999999};
        d.signatory = "ADMINISTRACIO DE FINQUES DEL PLA SL";
        return d;
    }

    // A listing of two pages of payees, an owner's and the territory's
    // totals with every category and payment on account, and a page header
    // for each month's last day (the longest month name gives the longest
    // title).
    void PrintListing() {
        ListingHeading heading{"ADMINISTRACIO DE FINQUES DEL PLA SL", PackDigits("0001"),
                               PackDigits("9999"), PackDigits("20251231")};
        int pageNumber = 0;
        ListingPrinter printer(heading, pageNumber);
        for (int i = 0; i < 70; ++i) {
            ListingLine line{PackDigits("9999"),
                             i == 0 ? std::string(20, ' ') : "ESB12345678",
                             "ASSESSORIA TECNICA DEL VALLES DE LLOBREG",
                             'G',
                             "01",
                             -999999999,
                             -999999999};
            printer.PrintLine(line);
        }
        ReportTotals totals;
        totals.sums = {999999999, 999999999, 999999999, 999999999, 999999999, 999999999};
        totals.paidOnAccountA = totals.paidOnAccountG = totals.paidOnAccountH = 999999999;
        printer.PrintOwnerTotals(
            {PackDigits("9999"), std::string(20, ' '), "FERNANDEZ DE LA TORRE MARTINEZ*M.CARMEN"},
            totals);
        printer.PrintTerritoryTotals(totals);
        const int lastDay[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 1; month <= 12; ++month) {
            heading.closingDate =
                PackDigits("2025" + std::string(month < 10 ? "0" : "") + std::to_string(month) +
                           std::to_string(lastDay[month - 1]));
            printer.BeginPage();
        }
    }

    // Each language's spool file of one certificate and of the listing.
    std::map<std::string, std::string> PrintAll() {
        std::map<std::string, std::string> spools;
        for (const char* language : kLanguages) {
            UseLanguage(language);
            EXPECT_TRUE(OpenSpool("PANTALLA"));
            PrintCertificate(Payee());
            PrintListing();
            CloseSpool();
            spools[language] = Spool();
        }
        return spools;
    }
};

TEST_F(TranslatedReportsTest, ReadsTheTextsAsTheSpoolFilePlacesThem) {
    const std::string longName = "A VERY LONG OWNER NAME THAT PASSES THE FILL COLUMN ";
    const auto placed = PlacedTexts(
        "DEVICEPANTALLA\r\nPAGE 66 \r\n 1 ,REF , 0 \r\n 0 ,I42, 0 \r\n"
        " 54 ,NAME, 1 \r\nJUSN 68 \\.\\\r\n 50 ,N.I.F. , 0 \r\n"
        " 70 ,ES1, 1 \r\nJUSN 63 \\.\\\r\n 24 ," +
        longName + ", 0 \r\n");
    ASSERT_EQ(placed.size(), 5u);
    // A text at column 0 goes on from the one before.
    EXPECT_EQ(placed[0].text, "REF I42");
    EXPECT_EQ(std::tie(placed[0].line, placed[0].first, placed[0].last), std::make_tuple(0, 1, 7));
    EXPECT_EQ(std::tie(placed[1].line, placed[1].first), std::make_tuple(0, 54));
    // A filled text reaches its fill column; one longer than that keeps its
    // length.
    EXPECT_EQ(std::tie(placed[2].line, placed[2].first, placed[2].last),
              std::make_tuple(1, 50, 68));
    EXPECT_EQ(placed[3].first, 70);
    EXPECT_EQ(placed[4].last, 24 + static_cast<int>(longName.size()) - 1);
}

TEST_F(TranslatedReportsTest, EveryTranslatedTextFitsTheColumnsItIsPrintedIn) {
    const auto spools = PrintAll();
    for (const auto& [language, spool] : spools) {
        SCOPED_TRACE(language);
        const auto placed = PlacedTexts(spool);
        ExpectTextsFitTheirColumns(placed);

        // The certificate's box: its top line, which holds the translated
        // title, closes where its bottom line does.
        const std::string top = Cp850("┌┤"), bottom = Cp850("└");
        int topLast = 0, bottomLast = 0;
        for (const PlacedText& t : placed) {
            if (t.text.rfind(top, 0) == 0) topLast = t.last;
            if (t.text.rfind(bottom, 0) == 0) bottomLast = t.last;
        }
        EXPECT_NE(bottomLast, 0);
        EXPECT_EQ(topLast, bottomLast);
    }
}

// The texts the certificate and the listing print, from the kept list of the
// program's texts (UTF-8 there), by the headings of their sections.
std::vector<std::string> ReportTexts() {
    std::istringstream in(ReadFile((kSourceDir / "data/texts/KELD0190.txt").string()));
    std::vector<std::string> texts;
    bool inReport = false;
    int sections = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# ", 0) == 0) {
            inReport =
                line == "# Withholding certificate" || line == "# Annual withholding listing";
            sections += inReport ? 1 : 0;
        } else if (inReport && line.size() >= 2 && line.front() == '"' && line.back() == '"') {
            texts.push_back(Cp850(line.substr(1, line.size() - 2)));
        }
    }
    EXPECT_EQ(sections, 2) << "the certificate's and the listing's sections of the text list";
    return texts;
}

// The fit above holds for the translations only if they were printed: every
// text of the certificate and the listing shows in the Catalan spool file,
// and its translation in each other language's.
TEST_F(TranslatedReportsTest, EveryTextOfTheReportsIsPrintedTranslated) {
    const auto spools = PrintAll();
    std::map<std::string, LanguageRecord> records;
    for (const LanguageRecord& record :
         ReadLanguageRecords(ReadFile((kSourceDir / "data/LOCALE/KELD0190.LNG").string())))
        records[record[0]] = record;
    const auto printed = [](const std::string& spool, const std::string& text) {
        for (const PlacedText& t : PlacedTexts(spool)) {
            if (t.text.find(text) != std::string::npos) return true;
        }
        return false;
    };
    const std::map<std::string, std::size_t> field = {{"GLG", 1}, {"OCI", 2}, {"SPA", 3}};
    const std::vector<std::string> texts = ReportTexts();
    EXPECT_GT(texts.size(), 30u);
    for (const std::string& text : texts) {
        EXPECT_TRUE(printed(spools.at("CAT"), text)) << Shown(text);
        const auto record = records.find(text);
        if (record == records.end()) continue;  // the language file test reports it
        for (const auto& [language, index] : field) {
            EXPECT_TRUE(printed(spools.at(language), record->second[index]))
                << language << ": " << Shown(record->second[index]) << " for " << Shown(text);
        }
    }
}

}  // namespace
}  // namespace vela
