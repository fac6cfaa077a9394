#include "ui/browse_list.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "env/session.hpp"
#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/browse_cache.hpp"
#include "ui/form_file.hpp"
#include "ui/form_tables.hpp"
#include "ui/forms.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::RecordingConsole;
using testing::TempFolder;
using testing::WriteFile;

// A record file in memory: records in key order, each with its position and
// the text its row shows; every read is counted.
class FakeRecords : public BrowseRecordSource {
  public:
    struct Record {
        std::string key;
        std::string text;
        std::int32_t position;
    };
    std::vector<Record> records;
    int reads = 0;
    std::vector<std::string> lockModes;
    std::size_t current = 0;

    void Add(int count, const std::function<std::string(int)>& text) {
        for (int i = 0; i < count; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "K%07d", i);
            records.push_back({key, text(i), 1000 + i});
        }
    }
    const Record& Current() const { return records[current]; }

    std::int16_t Find(std::int16_t, std::int16_t, const std::string& key) override {
        ++reads;
        const std::string comparable = ComparableKey(key, 0);
        const auto at =
            std::lower_bound(records.begin(), records.end(), comparable,
                             [](const Record& r, const std::string& k) { return r.key < k; });
        if (at == records.end()) return 9;
        current = static_cast<std::size_t>(at - records.begin());
        return 0;
    }
    std::int16_t Step(std::int16_t) override {
        ++reads;
        if (current + 1 >= records.size()) return 9;
        ++current;
        return 0;
    }
    std::string CurrentKey(std::int16_t) override { return records.empty() ? "" : Current().key; }
    std::string ComparableKey(const std::string& key, std::int16_t) override {
        std::string upper = key;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upper;
    }
    std::int32_t Position(std::int16_t, std::int32_t position) override {
        if (position == 0) return Current().position;
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i].position == position) {
                current = i;
                return 0;
            }
        }
        return 43;
    }
    void SetLockMode(std::int16_t, const std::string& spec) override { lockModes.push_back(spec); }
};

constexpr std::uint8_t kUp = 0x48, kDown = 0x50, kPageUp = 0x49, kPageDown = 0x51, kLeft = 0x4b,
                       kRight = 0x4d, kF4 = 0x3e;

class BrowseListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &testing::InstallRecording();
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
        SetBrowseRecordSourceForTesting(&records_);
        // Lists 1 and 2 over file 6; 5 rows of 20 columns at rows 4-8. Form
        // 1 is a filter form of one field.
        FormFileError error;
        ASSERT_TRUE(ReadFormDescription(
            "1,1\r\n\"d,1b\",1,0,12,10,14,60\r\n1,2,\"Name: \",10,0,0,0,0,0,\"\"\r\n2\r\n"
            "6,1,3,10,9,31,0,\"OWNERS\",0\r\n6,1,3,40,9,61,0,\"SECOND\",0\r\n",
            [](const std::string& text) { return text; }, formTables, error))
            << error.reason;
        SetFieldEditor([this](std::int16_t&, std::int16_t&, std::int16_t&, std::string&,
                              std::int16_t&, std::int16_t& key) { key = filterKey_; });
        FormHooks hooks;
        hooks.listStartKey = [this](std::int16_t, std::string& prefix, std::string& startKey) {
            prefix = prefix_;
            startKey = prefix_;
            return startStatus_;
        };
        hooks.listRowText = [this](std::int16_t) { return records_.Current().text; };
        hooks.applyListChoice = [this](std::int16_t list, std::int16_t form, std::int16_t field) {
            applied_.push_back({list, form, field});
            return std::int16_t{0};
        };
        SetFormHooks(hooks);
    }
    void TearDown() override {
        SetBrowseRecordSourceForTesting(nullptr);
        SetFormHooks({});
        SetFieldEditor({});
        ResetKeyboard();
        InstallConsole(nullptr);
    }

    // A key typed after the list has read what it shows: a list reads fewer
    // records between two keys than there are pauses before each key.
    void Press(std::uint8_t scanCode) {
        for (int i = 0; i < 50; ++i) console_->PushPause();
        console_->PushExtended(scanCode);
    }
    void PressChar(std::uint8_t code) {
        for (int i = 0; i < 50; ++i) console_->PushPause();
        console_->PushCharacter(code);
    }

    std::int16_t Browse(std::int16_t list = 1) {
        std::int16_t result = 99;
        BrowseList(list, result);
        return result;
    }
    // The list's five rows as shown before the last key was read.
    std::vector<std::string> Rows(std::size_t frameFromEnd = 1) const {
        const auto& frame = console_->frames[console_->frames.size() - frameFromEnd];
        std::vector<std::string> rows;
        for (int row = 4; row <= 8; ++row)
            rows.push_back(frame.rows[static_cast<std::size_t>(row - 1)].substr(10, 20));
        return rows;
    }
    std::string TitleLine() const { return console_->frames.back().rows[2].substr(9, 22); }
    // The text of the highlighted row (attribute of colour pair 4).
    std::string Highlighted() const {
        const auto& frame = console_->frames.back();
        for (int row = 4; row <= 8; ++row) {
            if (frame.attributes[static_cast<std::size_t>(row - 1)][10] == 12 + 16 * 2)
                return frame.rows[static_cast<std::size_t>(row - 1)].substr(10, 20);
        }
        return "(none)";
    }
    static std::string Line(const std::string& text) {
        std::string line = text;
        line.resize(20, ' ');
        return line;
    }

    TempFolder folder_;
    RecordingConsole* console_ = nullptr;
    FakeRecords records_;
    std::int16_t filterKey_ = 0x0d;
    std::string prefix_;
    std::int16_t startStatus_ = 0;
    struct Applied {
        std::int16_t list, form, field;
    };
    std::vector<Applied> applied_;
};

std::string Numbered(int i) { return "LINE " + std::to_string(i); }

TEST_F(BrowseListTest, ALargeFileOpensAtOnceReadingOnlyTheRowsShown) {
    records_.Add(100000, Numbered);
    PressChar(0x1b);
    EXPECT_EQ(Browse(), -1);
    EXPECT_EQ(records_.reads, 5);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Line("LINE 0"), Line("LINE 1"), Line("LINE 2"),
                                                Line("LINE 3"), Line("LINE 4")}));
    EXPECT_EQ(Highlighted(), Line("LINE 0"));
    EXPECT_FALSE(FileExists(folder_ / "Browse.tmp"));
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(records_.lockModes, (std::vector<std::string>{"+d", "-"}));
}

TEST_F(BrowseListTest, ScrollingBackReadsOnlyTheCache) {
    records_.Add(100000, Numbered);
    for (int i = 0; i < 12; ++i) Press(kDown);
    Press(kPageDown);  // rows 10-14 with the highlight on row 5
    console_->PushPause();
    for (int i = 0; i < 14; ++i) Press(kUp);
    Press(kPageDown);
    Press(kPageUp);
    Press(kPageUp);
    PressChar(0x0d);
    EXPECT_EQ(Browse(), 0);
    // 5 rows, 8 more by Down, 5 more by PgDn; nothing on the way back.
    EXPECT_EQ(records_.reads, 18);
    EXPECT_EQ(records_.Current().text, "LINE 0");
    EXPECT_EQ(Highlighted(), Line("LINE 0"));
}

