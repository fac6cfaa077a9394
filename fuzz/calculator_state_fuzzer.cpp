// libFuzzer target for the calculator's state file: any bytes left in
// RUKCALC.TMP (a crash while it was written, an edit by hand) must read into
// a state within range, write back in a form that reads the same again, and
// stay usable for any key.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/calculator_core.hpp"
#include "ui/calculator_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vela::CalculatorState state = vela::ParseCalculatorState(text);
    if (state.left < 1 || state.left > 55 || state.tapeTop < 2 || state.tapeTop > 23 ||
        state.decimals < 0 || state.decimals > 15 || !std::isfinite(state.entry) ||
        !std::isfinite(state.total)) {
        std::abort();
    }
    const std::string written = vela::FormatCalculatorState(state);
    if (vela::FormatCalculatorState(vela::ParseCalculatorState(written)) != written) std::abort();
    // The last bytes typed as keys on the state read.
    for (std::size_t i = size > 16 ? size - 16 : 0; i < size; ++i) {
        vela::ApplyCalculatorKey(state, static_cast<std::int16_t>(data[i]));
        (void)vela::CalculatorDisplay(state.entry, state.point, state.decimals);
        (void)vela::CalculatorResultText(state);
        if (!std::isfinite(state.entry) || !std::isfinite(state.total)) std::abort();
    }
    return 0;
}
