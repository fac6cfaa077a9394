// The terminal console on a pseudo-terminal that answers like a terminal
// speaking the kitty keyboard protocol: the program asks, switches the
// protocol on, reads Alt with the keypad as character codes, and switches
// it off again when it gives the terminal back. (tmux, used by the other
// end-to-end tests, has no such protocol.)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "env/session.hpp"
#include "platform/console.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "tests/support/temp_folder.hpp"
#include "ui/keyboard.hpp"

namespace vela {
namespace {

// The program's side, in a child process whose controlling terminal is the
// pseudo-terminal: reads three keys and reports them on the pipe.
[[noreturn]] void RunProgramSide(const std::string& terminalName, int reportFd) {
    ::setsid();
    const int terminal = ::open(terminalName.c_str(), O_RDWR);  // becomes the controlling one
    if (terminal < 0) ::_exit(3);
    std::string error;
    auto console = terminal::TerminalConsole::Open(error);
    if (!console) ::_exit(4);
    const bool kitty = console->KittyKeyboard();
    InstallConsole(std::move(console));
    std::string report = kitty ? "kitty" : "legacy";
    for (int i = 0; i < 3; ++i) {
        std::int16_t key = 0;
        WaitKey(key);
        char code[16];
        std::snprintf(code, sizeof code, " %04x",
                      static_cast<unsigned>(static_cast<std::uint16_t>(key)));
        report += code;
    }
    report += "\n";
    InstallConsole(nullptr);  // gives the terminal back
    if (::write(reportFd, report.data(), report.size()) < 0) ::_exit(5);
    ::_exit(0);
}

// The program's side for a terminal made too small while the program draws
// without reading keys: one key read, then, once the test says so, a line
// drawn and the screen shown; "shown" is reported when that returns.
[[noreturn]] void RunDrawingSide(const std::string& terminalName, int reportFd, int goFd) {
    ::setsid();
    const int terminal = ::open(terminalName.c_str(), O_RDWR);
    if (terminal < 0) ::_exit(3);
    std::string error;
    auto console = terminal::TerminalConsole::Open(error);
    if (!console) ::_exit(4);
    InstallConsole(std::move(console));
    std::int16_t key = 0;
    WaitKey(key);
    if (::write(reportFd, "key\n", 4) < 0) ::_exit(5);
    char go = 0;
    if (::read(goFd, &go, 1) != 1) ::_exit(6);
    Screen().Locate(2, 3);
    Screen().Print("DRAWN AFTER THE KEY");
    PresentScreen();
    if (::write(reportFd, "shown\n", 6) < 0) ::_exit(5);
    WaitKey(key);
    InstallConsole(nullptr);
    ::_exit(0);
}

class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        name_ = ::ptsname(master_);
        winsize size{};
        size.ws_row = 25;
        size.ws_col = 80;
        ::ioctl(master_, TIOCSWINSZ, &size);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) ::close(master_);
    }
    bool ok() const { return master_ >= 0 && !name_.empty(); }
    // The terminal changes size; the program gets SIGWINCH.
    void Resize(int rows, int columns) {
        winsize size{};
        size.ws_row = static_cast<unsigned short>(rows);
        size.ws_col = static_cast<unsigned short>(columns);
        ::ioctl(master_, TIOCSWINSZ, &size);
    }
    // The program's side keeps only its own end of the terminal.
    void CloseMasterInChild() { ::close(master_); }
    void HangUp() {
        ::close(master_);
        master_ = -1;
    }
    const std::string& name() const { return name_; }

    // Reads what the program writes (so that it never blocks on a full
    // terminal) and what it reports, until the report holds a line (or
    // text, when given), the screen output holds text, or time runs out.
    bool Pump(int reportFd, const std::string& outputText, bool untilReport) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            if (!untilReport && output_.find(outputText) != std::string::npos) return true;
            if (untilReport &&
                report_.find(outputText.empty() ? "\n" : outputText) != std::string::npos) {
                return true;
            }
            pollfd fds[2] = {{master_, POLLIN, 0}, {reportFd, POLLIN, 0}};
            if (::poll(fds, 2, 50) <= 0) continue;
            char buffer[4096];
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) output_.append(buffer, static_cast<std::size_t>(n));
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = ::read(reportFd, buffer, sizeof buffer);
                if (n > 0) report_.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return false;
    }
    void Type(const std::string& bytes) {
        if (::write(master_, bytes.data(), bytes.size()) < 0) ADD_FAILURE() << "write";
    }
    const std::string& output() const { return output_; }
    const std::string& report() const { return report_; }

  private:
    int master_ = -1;
    std::string name_;
    std::string output_;
    std::string report_;
};

