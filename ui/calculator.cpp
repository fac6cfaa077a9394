#include "ui/calculator.hpp"

#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "ui/calculator_core.hpp"
#include "ui/calculator_file.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {

namespace {

constexpr int kWidth = 26;
constexpr int kEntryRow = 24;

void Style(const char* letters) {
    std::string spec = letters;
    SetTextStyle(spec);
}

struct Box {
    std::string vertical = Cp850("│");
    std::string horizontal = Cp850("─");
    std::string topLeft = Cp850("┌");
    std::string topRight = Cp850("┐");
    std::string leftTee = Cp850("├");
    std::string rightTee = Cp850("┤");
    std::string bottomLeft = Cp850("└");
    std::string bottomRight = Cp850("┘");
};

std::string Edge(const std::string& first, const std::string& line, const std::string& last) {
    std::string edge = first;
    for (int i = 0; i < kWidth - 2; ++i) edge += line;
    return edge + last;
}

void PrintAt(int row, int column, const std::string& text) {
    Screen().Locate(row, column);
    Screen().Print(text);
}

void DrawTape(const CalculatorState& state, const Box& box) {
    if (state.tapeTop > 1)
        PrintAt(state.tapeTop - 1, state.left, Edge(box.topLeft, box.horizontal, box.topRight));
    for (int k = state.tapeTop; k <= kTapeLines; ++k) {
        const TapeLine& line = state.tape[static_cast<std::size_t>(k - 1)];
        const std::string op = line.op.empty() ? " " : line.op.substr(0, 1);
        PrintAt(k, state.left,
                box.vertical + CalculatorDisplay(line.value, line.point, line.decimals) + ' ' + op +
                    box.vertical);
    }
    PrintAt(kEntryRow - 1, state.left, Edge(box.leftTee, box.horizontal, box.rightTee));
    PrintAt(kEntryRow + 1, state.left, Edge(box.bottomLeft, box.horizontal, box.bottomRight));
}

void ShowEntry(const CalculatorState& state, const Box& box) {
    std::string shown = CalculatorDisplay(state.entry, state.point, state.decimals);
    if (state.error) shown = std::string(shown.size() - 1, ' ') + 'E';
    PrintAt(kEntryRow, state.left, box.vertical + shown + "  " + box.vertical);
}

void Open(const CalculatorState& state, const Box& box) {
    OpenWindow(1, state.left, 25, static_cast<std::int16_t>(state.left + kWidth - 1));
    DrawTape(state, box);
}

}  // namespace

std::string Calculator() {
    const NestedKeyTable nested;
    SetExitKeys("+e", "");
    Style("+n");
    const CursorShape cursor = Screen().GetCursorShape();
    Screen().SetCursorShape(CursorShape::Hidden);
    CalculatorState state = LoadCalculatorState();
    const std::int16_t highestLeft = static_cast<std::int16_t>(ScreenColumns() - kWidth + 1);
    if (state.left > highestLeft) state.left = highestLeft;
    const Box box;
    Open(state, box);

    std::string result;
    for (;;) {
        ShowEntry(state, box);
        std::int16_t key = 0;
        WaitKey(key);
        const CalculatorAction action = ApplyCalculatorKey(state, key);
        if (action == CalculatorAction::Accept) {
            result = CalculatorResultText(state);
            break;
        }
        if (action == CalculatorAction::Cancel) break;
        if (action == CalculatorAction::Show) {
            DrawTape(state, box);
            continue;
        }
        // The window moves or the tape shrinks: the screen beneath comes
        // back before the box is drawn again.
        CloseWindow();
        if (action == CalculatorAction::MoveLeft) {
            state.left = state.left <= 1 ? highestLeft : static_cast<std::int16_t>(state.left - 1);
        } else if (action == CalculatorAction::MoveRight) {
            state.left = state.left >= highestLeft ? std::int16_t{1}
                                                   : static_cast<std::int16_t>(state.left + 1);
        }
        Open(state, box);
    }

    CloseWindow();
    SaveCalculatorState(state);
    Screen().SetCursorShape(cursor);
    Style("-");
    SetExitKeys("-", "");
    return result;
}

}  // namespace vela
