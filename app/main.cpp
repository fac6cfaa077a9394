// KELD0190: the annual withholding return program.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/office_identity.hpp"
#include "app/records/office_files.hpp"
#include "app/start_up.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "records/record_file.hpp"

namespace {

constexpr const char* kUsage =
    "usage: KELD0190\n"
    "  Runs in the session that the environment (RUKROOT, RUKEXE, RUKTMP)\n"
    "  and the session folder's Sessio.ini and VelaTerm.ini describe.\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "KELD0190: unknown argument %s\n%s", argv[i], kUsage);
        return 2;
    }

    std::string error;
    if (!vela::StartSession(error)) {
        std::fprintf(stderr, "KELD0190: %s\n", error.c_str());
        return 1;
    }
    const std::string closingDate = vela::DefaultClosingDate(vela::Session.workDate);
    (void)closingDate;  // the selection form's initial closing date
    vela::OpenOfficeFiles();
    const vela::PresenterData presenter = vela::LoadPresenterData(vela::Session.rootDir);
    vela::officeIdentity = vela::LoadOfficeIdentity(vela::Session.rootDir);

    // The selection loop runs here once the forms and the main procedure
    // are in place; until then the program ends after start-up.

    vela::SavePresenterData(vela::Session.rootDir, presenter);
    std::int16_t status = 0;
    vela::ResetRecordFiles(status);
    return 0;
}
