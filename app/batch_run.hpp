// A batch run: one run of the withholding job for a selection given on the
// command line, typed into the selection and presenter forms as a clerk
// types it (each field checked as the form checks it), then the form's own
// check, without the confirmation. Windows are drawn on a headless screen; messages go to
// standard output, what went wrong to standard error. Returns the process
// exit code: 0 done, 3 selection rejected, 4 the run failed (a record file
// that cannot be read, a return file, the spool file or the print program's
// options that cannot be written, the print program missing or failing,
// another run holding the return files or the spool file too long), 5
// return files written but their check found errors (the counts are in the
// completion messages).
#pragma once

#include "app/batch_arguments.hpp"

namespace vela {

inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRejected = 3;
inline constexpr int kExitFailed = 4;
inline constexpr int kExitCheckErrors = 5;  // return files written, their check found errors

// The forms must be loaded, with the presenter's values from "Vela.ini" in
// form 2; the command line's contact values replace them there, as typing
// into the presenter form does.
int RunBatch(const BatchArguments& arguments);

// A record file that cannot be opened ends a batch run with exit code 4 and
// a line on standard error naming the file and the record manager's status
// in plain words, instead of the message window and its key.
void ReportOpenFailuresPlainly();

}  // namespace vela
