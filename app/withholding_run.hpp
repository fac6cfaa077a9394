// One run of the withholding job for an accepted selection: every tax
// territory, every owner of the range who withholds tax, every payment of
// the year up to the closing date, summed per payee in three passes
// (employees under key A, professionals under key G, contractors under key H)
// and handed to the chosen output: the listing, the certificates or one
// return file per owner. The office's own fees (payee 0000) are reported as a
// professional with the office's identity.
//
// The run reads the record files through the record areas, as the office's
// other programs leave them, and never writes to them. Progress shows in a
// window at the foot of the screen; messages go through ShowRunMessage.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/payee_sums.hpp"
#include "app/return_file.hpp"

namespace vela {

// What one run did, for the caller and for batch runs.
struct RunOutcome {
    int returnFilesWritten = 0;  // over all territories
    int returnFilesFailed = 0;
    int certificates = 0;
    int listingPages = 0;
    bool anyEmail = false;
    long recordReads = 0;  // keyed reads and steps through the record layer
    // A record file could not be read: the walk stopped there, and what it
    // would have written after that point was not written.
    bool stopped = false;
    // What went wrong, in plain words, in the order it happened; each was
    // shown as it happened (ShowRunFailure).
    std::vector<std::string> failures;
    // Findings of the check of the return files written, over all territories.
    int checkErrors = 0;
    int checkWarnings = 0;
};

// The output's side of the run: takes the run's locks (for return files the
// installation's, waiting a few minutes at most for another return-file
// run; always the session's spool file), opens and closes the spool file,
// walks the territories, writes "Correu" and hands the spool file to the
// print program. Returns false when anything went wrong (the failures are
// in the outcome): the spool file or "ROVODOVO.INI" could not be written
// (an incomplete spool file is removed and never handed on), the walk
// stopped on a record file it could not read, a return file could not be
// written, the print program could not be started or failed.
bool RunWithholdings(RunOutcome& outcome);

// How long a run waits for another run's lock (a few minutes); for tests.
void SetRunLockWaitForTesting(std::chrono::milliseconds bound);

// Walks the territories for the selection in force into the open spool
// file (or the return files); the core of RunWithholdings.
RunOutcome ProcessTerritories();

}  // namespace vela
