#include "platform/process.hpp"

#include <gtest/gtest.h>

#include <csignal>

#include "platform/console.hpp"
#include "platform/headless_console.hpp"

namespace vela {
namespace {

TEST(RunProgram, ExitCodesSignalsAndMissingPrograms) {
    struct Case {
        std::vector<std::string> arguments;
        int result;
    };
    const std::vector<Case> cases = {
        {{"true"}, 0},
        {{"/bin/false"}, 1},
        {{"sh", "-c", "exit 7"}, 7},
        {{"sh", "-c", "kill -TERM $$"}, 128 + SIGTERM},
        {{"vela-no-such-program"}, -1},
        {{"/nonexistent/program"}, -1},
        {{}, -1},
        // Arguments reach the program as they are, with no shell between.
        {{"test", "a b;c", "=", "a b;c"}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunProgram(c.arguments), c.result) << (c.arguments.empty() ? "" : c.arguments[0]);
    }
}

// The console steps aside for the child and is drawn again afterwards.
TEST(RunProgram, ConsoleIsPresentedAroundTheChild) {
    class Recording : public HeadlessConsole {
      public:
        void Suspend() override { log += "suspend "; }
        void Resume(const ScreenGrid&) override { log += "resume "; }
        void Present(const ScreenGrid&) override { log += "present "; }
        std::string log;
    };
    auto backend = std::make_unique<Recording>();
    Recording& recording = *backend;
    InstallConsole(std::move(backend));
    EXPECT_EQ(RunProgram({"true"}), 0);
    EXPECT_EQ(recording.log, "present suspend resume ");
    InstallConsole(nullptr);
}

TEST(RunPiped, FeedsInputAndCollectsOutput) {
    std::string output;
    EXPECT_EQ(RunPiped({"cat"}, "hola\n", &output), 0);
    EXPECT_EQ(output, "hola\n");

    // More than a pipe holds, both ways at once.
    const std::string big(1 << 20, 'x');
    output.clear();
    EXPECT_EQ(RunPiped({"cat"}, big, &output), 0);
    EXPECT_EQ(output.size(), big.size());

    // A helper that reads nothing does not block or kill the caller.
    EXPECT_EQ(RunPiped({"true"}, big, nullptr), 0);
    EXPECT_EQ(RunPiped({"vela-no-such-program"}, "x", &output), -1);
}

}  // namespace
}  // namespace vela
