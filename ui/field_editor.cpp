#include "ui/field_editor.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "datenum/text_utils.hpp"
#include "platform/console.hpp"
#include "ui/insert_toggle.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

// The marks either side of a coded field's description: code page 850's
// left- and right-pointing triangles.
constexpr char kLeftMark = 0x11;
constexpr char kRightMark = 0x10;

namespace key {
constexpr std::int16_t kCtrlC = 0x03;
constexpr std::int16_t kBackspace = 0x08;
constexpr std::int16_t kTab = 0x09;
constexpr std::int16_t kCtrlV = 0x16;
constexpr std::int16_t kCtrlY = 0x19;
constexpr std::int16_t kBlank = 0x20;
constexpr std::int16_t kShiftTab = 0x0f00;
constexpr std::int16_t kCtrlF4 = 0x6100;
constexpr std::int16_t kAltF4 = 0x6b00;
constexpr std::int16_t kCtrlLeft = 0x7300;
constexpr std::int16_t kCtrlRight = 0x7400;
constexpr std::int16_t kCtrlHome = 0x7700;
}  // namespace key

bool IsWordSeparator(char c) { return std::string_view(" ,.;:").find(c) != std::string_view::npos; }

std::string PadOrCut(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// Everything one call of the editor works on.
struct Editor {
    std::int16_t row = 0;
    std::int16_t column = 0;
    int lineWidth = 1;
    std::string& text;
    int position = 1;
    std::vector<FieldChoice> choices;
    int choiceIndex = 0;
    int descWidth = 0;
    bool insertMode = false;
    bool redraw = true;

    int Length() const { return static_cast<int>(text.size()); }
    bool Coded() const { return !choices.empty(); }
    const std::string& Code() const { return choices[static_cast<std::size_t>(choiceIndex)].code; }

    // Window-relative cell of a 1-based text position. The position after
    // the last character of a field that fills its last line exactly stays
    // on that line, on its last cell.
    std::pair<int, int> Cell(int at) const {
        const int offset = at - 1;
        if (at == Length() + 1 && offset > 0 && offset % lineWidth == 0) {
            return {row + offset / lineWidth - 1, column + lineWidth - 1};
        }
        return {row + offset / lineWidth, column + offset % lineWidth};
    }
};

void PrintAt(int row, int column, const std::string& text) {
    LocateInWindow(static_cast<std::int16_t>(row), static_cast<std::int16_t>(column));
    Screen().Print(text);
}

void SetStyle(const char* letters) {
    std::string style = letters;
    SetTextStyle(style);
}

void ShowInsertMode(bool insertMode) {
    Screen().SetCursorShape(insertMode ? CursorShape::Bar : CursorShape::Block);
}

void Paint(Editor& e) {
    if (e.Coded()) {
        const FieldChoice& choice = e.choices[static_cast<std::size_t>(e.choiceIndex)];
        PrintAt(e.row, e.column,
                PadOrCut(choice.description, static_cast<std::size_t>(e.descWidth)));
        e.text = PadOrCut(choice.code, e.text.size());
        return;
    }
    const auto width = static_cast<std::size_t>(e.lineWidth);
    for (std::size_t at = 0, line = 0; at < e.text.size(); at += width, ++line) {
        const std::string shown = maskChar != 0
                                      ? std::string(width - 1, static_cast<char>(maskChar))
                                      : e.text.substr(at, width);
        PrintAt(e.row + static_cast<int>(line), e.column, shown);
    }
}

// Coded fields: the choice before or after the one shown, round the list.
void StepChoice(Editor& e, int step) {
    const int count = static_cast<int>(e.choices.size());
    e.choiceIndex = (e.choiceIndex + step + count) % count;
    e.redraw = true;
}

// Coded fields: the next choice whose code begins with the typed letter,
// compared as search keys so that case and accents do not matter.
void SearchChoice(Editor& e, char typed) {
    SetFoldMode(true);
    const std::string wanted = FoldText(std::string(1, typed));
    const int count = static_cast<int>(e.choices.size());
    for (int step = 1; step <= count; ++step) {
        const int at = (e.choiceIndex + step) % count;
        const std::string& code = e.choices[static_cast<std::size_t>(at)].code;
        if (!code.empty() && FoldText(code.substr(0, 1)) == wanted) {
            e.choiceIndex = at;
            e.redraw = true;
            break;
        }
    }
    SetFoldMode(false);
}

void TypeCharacter(Editor& e, char typed) {
    if (e.Coded()) {
        SearchChoice(e, typed);
        return;
    }
    if (e.position > e.Length()) return;
    const auto at = static_cast<std::size_t>(e.position - 1);
    if (e.insertMode) {
        // Inserting pushes the last character off the field, so it is only
        // done while that character is a blank.
        if (e.text.back() != ' ') return;
        e.text.insert(at, 1, typed);
        e.text.pop_back();
        e.redraw = true;
    } else {
        e.text[at] = typed;
        if (maskChar == 0) {
            const auto [row, column] = e.Cell(e.position);
            PrintAt(row, column, std::string(1, typed));
        }
    }
    ++e.position;
}

void DeleteAt(Editor& e, int at) {
    e.text.erase(static_cast<std::size_t>(at - 1), 1);
    e.text.push_back(' ');
    e.redraw = true;
}

// The editing and movement keys. Each returns false when the key is not
// used, so that it may end the edit.
bool Left(Editor& e) {
    if (e.Coded()) {
        StepChoice(e, -1);
    } else if (e.position > 1) {
        --e.position;
    }
    return true;
}

bool Right(Editor& e) {
    if (e.Coded()) {
        StepChoice(e, 1);
    } else if (e.position <= e.Length()) {
        ++e.position;
    }
    return true;
}

bool Backspace(Editor& e) {
    if (e.position > 1) {
        --e.position;
        DeleteAt(e, e.position);
    }
    return true;
}

bool Delete(Editor& e) {
    if (e.position <= e.Length()) DeleteAt(e, e.position);
    return true;
}

bool End(Editor& e) {
    const std::size_t last = e.text.find_last_not_of(' ');
    e.position = last == std::string::npos ? 1 : static_cast<int>(last) + 2;
    return true;
}

bool Home(Editor& e) {
    e.position = 1;
    return true;
}

bool Clear(Editor& e) {
    e.text.assign(e.text.size(), ' ');
    e.position = 1;
    e.redraw = true;
    return true;
}

bool SeparatorAt(const Editor& e, int at) {
    return IsWordSeparator(e.text[static_cast<std::size_t>(at - 1)]);
}

// To the start of the word the cursor is in, or of the previous word when
// it already stands at a word's start (or between words).
bool WordLeft(Editor& e) {
    int at = std::min(e.position - 1, e.Length());
    while (at >= 1 && SeparatorAt(e, at)) --at;
    if (at < 1) {
        e.position = 1;
        return true;
    }
    while (at > 1 && !SeparatorAt(e, at - 1)) --at;
    e.position = at;
    return true;
}

bool WordRight(Editor& e) {
    int at = e.position;
    while (at <= e.Length() && !SeparatorAt(e, at)) ++at;
    while (at <= e.Length() && SeparatorAt(e, at)) ++at;
    e.position = at;
    return true;
}

bool LineUp(Editor& e) {
    if (e.position <= e.lineWidth) return false;
    e.position -= e.lineWidth;
    return true;
}

bool LineDown(Editor& e) {
    if (e.position > e.Length() + 1 - e.lineWidth) return false;
    e.position += e.lineWidth;
    return true;
}

bool Copy(Editor& e) {
    Console().SetClipboard(e.Coded() ? e.Code() : TrimBlanks(e.text));
    return true;
}

// The clipboard's text, without control characters and outer blanks,
// written over the field from the cursor on.
bool Paste(Editor& e) {
    std::string pasted = Console().Clipboard();
    std::erase_if(pasted, [](char c) {
        const auto code = static_cast<std::uint8_t>(c);
        return code < 32 || code == 127 || code == 255;
    });
    pasted = TrimBlanks(pasted);
    const auto from = static_cast<std::size_t>(e.position - 1);
    for (std::size_t i = 0; i < pasted.size() && from + i < e.text.size(); ++i)
        e.text[from + i] = pasted[i];
    e.redraw = true;
    return true;
}

struct KeyAction {
    std::int16_t key;
    bool freeText;  // used in a free-text field
    bool coded;     // used in a coded field
    bool (*act)(Editor&);
};

constexpr std::array<KeyAction, 16> kKeyActions = {{
    {keys::kLeft, true, true, Left},
    {keys::kRight, true, true, Right},
    {key::kBlank, false, true, Right},
    {key::kBackspace, true, false, Backspace},
    {keys::kDelete, true, false, Delete},
    {keys::kEnd, true, true, End},
    {keys::kHome, true, true, Home},
    {key::kCtrlHome, true, false, Clear},
    {key::kCtrlY, true, false, Clear},
    {key::kCtrlLeft, true, false, WordLeft},
    {key::kCtrlRight, true, false, WordRight},
    {keys::kUp, true, true, LineUp},
    {key::kShiftTab, true, true, LineUp},
    {keys::kDown, true, true, LineDown},
    {key::kCtrlC, true, true, Copy},
    {key::kCtrlV, true, false, Paste},
}};

bool IsPrintable(std::int16_t k) { return (k >= 32 && k <= 126) || (k >= 128 && k <= 254); }

// Keys that end a field the same way whatever the form asks: Tab is Enter,
// Shift+Tab is Up, the two close-window keys are Esc, and Enter is End
// where End finishes the form. Applied in this order.
struct Translation {
    std::int16_t from;
    std::int16_t to;
    bool onlyWhenEndExits;
};

constexpr std::array<Translation, 5> kTranslations = {{
    {key::kShiftTab, keys::kUp, false},
    {key::kTab, keys::kEnter, false},
    {keys::kEnter, keys::kEnd, true},
    {key::kCtrlF4, keys::kEsc, false},
    {key::kAltF4, keys::kEsc, false},
}};

// The key that ends the edit, or 0 when the key is to be ignored.
std::int16_t EndingKey(std::int16_t k) {
    for (const Translation& translation : kTranslations) {
        if (k != translation.from) continue;
        if (translation.onlyWhenEndExits && ExitKeyIndex(keys::kEnd) < 0) continue;
        k = translation.to;
    }
    if (exitKeys.empty()) return k;
    const int index = ExitKeyIndex(k);
    if (index >= 0) return ExitResult(index);
    return k < 0 ? k : 0;
}

// A click inside the field moves the cursor (or steps a coded field from
// its marks); returns false for a click outside, which ends the edit.
bool Click(Editor& e, std::int16_t k) {
    const int screenColumn = -k / 100;
    const int screenRow = -k % 100;
    const int row = windowDepth > 0 ? screenRow - winTop : screenRow;
    const int column = windowDepth > 0 ? screenColumn - winLeft : screenColumn;
    if (e.Coded()) {
        if (row != e.row || column < e.column - 1 || column > e.column + e.descWidth) return false;
        if (column == e.column - 1) StepChoice(e, -1);
        if (column == e.column + e.descWidth) StepChoice(e, 1);
        return true;
    }
    const int rows = (e.Length() + 1) / e.lineWidth;
    if (row < e.row || row >= e.row + rows || column < e.column ||
        column >= e.column + e.lineWidth) {
        return false;
    }
    e.position = (row - e.row) * e.lineWidth + (column - e.column) + 1;
    return true;
}

// Waits for a key or a click; the Insert key is taken here and never
// reaches the editing.
std::int16_t NextKey(Editor& e) {
    for (;;) {
        std::int16_t k = 0, button = 0, row = 0, column = 0;
        WaitEvent(k, button, row, column);
        if (k == keys::kInsert) {
            e.insertMode = !e.insertMode;
            SetInsertToggle(e.insertMode);
            ShowInsertMode(e.insertMode);
            continue;
        }
        if (k == 0) k = static_cast<std::int16_t>(-(100 * column + row));
        Screen().SetCursorShape(CursorShape::Hidden);
        return k;
    }
}

// Whether the key was used by the editor (true) or may end the edit.
bool Consume(Editor& e, std::int16_t k) {
    if (k < 0) return Click(e, k);
    if (IsPrintable(k) && !(e.Coded() && k == key::kBlank)) {
        TypeCharacter(e, static_cast<char>(k));
        return true;
    }
    for (const KeyAction& action : kKeyActions) {
        if (action.key != k) continue;
        if (!(e.Coded() ? action.coded : action.freeText)) return false;
        return action.act(e);
    }
    return false;
}

}  // namespace