TEST(TerminalConsoleOnAPseudoTerminal, KittyKeyboardProtocol) {
    testing::TempFolder session;
    PseudoTerminal pty;
    if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminals here";
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pty.CloseMasterInChild();
        ::close(report[0]);
        Session.tmpDir = session.path();
        RunProgramSide(pty.name(), report[1]);
    }
    ::close(report[1]);

    // The program asks whether the terminal speaks the kitty protocol; this
    // one says it does, then answers the device attributes.
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[?u\x1b[c", false)) << pty.output();
    pty.Type("\x1b[?0u\x1b[?62;22c");
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[>27u", false)) << pty.output();
    // Switched on in place: the program's screen is not left meanwhile.
    EXPECT_EQ(pty.output().substr(0, pty.output().find("\x1b[>27u")).find("\x1b[?1049l"),
              std::string::npos);

    // Left Alt held, keypad 1, 3, 0 (each pressed and released), Alt up;
    // then Ctrl+F1; then "q" as the kitty protocol sends text keys.
    std::string keys = "\x1b[57443;3u";
    for (int code : {57400, 57402, 57399}) {
        keys += "\x1b[" + std::to_string(code) + ";3u\x1b[" + std::to_string(code) + ";3:3u";
    }
    keys += "\x1b[57443;1:3u\x1b[1;5P\x1b[113;;113u";
    pty.Type(keys);
    ASSERT_TRUE(pty.Pump(report[0], "", true)) << pty.report();
    EXPECT_EQ(pty.report(), "kitty 0082 5e00 0071\n");

    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    pty.Pump(report[0], "\x1b[?1049l", false);
    // The protocol is switched off when the terminal is given back.
    const std::string& output = pty.output();
    const auto pop = output.rfind("\x1b[<u");
    ASSERT_NE(pop, std::string::npos);
    EXPECT_GT(output.rfind("\x1b[?1049l"), pop);
    ::close(report[0]);
}

TEST(TerminalConsoleOnAPseudoTerminal, WithoutAnAnswerTheProtocolStaysOff) {
    testing::TempFolder session;
    PseudoTerminal pty;
    if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminals here";
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pty.CloseMasterInChild();
        ::close(report[0]);
        Session.tmpDir = session.path();
        RunProgramSide(pty.name(), report[1]);
    }
    ::close(report[1]);
    // Only the device attributes are answered, as tmux does.
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[?u\x1b[c", false)) << pty.output();
    pty.Type("\x1b[?1;2c");
    pty.Type("\x1b[1;5P\x1b[21;2~x");
    ASSERT_TRUE(pty.Pump(report[0], "", true)) << pty.report();
    EXPECT_EQ(pty.report(), "legacy 5e00 5d00 0078\n");
    EXPECT_EQ(pty.output().find("\x1b[>"), std::string::npos);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(report[0]);
}

// The terminal goes away (window closed, connection dropped) while the
// program waits for a key, under nohup so that no SIGHUP ends it: the
// program still ends, as a hangup ends it, instead of spinning.
TEST(TerminalConsoleOnAPseudoTerminal, AHangUpEndsTheProgramEvenUnderNohup) {
    testing::TempFolder session;
    PseudoTerminal pty;
    if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminals here";
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pty.CloseMasterInChild();
        ::close(report[0]);
        ::signal(SIGHUP, SIG_IGN);
        Session.tmpDir = session.path();
        RunProgramSide(pty.name(), report[1]);
    }
    ::close(report[1]);
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[?u\x1b[c", false)) << pty.output();
    pty.Type("\x1b[?1;2c");
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[?1049h", false)) << pty.output();
    pty.HangUp();

    int status = 0;
    pid_t ended = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((ended = ::waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < until) {
        ::usleep(10000);
    }
    if (ended == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the program kept running without its terminal";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;
    ::close(report[0]);
}

// Made too small while the program draws: the screen is not shown, the
// notice is, and the program waits there until the terminal is large
// enough again; then the whole screen is shown as the program drew it.
TEST(TerminalConsoleOnAPseudoTerminal, DrawingWaitsWhileTheTerminalIsTooSmall) {
    testing::TempFolder session;
    PseudoTerminal pty;
    if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminals here";
    int report[2];
    int go[2];
    ASSERT_EQ(::pipe(report), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pty.CloseMasterInChild();
        ::close(report[0]);
        ::close(go[1]);
        Session.tmpDir = session.path();
        RunDrawingSide(pty.name(), report[1], go[0]);
    }
    ::close(report[1]);
    ::close(go[0]);
    ASSERT_TRUE(pty.Pump(report[0], "\x1b[?u\x1b[c", false)) << pty.output();
    pty.Type("\x1b[?1;2c");
    pty.Type("a");
    ASSERT_TRUE(pty.Pump(report[0], "key\n", true)) << pty.output();

    pty.Resize(20, 60);
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    ASSERT_TRUE(pty.Pump(report[0], "60 x 20", false)) << pty.output();
    // Waiting: nothing drawn, nothing reported.
    EXPECT_EQ(pty.output().find("DRAWN"), std::string::npos);
    EXPECT_EQ(pty.report(), "key\n");

    pty.Resize(25, 80);
    ASSERT_TRUE(pty.Pump(report[0], "shown\n", true)) << pty.output();
    EXPECT_EQ(pty.report(), "key\nshown\n");
    const std::string& output = pty.output();
    const auto notice = output.find("60 x 20");
    const auto drawn = output.find("DRAWN AFTER THE KEY");
    ASSERT_NE(drawn, std::string::npos) << output;
    EXPECT_GT(drawn, notice);
    // Drawn anew from a cleared screen.
    EXPECT_NE(output.find("\x1b[2J", notice + 7), std::string::npos);

    pty.Type("q");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(report[0]);
    ::close(go[1]);
}

}  // namespace
}  // namespace vela
