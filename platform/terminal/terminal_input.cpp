#include "platform/terminal/terminal_input.hpp"

namespace vela::terminal {

void TerminalInput::Feed(std::string_view bytes, long long nowMs,
                         std::vector<InputEvent>* replies) {
    std::vector<InputEvent> inputs;
    decoder_.Feed(bytes, nowMs, inputs);
    decoder_.Expire(nowMs, inputs);
    Take(inputs, replies);
}

void TerminalInput::Expire(long long nowMs, std::vector<InputEvent>* replies) {
    std::vector<InputEvent> inputs;
    decoder_.Expire(nowMs, inputs);
    Take(inputs, replies);
}

void TerminalInput::Take(const std::vector<InputEvent>& inputs, std::vector<InputEvent>* replies) {
    for (const auto& input : inputs) {
        const bool reply = input.type == InputEvent::Type::KittyFlags ||
                           input.type == InputEvent::Type::DeviceAttributes;
        if (reply && replies != nullptr) replies->push_back(input);
        std::vector<ConsoleEvent> events;
        mapper_.Map(input, events);
        for (const auto& event : events) queue_.push_back({event, mapper_.HeldControlKeys()});
    }
}

bool TerminalInput::Pop(ConsoleEvent& event) {
    if (queue_.empty()) {
        // Nothing waiting: what is held now is what the last event left.
        held_ = mapper_.HeldControlKeys();
        return false;
    }
    event = queue_.front().event;
    held_ = queue_.front().held;
    queue_.pop_front();
    return true;
}

void TerminalInput::Flush() {
    decoder_.Reset();
    queue_.clear();
}

void TerminalInput::Reset() {
    Flush();
    mapper_.Reset();
    held_ = 0;
}

}  // namespace vela::terminal
