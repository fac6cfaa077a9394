#include "ui/help.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/help_file.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::WriteFile;

TEST(StyleHelpLine, Toggles) {
    struct Case {
        const char* name;
        std::string record;
        std::vector<HelpRun> runs;
    };
    const std::string plain(100, 'p');
    const std::vector<Case> cases = {
        {"plain line cut to 76", plain, {{"n", std::string(76, 'p')}}},
        {"underline on and off",
         "abc\x1f"
         "def\x1f",
         {{"n", "abc"}, {"u", "def"}}},
        {"highlight",
         "\x1e"
         "ab\x1e"
         "c",
         {{"h", "ab"}, {"n", "c"}}},
        {"reverse", "x\x10y\x10z", {{"n", "x"}, {"r", "y"}, {"n", "z"}}},
        {"highlight inside underline keeps underline",
         "\x1f"
         "a\x1e"
         "b\x1e"
         "c",
         {{"u", "ab"}, {"n", "c"}}},
        {"any toggle off goes back to plain",
         "\x1e"
         "a\x10"
         "b\x10"
         "c",
         {{"h", "a"}, {"r", "b"}, {"n", "c"}}},
        {"toggles take no column",
         "\x1f" + std::string(80, 'q') + "\x1f",
         {{"u", std::string(76, 'q')}}},
        {"empty", "", {{"n", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StyleHelpLine(c.record), c.runs);
    }
}

TEST(HelpFile, LinesRoundToTheNearestRecord) {
    TempFolder folder;
    struct Case {
        std::size_t size;
        int lines;
    };
    for (const Case& c :
         std::vector<Case>{{0, 0}, {800, 10}, {839, 10}, {840, 11}, {30, 0}, {40, 1}}) {
        SCOPED_TRACE(c.size);
        WriteFile(folder / "T.HLP", std::string(c.size, 'a'));
        EXPECT_EQ(HelpFile(folder / "T.HLP", 80).Lines(), c.lines);
    }
    EXPECT_EQ(HelpFile(folder / "MISSING.HLP", 80).Lines(), 0);

    WriteFile(folder / "T.HLP", std::string(80, 'a') + std::string(50, 'b'));
    const HelpFile file(folder / "T.HLP", 80);
    EXPECT_EQ(file.Line(1), std::string(80, 'a'));
    EXPECT_EQ(file.Line(2), std::string(50, 'b'));  // cut short by the end
    EXPECT_EQ(file.Line(3), "");
}

// Lines of a help page as the office writes them: 78 characters and CR LF.
std::string Page(int lines, const std::string& prefix = "LINE ") {
    std::string page;
    for (int i = 1; i <= lines; ++i) {
        std::string line = prefix + std::to_string(i);
        line.resize(78, ' ');
        page += line + "\r\n";
    }
    return page;
}

// A headless console that keeps what the help window shows each time it
// waits for a key: interior rows 1 and 17 (screen rows 5 and 21), trailing
// blanks removed.
class RecordingConsole : public HeadlessConsole {
  public:
    using HeadlessConsole::HeadlessConsole;
    void Present(const ScreenGrid& grid) override {
        HeadlessConsole::Present(grid);
        frames.push_back({Trimmed(grid, 5), Trimmed(grid, 21)});
        firstRowAttributes.push_back(grid.RowAttributes(5));
    }
    static std::string Trimmed(const ScreenGrid& grid, int row) {
        std::string text = grid.RowText(row).substr(2, 76);
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }
    std::vector<std::pair<std::string, std::string>> frames;
    std::vector<std::vector<std::uint8_t>> firstRowAttributes;
};

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.rootDir = root_.path();
        Session.tmpDir = session_.path();
        Session.exeDir = root_.path();
        Session.runMode = "DOS";
        Session.language = "CAT";
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        auto console = std::make_unique<RecordingConsole>();
        console_ = console.get();
        InstallConsole(std::move(console));
        Screen() = ScreenGrid(25, 80);
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        ::mkdir((root_ / "AJUDA").c_str(), 0777);
    }
    void TearDown() override { InstallConsole(nullptr); }

    void Press(std::int16_t code) {
        if (code < 256) {
            console_->PushCharacter(static_cast<std::uint8_t>(code));
        } else {
            console_->PushExtended(static_cast<std::uint8_t>(code >> 8));
        }
    }

    // Shows the help of topic through the keys and Esc; the first and last
    // lines the window showed before each key.
    std::vector<std::pair<std::string, std::string>> Browse(const std::string& topic,
                                                            const std::vector<std::int16_t>& keys) {
        for (std::int16_t key : keys) Press(key);
        Press(keys::kEsc);
        console_->frames.clear();
        ShowHelp(topic);
        EXPECT_EQ(console_->PendingScript(), 0u);
        EXPECT_EQ(console_->ExhaustedReads(), 0);
        return console_->frames;
    }

    using Frames = std::vector<std::pair<std::string, std::string>>;

    TempFolder root_;
    TempFolder session_;
    RecordingConsole* console_ = nullptr;
};

