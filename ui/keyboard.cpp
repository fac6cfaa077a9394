#include "ui/keyboard.hpp"

#include <array>
#include <optional>

#include "platform/console.hpp"

namespace vela {

std::string exitKeys;
std::string exitResults;
std::int16_t maskChar = 0;
std::string pendingKeys;
std::string fieldChoices;

namespace {

// While the left Alt key is held an empty read polls again after this long.
constexpr int kAltPollMs = 10;

// The navigation keys of the numeric keypad and the digits they carry.
constexpr std::array<std::uint8_t, 10> kKeypadScanCodes = {0x52, 0x4f, 0x50, 0x51, 0x4b,
                                                           0x4c, 0x4d, 0x47, 0x48, 0x49};

// A modifier turns some extended keys into others; only the first modifier
// held, in the order Alt, Ctrl, Shift, applies.
struct ModifiedKey {
    std::uint16_t modifier;
    std::uint16_t plain;
    std::uint16_t modified;
};

constexpr std::array<ModifiedKey, 39> kModifiedKeys = [] {
    std::array<ModifiedKey, 39> table{};
    std::size_t n = 0;
    const std::array<std::pair<std::uint16_t, std::array<std::uint16_t, 2>>, 3> offsets = {{
        {control_keys::kAlt, {0x2d00, 0x0600}},
        {control_keys::kCtrl, {0x2300, 0x0400}},
        {control_keys::kShift, {0x1900, 0x0200}},
    }};
    for (const auto& [modifier, offset] : offsets) {
        for (std::uint16_t f = 0x3b00; f <= 0x4400; f += 0x100) {
            table[n++] = {modifier, f, static_cast<std::uint16_t>(f + offset[0])};
        }
        for (std::uint16_t f : {0x8500, 0x8600}) {
            table[n++] = {modifier, f, static_cast<std::uint16_t>(f + offset[1])};
        }
    }
    table[n++] = {control_keys::kCtrl, 0x4700, 0x7700};
    table[n++] = {control_keys::kCtrl, 0x4d00, 0x7400};
    table[n++] = {control_keys::kCtrl, 0x4b00, 0x7300};
    return table;
}();

std::uint16_t ApplyModifiers(std::uint16_t code, std::uint16_t controlKeys) {
    std::uint16_t held = 0;
    for (std::uint16_t modifier : {control_keys::kAlt, control_keys::kCtrl, control_keys::kShift}) {
        if ((controlKeys & modifier) != 0) {
            held = modifier;
            break;
        }
    }
    if (held == 0) return code;
    for (const auto& entry : kModifiedKeys) {
        if (entry.modifier == held && entry.plain == code) return entry.modified;
    }
    return code;
}

int KeypadDigit(const ConsoleEvent& event) {
    if (event.type != ConsoleEvent::Type::Key || event.character != 0) return -1;
    for (std::size_t digit = 0; digit < kKeypadScanCodes.size(); ++digit) {
        if (kKeypadScanCodes[digit] == event.scanCode) return static_cast<int>(digit);
    }
    return -1;
}

bool IsPress(const ConsoleEvent& event) {
    return (event.type == ConsoleEvent::Type::Key && event.keyDown) ||
           (event.type == ConsoleEvent::Type::Mouse && event.button != 0);
}

// The next key press or click within the timeout.
std::optional<ConsoleEvent> NextPress(int timeoutMs) {
    ConsoleEvent event;
    if (Console().NextEvent(event, timeoutMs) && IsPress(event)) return event;
    return std::nullopt;
}

enum class MouseSetUp { NotYet, Off, On };
MouseSetUp mouse = MouseSetUp::NotYet;

struct PopUp {
    PopUpTool tool;
    bool open = false;
};
PopUp calculator;
PopUp calendar;

void RunHotKey(PopUp& popUp) {
    if (!popUp.tool || popUp.open) return;
    popUp.open = true;
    pendingKeys = popUp.tool();
    popUp.open = false;
}

struct SaveSlot {
    bool used = false;
    std::string keys;
    std::string results;
};
SaveSlot saveSlot;

void ReadKeyWithin(int timeoutMs, std::int16_t& key, std::int16_t& button, std::int16_t& row,
                   std::int16_t& column) {
    key = button = row = column = 0;
    if (!pendingKeys.empty()) {
        key = static_cast<std::uint8_t>(pendingKeys.front());
        pendingKeys.erase(0, 1);
        return;
    }
    if (mouse == MouseSetUp::NotYet) {
        mouse = Console().MouseButtons() > 0 ? MouseSetUp::On : MouseSetUp::Off;
    }
    if (mouse == MouseSetUp::On) Console().EnableMouse(true);
    PresentScreen();

    std::optional<ConsoleEvent> event = NextPress(timeoutMs);

    // Characters typed as their code on the keypad with the left Alt key
    // held; the code is known when Alt goes up.
    int digits = 0;
    int value = 0;
    while ((Console().ControlKeyState() & control_keys::kLeftAlt) != 0) {
        if (!event) {
            event = NextPress(kAltPollMs);
            continue;
        }
        const int digit = KeypadDigit(*event);
        if (digit < 0) break;
        ++digits;
        value = (value * 10 + digit) % 256;
        event = NextPress(kAltPollMs);
    }

    if (digits > 0) {
        key = static_cast<std::int16_t>(value);
    } else if (event && event->type == ConsoleEvent::Type::Mouse) {
        if (mouse != MouseSetUp::On) return;
        button = event->button;
        row = static_cast<std::int16_t>(event->row);
        column = static_cast<std::int16_t>(event->column);
    } else if (event) {
        std::uint16_t code = event->character != 0
                                 ? event->character
                                 : static_cast<std::uint16_t>(event->scanCode << 8);
        if (code == 0x1200) code = static_cast<std::uint16_t>(keys::kEuro);
        key = static_cast<std::int16_t>(ApplyModifiers(code, event->controlKeys));
    }

    if (key == keys::kAltX) RunHotKey(calculator);
    if (key == keys::kAltC) RunHotKey(calendar);
    if ((key != 0 || button != 0) && mouse == MouseSetUp::On) Console().EnableMouse(false);
}

std::string Entry(std::int16_t code) {
    return {static_cast<char>(code & 0xff), static_cast<char>((code >> 8) & 0xff)};
}

}  // namespace

void ReadKey(std::int16_t& key, std::int16_t& button, std::int16_t& row, std::int16_t& column) {
    ReadKeyWithin(0, key, button, row, column);
}

void WaitKey(std::int16_t& key) {
    std::int16_t button = 0, row = 0, column = 0;
    do {
        ReadKeyWithin(-1, key, button, row, column);
    } while (key == 0 && button == 0);
    if (button != 0) key = static_cast<std::int16_t>(column * 256 + button * 64 + row);
}

void WaitEvent(std::int16_t& key, std::int16_t& button, std::int16_t& row, std::int16_t& column) {
    do {
        ReadKeyWithin(-1, key, button, row, column);
    } while (key == 0 && button == 0);
}

void FlushKeys() {
    pendingKeys.clear();
    Console().FlushInput();
}

std::int16_t ParseKeyCode(const std::string& hex) {
    std::size_t i = 0;
    while (i < hex.size() && hex[i] == ' ') ++i;
    unsigned value = 0;
    for (; i < hex.size(); ++i) {
        const char c = hex[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) break;
        value = ((value << 4) | static_cast<unsigned>(digit)) & 0xffff;
    }
    return static_cast<std::int16_t>(value);
}

int ExitKeyIndex(std::int16_t code) {
    const std::string entry = Entry(code);
    for (std::size_t at = 0; at + 1 < exitKeys.size(); at += 2) {
        if (exitKeys.compare(at, 2, entry) == 0) return static_cast<int>(at / 2);
    }
    return -1;
}

std::int16_t ExitResult(int index) {
    const std::size_t at = static_cast<std::size_t>(index) * 2;
    if (index < 0 || at + 1 >= exitResults.size()) return 0;
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(exitResults[at]) |
                                     static_cast<std::uint8_t>(exitResults[at + 1]) << 8);
}

