// Every window operation goes through the stack file on disk: the cost of
// opening and closing a message window and a full-screen window.
#include <benchmark/benchmark.h>

#include "env/session.hpp"
#include "platform/headless_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

void BM_MessageWindowOpenClose(benchmark::State& state) {
    testing::TempFolder folder;
    Session.tmpDir = folder.path();
    InstallHeadless(25, 80);
    for (auto _ : state) {
        MessageWindow(12, "ESPEREU, SI US PLAU");
        CloseWindow();
    }
}
BENCHMARK(BM_MessageWindowOpenClose);

void BM_FullScreenWindowOpenClose(benchmark::State& state) {
    testing::TempFolder folder;
    Session.tmpDir = folder.path();
    InstallHeadless(25, 80);
    for (auto _ : state) {
        OpenWindow(1, 1, 25, 80);
        DrawFrame(kFrameDouble);
        CloseWindow();
    }
}
BENCHMARK(BM_FullScreenWindowOpenClose);

}  // namespace
}  // namespace vela

BENCHMARK_MAIN();
