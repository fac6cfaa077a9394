// One run of the print program: the spool file read one page at a time,
// every document written into a run folder of its own as PDF and text,
// printed on a printer queue when the device names one, and sent by e-mail
// when asked, with INDEX.txt and the send log recording what happened to
// each; and the resending of what an earlier run folder's log does not
// show as sent.
//
// Exit statuses: 0 every document done, 1 some document could not be
// printed or sent (each named in the report's problems), 3 the spool file
// missing, unreadable or not a spool file (or, for a resend, the folder not
// a run folder).
#pragma once

#include <string>
#include <vector>

namespace vela {

enum class DeviceKind { Screen, Pdf, File, Printer };
DeviceKind DeviceKindOf(const std::string& device);

struct PrintJobOptions {
    std::string spoolPath;  // host path of the spool file
    std::string runParent;  // host folder that receives the run folder
    std::string velaIni;    // the installation's Vela.ini, as IniRead takes it
    bool mail = false;      // "Correu" = S
    int workDate = 0;       // YYYYMMDD: the date the PDFs carry
    bool terminal = false;  // a terminal to show the documents on
};

struct PrintJobReport {
    int status = 0;
    std::string folder;  // the run folder (host path), "" when none was made
    DeviceKind device = DeviceKind::Pdf;
    std::string deviceText;
    bool show = false;                  // the caller shows the documents in the page viewer
    std::string line;                   // the one output line (UTF-8)
    std::vector<std::string> problems;  // one a failure, for standard error
};

PrintJobReport RunPrintJob(const PrintJobOptions& options);

// Sends the documents of a run folder that its send log does not show as
// sent, with the e-mail settings of velaIni.
PrintJobReport ResendRunFolder(const std::string& folder, const std::string& velaIni);

// Makes a fresh run folder under parent named after the local time now
// ("YYYYMMDD-HHMMSS", then "-2", "-3", ... when taken). "" on failure.
std::string MakeRunFolder(const std::string& parent, std::string& error);

// Year and owner of a certificate, read from its first page: the owner's
// name is the page's first line, the year the four digits at column 70 of
// the box row that holds them.
void CertificateFacts(const std::vector<std::string>& firstPageLines, std::string& year,
                      std::string& owner);

}  // namespace vela
