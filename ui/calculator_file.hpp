// The calculator's state file "RUKCALC.TMP" in the terminal's folder, so
// that every use of the calculator starts where the last one ended: a text
// file of comma-separated items, texts in double quotes, flags as -1 or 0:
//   line 1: window column, oldest tape line, entry, accumulator
//   line 2: cleared, typing, point, decimals
//   line 3: operator just pressed, operator waiting
//   then one line per tape line 1-22: value, point, decimals, operator.
// A missing or empty file gives the state of a first use; a damaged file
// (cut short by a crash, edited by hand) gives the first-use value for every
// item that cannot be read and keeps every item in its range.
#pragma once

#include <string>

#include "ui/calculator_core.hpp"

namespace vela {

std::string FormatCalculatorState(const CalculatorState& state);
CalculatorState ParseCalculatorState(const std::string& text);

// Host path of the state file.
std::string CalculatorStatePath();

// Reads the state file, creating it empty when it is missing.
CalculatorState LoadCalculatorState();
// Writes the state file afresh; false when it cannot be written.
bool SaveCalculatorState(const CalculatorState& state);

}  // namespace vela
