// ROVODOVO: the family's print program. Reads the session's spool file
// "rovodovo.tmp" and "ROVODOVO.INI" [Opcions] "Correu", writes every
// document as PDF and text into a run folder of its own, shows, prints or
// sends them as the device and the installation's settings say, and prints
// one line naming the folder and the counts. With --resend FOLDER it sends
// what the send log of an earlier run folder does not show as sent.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "datenum/calendar_dates.hpp"
#include "datenum/text_utils.hpp"
#include "env/ini_file.hpp"
#include "env/session.hpp"
#include "env/session_check.hpp"
#include "env/translation.hpp"
#include "platform/clock.hpp"
#include "platform/host_path.hpp"
#include "platform/terminal/terminal_console.hpp"
#include "tools/print_program/page_viewer.hpp"
#include "tools/print_program/print_job.hpp"

namespace {

constexpr const char* kUsage =
    "usage: ROVODOVO\n"
    "       ROVODOVO --resend FOLDER\n"
    "  Renders the session's spool file (RUKTMP/rovodovo.tmp) into a run folder of\n"
    "  its own under RUKTMP/ROVODOVO/ (or Vela.ini [Impressio] Carpeta): one PDF and\n"
    "  one text file a document, INDEX.txt and, with ROVODOVO.INI [Opcions]\n"
    "  Correu=S, the e-mail send log ENVIAMENTS.txt. The spool's device decides the\n"
    "  rest: PANTALLA shows the documents, PDF and FITXER only write them, any other\n"
    "  name is a printer queue for lp -d. Vela.ini [Correu] says how e-mail goes out.\n"
    "  --resend FOLDER sends the documents of FOLDER its send log does not show as\n"
    "  sent. Exit: 0 done, 1 some document not printed or sent, 2 usage, 3 no spool\n"
    "  file (or no run folder).\n";

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int WorkDateYmd() {
    const std::string digits = vela::UnpackDigits(vela::Session.workDate);
    if (digits.size() == 8 && digits != "00000000") return std::atoi(digits.c_str());
    return vela::TodayYmd();
}

int Finish(const vela::PrintJobReport& report) {
    for (const std::string& problem : report.problems) {
        std::fprintf(stderr, "ROVODOVO: %s\n", problem.c_str());
    }
    if (!report.line.empty()) std::printf("%s\n", report.line.c_str());
    std::fflush(stdout);
    return report.status;
}

void Show(const std::string& folder) {
    std::string error;
    auto console = vela::terminal::TerminalConsole::Open(error);
    if (!console) {
        std::fprintf(stderr, "ROVODOVO: the documents cannot be shown: %s\n", error.c_str());
        return;
    }
    vela::InstallConsole(std::move(console));
    vela::ViewDocuments(vela::RunFolderDocuments(folder));
    vela::InstallConsole(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string resend;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--resend") == 0) {
        resend = argv[2];
    } else if (argc != 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    vela::ReadSession();
    if (const std::string missing = vela::MissingSession("ROVODOVO"); !missing.empty()) {
        std::fprintf(stderr, "ROVODOVO: %s\n", missing.c_str());
        return 1;
    }
    vela::SetTranslationModule("KELD0190");
    const std::string velaIni = vela::Session.rootDir + "Vela.ini";
    if (!resend.empty()) {
        while (resend.size() > 1 && resend.back() == '/') resend.pop_back();
        return Finish(vela::ResendRunFolder(resend, velaIni));
    }

    vela::PrintJobOptions options;
    options.spoolPath = vela::ResolveHostPath(vela::Session.tmpDir + "rovodovo.tmp");
    options.velaIni = velaIni;
    options.mail = vela::TrimBlanks(vela::IniRead(vela::Session.tmpDir + "ROVODOVO.INI", "Opcions",
                                                  "Correu")) == "S";
    options.workDate = WorkDateYmd();
    options.terminal = ::isatty(STDIN_FILENO) != 0;
    options.runParent = vela::ResolveHostPath(vela::Session.tmpDir + "ROVODOVO");
    const std::string carpeta = vela::TrimBlanks(vela::IniRead(velaIni, "Impressio", "Carpeta"));
    if (!carpeta.empty()) {
        const std::string host = vela::ResolveHostPath(carpeta);
        if (IsFolder(host)) {
            options.runParent = host;
        } else {
            std::fprintf(stderr, "ROVODOVO: [Impressio] Carpeta %s is not a folder; using %s\n",
                         host.c_str(), options.runParent.c_str());
        }
    }
    const vela::PrintJobReport report = vela::RunPrintJob(options);
    if (report.show) Show(report.folder);
    return Finish(report);
}