void SetExitKeys(const std::string& operations, const std::string& keyList) {
    const auto forEachItem = [&](const auto& action) {
        std::size_t start = 0;
        while (start <= keyList.size()) {
            std::size_t end = keyList.find(',', start);
            if (end == std::string::npos) end = keyList.size();
            const std::string item = keyList.substr(start, end - start);
            if (!item.empty()) action(item);
            start = end + 1;
        }
    };
    for (char c : operations) {
        switch (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) {
            case 'E':
                exitKeys.clear();
                exitResults.clear();
                break;
            case 'A':
                forEachItem([](const std::string& item) {
                    const std::size_t equals = item.find('=');
                    const std::int16_t code = ParseKeyCode(item.substr(0, equals));
                    const std::int16_t result =
                        equals == std::string::npos ? code : ParseKeyCode(item.substr(equals + 1));
                    exitKeys += Entry(code);
                    exitResults += Entry(result);
                });
                break;
            case 'D':
                forEachItem([](const std::string& item) {
                    const int index = ExitKeyIndex(ParseKeyCode(item.substr(0, item.find('='))));
                    if (index < 0) return;
                    exitKeys.erase(static_cast<std::size_t>(index) * 2, 2);
                    if (static_cast<std::size_t>(index) * 2 < exitResults.size()) {
                        exitResults.erase(static_cast<std::size_t>(index) * 2, 2);
                    }
                });
                break;
            case '+':
                if (!saveSlot.used) saveSlot = {true, exitKeys, exitResults};
                break;
            case '-':
                if (saveSlot.used) {
                    exitKeys = saveSlot.keys;
                    exitResults = saveSlot.results;
                    saveSlot = {};
                }
                break;
            case 'H':
                maskChar = 'X';
                break;
            case 'V':
                maskChar = 0;
                break;
            default:
                break;
        }
    }
}

void SetFieldChoices(const std::string& text) { fieldChoices = text; }

NestedKeyTable::NestedKeyTable()
    : keys_(exitKeys),
      results_(exitResults),
      slotUsed_(saveSlot.used),
      slotKeys_(saveSlot.keys),
      slotResults_(saveSlot.results),
      mask_(maskChar),
      choices_(fieldChoices) {
    saveSlot = {};
    maskChar = 0;
}

NestedKeyTable::~NestedKeyTable() {
    exitKeys = keys_;
    exitResults = results_;
    saveSlot = {slotUsed_, slotKeys_, slotResults_};
    maskChar = mask_;
    fieldChoices = choices_;
}

void ResetKeyboard() {
    exitKeys.clear();
    exitResults.clear();
    maskChar = 0;
    pendingKeys.clear();
    fieldChoices.clear();
    saveSlot = {};
    mouse = MouseSetUp::NotYet;
    calculator = {};
    calendar = {};
}

void SetCalculatorTool(PopUpTool tool) { calculator.tool = std::move(tool); }
void SetCalendarTool(PopUpTool tool) { calendar.tool = std::move(tool); }

}  // namespace vela
