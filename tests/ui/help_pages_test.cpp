// The help pages kept in the repository (data/AJUDA) as the help window
// reads them: records of 80 bytes, 78 of text and CR LF, only the three
// style toggles among the control codes, every toggle turned off again on
// its line, at most 76 visible characters; the program's topics present in
// Catalan, and a page in a language folder only beside its Catalan page.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpFolder = fs::path(VELA_SOURCE_DIR) / "data/AJUDA";

std::vector<fs::path> Pages() {
    std::vector<fs::path> pages;
    for (const auto& entry : fs::recursive_directory_iterator(kHelpFolder)) {
        if (entry.is_regular_file()) pages.push_back(entry.path());
    }
    return pages;
}

TEST(HelpPages, RecordsAreScreenLinesWithBalancedToggles) {
    const auto pages = Pages();
    ASSERT_FALSE(pages.empty());
    for (const fs::path& page : pages) {
        SCOPED_TRACE(page.string());
        EXPECT_EQ(page.extension(), ".HLP");
        const std::string contents = testing::ReadFile(page.string());
        ASSERT_FALSE(contents.empty());
        ASSERT_EQ(contents.size() % 80, 0u);
        for (std::size_t at = 0; at < contents.size(); at += 80) {
            SCOPED_TRACE(at / 80 + 1);
            const std::string record = contents.substr(at, 80);
            EXPECT_EQ(record.substr(78), "\r\n");
            std::multiset<char> toggles;
            for (char c : record.substr(0, 78)) {
                const auto code = static_cast<std::uint8_t>(c);
                if (code == 0x1e || code == 0x1f || code == 0x10) {
                    toggles.insert(c);
                } else {
                    EXPECT_GE(code, 32) << "control code in the text";
                    EXPECT_NE(code, 127);
                }
            }
            std::string trimmed = record.substr(0, 78);
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
    for (const fs::path& page : Pages()) {
        const fs::path folder = page.parent_path();
        if (folder == kHelpFolder) continue;
        SCOPED_TRACE(page.string());
        EXPECT_EQ(folder.parent_path(), kHelpFolder);
        EXPECT_TRUE(std::set<std::string>({"SPA", "GLG", "OCI"}).count(folder.filename()) == 1);
        EXPECT_TRUE(fs::is_regular_file(kHelpFolder / page.filename()));
    }
}

}  // namespace
}  // namespace vela
