// A guard around the storage engine's reads of a mapped file. The engine
// trusts the page numbers it finds in the file; in a file damaged in the
// middle (a page overwritten by another program, a bad disk block) it can
// follow one past the end of the file and the process would die of SIGBUS
// or SIGSEGV. Inside the guard such a fault ends the guarded call instead,
// and the caller reports an I/O error. Faults outside the guard go to the
// handler that was there before.
//
// While this process holds the engine's writer lock of any file, a fault is
// never turned into a jump: the process dies of it instead (see
// fault_guard.cpp for why).
#pragma once

namespace vela::recman {

// Runs fn(argument); false when a memory fault ended it early. What fn had
// built on the stack is abandoned, not destroyed, so callers give up the
// engine state it was using.
bool RunGuarded(void (*fn)(void*), void* argument);

// Ends the innermost guarded call as a fault would; returns only outside a
// guard, or while the writer lock is held. The engine's consistency checks
// call it when they find a page that is not what its parent says (they abort
// the process when it returns).
void LeaveGuard();

// Told when a write transaction begins (the engine's writer lock is taken)
// and when it is committed or aborted (the lock is let go).
void NoteWriterLockTaken();
void NoteWriterLockReleased();

// In a child process right after fork: the parent's writer locks are not
// the child's.
void ForgetWriterLocks();

}  // namespace vela::recman
