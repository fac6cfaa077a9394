#include "platform/terminal/terminal_console.hpp"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include "platform/code_page_850.hpp"
#include "platform/environment.hpp"
#include "platform/process.hpp"
#include "platform/terminal/desktop_clipboard.hpp"
#include "platform/terminal/size_notice.hpp"
#include "platform/terminal/terminfo.hpp"
#include "platform/terminal/tty.hpp"

namespace vela::terminal {
namespace {

// Kitty keyboard flags asked for: disambiguate (1), report releases (2),
// report every key as an escape code (8, which includes the modifier keys
// themselves) and the text of the key (16).
constexpr int kKittyFlags = 1 | 2 | 8 | 16;
constexpr int kProbeMs = 300;

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        for (int shift : {18, 12, 6, 0}) out += kDigits[(v >> shift) & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace

std::unique_ptr<TerminalConsole> TerminalConsole::Open(std::string& error) {
    if (!OpenTty(error)) return nullptr;
    int rows = 0;
    int columns = 0;
    if (!TtySize(rows, columns)) {
        error = "No s'ha pogut saber la mida del terminal.";
        return nullptr;
    }
    if (rows < kLeastRows || columns < kLeastColumns) {
        error = "El terminal té " + std::to_string(rows) + " files i " + std::to_string(columns) +
                " columnes; en calen com a mínim " + std::to_string(kLeastRows) + " i " +
                std::to_string(kLeastColumns) + ".";
        return nullptr;
    }
    std::unique_ptr<TerminalConsole> console(new TerminalConsole());
    console->rows_ = std::min(rows, kMostRowsOrColumns);
    console->columns_ = std::min(columns, kMostRowsOrColumns);
    console->terminalRows_ = rows;
    console->terminalColumns_ = columns;
    const TerminalDescription description = LoadTerminalDescription(TtyFd());
    console->bell_ = description.bellSequence;
    for (const auto& key : description.keys) {
        console->input_.AddSequence(key.sequence, key.key, key.modifiers);
    }
    console->frameTitles_ = !GetEnvironment("VELA_FRAME_TITLE").empty();
    console->clipboardTool_ =
        ChooseClipboardTool([](const char* name) { return GetEnvironment(name); }, ProgramInPath);
    EnterProgramMode();
    console->ProbeKeyboard();
    return console;
}

TerminalConsole::~TerminalConsole() { LeaveProgramMode(); }

void TerminalConsole::ProbeKeyboard() {
    TtyWrite("\x1b[?u\x1b[c");
    const long long until = NowMs() + kProbeMs;
    bool answered = false;
    while (!answered && NowMs() < until) {
        std::vector<InputEvent> replies;
        Pump(static_cast<int>(std::max(0LL, until - NowMs())), &replies);
        for (const auto& event : replies) {
            if (event.type == InputEvent::Type::KittyFlags) kitty_ = true;
            if (event.type == InputEvent::Type::DeviceAttributes) answered = true;
        }
    }
    if (kitty_) {
        SetTtyModeSequences("\x1b[>" + std::to_string(kKittyFlags) + "u", "\x1b[<u");
    }
}

void TerminalConsole::Pump(int waitMs, std::vector<InputEvent>* replies) {
    pollfd fds[2] = {{TtyFd(), POLLIN, 0}, {TtyWakeFd(), POLLIN, 0}};
    const int expiry = input_.TimeUntilExpiry(NowMs());
    if (expiry >= 0 && (waitMs < 0 || expiry < waitMs)) waitMs = expiry;
    const int ready = ::poll(fds, 2, waitMs);
    if (ready > 0 && (fds[1].revents & POLLIN) != 0 && TakeSignals()) {
        if (TooSmall()) {
            // What was typed is read (and thrown away) while waiting.
            WaitForRoom();
            Present(Screen());
            return;
        }
        Present(Screen());
    }
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
        char buffer[4096];
        const ssize_t n = ::read(TtyFd(), buffer, sizeof buffer);
        if (n > 0) {
            input_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs(), replies);
            return;
        }
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) TerminalGone();
    }
    input_.Expire(NowMs(), replies);
}

// The terminal hung up (its window closed, the connection dropped) and no
// SIGHUP ended the program, as under nohup: nobody can answer any more, so
// the program ends as a hangup ends it.
void TerminalConsole::TerminalGone() {
    LeaveProgramMode();
    std::signal(SIGHUP, SIG_DFL);
    std::raise(SIGHUP);
    std::_Exit(128 + SIGHUP);
}

