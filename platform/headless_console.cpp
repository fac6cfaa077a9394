#include "platform/headless_console.hpp"

namespace vela {

void HeadlessConsole::PushCharacter(std::uint8_t code, std::uint16_t controlKeys) {
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::Key;
    event.character = code;
    event.controlKeys = controlKeys;
    PushEvent(event);
}

void HeadlessConsole::PushExtended(std::uint8_t scanCode, std::uint16_t controlKeys) {
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::Key;
    event.scanCode = scanCode;
    event.controlKeys = controlKeys;
    PushEvent(event);
}

void HeadlessConsole::PushText(const std::string& cp850) {
    for (char c : cp850) PushCharacter(static_cast<std::uint8_t>(c));
}

void HeadlessConsole::PushClick(int row, int column, std::uint8_t button) {
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::Mouse;
    event.button = button;
    event.row = row;
    event.column = column;
    PushEvent(event);
}

void HeadlessConsole::PushControlState(std::uint16_t controlKeys) {
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::ControlState;
    event.controlKeys = controlKeys;
    PushEvent(event);
}

void HeadlessConsole::Present(const ScreenGrid&) { ++presents_; }

void HeadlessConsole::PushPause() { script_.push_back(Step{true, {}}); }

bool HeadlessConsole::NextEvent(ConsoleEvent& event, int timeoutMs) {
    if (!script_.empty() && script_.front().pause) {
        script_.pop_front();
        if (timeoutMs >= 0) {
            nowMs_ += timeoutMs;
            return false;
        }
    }
    if (script_.empty()) {
        controlState_ = 0;
        if (timeoutMs >= 0) {
            nowMs_ += timeoutMs;
            return false;
        }
        ++exhaustedReads_;
        event = ConsoleEvent{};
        event.type = ConsoleEvent::Type::Key;
        event.character = 0x1b;
        event.scanCode = 0x01;
        return true;
    }
    if (script_.front().pause) return NextEvent(event, timeoutMs);
    event = script_.front().event;
    script_.pop_front();
    controlState_ = event.controlKeys;
    return true;
}

void HeadlessConsole::FlushInput() {
    ++flushes_;
    while (!script_.empty() && !script_.front().pause) script_.pop_front();
    if (!script_.empty()) script_.pop_front();
    controlState_ = 0;
}

HeadlessConsole* InstalledHeadless() { return dynamic_cast<HeadlessConsole*>(&Console()); }

HeadlessConsole& InstallHeadless(int rows, int columns) {
    auto backend = std::make_unique<HeadlessConsole>(rows, columns);
    HeadlessConsole& installed = *backend;
    InstallConsole(std::move(backend));
    Screen() = ScreenGrid(rows, columns);
    return installed;
}

}  // namespace vela
