#include "app/run_messages.hpp"

#include <cstdio>

#include "platform/code_page_850.hpp"
#include "platform/console.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {
bool batchMessages = false;
}

void SetBatchMessages(bool batch) { batchMessages = batch; }
bool BatchMessages() { return batchMessages; }

namespace {

// The message window; a batch run also prints the text on standard output.
void OpenRunMessage(const std::string& text) {
    MessageWindow(12, text);
    if (batchMessages) {
        std::printf("%s\n", Utf8FromCp850(text).c_str());
        std::fflush(stdout);
    }
}

}  // namespace

void ShowRunMessage(const std::string& text) {
    OpenRunMessage(text);
    if (!batchMessages) {
        PresentScreen();
        Beep();
        FlushKeys();
        std::int16_t key = 0;
        WaitKey(key);
    }
    CloseWindow();
}

void ShowRunFailure(const std::string& shown, const std::string& plainWords) {
    if (batchMessages) {
        std::fprintf(stderr, "KELD0190: %s\n", plainWords.c_str());
        std::fflush(stderr);
        return;
    }
    ShowRunMessage(shown);
}

void ShowWaitMessage(const std::string& text) {
    OpenRunMessage(text);
    if (!batchMessages) PresentScreen();
}

void CloseWaitMessage() {
    CloseWindow();
    if (!batchMessages) PresentScreen();
}

}  // namespace vela
