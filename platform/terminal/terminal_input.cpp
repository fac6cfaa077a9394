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
    std::vector<ConsoleEvent> events;
    for (const auto& input : inputs) {
        const bool reply = input.type == InputEvent::Type::KittyFlags ||
                           input.type == InputEvent::Type::DeviceAttributes;
        if (reply && replies != nullptr) replies->push_back(input);
        mapper_.Map(input, events);
    }
    queue_.insert(queue_.end(), events.begin(), events.end());
}

bool TerminalInput::Pop(ConsoleEvent& event) {
    if (queue_.empty()) return false;
    event = queue_.front();
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
}

}  // namespace vela::terminal
