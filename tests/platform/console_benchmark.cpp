// How fast the console's pure parts run: drawing frames of an 80 x 25
// screen and decoding terminal input.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/screen_grid.hpp"
#include "platform/terminal/input_decoder.hpp"
#include "platform/terminal/renderer.hpp"

namespace vela::terminal {
namespace {

ScreenGrid PatternedScreen() {
    ScreenGrid grid(25, 80);
    for (int row = 1; row <= 25; ++row) {
        for (int column = 1; column <= 80; ++column) {
            grid.Set(row, column,
                     Cell{static_cast<std::uint8_t>(row * 80 + column),
                          static_cast<std::uint8_t>((row + column) % 128)});
        }
    }
    return grid;
}

void BM_FullFrame(benchmark::State& state) {
    const ScreenGrid grid = PatternedScreen();
    Renderer renderer;
    for (auto _ : state) {
        renderer.Invalidate();
        benchmark::DoNotOptimize(renderer.Frame(grid));
    }
}
BENCHMARK(BM_FullFrame);

// A field being typed into: one cell and the cursor change per frame.
void BM_OneCellFrame(benchmark::State& state) {
    ScreenGrid grid = PatternedScreen();
    Renderer renderer;
    renderer.Frame(grid);
    int column = 1;
    for (auto _ : state) {
        grid.Set(12, column, Cell{'x', 0x70});
        grid.Locate(12, column + 1);
        column = column % 79 + 1;
        benchmark::DoNotOptimize(renderer.Frame(grid));
    }
}
BENCHMARK(BM_OneCellFrame);

void BM_DecodeInput(benchmark::State& state) {
    std::string input;
    while (input.size() < 64 * 1024) {
        input += "text typed \xc3\xa9\x1b[1;5P\x1b[A\x1b[<0;10;5M\x1b[<0;10;5m\x1b[97;5u\x1bx";
    }
    for (auto _ : state) {
        InputDecoder decoder;
        std::vector<InputEvent> events;
        decoder.Feed(input, 0, events);
        benchmark::DoNotOptimize(events);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_DecodeInput);

}  // namespace
}  // namespace vela::terminal

BENCHMARK_MAIN();