bool TerminalConsole::TakeSignals() {
    const TtySignals signals = TakeTtySignals();
    if (signals.resized) Resized();
    if (signals.continued) {
        renderer_.Invalidate();
        mouseOn_ = false;
    }
    return signals.resized || signals.continued;
}

void TerminalConsole::Resized() {
    int rows = 0;
    int columns = 0;
    if (!TtySize(rows, columns)) return;
    terminalRows_ = rows;
    terminalColumns_ = columns;
    renderer_.Invalidate();
    // Too small, the grid keeps its size and contents for when the
    // terminal grows again.
    if (TooSmall()) return;
    rows = std::min(rows, kMostRowsOrColumns);
    columns = std::min(columns, kMostRowsOrColumns);
    if (rows == rows_ && columns == columns_) return;
    rows_ = rows;
    columns_ = columns;
    Screen().Resize(rows_, columns_);
    ConsoleEvent event;
    event.type = ConsoleEvent::Type::Resize;
    input_.Push(event);
}

void TerminalConsole::WaitForRoom() {
    bool shown = false;
    while (TooSmall()) {
        if (!shown) {
            TtyWrite(SizeNoticeBytes(SmallScreenNotice(), terminalRows_, terminalColumns_));
            shown = true;
        }
        pollfd fds[2] = {{TtyFd(), POLLIN, 0}, {TtyWakeFd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0) continue;
        if ((fds[1].revents & POLLIN) != 0 && TakeSignals()) shown = false;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) DiscardTyped();
    }
    // Whatever is already there was typed before the screen came back.
    pollfd typed = {TtyFd(), POLLIN, 0};
    while (::poll(&typed, 1, 0) > 0 && (typed.revents & POLLIN) != 0) DiscardTyped();
    input_.Flush();
    renderer_.Invalidate();
}

void TerminalConsole::DiscardTyped() {
    char buffer[4096];
    const ssize_t n = ::read(TtyFd(), buffer, sizeof buffer);
    if (n > 0) {
        // Decoded, so that the modifier keys held stay known, then dropped.
        input_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs());
        input_.Flush();
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        TerminalGone();
    }
}

void TerminalConsole::ApplyMouse() {
    if (mouseWanted_ == mouseOn_) return;
    TtyWrite(mouseWanted_ ? "\x1b[?1000h" : "\x1b[?1000l");
    mouseOn_ = mouseWanted_;
}

bool TerminalConsole::NextEvent(ConsoleEvent& event, int timeoutMs) {
    const long long deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    for (;;) {
        if (input_.Pop(event)) return true;
        ApplyMouse();
        int wait = -1;
        if (deadline >= 0) wait = static_cast<int>(std::max(0LL, deadline - NowMs()));
        Pump(wait, nullptr);
        if (input_.Empty() && deadline >= 0 && NowMs() >= deadline) return false;
    }
}

void TerminalConsole::Present(const ScreenGrid& grid) {
    // A size change not yet taken up by a key read: the program may be
    // drawing for a long while without reading keys.
    pollfd wake = {TtyWakeFd(), POLLIN, 0};
    if (::poll(&wake, 1, 0) > 0) TakeSignals();
    if (TooSmall()) WaitForRoom();
    std::string frame = renderer_.Frame(grid);
    if (frame.empty()) return;
    if (frameTitles_) frame += "\x1b]2;frame " + std::to_string(++frames_) + "\x07";
    TtyWrite(frame);
}

void TerminalConsole::FlushInput() {
    ::tcflush(TtyFd(), TCIFLUSH);
    input_.Flush();
}

void TerminalConsole::Beep() { TtyWrite(bell_); }

void TerminalConsole::SetClipboard(const std::string& cp850) {
    clipboard_ = cp850;
    // The terminal passes it on to the desktop's clipboard where it may
    // (OSC 52); the program's own copy serves pasting inside it.
    TtyWrite("\x1b]52;c;" + Base64(Utf8FromCp850(cp850)) + "\x07");
}

std::string TerminalConsole::Clipboard() { return clipboard_; }

void TerminalConsole::Suspend() {
    mouseOn_ = false;
    LeaveProgramMode();
}

void TerminalConsole::Resume(const ScreenGrid& grid) {
    EnterProgramMode();
    input_.Reset();
    // The terminal may have changed size while the child program had it.
    Resized();
    renderer_.Invalidate();
    Present(grid);
}

}  // namespace vela::terminal