std::vector<FieldChoice> ParseFieldChoices(const std::string& choices) {
    std::vector<FieldChoice> items;
    std::size_t at = choices.find('|');
    while (at != std::string::npos) {
        const std::size_t next = choices.find('|', at + 1);
        const std::string item =
            choices.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        const std::size_t comma = item.find(',');
        items.push_back(comma == std::string::npos
                            ? FieldChoice{item, ""}
                            : FieldChoice{item.substr(0, comma), item.substr(comma + 1)});
        at = next;
    }
    return items;
}

void EditField(std::int16_t& row, std::int16_t& column, std::int16_t& lineWidth, std::string& text,
               std::int16_t& position, std::int16_t& key) {
    const int length = static_cast<int>(text.size());
    position = static_cast<std::int16_t>(std::clamp<int>(position, 1, length + 1));
    if (row == 0) {
        row = static_cast<std::int16_t>(Screen().CursorRow() - (windowDepth > 0 ? winTop : 0));
    }
    if (column == 0) {
        column =
            static_cast<std::int16_t>(Screen().CursorColumn() - (windowDepth > 0 ? winLeft : 0));
    }
    // A negative width cannot lay out lines; it is taken as one line too.
    if (lineWidth <= 0) lineWidth = static_cast<std::int16_t>(length + 1);

    Editor e{row, column, lineWidth, text, position, ParseFieldChoices(fieldChoices)};
    if (e.Coded()) {
        const auto match = std::find_if(e.choices.begin(), e.choices.end(), [&](const auto& c) {
            return PadOrCut(c.code, text.size()) == text;
        });
        // A text that is none of the codes starts on the first choice.
        e.choiceIndex = match == e.choices.end() ? 0 : static_cast<int>(match - e.choices.begin());
        for (const FieldChoice& choice : e.choices)
            e.descWidth = std::max(e.descWidth, static_cast<int>(choice.description.size()));
        PrintAt(e.row, e.column - 1, std::string(1, kLeftMark));
        PrintAt(e.row, e.column + e.descWidth, std::string(1, kRightMark));
    }
    SetStyle("u");
    LocateInWindow(row, column);

    std::int16_t ending = 0;
    while (ending == 0) {
        if (e.redraw) {
            Paint(e);
            e.redraw = false;
        }
        const auto [cursorRow, cursorColumn] = e.Cell(e.position);
        LocateInWindow(static_cast<std::int16_t>(cursorRow),
                       static_cast<std::int16_t>(cursorColumn));
        if (!e.Coded()) {
            e.insertMode = InsertToggle();
            ShowInsertMode(e.insertMode);
        }
        const std::int16_t k = NextKey(e);
        if (!Consume(e, k)) ending = EndingKey(k);
    }

    SetStyle("h");
    if (e.Coded()) {
        PrintAt(e.row, e.column - 1, " ");
        PrintAt(e.row, e.column + e.descWidth, " ");
    }
    LocateInWindow(row, column);
    position = static_cast<std::int16_t>(e.position);
    key = ending;
}

}  // namespace vela
