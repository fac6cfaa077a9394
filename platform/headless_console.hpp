// A console with no terminal behind it: the screen is only the grid in
// memory, input comes from a script the caller fills, and time is a fake
// clock that advances only when a read waits on an empty script. Tests use
// it to drive the windows and keys and read the screen back; batch runs draw
// on it with nobody watching.
//
// Each scripted event carries its control-key state, and the state the
// console reports (ControlKeyState) is the one of the last event delivered,
// as on a PC console. When the script runs out every key counts as released,
// and a read that would wait for ever gets Esc instead of hanging: a
// batch run has nobody to answer, and Esc is the answer that cancels.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/console.hpp"

namespace vela {

class HeadlessConsole : public ConsoleBackend {
  public:
    HeadlessConsole(int rows = 25, int columns = 80) : rows_(rows), columns_(columns) {}

    // Script.
    void PushEvent(const ConsoleEvent& event) { script_.push_back(Step{false, event}); }
    void PushCharacter(std::uint8_t code, std::uint16_t controlKeys = 0);
    void PushExtended(std::uint8_t scanCode, std::uint16_t controlKeys = 0);
    void PushText(const std::string& cp850);  // one character key per byte
    void PushClick(int row, int column, std::uint8_t button = mouse_buttons::kLeft);
    void PushControlState(std::uint16_t controlKeys);
    // What is pushed after a pause arrives later: a flush discards only what
    // waits before the first pause, and a read that does not wait stops at
    // the pause (the time passes, nothing has arrived yet).
    void PushPause();
    std::size_t PendingScript() const { return script_.size(); }

    // Inspection.
    long long NowMs() const { return nowMs_; }
    int Beeps() const { return beeps_; }
    int Presents() const { return presents_; }
    int Flushes() const { return flushes_; }
    int ExhaustedReads() const { return exhaustedReads_; }
    bool MouseEnabled() const { return mouseEnabled_; }
    void SetMouseButtons(int buttons) { mouseButtons_ = buttons; }

    int Rows() const override { return rows_; }
    int Columns() const override { return columns_; }
    void Present(const ScreenGrid& grid) override;
    bool NextEvent(ConsoleEvent& event, int timeoutMs) override;
    std::uint16_t ControlKeyState() const override { return controlState_; }
    int MouseButtons() const override { return mouseButtons_; }
    void EnableMouse(bool on) override { mouseEnabled_ = on; }
    void FlushInput() override;
    void Beep() override { ++beeps_; }
    void SetClipboard(const std::string& cp850) override { clipboard_ = cp850; }
    std::string Clipboard() override { return clipboard_; }

  private:
    int rows_;
    int columns_;
    struct Step {
        bool pause = false;
        ConsoleEvent event;
    };
    std::deque<Step> script_;
    long long nowMs_ = 0;
    int beeps_ = 0;
    int presents_ = 0;
    int flushes_ = 0;
    int exhaustedReads_ = 0;
    int mouseButtons_ = 3;
    bool mouseEnabled_ = false;
    std::uint16_t controlState_ = 0;
    std::string clipboard_;
};

// The headless console installed now, or nullptr when another backend is.
HeadlessConsole* InstalledHeadless();

// Installs a fresh headless console of the given size and returns it; the
// grid is cleared to blanks.
HeadlessConsole& InstallHeadless(int rows = 25, int columns = 80);

}  // namespace vela
