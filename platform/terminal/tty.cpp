#include "platform/terminal/tty.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace vela::terminal {
namespace {

// Everything a signal handler touches is plain storage prepared in
// advance: restoring the terminal there may only call write and tcsetattr.
int ttyFd = -1;
termios savedSettings;
termios rawSettings;
std::atomic<bool> inProgramMode{false};
int wakePipe[2] = {-1, -1};

constexpr std::size_t kSequenceSpace = 512;
char enterSequence[kSequenceSpace];
std::size_t enterLength = 0;
char leaveSequence[kSequenceSpace];
std::size_t leaveLength = 0;

// The program's own modes: alternate screen, autowrap off, bracketed paste,
// SGR mouse coordinates (reporting itself is switched by the console).
constexpr std::string_view kBaseEnter = "\x1b[?1049h\x1b[?7l\x1b[?2004h\x1b[?1006h";
// Back to the shell's: mouse reports off, normal colours, visible cursor of
// the default shape, autowrap and the normal screen.
constexpr std::string_view kBaseLeave =
    "\x1b[?1000l\x1b[?1006l\x1b[?2004l\x1b[0m\x1b[0 q\x1b[?25h\x1b[?7h\x1b[?1049l";

void WriteRaw(const char* data, std::size_t length) {
    while (length > 0 && ttyFd >= 0) {
        const ssize_t written = ::write(ttyFd, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

void Store(char* target, std::size_t& length, std::string_view a, std::string_view b) {
    length = 0;
    for (std::string_view part : {a, b}) {
        const std::size_t take = std::min(part.size(), kSequenceSpace - length);
        std::memcpy(target + length, part.data(), take);
        length += take;
    }
}

// Async-signal-safe.
void Leave() {
    if (!inProgramMode.exchange(false)) return;
    WriteRaw(leaveSequence, leaveLength);
    ::tcsetattr(ttyFd, TCSAFLUSH, &savedSettings);
}

void Enter() {
    if (ttyFd < 0 || inProgramMode.exchange(true)) return;
    ::tcsetattr(ttyFd, TCSAFLUSH, &rawSettings);
    WriteRaw(enterSequence, enterLength);
}

void Wake(char reason) {
    const int saved = errno;
    if (wakePipe[1] >= 0 && ::write(wakePipe[1], &reason, 1) < 0) {
        // A full pipe already holds a wake-up; nothing is lost.
    }
    errno = saved;
}

void OnEndingSignal(int signal) {
    Leave();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void OnStop(int) {
    const bool wasInProgramMode = inProgramMode.load();
    Leave();
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(SIGTSTP);
    // Running again.
    std::signal(SIGTSTP, OnStop);
    if (wasInProgramMode) {
        Enter();
        Wake('c');
    }
}

void OnContinue(int) {
    // After a stop by SIGSTOP the shell may have reset the terminal.
    if (inProgramMode.load()) {
        ::tcsetattr(ttyFd, TCSAFLUSH, &rawSettings);
        WriteRaw(enterSequence, enterLength);
        Wake('c');
    }
}

void OnResize(int) { Wake('w'); }

void InstallHandlers() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int signal :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        // A signal ignored from the start (nohup) stays ignored.
        struct sigaction previous {};
        ::sigaction(signal, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) continue;
        action.sa_handler = OnEndingSignal;
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
    action.sa_flags = SA_RESTART;
    action.sa_handler = OnStop;
    ::sigaction(SIGTSTP, &action, nullptr);
    action.sa_handler = OnContinue;
    ::sigaction(SIGCONT, &action, nullptr);
    action.sa_handler = OnResize;
    ::sigaction(SIGWINCH, &action, nullptr);
    std::atexit([] { Leave(); });
    std::set_terminate([] {
        Leave();
        std::abort();
    });
}

}  // namespace

bool OpenTty(std::string& error) {
    if (ttyFd >= 0) return true;
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("no terminal: ") + std::strerror(errno);
        return false;
    }
    if (::tcgetattr(fd, &savedSettings) != 0) {
        error = std::string("not a terminal: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("no pipe: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    rawSettings = savedSettings;
    ::cfmakeraw(&rawSettings);
    rawSettings.c_cc[VMIN] = 1;
    rawSettings.c_cc[VTIME] = 0;
    ttyFd = fd;
    SetTtyModeSequences("", "");
    InstallHandlers();
    return true;
}

void SetTtyModeSequences(std::string enter, std::string leave) {
    // The handlers read these: no signal may arrive half-way through.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, &previous);
    Store(enterSequence, enterLength, kBaseEnter, enter);
    Store(leaveSequence, leaveLength, leave, kBaseLeave);
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    // Already in the program's mode: only the new part is sent, without
    // leaving the alternate screen or losing typed-ahead keys.
    if (inProgramMode.load()) WriteRaw(enter.data(), enter.size());
}

void EnterProgramMode() { Enter(); }
void LeaveProgramMode() { Leave(); }

int TtyFd() { return ttyFd; }

bool TtySize(int& rows, int& columns) {
    winsize size{};
    if (ttyFd < 0 || ::ioctl(ttyFd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0) return false;
    rows = size.ws_row;
    columns = size.ws_col;
    return true;
}

void TtyWrite(std::string_view bytes) { WriteRaw(bytes.data(), bytes.size()); }

int TtyWakeFd() { return wakePipe[0]; }

TtySignals TakeTtySignals() {
    TtySignals signals;
    char reasons[64];
    ssize_t n;
    while ((n = ::read(wakePipe[0], reasons, sizeof reasons)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (reasons[i] == 'w') signals.resized = true;
            if (reasons[i] == 'c') signals.continued = true;
        }
    }
    return signals;
}

}  // namespace vela::terminal
