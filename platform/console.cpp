#include "platform/console.hpp"

#include "platform/code_page_850.hpp"
#include "platform/headless_console.hpp"

namespace vela {
namespace {

ScreenGrid& Grid() {
    static ScreenGrid grid;
    return grid;
}

std::function<std::string()>& Notice() {
    static std::function<std::string()> notice;
    return notice;
}

std::unique_ptr<ConsoleBackend>& Backend() {
    static std::unique_ptr<ConsoleBackend> backend = std::make_unique<HeadlessConsole>();
    return backend;
}

}  // namespace

ScreenGrid& Screen() { return Grid(); }

ConsoleBackend& Console() { return *Backend(); }

void InstallConsole(std::unique_ptr<ConsoleBackend> backend) {
    if (!backend) backend = std::make_unique<HeadlessConsole>();
    Backend() = std::move(backend);
    Grid().Resize(Backend()->Rows(), Backend()->Columns());
}

void PresentScreen() { Console().Present(Screen()); }

void Beep() { Console().Beep(); }

void SetSmallScreenNotice(std::function<std::string()> notice) { Notice() = std::move(notice); }

std::string SmallScreenNotice() {
    if (Notice()) return Notice()();
    return Cp850("CAL UN TERMINAL DE 80 COLUMNES PER 25 FILES COM A MÍNIM");
}

}  // namespace vela
