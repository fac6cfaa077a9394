// What the terminal's description (terminfo, through libtinfo) says about
// it: the key strings it sends, so that keys of terminals with sequences of
// their own are recognised, and the bell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/terminal/input_decoder.hpp"

namespace vela::terminal {

struct TerminalKeyString {
    std::string sequence;
    Key key;
    std::uint8_t modifiers;
};

struct TerminalDescription {
    bool found = false;
    std::string bellSequence = "\a";
    std::vector<TerminalKeyString> keys;  // only those starting with Esc
};

// The description of $TERM for the terminal on fd.
TerminalDescription LoadTerminalDescription(int fd);

}  // namespace vela::terminal
