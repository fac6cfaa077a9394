// The adding machine behind the hot key Alt+X, without its window: the
// state that survives between uses (window column, paper tape of 22 lines,
// entry, accumulator, operators), what each key does to it, and the result
// text it hands to the field being edited.
//
// Amounts leave the calculator the way the program's amount fields take them
// when typed: in hundredths, the first two decimals following the whole part
// without a point ("12.5" is typed as "1250", "1.234" as "123.4").
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vela {

inline constexpr int kTapeLines = 22;
inline constexpr std::int16_t kTapeEmpty = 23;

struct TapeLine {
    double value = 0;
    bool point = false;
    std::int16_t decimals = 0;
    std::string op;  // "" or one operator character
};

struct CalculatorState {
    std::int16_t left = 1;
    std::int16_t tapeTop = kTapeEmpty;  // oldest tape line in use; never below 2
    double entry = 0;
    double total = 0;
    bool cleared = true;
    bool typing = false;
    bool point = false;
    std::int16_t decimals = 0;
    std::string pendingOp;
    std::string lastOp;
    std::array<TapeLine, kTapeLines> tape{};  // tape[0] is line 1, new lines at line 22
    // Not saved: the last operation had no number as its result (division by
    // zero, overflow). The entry line shows "E" until the next key.
    bool error = false;
};

// What a key asks of the window around the calculator.
enum class CalculatorAction {
    Show,      // show the entry again (the tape may have changed)
    Redraw,    // the tape was emptied: draw the whole window again
    MoveLeft,  // move the window one column
    MoveRight,
    Accept,  // leave with the result text
    Cancel,  // leave with ""
};

CalculatorAction ApplyCalculatorKey(CalculatorState& state, std::int16_t key);

// The display picture for a value with its point flag and decimals: always
// 22 characters, so every line of the tape fits the calculator's box.
std::string CalculatorPicture(bool point, int decimals);

// A value as shown on the tape and the entry line.
std::string CalculatorDisplay(double value, bool point, int decimals);

// The text typed into the field on "F".
std::string CalculatorResultText(const CalculatorState& state);

// Rounding of "R": to hundredths, half to the even hundredth; a negative
// value is cut toward zero, never raised.
double RoundHundredths(double value);

// The value kept to 15 significant digits, with the decimals it needs.
void NormaliseValue(double& value, bool& point, std::int16_t& decimals);

}  // namespace vela
