#include "ui/calendar_picker.hpp"

#include <gtest/gtest.h>

#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/clock.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::RecordingConsole;
using testing::TempFolder;

constexpr std::uint8_t kRight = 0x4d, kLeft = 0x4b, kDown = 0x50, kUp = 0x48, kPageDown = 0x51,
                       kPageUp = 0x49, kHome = 0x47, kEnd = 0x4f;

class CalendarPickerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.rootDir = folder_.path();
        Session.language = "CAT";
        Session.colourPairs = {{{15, 0}, {7, 1}, {0, 7}, {14, 4}, {12, 2}}};
        ResetKeyboard();
        console_ = &testing::InstallRecording();
        winTop = winLeft = winBottom = winRight = windowDepth = 0;
        textStyle = 0;
        styleStack.clear();
    }
    void TearDown() override {
        ResetKeyboard();
        InstallConsole(nullptr);
    }
    void WorkDate(const std::string& ymd) { Session.workDate = PackDigits(ymd); }
    // The calendar's 20 columns of a screen row in the frame shown before
    // the last key read.
    std::string Shown(int row) const {
        return console_->frames.back().rows[static_cast<std::size_t>(row - 1)].substr(59, 20);
    }

    TempFolder folder_;
    RecordingConsole* console_ = nullptr;
};

TEST_F(CalendarPickerTest, KeysMoveTheDayAcrossMonthsAndYears) {
    struct Case {
        const char* name;
        const char* workDate;
        std::vector<std::uint8_t> keys;
        const char* chosen;
    };
    const std::vector<Case> cases = {
        {"29 February 2024 as it opens", "20240229", {}, "29/2/2024"},
        {"Right from 29 February", "20240229", {kRight}, "1/3/2024"},
        {"Down from 31 March", "20240331", {kDown}, "7/4/2024"},
        {"Up from 3 January", "20250103", {kUp}, "27/12/2024"},
        {"Left from 1 January", "20250101", {kLeft}, "31/12/2024"},
        {"Right from 31 December", "20241231", {kRight}, "1/1/2025"},
        {"PgDn from 31 January", "20250131", {kPageDown}, "30/4/2025"},
        {"PgDn from November", "20241130", {kPageDown}, "28/2/2025"},
        {"PgUp from 31 May in a leap year", "20240531", {kPageUp}, "29/2/2024"},
        {"PgUp from February", "20240215", {kPageUp}, "15/11/2023"},
        {"Home and End", "20240615", {kHome}, "15/1/2024"},
        {"End", "20240615", {kEnd}, "15/12/2024"},
        {"1900 is no leap year", "19000301", {kLeft}, "28/2/1900"},
        {"2000 is one", "20000301", {kLeft}, "29/2/2000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkDate(c.workDate);
        for (std::uint8_t scan : c.keys) console_->PushExtended(scan);
        console_->PushCharacter('f');
        std::string chosen = PickDate();
        chosen.erase(chosen.find_last_not_of(' ') + 1);
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(windowDepth, 0);
    }
}

TEST_F(CalendarPickerTest, OpensOnTheQuarterOfTheWorkingDateWithTheDayHighlighted) {
    WorkDate("20240229");
    console_->PushCharacter(0x1b);
    PickDate();
    EXPECT_EQ(Shown(1).substr(7, 6), " 2024 ");
    EXPECT_EQ(Shown(2), "DL DT DC DJ DV DS DG");
    EXPECT_NE(Shown(3).find("GENER"), std::string::npos);
    EXPECT_NE(Shown(10).find("FEBRER"), std::string::npos);
    EXPECT_NE(Shown(17).find("MAR"), std::string::npos);
    // 1 January 2024 was a Monday, 1 February a Thursday; 29 February stands
    // on the fifth row of its month, a Thursday.
    EXPECT_EQ(Shown(4), " 1  2  3  4  5  6  7");
    EXPECT_EQ(Shown(11), "          1  2  3  4");
    EXPECT_EQ(Shown(15), "26 27 28 29         ");
    const auto& attributes = console_->frames.back().attributes[14];
    const std::uint8_t highlighted = 12 + 16 * 2;
    EXPECT_EQ(attributes[68], highlighted);
    EXPECT_EQ(attributes[69], highlighted);
    EXPECT_NE(attributes[65], highlighted);
}

TEST_F(CalendarPickerTest, LeavingTheQuarterRedrawsTheNextOneAndTheYear) {
    WorkDate("20240331");
    console_->PushExtended(kDown);
    console_->PushCharacter(0x1b);
    PickDate();
    EXPECT_NE(Shown(3).find("ABRIL"), std::string::npos);
    EXPECT_NE(Shown(17).find("JUNY"), std::string::npos);

    console_->frames.clear();
    WorkDate("20250103");
    console_->PushExtended(kUp);
    console_->PushCharacter(0x1b);
    PickDate();
    EXPECT_EQ(Shown(1).substr(7, 6), " 2024 ");
    EXPECT_NE(Shown(3).find("OCTUBRE"), std::string::npos);
    EXPECT_NE(Shown(17).find("DESEMBRE"), std::string::npos);
}

TEST_F(CalendarPickerTest, EscReturnsNothingAndPutsEverythingBack) {
    WorkDate("20240229");
    Screen().Locate(5, 5);
    SetExitKeys("ea", "1b");
    const std::string keysBefore = exitKeys;
    console_->PushExtended(kRight);
    console_->PushCharacter(0x1b);
    EXPECT_EQ(PickDate(), "");
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(exitKeys, keysBefore);
    EXPECT_TRUE(styleStack.empty());
    EXPECT_EQ(Screen().RowText(1), std::string(80, ' '));
}

TEST_F(CalendarPickerTest, WeekHeaderFollowsTheLanguage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SPA", " L  M  X  J  V  S  D"},
        {"GLG", " L  M  X  J  V  S  D"},
        {"OCI", "DL DT DC DJ DD DS DG"},
        {"CAT", "DL DT DC DJ DV DS DG"},
    };
    WorkDate("20240229");
    for (const auto& [language, header] : cases) {
        Session.language = language;
        console_->PushCharacter(0x1b);
        PickDate();
        EXPECT_EQ(Shown(2), header) << language;
    }
}

TEST_F(CalendarPickerTest, AWorkingDateThatIsNoDateOpensOnToday) {
    SetTodayForTesting(20260704);
    for (const std::string& packed : {std::string(), ZeroDate(), PackDigits("20241345")}) {
        Session.workDate = packed;
        console_->PushCharacter('F');
        std::string chosen = PickDate();
        chosen.erase(chosen.find_last_not_of(' ') + 1);
        EXPECT_EQ(chosen, "4/7/2026");
    }
    SetTodayForTesting(0);
}

TEST_F(CalendarPickerTest, HotKeyTypesTheChosenDate) {
    WorkDate("20240229");
    SetCalendarTool(PickDate);
    console_->PushExtended(0x2e, control_keys::kLeftAlt);
    console_->PushExtended(kRight);
    console_->PushCharacter('F');
    std::int16_t key = 0;
    WaitKey(key);
    EXPECT_EQ(key, keys::kAltC);
    std::string typed;
    for (std::size_t n = pendingKeys.size(); n > 0; --n) {
        WaitKey(key);
        typed += static_cast<char>(key);
    }
    typed.erase(typed.find_last_not_of(' ') + 1);
    EXPECT_EQ(typed, "1/3/2024");
}

}  // namespace
}  // namespace vela
