// KELD0190: the annual withholding return program.
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/batch_arguments.hpp"
#include "app/batch_run.hpp"
#include "app/office_identity.hpp"
#include "app/owner_list.hpp"
#include "app/program_values.hpp"
#include "app/records/office_files.hpp"
#include "app/start_up.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "records/record_file.hpp"
#include "ui/pop_up_tools.hpp"

int main(int argc, char** argv) {
    vela::BatchArguments arguments;
    std::string error;
    const vela::CommandLine mode = vela::ParseCommandLine(argc, argv, arguments, error);
    if (mode == vela::CommandLine::help) {
        std::fputs(vela::kCommandUsage, stdout);
        return vela::kExitDone;
    }
    if (mode == vela::CommandLine::error) {
        std::fprintf(stderr, "KELD0190: %s\n%s", error.c_str(), vela::kCommandUsage);
        return vela::kExitUsage;
    }

    if (!vela::StartSession(error)) {
        std::fprintf(stderr, "KELD0190: %s\n", error.c_str());
        return 1;
    }
    vela::SetTranslationModule(vela::moduleName);
    vela::InstallPopUpTools();
    // The form engine hands the list its field values and choice storing
    // once the interactive forms are in place.
    vela::InstallOwnerList({});
    vela::officeIdentity = vela::LoadOfficeIdentity(vela::Session.rootDir);
    vela::OpenOfficeFiles();
    vela::PresenterData presenter = vela::LoadPresenterData(vela::Session.rootDir);

    int exitCode = vela::kExitDone;
    if (mode == vela::CommandLine::batch) {
        exitCode = vela::RunBatch(arguments, presenter);
    }
    // The interactive selection loop (forms) runs here once the forms are in
    // place; until then an interactive start ends after start-up.

    vela::SavePresenterData(vela::Session.rootDir, presenter);
    std::int16_t status = 0;
    vela::ResetRecordFiles(status);
    return exitCode;
}
