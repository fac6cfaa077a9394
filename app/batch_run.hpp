// A batch run: one run of the withholding job for a selection given on the
// command line, checked by the rules of the selection form (each field as
// the form would take it, then the form's own check, without the
// confirmation). Windows are drawn on a headless screen; messages go to
// standard output. Returns the process exit code: 0 done, 3 selection
// rejected, 4 the run failed.
#pragma once

#include "app/batch_arguments.hpp"
#include "app/start_up.hpp"

namespace vela {

inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRejected = 3;
inline constexpr int kExitFailed = 4;

// presenter holds the values read from "Vela.ini"; the command line's
// contact values replace them, as typing into the presenter form does.
int RunBatch(const BatchArguments& arguments, PresenterData& presenter);

}  // namespace vela
