#include "recman/fault_guard.hpp"

#include <setjmp.h>
#include <signal.h>

namespace vela::recman {

namespace {

// One thread; the innermost active guard.
sigjmp_buf* activeJump = nullptr;
struct sigaction previousBus;
struct sigaction previousSegv;

void OnFault(int signal, siginfo_t* info, void* context) {
    if (activeJump != nullptr) siglongjmp(*activeJump, 1);
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
    if (activeJump != nullptr) siglongjmp(*activeJump, 1);
}

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
