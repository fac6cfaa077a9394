// The pop-up adding machine of the hot key Alt+X: a box of 26 columns over
// the whole height of the screen with the paper tape above the entry line.
// Its state is read from and written back to "RUKCALC.TMP" in the
// terminal's folder on every use (calculator_file.hpp); the keys are those
// of calculator_core.hpp.
#pragma once

#include <string>

namespace vela {

// The result text to type into the field ("F" or Alt+F), or "" for Esc.
std::string Calculator();

}  // namespace vela
