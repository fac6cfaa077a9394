// The help pages kept in the repository (data/AJUDA) as the help window
// reads them: records of 80 bytes of text with no line ends (a CR LF inside
// a record would be shown as two characters on a line with toggles), only
// the three style toggles among the control codes, every toggle turned off
// again on its line, its text within the 76 columns shown; the program's topics present in
// Catalan, and a page in a language folder only beside its Catalan page.
// The HTML pages that Windows sessions open say the same as the text pages
// beside them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpFolder = fs::path(VELA_SOURCE_DIR) / "data/AJUDA";

std::vector<fs::path> Pages(const std::string& extension) {
    std::vector<fs::path> pages;
    for (const auto& entry : fs::recursive_directory_iterator(kHelpFolder)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) {
            pages.push_back(entry.path());
        }
    }
    return pages;
}

bool IsToggle(char c) { return c == '\x1e' || c == '\x1f' || c == '\x10'; }

// The text of a help file's lines as UTF-8, toggles and trailing blanks
// removed.
std::vector<std::string> TextLines(const std::string& contents) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < contents.size(); at += 80) {
        std::string line = contents.substr(at, 80);
        std::erase_if(line, IsToggle);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(Utf8FromCp850(line));
    }
    return lines;
}

// The lines of an HTML page's <pre> block, tags removed and the three
// escaped characters put back.
std::vector<std::string> HtmlLines(const std::string& page) {
    const std::size_t start = page.find("<pre>\n");
    const std::size_t end = page.find("\n</pre>");
    if (start == std::string::npos || end == std::string::npos) return {};
    std::string text;
    const std::string body = page.substr(start + 6, end - start - 6);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '<') {
            i = body.find('>', i);
            continue;
        }
        if (body[i] == '&') {
            const std::size_t semicolon = body.find(';', i);
            const std::string entity = body.substr(i, semicolon - i + 1);
            text += entity == "&lt;" ? "<" : entity == "&gt;" ? ">" : "&";
            i = semicolon;
            continue;
        }
        text += body[i];
    }
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t newline; (newline = text.find('\n', from)) != std::string::npos;
         from = newline + 1)
        lines.push_back(text.substr(from, newline - from));
    lines.push_back(text.substr(from));
    return lines;
}

TEST(HelpPages, RecordsAreScreenLinesWithBalancedToggles) {
    const auto pages = Pages(".HLP");
    ASSERT_FALSE(pages.empty());
    for (const fs::path& page : pages) {
        SCOPED_TRACE(page.string());
        const std::string contents = testing::ReadFile(page.string());
        ASSERT_FALSE(contents.empty());
        ASSERT_EQ(contents.size() % 80, 0u);
        for (std::size_t at = 0; at < contents.size(); at += 80) {
            SCOPED_TRACE(at / 80 + 1);
            const std::string record = contents.substr(at, 80);
            std::multiset<char> toggles;
            for (char c : record) {
                const auto code = static_cast<std::uint8_t>(c);
                if (code == 0x1e || code == 0x1f || code == 0x10) {
                    toggles.insert(c);
                } else {
                    EXPECT_GE(code, 32) << "control code in the text";
                    EXPECT_NE(code, 127);
                }
            }
            std::string trimmed = record;
            trimmed.erase(trimmed.find_last_not_of(' ') + 1);
            int shown = 0;
            for (char c : trimmed) {
                if (c != 0x1e && c != 0x1f && c != 0x10) ++shown;
            }
            EXPECT_LE(shown, 76);
            for (char toggle : {'\x1e', '\x1f', '\x10'})
                EXPECT_EQ(toggles.count(toggle) % 2, 0u) << "toggle left on";
        }
    }
}

TEST(HelpPages, TopicsInCatalanAndLanguageFoldersBesideThem) {
    for (const char* topic : {"KELD0190.HLP", "KOBAMENU.HLP"})
        EXPECT_TRUE(fs::is_regular_file(kHelpFolder / topic)) << topic;
    for (const fs::path& page : Pages(".HLP")) {
        const fs::path folder = page.parent_path();
        if (folder == kHelpFolder) continue;
        SCOPED_TRACE(page.string());
        EXPECT_EQ(folder.parent_path(), kHelpFolder);
        EXPECT_TRUE(std::set<std::string>({"SPA", "GLG", "OCI"}).count(folder.filename()) == 1);
        EXPECT_TRUE(fs::is_regular_file(kHelpFolder / page.filename()));
    }
}

TEST(HelpPages, HtmlPagesSayWhatTheTextPagesSay) {
    const auto pages = Pages(".HTM");
    ASSERT_FALSE(pages.empty());
    for (const fs::path& page : pages) {
        SCOPED_TRACE(page.string());
        fs::path text = page;
        text.replace_extension(".HLP");
        ASSERT_TRUE(fs::is_regular_file(text));
        EXPECT_EQ(HtmlLines(testing::ReadFile(page.string())),
                  TextLines(testing::ReadFile(text.string())));
    }
}

}  // namespace
}  // namespace vela
