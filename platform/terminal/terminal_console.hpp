// The console on a Linux terminal: the screen grid drawn by the renderer,
// keys and clicks read through the input decoder and the key mapper, the
// terminal held in the program's mode by the tty functions.
//
// At start it asks the terminal whether it speaks the kitty keyboard
// protocol; where it does, key releases and the modifier keys are reported
// (Alt with the keypad works there). Mouse reporting is on only while the
// program waits for a key with the mouse in use. With VELA_FRAME_TITLE set
// in the environment every frame drawn is announced in the terminal's title
// ("frame N"), so that tests can wait for the screen instead of sleeping.
//
// A terminal made smaller than 80 x 25 while the program runs shows only a
// notice naming the size needed (SmallScreenNotice), and the program waits
// there - whether it was drawing or reading a key - with the screen grid
// kept as it was; what is typed meanwhile is thrown away. Once the terminal
// is large enough again the whole screen is drawn anew and the program
// carries on.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/console.hpp"
#include "platform/terminal/desktop_clipboard.hpp"
#include "platform/terminal/renderer.hpp"
#include "platform/terminal/terminal_input.hpp"

namespace vela::terminal {

// The program's screen must have at least this many rows and columns. The
// window stack file keeps positions in two digits, so the grid is at most
// 99 by 99 even on a larger terminal (drawn at its top left).
inline constexpr int kLeastRows = 25;
inline constexpr int kLeastColumns = 80;
inline constexpr int kMostRowsOrColumns = 99;

class TerminalConsole : public ConsoleBackend {
  public:
    // Takes the terminal; nullptr with the reason (in UTF-8, for the shell)
    // when there is none or it is too small.
    static std::unique_ptr<TerminalConsole> Open(std::string& error);
    ~TerminalConsole() override;

    int Rows() const override { return rows_; }
    int Columns() const override { return columns_; }
    void Present(const ScreenGrid& grid) override;
    bool NextEvent(ConsoleEvent& event, int timeoutMs) override;
    std::uint16_t ControlKeyState() const override { return input_.HeldControlKeys(); }
    int MouseButtons() const override { return 3; }
    void EnableMouse(bool on) override { mouseWanted_ = on; }
    void FlushInput() override;
    void Beep() override;
    void SetClipboard(const std::string& cp850) override;
    std::string Clipboard() override;
    void Suspend() override;
    void Resume(const ScreenGrid& grid) override;

    bool KittyKeyboard() const { return kitty_; }

  private:
    TerminalConsole() = default;
    // Reads what the terminal sent within waitMs into the queue; its
    // replies to queries go to replies when given.
    void Pump(int waitMs, std::vector<InputEvent>* replies);
    void ProbeKeyboard();
    void ApplyMouse();
    // Takes the signals' wake-ups; true when the screen must be drawn anew.
    bool TakeSignals();
    // The terminal's size now; the grid follows it while it is large enough.
    void Resized();
    bool TooSmall() const { return terminalRows_ < kLeastRows || terminalColumns_ < kLeastColumns; }
    // Shows the notice and throws input away until the terminal is large
    // enough again.
    void WaitForRoom();
    // Reads what the terminal sent and throws it away.
    void DiscardTyped();
    [[noreturn]] void TerminalGone();

    int rows_ = kLeastRows;
    int columns_ = kLeastColumns;
    int terminalRows_ = kLeastRows;
    int terminalColumns_ = kLeastColumns;
    TerminalInput input_;
    Renderer renderer_;
    bool mouseWanted_ = false;
    bool mouseOn_ = false;
    bool kitty_ = false;
    bool frameTitles_ = false;
    long frames_ = 0;
    std::string bell_ = "\a";
    std::string clipboard_;
    std::optional<ClipboardTool> clipboardTool_;
};

}  // namespace vela::terminal
