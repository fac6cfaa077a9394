// KELD0190: the annual withholding return program.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app/batch_arguments.hpp"
#include "app/batch_run.hpp"
#include "app/office_identity.hpp"
#include "app/process_withholdings.hpp"
#include "app/program_forms.hpp"
#include "app/program_values.hpp"
#include "app/records/office_files.hpp"
#include "app/start_up.hpp"
#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/console.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "records/record_file.hpp"
#include "ui/browse_list.hpp"
#include "ui/form_file.hpp"
#include "ui/pop_up_tools.hpp"
#include "ui/small_screen_notice.hpp"

int main(int argc, char** argv) {
    // Started with SIGCHLD ignored, the system would reap the print program
    // by itself and the wait for its exit status would fail.
    std::signal(SIGCHLD, SIG_DFL);
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
    const bool batch = mode == vela::CommandLine::batch;
    const int failure = batch ? vela::kExitFailed : 1;

    if (!vela::StartSession(error) || !vela::CheckInputFiles(error)) {
        std::fprintf(stderr, "KELD0190: %s\n", error.c_str());
        return failure;
    }
    vela::SetTranslationModule(vela::moduleName);
    vela::InstallPopUpTools();
    vela::InstallSmallScreenNotice();
    vela::InstallBrowseLists();
    // A form description that cannot be read stops the program before it
    // takes the terminal, so the message stays readable in the shell.
    if (!vela::LoadForms(vela::moduleName, error)) {
        std::fprintf(stderr, "KELD0190: %s\n", error.c_str());
        return failure;
    }
    vela::RegisterProgramForms();
    vela::SetInitialSelection(vela::Session.workDate);

    if (!batch) {
        auto console = vela::terminal::TerminalConsole::Open(error);
        if (!console) {
            std::fprintf(stderr, "KELD0190: %s\n", error.c_str());
            return failure;
        }
        vela::InstallConsole(std::move(console));
    }
    vela::officeIdentity = vela::LoadOfficeIdentity(vela::Session.rootDir);
    if (batch) vela::ReportOpenFailuresPlainly();
    vela::OpenOfficeFiles();
    const vela::PresenterData presenter = vela::LoadPresenterData(vela::Session.rootDir);
    vela::PresenterIntoForm(presenter);
    vela::KeepPresenter(presenter);

    int exitCode = vela::kExitDone;
    if (batch) {
        exitCode = vela::RunBatch(arguments);
    } else {
        vela::ProcessWithholdings();
    }

    vela::SavePresenterData(vela::Session.rootDir, vela::KeptPresenter());
    std::int16_t status = 0;
    vela::ResetRecordFiles(status);
    vela::InstallConsole(nullptr);
    return exitCode;
}
