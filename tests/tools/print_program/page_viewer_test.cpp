// The page viewer on the headless console: pages turn with the keys, the
// frame names the document, and the screen beneath comes back on Esc.
#include "tools/print_program/page_viewer.hpp"

#include <gtest/gtest.h>

#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::WriteFile;

class PageViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = session_.path();
        InstallHeadless(25, 80);
        Screen().Locate(5, 3);
        Screen().Print("UNDERNEATH");
    }
    void TearDown() override { InstallConsole(nullptr); }

    bool Shows(const std::string& utf8) {
        for (int row = 1; row <= 25; ++row) {
            if (Screen().RowText(row).find(Cp850(utf8)) != std::string::npos) return true;
        }
        return false;
    }

    std::vector<ViewerDocument> Documents() {
        std::string first, second;
        for (int line = 1; line <= 40; ++line)
            first += "first page line " + std::to_string(line) + "\n";
        first += "\f\n";
        first += "second page of the certificate €\n";
        WriteFile(folder_ / "DOC0001.txt", first);
        second = "                    ┌┤the listing├────┐ " + std::string(60, '.') + "RIGHT END\n";
        WriteFile(folder_ / "DOC0002.txt", second);
        return {{folder_ / "DOC0001.txt", "DOC0001  ANNA", 2},
                {folder_ / "DOC0002.txt", "DOC0002", 1}};
    }

    TempFolder session_, folder_;
};

TEST_F(PageViewerTest, KeysTurnThePagesAcrossDocuments) {
    PageViewer viewer(Documents());
    viewer.Open();
    viewer.Draw();
    EXPECT_TRUE(Shows("first page line 1"));
    EXPECT_TRUE(Shows("DOC0001  ANNA  1/2  (1/3)"));
    EXPECT_TRUE(Shows("PgUp PgDn Home End"));
    EXPECT_FALSE(Shows("first page line 24"));  // 23 rows inside the frame
    EXPECT_TRUE(viewer.Handle(keys::kDown));
    viewer.Draw();
    EXPECT_FALSE(Shows("first page line 1 "));
    EXPECT_TRUE(Shows("first page line 24"));

    EXPECT_TRUE(viewer.Handle(keys::kPageDown));
    viewer.Draw();
    EXPECT_TRUE(Shows("second page of the certificate €"));
    EXPECT_TRUE(Shows("DOC0001  ANNA  2/2  (2/3)"));

    EXPECT_TRUE(viewer.Handle(keys::kPageDown));
    viewer.Draw();
    EXPECT_TRUE(Shows("┌┤the listing├────┐"));
    EXPECT_TRUE(Shows("DOC0002  1/1  (3/3)"));
    EXPECT_FALSE(Shows("RIGHT END"));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(viewer.Handle(keys::kRight));  // stops at the end
    viewer.Draw();
    EXPECT_TRUE(Shows("RIGHT END"));

    EXPECT_TRUE(viewer.Handle(keys::kPageDown));  // past the last page: stays
    viewer.Draw();
    EXPECT_TRUE(Shows("(3/3)"));
    EXPECT_TRUE(viewer.Handle(keys::kHome));
    viewer.Draw();
    EXPECT_TRUE(Shows("(1/3)"));
    EXPECT_TRUE(viewer.Handle(keys::kEnd));
    viewer.Draw();
    EXPECT_TRUE(Shows("(3/3)"));
    EXPECT_TRUE(viewer.Handle(keys::kPageUp));
    viewer.Draw();
    EXPECT_TRUE(Shows("(2/3)"));
    EXPECT_FALSE(viewer.Handle(keys::kEsc));
    viewer.Close();
}

TEST_F(PageViewerTest, EscPutsTheScreenBack) {
    std::vector<std::string> before;
    for (int row = 1; row <= 25; ++row) before.push_back(Screen().RowText(row));
    HeadlessConsole* console = InstalledHeadless();
    console->PushExtended(0x51);  // PgDn
    console->PushCharacter(0x1b);
    ViewDocuments(Documents());
    for (int row = 1; row <= 25; ++row) EXPECT_EQ(Screen().RowText(row), before[row - 1]) << row;
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(console->PendingScript(), 0u);
}

TEST_F(PageViewerTest, RunFolderIndexListsTheDocuments) {
    WriteFile(folder_ / "INDEX.txt",
              "# device: PANTALLA\nDOC0001.pdf\t2\ta@b.cat\tANNA\tshown\t2025\tJOSEP\n"
              "DOC0002.pdf\t1\t\t\tshown\t\t\n");
    const std::string path = folder_.path();
    const auto documents = RunFolderDocuments(path.substr(0, path.size() - 1));
    ASSERT_EQ(documents.size(), 2u);
    EXPECT_EQ(documents[0].textPath, folder_ / "DOC0001.txt");
    EXPECT_EQ(documents[0].title, "DOC0001  ANNA");
    EXPECT_EQ(documents[0].pages, 2);
    EXPECT_EQ(documents[1].title, "DOC0002");
    // An empty run shows an empty window and still leaves on Esc.
    InstalledHeadless()->PushCharacter(0x1b);
    ViewDocuments({});
    EXPECT_EQ(windowDepth, 0);
}

}  // namespace
}  // namespace vela
