// Handing the spool file to the print program ROVODOVO and showing the
// clerk the one line it prints (the run folder and its counts) as the
// completion message of a listing or certificate run: a message window, or standard output in a
// batch run. A batch run gives the print program no input, so it never
// waits for a key.
#pragma once

namespace vela {

// Runs exeDir's ROVODOVO; returns its exit status (-1 when it could not be
// started).
int RunPrintProgramAndShowLine();

}  // namespace vela
