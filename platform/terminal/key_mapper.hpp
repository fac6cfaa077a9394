// Decoded terminal input as the PC console reports it: a character key
// carries its code page 850 code, an extended key carries 0 and its PC scan
// code (F1 3b, Up 48), each with the control-key state. The program's key
// codes are made from these by the keyboard module.
//
// Terminals do not say which Alt or Ctrl was held; it counts as the left
// one unless the kitty protocol reported the right one going down. Only
// the kitty protocol reports modifier keys on their own, so only there is
// the state of held keys known between events (for Alt and the keypad).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/console.hpp"
#include "platform/terminal/input_decoder.hpp"

namespace vela::terminal {

class KeyMapper {
  public:
    // Appends the console events for one decoded event (none for what the
    // program does not use: wheel, motion, releases of mouse buttons,
    // characters code page 850 lacks, the terminal's replies).
    void Map(const InputEvent& input, std::vector<ConsoleEvent>& out);

    // Modifier keys known to be held now.
    std::uint16_t HeldControlKeys() const { return held_; }

    void Reset() { held_ = 0; }

  private:
    std::uint16_t ControlKeysOf(std::uint8_t modifiers) const;
    std::uint16_t held_ = 0;
};

// The PC scan code of a letter (QWERTY), 0 for anything else.
std::uint8_t LetterScanCode(char32_t letter);

}  // namespace vela::terminal
