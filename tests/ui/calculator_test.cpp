#include "ui/calculator.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "env/session.hpp"
#include "tests/support/temp_folder.hpp"
#include "tests/ui/recording_console.hpp"
#include "ui/calculator_core.hpp"
#include "ui/calculator_file.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::RecordingConsole;
using testing::TempFolder;
using testing::WriteFile;

CalculatorState Typed(const std::string& keys, CalculatorState state = {}) {
    for (char c : keys) ApplyCalculatorKey(state, static_cast<std::uint8_t>(c));
    return state;
}

TEST(CalculatorKeys, EntryAfterKeys) {
    struct Case {
        const char* keys;
        double entry;
        double total;
    };
    const std::vector<Case> cases = {
        {"200+10%", 20, 200},  // ten per cent of the running total
        {"200+10%=", 220, 220},
        {"50%", 0.5, 0},  // no pending + or -: a plain per cent
        {"200*10%", 0.1, 200},
        {"12.5+0.75=", 13.25, 13.25},
        {"7-10=", -3, -3},
        {"6*7=", 42, 42},
        {"1/4=", 0.25, 0.25},
        {"2.125R", 2.12, 2.12},  // half to the even hundredth
        {"2.375R", 2.38, 2.38},
        {"2.356TR", -2.35, -2.35},  // a negative value is never raised
        {"2.3449R", 2.34, 2.34},
        {"0.005R", 0, 0},
        {"0.015R", 0.02, 0.02},
        {"5T3", -53, 0},  // T then more digits stays negative
        {"1234\b", 123, 0},
        {"12.34\b", 12.3, 0},
        {"12.\b\b", 1, 0},
        {"100+5C", 100, 100},  // C while typing gives back the total
        {"1/3=", 0.333333333333333, 0.333333333333333},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        const CalculatorState state = Typed(c.keys);
        EXPECT_NEAR(state.entry, c.entry, 1e-12);
        EXPECT_NEAR(state.total, c.total, 1e-12);
        EXPECT_FALSE(state.error);
    }
}

TEST(CalculatorKeys, CThreeTimesCancelsClearsAndEmptiesTheTape) {
    CalculatorState state = Typed("100+5");
    ApplyCalculatorKey(state, 'C');
    EXPECT_EQ(state.entry, 100);
    EXPECT_FALSE(state.typing);
    EXPECT_EQ(state.tapeTop, 22);
    EXPECT_EQ(ApplyCalculatorKey(state, 'c'), CalculatorAction::Show);
    EXPECT_EQ(state.entry, 0);
    EXPECT_EQ(state.total, 0);
    EXPECT_TRUE(state.cleared);
    EXPECT_EQ(state.lastOp, "");
    EXPECT_EQ(state.tapeTop, 22);
    EXPECT_EQ(ApplyCalculatorKey(state, 'C'), CalculatorAction::Redraw);
    EXPECT_EQ(state.tapeTop, kTapeEmpty);
    // After clearing, a new sum does not carry the old operator.
    state = Typed("3=", state);
    EXPECT_EQ(state.total, 3);
}

TEST(CalculatorKeys, TheTapeKeepsTheLast21LinesOnShow) {
    CalculatorState state;
    for (int i = 1; i <= 22; ++i) state = Typed(std::to_string(i) + "+", state);
    EXPECT_EQ(state.tapeTop, 2);
    EXPECT_EQ(state.tape[0].value, 1);  // line 1 holds the oldest, never shown
    EXPECT_EQ(state.tape[1].value, 2);
    EXPECT_EQ(state.tape[21].value, 22);
    EXPECT_EQ(state.tape[21].op, "+");
    state = Typed("=", state);  // "=" only acts while typing
    EXPECT_EQ(state.tape[21].value, 22);
    state = Typed("0=", state);
    EXPECT_EQ(state.tape[20].op, "=");
    EXPECT_EQ(state.tape[21].value, 253);
    EXPECT_EQ(state.tape[21].op, "");
}

