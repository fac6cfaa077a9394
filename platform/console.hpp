// The console the whole program draws on and reads keys from: one
// process-wide screen grid (screen_grid.hpp) shown by one installed backend.
//
// A backend shows the grid (Present), delivers input events with a timeout,
// discards pending input, beeps, keeps the clipboard and steps aside while a
// child program uses the terminal. The terminal backend serves the
// interactive program; the headless backend (headless_console.hpp) serves
// tests and batch runs. Until a backend is installed the console is a
// headless 80 x 25 screen with no input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/screen_grid.hpp"

namespace vela {

// Control-key state of an event, as the PC console reports it.
namespace control_keys {
inline constexpr std::uint16_t kRightAlt = 0x0001;
inline constexpr std::uint16_t kLeftAlt = 0x0002;
inline constexpr std::uint16_t kRightCtrl = 0x0004;
inline constexpr std::uint16_t kLeftCtrl = 0x0008;
inline constexpr std::uint16_t kShift = 0x0010;
inline constexpr std::uint16_t kAlt = kRightAlt | kLeftAlt;
inline constexpr std::uint16_t kCtrl = kRightCtrl | kLeftCtrl;
}  // namespace control_keys

// Mouse button values as the PC console reports them.
namespace mouse_buttons {
inline constexpr std::uint8_t kLeft = 1;
inline constexpr std::uint8_t kRight = 2;
inline constexpr std::uint8_t kMiddle = 4;
}  // namespace mouse_buttons

struct ConsoleEvent {
    enum class Type : std::uint8_t {
        None,
        Key,           // a key pressed (keyDown) or released
        Mouse,         // a button pressed at row, column
        ControlState,  // only a modifier key went down or up
        Resize,        // the screen changed size; the grid is already resized
    };
    Type type = Type::None;
    bool keyDown = true;
    // A character key carries its CP850 code; an extended key carries 0 and
    // its PC scan code.
    std::uint8_t character = 0;
    std::uint8_t scanCode = 0;
    std::uint16_t controlKeys = 0;
    std::uint8_t button = 0;
    int row = 0;  // 1-based pointer position
    int column = 0;

    bool operator==(const ConsoleEvent&) const = default;
};

class ConsoleBackend {
  public:
    virtual ~ConsoleBackend() = default;

    // The size the grid should have.
    virtual int Rows() const = 0;
    virtual int Columns() const = 0;

    // Shows the grid as it is now.
    virtual void Present(const ScreenGrid& grid) = 0;

    // The next input event, waiting up to timeoutMs (negative: no limit).
    // False when none arrived in time.
    virtual bool NextEvent(ConsoleEvent& event, int timeoutMs) = 0;

    // Modifier keys held right now, where the console can tell (0 elsewhere).
    virtual std::uint16_t ControlKeyState() const = 0;

    // Number of mouse buttons; 0 means no mouse.
    virtual int MouseButtons() const = 0;
    virtual void EnableMouse(bool on) = 0;

    virtual void FlushInput() = 0;
    virtual void Beep() = 0;

    virtual void SetClipboard(const std::string& cp850) = 0;
    virtual std::string Clipboard() = 0;

    // Around a child program that uses the terminal: Suspend gives the
    // terminal back in its normal mode, Resume takes it again and redraws.
    virtual void Suspend() {}
    virtual void Resume(const ScreenGrid& /*grid*/) {}
};

// The process-wide screen grid.
ScreenGrid& Screen();

// The installed backend.
ConsoleBackend& Console();

// Installs a backend (nullptr: back to the default headless screen) and
// sizes the grid to it, keeping what fits of the screen.
void InstallConsole(std::unique_ptr<ConsoleBackend> backend);

// Shows the grid through the backend.
void PresentScreen();

// Sounds the console's bell.
void Beep();

// The notice a console shows instead of the screen while its terminal is
// too small for it (CP850). It is asked for each time it is shown, so that
// it comes in the session's language; without one set, a Catalan notice.
void SetSmallScreenNotice(std::function<std::string()> notice);
std::string SmallScreenNotice();

}  // namespace vela