TEST_F(BrowseListTest, RowsFollowTheKeys) {
    records_.Add(12, Numbered);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> keys;
        std::vector<int> rows;  // line numbers shown
        int highlighted;
    };
    const std::vector<Case> cases = {
        {"Down within the page", {kDown, kDown}, {0, 1, 2, 3, 4}, 2},
        {"Down past the last row scrolls by one",
         {kDown, kDown, kDown, kDown, kDown},
         {1, 2, 3, 4, 5},
         5},
        {"Up at the first entry does nothing", {kUp}, {0, 1, 2, 3, 4}, 0},
        {"Up on the first row scrolls back by one",
         {kDown, kDown, kDown, kDown, kDown, kDown, kUp, kUp, kUp, kUp, kUp},
         {1, 2, 3, 4, 5},
         1},
        {"PgDn keeps the highlight row", {kDown, kPageDown}, {5, 6, 7, 8, 9}, 6},
        {"PgDn onto a shorter page", {kDown, kDown, kDown, kPageDown, kPageDown}, {10, 11}, 11},
        {"PgDn on the last page does nothing", {kPageDown, kPageDown, kPageDown}, {10, 11}, 10},
        {"Down at the end of the source does nothing",
         {kPageDown, kPageDown, kDown, kDown, kDown},
         {10, 11},
         11},
        {"PgUp at the top does nothing", {kPageUp}, {0, 1, 2, 3, 4}, 0},
        {"PgUp a whole page", {kPageDown, kPageDown, kDown, kPageUp}, {5, 6, 7, 8, 9}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        records_.reads = 0;
        console_->frames.clear();
        for (std::uint8_t key : c.keys) Press(key);
        PressChar(0x0d);
        EXPECT_EQ(Browse(), 0);
        std::vector<std::string> expected;
        for (int line : c.rows) expected.push_back(Line(Numbered(line)));
        expected.resize(5, std::string(20, ' '));
        EXPECT_EQ(Rows(), expected);
        EXPECT_EQ(Highlighted(), Line(Numbered(c.highlighted)));
        EXPECT_EQ(records_.Current().text, Numbered(c.highlighted));
    }
}

TEST_F(BrowseListTest, PgUpNearTheTopHighlightsTheEntryEnterChooses) {
    records_.Add(12, Numbered);
    // The page starts at line 3 with line 7 highlighted on row 5; PgUp can
    // only go back 3 entries for the page, the current entry goes back 5.
    for (int highlighted = 3; highlighted <= 7; ++highlighted) {
        SCOPED_TRACE(highlighted);
        for (int i = 0; i < 7; ++i) Press(kDown);
        for (int i = 7; i > highlighted; --i) Press(kUp);
        Press(kPageUp);
        PressChar(0x0d);
        EXPECT_EQ(Browse(), 0);
        EXPECT_EQ(Highlighted(), Line(Numbered(std::max(0, highlighted - 5))));
        EXPECT_EQ(records_.Current().text, Numbered(std::max(0, highlighted - 5)));
    }
}

TEST_F(BrowseListTest, EmptyTextRowsAreSkipped) {
    records_.Add(30, [](int i) { return i % 3 == 0 ? Numbered(i) : std::string("   "); });
    Press(kDown);
    PressChar(0x0d);
    EXPECT_EQ(Browse(), 0);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Line("LINE 0"), Line("LINE 3"), Line("LINE 6"),
                                                Line("LINE 9"), Line("LINE 12")}));
    EXPECT_EQ(records_.Current().text, "LINE 3");
}

TEST_F(BrowseListTest, ThePrefixEndsTheList) {
    records_.Add(30, Numbered);
    prefix_ = "k000001";  // keys K0000010-K0000019, compared in their collating form
    Press(kPageDown);
    Press(kPageDown);
    PressChar(0x1b);
    Browse();
    EXPECT_EQ(Rows(), (std::vector<std::string>{Line("LINE 15"), Line("LINE 16"), Line("LINE 17"),
                                                Line("LINE 18"), Line("LINE 19")}));
    EXPECT_EQ(records_.reads, 11);
}

