// The controlling terminal (/dev/tty) in the program's own mode: raw input,
// the alternate screen, no autowrap, bracketed paste and SGR mouse
// reports. Whatever way the program ends - a normal exit, a fatal error,
// SIGINT, SIGTERM, SIGHUP, a crash - the terminal is put back as it was;
// Ctrl+Z gives it back while the program is stopped and takes it again on
// SIGCONT. A child program gets it back in normal mode (Leave) and the
// program takes it again afterwards (Enter).
//
// There is one terminal per process, so this is a set of functions over
// process-wide state that the signal handlers can reach.
#pragma once

#include <string>
#include <string_view>

namespace vela::terminal {

// Opens /dev/tty, remembers its settings and installs the handlers that
// restore them. False with the reason when there is no terminal.
bool OpenTty(std::string& error);

// Extra sequences written on entering the program's mode and on leaving it
// (the kitty keyboard flags); in the program's mode already, the entering
// one is written at once.
void SetTtyModeSequences(std::string enter, std::string leave);

void EnterProgramMode();
void LeaveProgramMode();

int TtyFd();

// The terminal's size now; false when it cannot tell.
bool TtySize(int& rows, int& columns);

// Writes everything (retrying on interruption).
void TtyWrite(std::string_view bytes);

// A descriptor that becomes readable when a signal needs the program's
// attention; TakeTtySignals reads it empty and reports what happened.
int TtyWakeFd();
struct TtySignals {
    bool resized = false;
    bool continued = false;
};
TtySignals TakeTtySignals();

}  // namespace vela::terminal
