// The terminal's input as console events: the input decoder and the key
// mapper joined, with the queue of events not yet read. Pure like them
// (bytes and times in, events out), so that the whole way from the bytes a
// terminal sends to the program's key codes can be tested without one.
#pragma once

#include <deque>
#include <string_view>
#include <vector>

#include "platform/console.hpp"
#include "platform/terminal/input_decoder.hpp"
#include "platform/terminal/key_mapper.hpp"

namespace vela::terminal {

class TerminalInput {
  public:
    explicit TerminalInput(int escapeTimeoutMs = 40) : decoder_(escapeTimeoutMs) {}

    // Bytes read at nowMs; the terminal's replies (kitty flags, device
    // attributes) are appended to replies when given, keys to the queue.
    void Feed(std::string_view bytes, long long nowMs, std::vector<InputEvent>* replies = nullptr);
    // Nothing arrived until nowMs.
    void Expire(long long nowMs, std::vector<InputEvent>* replies = nullptr);
    int TimeUntilExpiry(long long nowMs) const { return decoder_.TimeUntilExpiry(nowMs); }

    bool Pop(ConsoleEvent& event);
    void Push(const ConsoleEvent& event) { queue_.push_back({event, mapper_.HeldControlKeys()}); }
    bool Empty() const { return queue_.empty(); }

    // The modifier keys held when the event last popped happened: a read
    // may bring many events, and a key's meaning depends on what was held
    // at its time, not at the end of the read.
    std::uint16_t HeldControlKeys() const { return held_; }
    void AddSequence(std::string sequence, Key key, std::uint8_t modifiers) {
        decoder_.AddSequence(std::move(sequence), key, modifiers);
    }

    // Drops pending bytes and queued events (input flushed).
    void Flush();
    // Also forgets held modifier keys (the terminal was away).
    void Reset();

  private:
    void Take(const std::vector<InputEvent>& inputs, std::vector<InputEvent>* replies);

    struct Queued {
        ConsoleEvent event;
        std::uint16_t held;
    };
    InputDecoder decoder_;
    KeyMapper mapper_;
    std::deque<Queued> queue_;
    std::uint16_t held_ = 0;
};

}  // namespace vela::terminal
