#include "recman/fault_guard.hpp"

#include <setjmp.h>
#include <signal.h>

namespace vela::recman {

namespace {

// One thread; the innermost active guard.
sigjmp_buf* activeJump = nullptr;

// Write transactions this process has open (each holds a file's writer
// lock). A jump out of the engine abandons its transaction without aborting
// it. For a read that costs a reader slot of a file that is given up anyway.
// An abandoned write transaction would keep the file's writer lock, and
// with it every other process from writing that file, for as long as this
// process lives. Dying of the fault instead releases the lock at once (the
// engine's lock is a robust mutex, handed on when its owner dies), and the
// file keeps its last committed state, as the engine never overwrites
// committed pages. So while a write transaction is open (a write, or any
// operation inside an explicit transaction) a fault goes to the handler
// that was there before, or the default action. Checking every page before
// the engine trusts it was the other way; it would put a check of each page
// the engine reaches on the program's hot read path, for a fault that only a
// damaged file causes.
int writerLocksHeld = 0;

struct sigaction previousBus;
struct sigaction previousSegv;

bool MayJump() { return activeJump != nullptr && writerLocksHeld == 0; }

void OnFault(int signal, siginfo_t* info, void* context) {
    if (MayJump()) siglongjmp(*activeJump, 1);
    const struct sigaction& previous = signal == SIGBUS ? previousBus : previousSegv;
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN &&
        previous.sa_handler != nullptr) {
        previous.sa_handler(signal);
        return;
    }
    // Returning re-runs the faulting instruction under the default action.
    ::signal(signal, SIG_DFL);
}

void InstallHandlers() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousBus);
        sigaction(SIGSEGV, &action, &previousSegv);
        return true;
    }();
    (void)installed;
}

}  // namespace

void LeaveGuard() {
    if (MayJump()) siglongjmp(*activeJump, 1);
}

void NoteWriterLockTaken() { ++writerLocksHeld; }

void NoteWriterLockReleased() {
    if (writerLocksHeld > 0) --writerLocksHeld;
}

void ForgetWriterLocks() { writerLocksHeld = 0; }

bool RunGuarded(void (*fn)(void*), void* argument) {
    InstallHandlers();
    sigjmp_buf jump;
    sigjmp_buf* outer = activeJump;
    // The signal mask is not saved (that would be a system call on every
    // engine call): the handler runs with SA_NODEFER, so nothing is left
    // blocked when it jumps back here.
    if (sigsetjmp(jump, 0) != 0) {
        activeJump = outer;
        return false;
    }
    activeJump = &jump;
    fn(argument);
    activeJump = outer;
    return true;
}

}  // namespace vela::recman