TEST_F(HelpWindowTest, ShortFileDoesNotMove) {
    WriteFile(root_ / "AJUDA/KELD0190.HLP", Page(10));
    for (int row = 1; row <= 25; ++row) {
        Screen().Locate(row, 1);
        Screen().Print(std::string(80, static_cast<char>('a' + row % 26)));
    }
    const std::string before = Screen().RowText(10);
    const Frames frames = Browse("KELD0190", {keys::kDown, keys::kPageDown, keys::kEnd});
    ASSERT_EQ(frames.size(), 4u);
    for (const auto& frame : frames)
        EXPECT_EQ(frame, std::make_pair(std::string("LINE 1"), std::string()));
    // Esc closed the window and put the screen back.
    EXPECT_EQ(Screen().RowText(10), before);
    EXPECT_EQ(windowDepth, 0);
}

TEST_F(HelpWindowTest, PagingThroughFortyLines) {
    WriteFile(root_ / "AJUDA/KELD0190.HLP", Page(40));
    const Frames frames =
        Browse("KELD0190", {keys::kPageDown, keys::kPageDown, keys::kPageDown, keys::kHome,
                            keys::kUp, keys::kDown, keys::kDown, keys::kUp, keys::kEnd, keys::kDown,
                            keys::kPageUp, keys::kPageUp, keys::kPageUp});
    const Frames expected = {
        {"LINE 1", "LINE 17"},   // first page
        {"LINE 18", "LINE 34"},  // PgDn
        {"LINE 24", "LINE 40"},  // PgDn: the last page
        {"LINE 24", "LINE 40"},  // PgDn at the end does nothing
        {"LINE 1", "LINE 17"},   // Home
        {"LINE 1", "LINE 17"},   // Up at the top does nothing
        {"LINE 2", "LINE 18"},   // Down
        {"LINE 3", "LINE 19"},   // Down
        {"LINE 2", "LINE 18"},   // Up
        {"LINE 24", "LINE 40"},  // End
        {"LINE 24", "LINE 40"},  // Down at the end does nothing
        {"LINE 8", "LINE 24"},   // PgUp: n - 2v + 1 = 41 - 34 + 1
        {"LINE 1", "LINE 17"},   // PgUp: not above line 1
        {"LINE 1", "LINE 17"},   // PgUp at the top does nothing
    };
    EXPECT_EQ(frames, expected);
}

TEST_F(HelpWindowTest, PagesKeepTheirLinesOnAWiderTerminal) {
    // Help pages are written 80 bytes a line; a 90-column terminal still
    // shows them line by line.
    auto wide = std::make_unique<RecordingConsole>(25, 90);
    console_ = wide.get();
    InstallConsole(std::move(wide));
    ASSERT_EQ(ScreenColumns(), 90);
    WriteFile(root_ / "AJUDA/KELD0190.HLP", Page(40));
    const Frames frames = Browse("KELD0190", {keys::kPageDown});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], std::make_pair(std::string("LINE 1"), std::string("LINE 17")));
    EXPECT_EQ(frames[1], std::make_pair(std::string("LINE 18"), std::string("LINE 34")));
}

TEST_F(HelpWindowTest, MissingFileGivesAnEmptyWindow) {
    const Frames frames = Browse("NOHELP", {keys::kDown, keys::kEnd});
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], std::make_pair(std::string(), std::string()));
    EXPECT_EQ(windowDepth, 0);
}

// A folder or an endless device where the page should be: the window says
// what is wrong with the file instead of reading it.
TEST_F(HelpWindowTest, AFolderOrDeviceInsteadOfThePageIsNamed) {
    ::mkdir((root_ / "AJUDA/FOLDER.HLP").c_str(), 0777);
    ::symlink("/dev/zero", (root_ / "AJUDA/ZERO.HLP").c_str());
    for (const char* topic : {"FOLDER", "ZERO"}) {
        const Frames frames = Browse(topic, {keys::kDown, keys::kEnd});
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_EQ(frames[0].first, root_ / "AJUDA/" + std::string(topic) +
                                       ".HLP is a folder or a device, not a file");
        EXPECT_EQ(windowDepth, 0);
    }
    EXPECT_EQ(HelpFile(root_ / "AJUDA/ZERO.HLP", 80).Lines(), 0);
}