TEST(CalculatorKeys, DivisionByZeroShowsAnErrorThatTheNextKeyClears) {
    CalculatorState state = Typed("5/0=");
    EXPECT_TRUE(state.error);
    EXPECT_EQ(state.entry, 0);
    EXPECT_EQ(state.total, 0);
    EXPECT_EQ(state.lastOp, "");
    EXPECT_EQ(ApplyCalculatorKey(state, '7'), CalculatorAction::Show);
    EXPECT_FALSE(state.error);
    EXPECT_EQ(state.entry, 7);
    state = Typed("+1=", state);
    EXPECT_EQ(state.total, 8);
    // Overflow is the same error.
    state = Typed("999999999999999*999999999999999=*999999999999999=*999999999999999=");
    for (int i = 0; i < 30 && !state.error; ++i) state = Typed("*999999999999999=", state);
    EXPECT_TRUE(state.error);
    EXPECT_TRUE(std::isfinite(state.entry));
}

TEST(CalculatorKeys, ResultText) {
    struct Case {
        const char* keys;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"12.5", "1250"},  {"0.05", "5"},     {"1.234", "123.4"}, {"7-10=", "300"},    {"0", "0"},
        {"0.0001", ".01"}, {"2.125R", "212"}, {"100+5", "500"},   {"100+5=", "10500"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CalculatorResultText(Typed(c.keys)), c.text) << c.keys;
    }
}

TEST(CalculatorKeys, NormalisingKeepsFifteenDigits) {
    struct Case {
        double value;
        double kept;
        int decimals;
    };
    const std::vector<Case> cases = {
        {0.1 + 0.2, 0.3, 1},
        {2.50, 2.5, 1},
        {1234567.891, 1234567.891, 3},
        {-0.000001, -0.000001, 6},
        {123456789012345678.0, 123456789012346000.0, 0},
        {1.0 / 3, 0.333333333333333, 15},
    };
    for (const Case& c : cases) {
        double value = c.value;
        bool point = false;
        std::int16_t decimals = 0;
        NormaliseValue(value, point, decimals);
        EXPECT_DOUBLE_EQ(value, c.kept) << c.value;
        EXPECT_EQ(decimals, c.decimals) << c.value;
        EXPECT_EQ(point, c.decimals > 0) << c.value;
    }
}

TEST(CalculatorKeys, PictureKeepsTheBoxWidth) {
    EXPECT_EQ(CalculatorPicture(false, 0), "-Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9");
    EXPECT_EQ(CalculatorPicture(true, 2), "-ZZ,ZZZ,ZZZ,ZZZ,ZZ9.99");
    for (int decimals = 0; decimals <= 15; ++decimals)
        EXPECT_EQ(CalculatorPicture(true, decimals).size(), 22u) << decimals;
}

TEST(CalculatorFile, StateRoundTripsAndDamageNeverBreaksIt) {
    CalculatorState state = Typed("12.5+0.75=200+10%");
    state.left = 30;
    const std::string text = FormatCalculatorState(state);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "30,18,20,200\r\n");
    const CalculatorState back = ParseCalculatorState(text);
    EXPECT_EQ(FormatCalculatorState(back), text);

    const std::vector<std::string> damaged = {
        "",
        "garbage",
        text.substr(0, text.size() / 2),
        "99999,-4,1e999,nan\r\n7,x,,-12\r\n\"+++\",\"?\"\r\n",
        std::string("\0\0\0,\"\n\n\"", 9),
        "1,2,3,4,5,6,7,8,9\r\n\"\r\n",
    };
    for (const std::string& damage : damaged) {
        const CalculatorState read = ParseCalculatorState(damage);
        EXPECT_GE(read.left, 1);
        EXPECT_LE(read.left, 55);
        EXPECT_GE(read.tapeTop, 2);
        EXPECT_LE(read.tapeTop, kTapeEmpty);
        EXPECT_GE(read.decimals, 0);
        EXPECT_LE(read.decimals, 15);
        EXPECT_TRUE(std::isfinite(read.entry));
        EXPECT_TRUE(std::isfinite(read.total));
        EXPECT_LE(read.pendingOp.size(), 1u);
    }
    EXPECT_EQ(ParseCalculatorState("").tapeTop, kTapeEmpty);
    EXPECT_TRUE(ParseCalculatorState("").cleared);
}

class CalculatorWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.tmpDir = folder_.path();
        Session.terminalDir = folder_.path();
        Session.rootDir = folder_.path();
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
    std::string Row(int row) const {
        return console_->frames.back().rows[static_cast<std::size_t>(row - 1)];
    }

    TempFolder folder_;
    RecordingConsole* console_ = nullptr;
};

TEST_F(CalculatorWindowTest, FirstUseCreatesTheStateFileAndKeepsTheSumForNextTime) {
    console_->PushText("200+10%");
    console_->PushCharacter('F');
    EXPECT_EQ(Calculator(), "2000");
    EXPECT_EQ(windowDepth, 0);
    EXPECT_EQ(Row(24).substr(1, 24), std::string(20, ' ') + "20  ");
    EXPECT_TRUE(FileExists(folder_ / "RUKCALC.TMP"));

    console_->PushText("=");
    console_->PushCharacter(0x1b);
    EXPECT_EQ(Calculator(), "");
    EXPECT_EQ(Row(24).substr(1, 22), std::string(19, ' ') + "220");
    EXPECT_EQ(Row(19).substr(1, 24), std::string(19, ' ') + "200 +");
    EXPECT_EQ(Row(20).substr(1, 24), std::string(20, ' ') + "10 %");
    EXPECT_EQ(Row(21).substr(1, 24), std::string(20, ' ') + "20 =");
    EXPECT_EQ(Row(22).substr(1, 24), std::string(19, ' ') + "220  ");
}

TEST_F(CalculatorWindowTest, DivisionByZeroShowsEAndStaysUsable) {
    console_->PushText("5/0=");
    console_->PushText("4*2=");
    console_->PushCharacter('f');
    EXPECT_EQ(Calculator(), "800");
    const auto& frames = console_->frames;
    ASSERT_GE(frames.size(), 6u);
    EXPECT_EQ(frames[4].rows[23].substr(1, 22), std::string(21, ' ') + "E");
    EXPECT_EQ(frames[5].rows[23].substr(1, 22), std::string(21, ' ') + "4");
    EXPECT_EQ(ParseCalculatorState(ReadFile(folder_ / "RUKCALC.TMP")).total, 8);
}

TEST_F(CalculatorWindowTest, ADamagedStateFileStillGivesAWorkingCalculator) {
    WriteFile(folder_ / "RUKCALC.TMP", std::string("\x01\xff,\"7\r\n-1,-1,9999,99\r\n\"", 20));
    console_->PushText("CC3+4=");
    console_->PushCharacter('F');
    EXPECT_EQ(Calculator(), "700");
}

TEST_F(CalculatorWindowTest, ArrowKeysMoveTheWindowAndWrapAtTheEdges) {
    console_->PushExtended(0x4b);  // from column 1 to the right edge
    console_->PushCharacter(0x1b);
    Calculator();
    EXPECT_EQ(ParseCalculatorState(ReadFile(folder_ / "RUKCALC.TMP")).left, 55);
    EXPECT_EQ(Row(25).substr(54, 1), std::string(1, '\xc0'));
    console_->PushExtended(0x4d);  // right edge at 80: back to column 1
    console_->PushExtended(0x4d);
    console_->PushCharacter(0x1b);
    Calculator();
    EXPECT_EQ(ParseCalculatorState(ReadFile(folder_ / "RUKCALC.TMP")).left, 2);
}

TEST_F(CalculatorWindowTest, HotKeyTypesTheResultAfterAltX) {
    SetCalculatorTool(Calculator);
    console_->PushExtended(0x2d, control_keys::kLeftAlt);
    console_->PushText("12.34F");
    std::int16_t key = 0;
    WaitKey(key);
    EXPECT_EQ(key, keys::kAltX);
    std::string typed;
    for (int i = 0; i < 4; ++i) {
        WaitKey(key);
        typed += static_cast<char>(key);
    }
    EXPECT_EQ(typed, "1234");
}

}  // namespace
}  // namespace vela
