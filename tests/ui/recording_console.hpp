// A headless console that keeps a copy of the screen each time the program
// shows it, which happens before every key read: a test sees what the user
// saw while a pop-up tool waited for each scripted key.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless_console.hpp"

namespace vela::testing {

class RecordingConsole : public HeadlessConsole {
  public:
    using HeadlessConsole::HeadlessConsole;
    struct Frame {
        std::vector<std::string> rows;  // rows[0] is screen row 1
        std::vector<std::vector<std::uint8_t>> attributes;
    };
    void Present(const ScreenGrid& grid) override {
        HeadlessConsole::Present(grid);
        Frame frame;
        for (int row = 1; row <= grid.Rows(); ++row) {
            frame.rows.push_back(grid.RowText(row));
            frame.attributes.push_back(grid.RowAttributes(row));
        }
        frames.push_back(std::move(frame));
    }
    std::vector<Frame> frames;
};

// Installs a fresh 80 x 25 recording console and returns it.
inline RecordingConsole& InstallRecording() {
    auto console = std::make_unique<RecordingConsole>(25, 80);
    RecordingConsole& installed = *console;
    InstallConsole(std::move(console));
    return installed;
}

}  // namespace vela::testing