TEST_F(BrowseListTest, LeftAndRightMoveByEightUpToTheLongestLine) {
    records_.Add(
        3, [](int i) { return i == 1 ? std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123") : "SHORT"; });
    const std::string title = Cp850("╔") + "OWNERS" + std::string(14, '\xcd');
    struct Case {
        std::vector<std::uint8_t> keys;
        std::string row;
        std::string titleLine;
    };
    const std::vector<Case> cases = {
        {{kLeft}, "ABCDEFGHIJKLMNOPQRST", title + "\x10"},
        {{kRight}, "IJKLMNOPQRSTUVWXYZ01", "\x11" + std::string(20, '\xcd') + "\x10"},
        {{kRight, kRight}, "QRSTUVWXYZ0123      ", "\x11" + std::string(20, '\xcd') + Cp850("╗")},
        {{kRight, kRight, kRight},
         "QRSTUVWXYZ0123      ",
         "\x11" + std::string(20, '\xcd') + Cp850("╗")},
        {{kRight, kRight, kLeft},
         "IJKLMNOPQRSTUVWXYZ01",
         "\x11" + std::string(20, '\xcd') + "\x10"},
        {{kRight, kLeft, kLeft}, "ABCDEFGHIJKLMNOPQRST", title + "\x10"},
    };
    for (const Case& c : cases) {
        for (std::uint8_t key : c.keys) Press(key);
        PressChar(0x1b);
        Browse();
        EXPECT_EQ(Rows()[1], c.row);
        EXPECT_EQ(TitleLine(), c.titleLine);
    }
}

TEST_F(BrowseListTest, LinesThatFitLeaveLeftAndRightDoingNothing) {
    records_.Add(3, Numbered);
    Press(kRight);
    Press(kLeft);
    PressChar(0x1b);
    Browse();
    EXPECT_EQ(Rows()[0], Line("LINE 0"));
    EXPECT_EQ(TitleLine(), Cp850("╔") + "OWNERS" + std::string(14, '\xcd') + Cp850("╗"));
}

TEST_F(BrowseListTest, EnterOnAnEmptyPageReturnsMinusOne) {
    prefix_ = "NOBODY";
    records_.Add(10, Numbered);
    PressChar(0x0d);
    EXPECT_EQ(Browse(), -1);
    EXPECT_EQ(Rows(), std::vector<std::string>(5, std::string(20, ' ')));
    records_.records.clear();
    PressChar(0x0d);
    EXPECT_EQ(Browse(), -1);
}

TEST_F(BrowseListTest, EscWhileReadingStopsTheReadAndShowsWhatWasRead) {
    // Three lines, then a long run of records that give no line.
    records_.Add(100000, [](int i) { return i < 3 ? Numbered(i) : std::string(); });
    for (int i = 0; i < 40; ++i) console_->PushPause();
    console_->PushCharacter(0x1b);
    console_->PushExtended(kDown);
    console_->PushCharacter(0x0d);
    EXPECT_EQ(Browse(), 0);
    EXPECT_LT(records_.reads, 100);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Line("LINE 0"), Line("LINE 1"), Line("LINE 2"),
                                                std::string(20, ' '), std::string(20, ' ')}));
    EXPECT_EQ(records_.Current().text, "LINE 1");
}

TEST_F(BrowseListTest, KeysTypedWhileReadingAreKept) {
    records_.Add(10, Numbered);
    console_->PushExtended(kDown);
    console_->PushCharacter(0x0d);
    EXPECT_EQ(Browse(), 0);
    EXPECT_EQ(records_.Current().text, "LINE 1");
}

TEST_F(BrowseListTest, FilterFormAndStartKeyCanCancel) {
    records_.Add(10, Numbered);
    List(1).filterForm = 1;
    filterKey_ = 0x1b;
    EXPECT_EQ(Browse(), -1);
    EXPECT_EQ(records_.reads, 0);
    EXPECT_TRUE(records_.lockModes.empty());
    filterKey_ = 0x0d;
    startStatus_ = 7;
    EXPECT_EQ(Browse(), 7);
    EXPECT_EQ(records_.reads, 0);
    EXPECT_TRUE(console_->frames.empty());
}

