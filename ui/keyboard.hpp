// Keys as the program sees them: one 16-bit code per key press, the code
// page 850 value of a character or an extended key's scan code x 256
// ("3b00" F1, "4800" Up), with the Alt, Ctrl and Shift variants of the
// function keys, the entry of characters by Alt and the numeric keypad, and
// mouse clicks. Also the process-wide exit-key table that ends the editing
// of a field, the masked-input switch, the queue of keys typed by the
// pop-up tools and the choice list of the field being edited.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vela {

// Key codes the program names.
namespace keys {
inline constexpr std::int16_t kNone = 0;
inline constexpr std::int16_t kEnter = 0x0d;
inline constexpr std::int16_t kEsc = 0x1b;
inline constexpr std::int16_t kF1 = 0x3b00;
inline constexpr std::int16_t kHome = 0x4700;
inline constexpr std::int16_t kUp = 0x4800;
inline constexpr std::int16_t kPageUp = 0x4900;
inline constexpr std::int16_t kLeft = 0x4b00;
inline constexpr std::int16_t kRight = 0x4d00;
inline constexpr std::int16_t kEnd = 0x4f00;
inline constexpr std::int16_t kDown = 0x5000;
inline constexpr std::int16_t kPageDown = 0x5100;
inline constexpr std::int16_t kInsert = 0x5200;
inline constexpr std::int16_t kDelete = 0x5300;
inline constexpr std::int16_t kAltX = 0x2d00;  // calculator
inline constexpr std::int16_t kAltC = 0x2e00;  // calendar
inline constexpr std::int16_t kEuro = 0xd5;    // Alt+E
}  // namespace keys

// Exit-key table: 2 bytes per entry, little-endian; entry i of exitResults
// is what the field editor returns when key i of exitKeys ends a field.
extern std::string exitKeys;
extern std::string exitResults;

// 0, or "X" (88) while the field editor masks what is typed.
extern std::int16_t maskChar;

// Characters waiting to be returned as keys before the console is asked.
extern std::string pendingKeys;

// The choice list of the field being edited (empty for free text).
extern std::string fieldChoices;

// One key code, or 0 when no key is waiting; does not wait. For a mouse
// click the key is 0 and button, row and column (1-based) are set.
void ReadKey(std::int16_t& key, std::int16_t& button, std::int16_t& row, std::int16_t& column);

// Waits for a key or a click; a click comes back as
// column x 256 + button x 64 + row, kept to 16 bits.
void WaitKey(std::int16_t& key);

// Waits, as WaitKey does, until a key or a click arrives, and reports it as
// ReadKey does: a key in key, or a click as key 0 with button, row and
// column. The field editor needs the click's position unfolded.
void WaitEvent(std::int16_t& key, std::int16_t& button, std::int16_t& row, std::int16_t& column);

// Discards everything waiting in the console's input, and the keys a
// pop-up tool left queued to be typed: whoever clears the keyboard before a
// message wants the message to wait for a key pressed after it appeared.
void FlushKeys();

// Letters of operations, in order: "E" empties the table, "A" adds the
// items of keyList ("k" or "k=r", hexadecimal, separated by ","), "D"
// removes them, "+" saves the table in the one-level slot, "-" restores it,
// "H" masks input, "V" shows it again.
void SetExitKeys(const std::string& operations, const std::string& keyList);

// The entry index of code in exitKeys (0-based), or -1.
int ExitKeyIndex(std::int16_t code);
// The result code of entry index.
std::int16_t ExitResult(int index);

void SetFieldChoices(const std::string& text);

// Held by every nested user of the exit-key table - a form, a browse list,
// the calendar, the calculator - for as long as it runs. It keeps the
// table, the one-level save slot, the mask switch and the field's choice
// list as it found them, gives the nested user a free save slot and no
// mask, and puts everything back when it ends. The slot holds one level
// only: a list, a filter form or a pop-up tool opened while the form engine
// holds the slot for a field would otherwise restore the wrong table, and
// the field would come back without its exit keys or its mask.
class NestedKeyTable {
  public:
    NestedKeyTable();
    ~NestedKeyTable();
    NestedKeyTable(const NestedKeyTable&) = delete;
    NestedKeyTable& operator=(const NestedKeyTable&) = delete;

  private:
    std::string keys_;
    std::string results_;
    bool slotUsed_;
    std::string slotKeys_;
    std::string slotResults_;
    std::int16_t mask_;
    std::string choices_;
};

// The pop-up tools behind the hot keys Alt+X (calculator) and Alt+C
// (calendar). A tool returns the text to type into the current field. No
// tool installed: the hot key is only returned.
using PopUpTool = std::function<std::string()>;
void SetCalculatorTool(PopUpTool tool);
void SetCalendarTool(PopUpTool tool);

// Back to the state at start-up: empty tables and queue, no mask, save
// slot free, mouse set-up not yet done, no tools. For tests.
void ResetKeyboard();

// The hexadecimal text of a key list item as a key code ("4d00", "1b").
std::int16_t ParseKeyCode(const std::string& hex);

}  // namespace vela