TEST_F(HelpWindowTest, F1OpensTheMenuHelpOverTheTopic) {
    WriteFile(root_ / "AJUDA/KELD0190.HLP", Page(30));
    WriteFile(root_ / "AJUDA/KOBAMENU.HLP", Page(5, "MENU "));
    const Frames frames =
        Browse("KELD0190", {keys::kDown, keys::kF1, keys::kF1, keys::kEsc, keys::kDown});
    const Frames expected = {
        {"LINE 1", "LINE 17"}, {"LINE 2", "LINE 18"},  // Down
        {"MENU 1", ""},                                // F1: the menu help over the topic
        {"MENU 1", ""},                                // F1 inside KOBAMENU does nothing
        {"LINE 2", "LINE 18"},                         // Esc: back in the topic's window as it was
        {"LINE 3", "LINE 19"},                         // Down
    };
    EXPECT_EQ(frames, expected);
    EXPECT_EQ(windowDepth, 0);
}

TEST_F(HelpWindowTest, TogglesChangeColoursAndTakeNoColumn) {
    std::string line =
        "abc\x1f"
        "def\x1f";
    line.resize(78, ' ');
    WriteFile(root_ / "AJUDA/T.HLP", line + "\r\n");
    console_->firstRowAttributes.clear();
    const Frames frames = Browse("T", {});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].first, "abcdef");
    // Columns 3-8: abc in colour row 1 (7 on 1), def in colour row 4 (12 on
    // 2); the rest of the line stays plain help text.
    const std::vector<std::uint8_t>& attributes = console_->firstRowAttributes.at(0);
    const std::vector<std::uint8_t> expected = {23, 23, 23, 44, 44, 44, 23};
    EXPECT_EQ(std::vector<std::uint8_t>(attributes.begin() + 2, attributes.begin() + 9), expected);
}

TEST_F(HelpWindowTest, LanguagePages) {
    ::mkdir((root_ / "AJUDA/SPA").c_str(), 0777);
    WriteFile(root_ / "AJUDA/KELD0190.HLP", Page(1, "CATALA "));
    WriteFile(root_ / "AJUDA/SPA/KELD0190.HLP", Page(1, "CASTELLANO "));
    struct Case {
        const char* language;
        std::string path;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"CAT", "AJUDA\\KELD0190.HLP", "CATALA 1"},
        {"SPA", "AJUDA\\SPA\\KELD0190.HLP", "CASTELLANO 1"},
        {"GLG", "AJUDA\\KELD0190.HLP", "CATALA 1"},  // no page of its own
        {"   ", "AJUDA\\KELD0190.HLP", "CATALA 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        Session.language = c.language;
        EXPECT_EQ(HelpPagePath("KELD0190", ".HLP"), root_.path() + c.path);
        EXPECT_EQ(Browse("KELD0190", {}).at(0).first, c.shown);
    }
}

TEST_F(HelpWindowTest, WindowsSessionRunsTheLauncherWithThePage) {
    Session.runMode = "WIN";
    WriteFile(root_ / "KSTART", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/args\"\n");
    ::chmod((root_ / "KSTART").c_str(), 0755);
    ShowHelp("KELD0190");
    EXPECT_EQ(testing::ReadFile(root_ / "args"), root_.path() + "AJUDA/KELD0190.HTM|");
    EXPECT_EQ(console_->frames.size(), 1u);  // only the screen handed back, nothing drawn
}

TEST(ScrollRegion, MovesTheRectangleAndBlanksTheRest) {
    InstallHeadless(25, 80);
    for (int row = 1; row <= 5; ++row) {
        Screen().Locate(row, 1);
        Screen().Print(std::string(6, static_cast<char>('0' + row)));
    }
    Screen().SetColours(7, 1);
    ScrollRegion(0, 1, 3, 3, 1);  // rows 1-4, columns 2-4, up one line
    EXPECT_EQ(Screen().RowText(1).substr(0, 6), "122211");
    EXPECT_EQ(Screen().RowText(3).substr(0, 6), "344433");
    EXPECT_EQ(Screen().RowText(4).substr(0, 6), "4   44");
    EXPECT_EQ(Screen().At(4, 2).attribute, 7 + 16 * 1);
    EXPECT_EQ(Screen().RowText(5).substr(0, 6), "555555");
    ScrollRegion(0, 1, 3, 3, -2);  // down two lines
    EXPECT_EQ(Screen().RowText(1).substr(0, 6), "1   11");
    EXPECT_EQ(Screen().RowText(2).substr(0, 6), "2   22");
    EXPECT_EQ(Screen().RowText(3).substr(0, 6), "322233");
    InstallConsole(nullptr);
}

}  // namespace
}  // namespace vela
