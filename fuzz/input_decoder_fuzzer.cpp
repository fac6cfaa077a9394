// libFuzzer target for the terminal input decoder and the key mapper: any
// bytes, cut into reads at any places and arriving at any times, must
// decode without a crash, without a hang and without unbounded memory, and
// every lone Esc or cut sequence must settle once its time has run out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/terminal/input_decoder.hpp"
#include "platform/terminal/key_mapper.hpp"

using vela::terminal::InputDecoder;
using vela::terminal::InputEvent;
using vela::terminal::KeyMapper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte drives the cutting: read lengths and pauses.
    const std::uint8_t control = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    InputDecoder decoder(40);
    KeyMapper mapper;
    std::vector<InputEvent> events;
    std::vector<vela::ConsoleEvent> consoleEvents;
    long long now = 0;
    std::size_t at = 0;
    std::size_t step = 0;
    while (at < bytes.size()) {
        const std::size_t length = 1 + (control + step * 7) % 13;
        decoder.Feed(bytes.substr(at, length), now, events);
        at += length;
        now += ((control >> 4) + step) % 3 == 0 ? 50 : 1;  // now and then past the Esc timeout
        decoder.Expire(now, events);
        const int wait = decoder.TimeUntilExpiry(now);
        if (wait < -1 || wait > 40) std::abort();
        ++step;
    }
    decoder.Expire(now + 1000, events);

    // With no time passing between reads, how the bytes are cut makes no
    // difference: one read gives what many small ones give.
    InputDecoder whole(40);
    InputDecoder pieces(40);
    std::vector<InputEvent> wholeEvents;
    std::vector<InputEvent> pieceEvents;
    whole.Feed(bytes, 0, wholeEvents);
    for (std::size_t i = 0; i < bytes.size(); i += 1 + control % 5) {
        pieces.Feed(bytes.substr(i, 1 + control % 5), 0, pieceEvents);
    }
    whole.Expire(1000, wholeEvents);
    pieces.Expire(1000, pieceEvents);
    if (wholeEvents != pieceEvents) std::abort();
    for (const auto& event : events) {
        if (event.type == InputEvent::Type::Mouse && (event.row < 1 || event.column < 1)) {
            std::abort();
        }
        if (event.type == InputEvent::Type::Paste && event.text.size() > (1u << 20)) std::abort();
        mapper.Map(event, consoleEvents);
    }
    return 0;
}