TEST_F(BrowseListTest, F4OpensTheNextListAfterClosingThisOne) {
    records_.Add(10, Numbered);
    List(1).nextList = 2;
    Press(kDown);
    Press(kF4);
    Press(kDown);
    Press(kDown);
    PressChar(0x0d);
    EXPECT_EQ(Browse(), 0);
    EXPECT_EQ(records_.Current().text, "LINE 2");
    ASSERT_EQ(applied_.size(), 1u);
    EXPECT_EQ(applied_[0].list, 2);
    EXPECT_EQ(applied_[0].form, 0);
    EXPECT_EQ(applied_[0].field, 0);
    EXPECT_EQ(records_.lockModes, (std::vector<std::string>{"+d", "-", "+d", "-"}));
    EXPECT_EQ(windowDepth, 0);
    // Without a next list F4 is Esc.
    List(1).nextList = 0;
    applied_.clear();
    Press(kF4);
    EXPECT_EQ(Browse(), -1);
    EXPECT_TRUE(applied_.empty());
}

TEST_F(BrowseListTest, ExitKeysAndStylesComeBack) {
    records_.Add(10, Numbered);
    SetExitKeys("ea", "1b,3c00");
    const std::string before = exitKeys;
    PressChar(0x1b);
    Browse();
    EXPECT_EQ(exitKeys, before);
    EXPECT_TRUE(styleStack.empty());
}

// Entries of a cache written by hand.
std::string Entry(std::int32_t previous, std::int32_t position, const std::string& text,
                  int length = -1) {
    std::string bytes(10, '\0');
    const auto put = [&](int at, std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes[static_cast<std::size_t>(at + i)] = static_cast<char>(value >> (8 * i));
    };
    put(0, static_cast<std::uint32_t>(previous), 4);
    put(4, static_cast<std::uint32_t>(position), 4);
    put(8, static_cast<std::uint32_t>(length < 0 ? static_cast<int>(text.size()) : length), 2);
    return bytes + text;
}

TEST_F(BrowseListTest, AListWithoutRecordFileShowsTheCallersLines) {
    List(1).recordFile = 0;
    WriteFile(folder_ / "Browse.tmp",
              Entry(0, 0, "FIRST") + Entry(1, 0, "SECOND") + Entry(16, 0, "THIRD"));
    Press(kDown);
    Press(kDown);
    Press(kUp);
    PressChar(0x0d);
    EXPECT_EQ(Browse(), 0);
    EXPECT_EQ(Highlighted(), Line("SECOND"));
    EXPECT_EQ(records_.reads, 0);
    EXPECT_TRUE(records_.lockModes.empty());
    EXPECT_FALSE(FileExists(folder_ / "Browse.tmp"));
}

TEST_F(BrowseListTest, ADamagedCacheNeverBreaksTheList) {
    List(1).recordFile = 0;
    const std::vector<std::string> damaged = {
        "",
        "\x01\x02\x03",
        Entry(0, 0, "GOOD") + Entry(1, 0, "CUT SHORT", 400),
        Entry(0, 0, "GOOD") + Entry(1, 0, "", -5) + "xxxxxxxxxx",
        Entry(99999, 5, "SELF") + Entry(-7, 0, "NEXT") + Entry(30, 0, "FORWARD"),
        std::string(4096, '\xff'),
    };
    for (const std::string& cache : damaged) {
        WriteFile(folder_ / "Browse.tmp", cache);
        for (std::uint8_t key :
             {kDown, kDown, kDown, kUp, kUp, kUp, kPageDown, kPageUp, kRight, kLeft})
            Press(key);
        PressChar(0x0d);
        const std::int16_t result = Browse();
        EXPECT_TRUE(result == 0 || result == -1);
        EXPECT_EQ(windowDepth, 0);
    }
    // A stale cache left by a crash is emptied before a list over a record
    // file fills it.
    List(1).recordFile = 6;
    WriteFile(folder_ / "Browse.tmp", Entry(0, 0, "STALE") + Entry(1, 0, "STALE"));
    records_.Add(2, Numbered);
    PressChar(0x1b);
    Browse();
    EXPECT_EQ(Rows()[0], Line("LINE 0"));
    EXPECT_EQ(Rows()[2], std::string(20, ' '));
}

}  // namespace
}  // namespace vela
