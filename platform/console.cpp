#include "platform/console.hpp"

#include "platform/headless_console.hpp"

namespace vela {
namespace {

ScreenGrid& Grid() {
    static ScreenGrid grid;
    return grid;
}

std::unique_ptr<ConsoleBackend>& Backend() {
    static std::unique_ptr<ConsoleBackend> backend = std::make_unique<HeadlessConsole>();
    return backend;
}

}  // namespace

ScreenGrid& Screen() {
    return Grid();
}

ConsoleBackend& Console() {
    return *Backend();
}

void InstallConsole(std::unique_ptr<ConsoleBackend> backend) {
    if (!backend) backend = std::make_unique<HeadlessConsole>();
    Backend() = std::move(backend);
    Grid().Resize(Backend()->Rows(), Backend()->Columns());
}

void PresentScreen() {
    Console().Present(Screen());
}

void Beep() {
    Console().Beep();
}

}  // namespace vela
