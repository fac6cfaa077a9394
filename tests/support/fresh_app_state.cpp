// The withholding program's own state as at start-up: messages on the
// screen (not the batch output), no selection, no office identity, empty
// record areas, no spool file open, no record file open.
#include <cstdint>

#include "app/office_identity.hpp"
#include "app/program_values.hpp"
#include "app/records/record_areas.hpp"
#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "print/spool_file.hpp"
#include "records/lock_mode.hpp"
#include "records/record_file.hpp"
#include "tests/support/fresh_state.hpp"

namespace vela::testing {
namespace {

void ResetAppState() {
    SetBatchMessages(false);
    Selection = SelectionValues{};
    officeIdentity = OfficeIdentity{};
    recordAreas = RecordAreas{};
    moduleName.clear();
    recordTerminator.clear();
    CloseSpool();
    Spool = SpoolState{};
    std::int16_t status = 0;
    ResetRecordFiles(status);
    lockModeStack.clear();
}

const bool added = ResetBeforeEveryTest(ResetAppState);

}  // namespace
}  // namespace vela::testing
