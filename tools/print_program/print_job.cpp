#include "tools/print_program/print_job.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <set>

#include "datenum/text_utils.hpp"
#include "env/translation.hpp"
#include "platform/clock.hpp"
#include "platform/code_page_850.hpp"
#include "tools/print_program/mail_transport.hpp"
#include "tools/print_program/pdf_document.hpp"
#include "tools/print_program/printer_queue.hpp"
#include "tools/print_program/run_records.hpp"
#include "tools/print_program/spool_document.hpp"
#include "tools/print_program/text_rendering.hpp"

namespace vela {
namespace {

std::string DocumentName(long number) {
    char name[32];
    std::snprintf(name, sizeof name, "DOC%04ld", number);
    return name;
}

// A translated text (UTF-8) with its placeholders filled in.
std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        for (auto at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size())) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

std::string Utf8Translated(const std::string& cp850) { return Utf8FromCp850(Translate(cp850)); }

// CP850 text read from the spool as UTF-8, its control characters kept as
// they are (not as their PC glyphs), so that the checks on addresses and
// names see them.
std::string TextFromSpool(const std::string& cp850) {
    std::string out;
    for (char c : cp850) {
        const auto code = static_cast<unsigned char>(c);
        out += code < 32 || code == 127 ? std::string(1, c) : Utf8FromCp850(std::string(1, c));
    }
    return out;
}

// Blanks in place of control characters, for texts read from documents.
std::string Blanked(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    }
    return text;
}

std::string Count(long n, const char* cp850Key) {
    return std::to_string(n) + " " + Utf8Translated(Cp850(cp850Key));
}

// Sends documents one at a time and records each attempt in the send log.
class Mailer {
  public:
    Mailer(const std::string& folder, const std::string& velaIni)
        : folder_(folder),
          settings_(ReadMailSettings(velaIni)),
          throttle_(settings_.maxPerMinute),
          logPath_(folder + "/ENVIAMENTS.txt") {
        if (settings_.problem.empty()) transport_ = MakeMailTransport(settings_);
    }

    bool toFolder() const { return settings_.transport == MailTransportKind::Folder; }
    long sent = 0, written = 0, notSent = 0;

    // Sends entry's PDF to its address; returns the e-mail part of its fate.
    std::string Deliver(const IndexEntry& entry, std::vector<std::string>& problems) {
        SendLogEntry log;
        log.file = entry.file;
        log.address = entry.address;
        std::string reason = RefusalReason(entry.address, entry.recipient);
        if (!reason.empty()) {
            log.result = "refused";
        } else if (!settings_.problem.empty()) {
            reason = settings_.problem;
            log.result = "failed";
        } else if (!stopReason_.empty()) {
            reason = stopReason_;
            log.result = "failed";
        }
        if (log.result.empty()) {
            MailMessage message = Compose(entry);
            log.messageId = message.messageId;
            if (!toFolder()) throttle_.Wait();
            const std::string base = entry.file.substr(0, entry.file.rfind('.'));
            const SendResult result = transport_->Send(message, folder_ + "/" + base + ".eml");
            log.reply = result.reply;
            if (result.kind == SendResult::Kind::Sent) {
                log.result = "sent";
            } else if (result.kind == SendResult::Kind::Written) {
                log.result = "written";
            } else {
                log.result = "failed";
                reason = result.reply;
                if (result.stopAll) stopReason_ = result.reply;
            }
        } else {
            log.reply = reason;
        }
        log.time = LogTimeNow();
        const bool logged = AppendSendLog(logPath_, log);
        if (!logged) {
            problems.push_back(entry.file + ": the send log " + logPath_ + " cannot be written (" +
                               log.result + ")");
        }
        if (log.result == "sent") {
            ++sent;
            return logged ? "sent" : "sent (not logged)";
        }
        if (log.result == "written") {
            ++written;
            return "e-mail written to " + log.reply;
        }
        ++notSent;
        problems.push_back(entry.file + ": e-mail to " + EscapeField(entry.address) +
                           " not sent: " + log.result + ": " + reason);
        return "not sent: " + log.result + ": " + reason;
    }

  private:
    MailMessage Compose(const IndexEntry& entry) const {
        MailMessage m;
        m.fromAddress = settings_.sender;
        m.fromName = settings_.senderName;
        m.toAddress = entry.address;
        m.toName = entry.recipient;
        m.blindCopy = settings_.blindCopy;
        const std::vector<std::pair<std::string, std::string>> values = {
            {"{ANY}", entry.year},
            {"{PROPIETARI}", entry.owner},
            {"{PERCEPTOR}", entry.recipient},
            {"{REMITENT}", settings_.senderName}};
        m.subject = Blanked(Fill(
            Utf8Translated(Cp850("Certificat de retencions de l'exercici {ANY} - {PROPIETARI}")),
            values));
        m.body =
            Fill(Utf8Translated(Cp850("Benvolgut/da {PERCEPTOR},")), values) + "\n\n" +
            Fill(Utf8Translated(Cp850("Us fem arribar adjunt el certificat de retencions i "
                                      "ingressos a compte de l'exercici {ANY} de {PROPIETARI}.")),
                 values) +
            "\n\n" + Utf8Translated(Cp850("Atentament,")) + "\n" + settings_.senderName + "\n";
        m.date = MailDate(static_cast<long long>(std::time(nullptr)));
        const auto at = settings_.sender.find('@');
        m.messageId = NewMessageId(at == std::string::npos ? "" : settings_.sender.substr(at + 1));
        m.attachmentPath = folder_ + "/" + entry.file;
        m.attachmentName = entry.file;
        return m;
    }

    std::string folder_;
    MailSettings settings_;
    std::unique_ptr<MailTransport> transport_;
    SendThrottle throttle_;
    std::string logPath_;
    std::string stopReason_;
};

std::string MailCounts(const Mailer& mailer) {
    std::string line;
    if (mailer.toFolder()) {
        line += ", " + Count(mailer.written, "CORREUS DESATS A LA CARPETA");
    } else {
        line += ", " + Count(mailer.sent, "CORREUS ENVIATS");
    }
    line += ", " + Count(mailer.notSent, "NO ENVIATS");
    return line;
}

}  // namespace

DeviceKind DeviceKindOf(const std::string& device) {
    const std::string d = AsciiUpper(TrimBlanks(device));
    if (d.empty() || d == "PANTALLA") return DeviceKind::Screen;
    if (d == "PDF") return DeviceKind::Pdf;
    if (d == "FITXER") return DeviceKind::File;
    return DeviceKind::Printer;
}

std::string MakeRunFolder(const std::string& parent, std::string& error) {
    std::string path;
    for (std::size_t at = parent.find('/', 1); at != std::string::npos;
         at = parent.find('/', at + 1)) {
        ::mkdir(parent.substr(0, at).c_str(), 0777);
    }
    ::mkdir(parent.c_str(), 0777);
    const std::string stamp = LocalTimeText("%Y%m%d-%H%M%S");
    for (int n = 1; n < 1000; ++n) {
        path = parent + "/" + stamp + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (::mkdir(path.c_str(), 0777) == 0) return path;
        if (errno != EEXIST) break;
    }
    error = "cannot create a run folder in " + parent + ": " + std::strerror(errno);
    return std::string();
}

void CertificateFacts(const std::vector<std::string>& lines, std::string& year,
                      std::string& owner) {
    year.clear();
    owner.clear();
    for (const std::string& line : lines) {
        if (!TrimBlanks(line).empty()) {
            owner = TrimBlanks(line);
            break;
        }
    }
    const char border = static_cast<char>(0xB3);  // the box's vertical line
    for (const std::string& line : lines) {
        if (line.size() < 95 || line[19] != border || line[94] != border) continue;
        const std::string value = line.substr(69, 4);
        bool digits = true;
        for (char c : value) digits = digits && c >= '0' && c <= '9';
        if (digits && TrimBlanks(line.substr(73, 21)).empty()) {
            year = value;
            return;
        }
    }
}

PrintJobReport RunPrintJob(const PrintJobOptions& options) {
    PrintJobReport report;
    std::ifstream in(options.spoolPath, std::ios::binary);
    if (!in) {
        report.status = 3;
        report.problems.push_back("cannot read the spool file " + options.spoolPath);
        return report;
    }
    SpoolReader reader(in);
    if (!reader.ReadHeader()) {
        report.status = 3;
        report.problems.push_back(options.spoolPath +
                                  " is not a spool file (it does not start with DEVICE)");
        return report;
    }
    report.deviceText = reader.device();
    report.device = DeviceKindOf(report.deviceText);
    PdfFonts fonts;
    std::string error;
    if (!fonts.Load(error)) {
        report.status = 1;
        report.problems.push_back(error);
        return report;
    }
    report.folder = MakeRunFolder(options.runParent, error);
    if (report.folder.empty()) {
        report.status = 1;
        report.problems.push_back(error);
        return report;
    }
    const std::string indexPath = report.folder + "/INDEX.txt";
    std::ofstream index(indexPath, std::ios::binary | std::ios::trunc);
    index << "# device: " << Utf8FromCp850(report.deviceText) << "\n";
    index << "# e-mail: " << (options.mail ? "yes" : "no") << "\n";
    index << "# file\tpages\taddress\trecipient\twhat happened\tyear\towner\n";
    std::unique_ptr<Mailer> mailer;
    if (options.mail) mailer = std::make_unique<Mailer>(report.folder, options.velaIni);

    long documents = 0, pages = 0, notPrinted = 0;
    bool tagged = false;
    IndexEntry entry;
    std::unique_ptr<PdfDocument> pdf;
    TextRenderingFile text;
    const auto finish = [&] {
        if (pdf == nullptr) return;
        std::string pdfError;
        const bool pdfDone = pdf->Close(pdfError);
        const bool textDone = text.Close();
        pdf.reset();
        std::vector<std::string> fate;
        if (!pdfDone || !textDone) {
            ++notPrinted;
            const std::string why = !pdfDone ? pdfError : "the text rendering could not be written";
            report.problems.push_back(entry.file + ": not written: " + why);
            fate.push_back("not written: " + why);
        } else if (report.device == DeviceKind::Printer) {
            std::string lpError;
            if (PrintOnQueue(Utf8FromCp850(TrimBlanks(report.deviceText)),
                             report.folder + "/" + entry.file, lpError)) {
                fate.push_back("printed");
            } else {
                ++notPrinted;
                report.problems.push_back(entry.file + ": not printed: " + lpError);
                fate.push_back("not printed: " + lpError + "; PDF kept");
            }
        } else if (report.device == DeviceKind::Screen && options.terminal) {
            fate.push_back("shown");
        } else {
            fate.push_back("written");
        }
        if (tagged) {
            if (entry.address.empty()) {
                fate.push_back("to print");
            } else if (mailer != nullptr && pdfDone) {
                fate.push_back(mailer->Deliver(entry, report.problems));
            } else if (mailer != nullptr) {
                ++mailer->notSent;
                fate.push_back("not sent: no PDF");
            }
        }
        std::string joined;
        for (const std::string& part : fate) joined += (joined.empty() ? "" : "; ") + part;
        entry.fate = joined;
        index << FormatIndexLine(entry) << "\n";
        index.flush();
    };

    for (auto event = reader.Next(); event != SpoolReader::Event::End; event = reader.Next()) {
        if (event == SpoolReader::Event::Document) {
            finish();
            ++documents;
            entry = IndexEntry();
            const std::string name = DocumentName(documents);
            entry.file = name + ".pdf";
            const std::string& send = reader.sendTo();
            const auto comma = send.find(",,");
            tagged = send.size() > 0;
            entry.address = TextFromSpool(TrimBlanks(send.substr(0, comma)));
            entry.recipient = comma == std::string::npos
                                  ? std::string()
                                  : TextFromSpool(TrimBlanks(send.substr(comma + 2)));
            pdf = std::make_unique<PdfDocument>(fonts, options.workDate);
            if (!pdf->Open(report.folder + "/" + name + ".pdf", name)) {
                report.problems.push_back(name + ".pdf cannot be created in " + report.folder);
            }
            text.Open(report.folder + "/" + name + ".txt");
            continue;
        }
        const SpoolPage& page = reader.page();
        if (entry.pages == 0 && tagged) {
            std::string year, owner;
            CertificateFacts(page.lines, year, owner);
            entry.year = year;
            entry.owner = Utf8FromCp850(Blanked(owner));
        }
        ++entry.pages;
        ++pages;
        pdf->AddPage(page);
        text.AddPage(page);
    }
    finish();
    if (reader.readFailed()) {
        report.problems.push_back("the spool file could not be read to its end");
        report.status = 1;
    }
    if (reader.unreadLines() > 0) {
        index << "# lines of the spool file that are no directive: " << reader.unreadLines()
              << "\n";
        for (const std::string& line : reader.firstUnreadLines()) {
            index << "# unread: " << EscapeField(Utf8FromCp850(line)) << "\n";
        }
        std::fprintf(stderr, "ROVODOVO: %ld lines of the spool file are no directive (INDEX.txt)\n",
                     reader.unreadLines());
    }
    index.close();
    if (!index) report.problems.push_back("INDEX.txt cannot be written in " + report.folder);

    report.line =
        report.folder + ": " + Count(documents, "DOCUMENTS") + ", " + Count(pages, "PÀGINES");
    if (notPrinted > 0) report.line += ", " + Count(notPrinted, "NO IMPRESOS");
    if (mailer != nullptr) report.line += MailCounts(*mailer);
    if (report.device == DeviceKind::Screen) {
        if (options.terminal) {
            report.show = documents > 0;
        } else {
            report.line += ", " + Utf8Translated(Cp850("SENSE TERMINAL: NO ES MOSTREN"));
        }
    }
    if (!report.problems.empty()) report.status = 1;
    return report;
}

PrintJobReport ResendRunFolder(const std::string& folder, const std::string& velaIni) {
    PrintJobReport report;
    report.folder = folder;
    std::vector<IndexEntry> entries;
    const std::string indexPath = folder + "/INDEX.txt";
    if (!ReadIndex(indexPath, entries)) {
        report.status = 3;
        report.problems.push_back(folder + " is not a run folder (no INDEX.txt)");
        return report;
    }
    std::vector<std::string> header;
    {
        std::ifstream in(indexPath, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '#') header.push_back(line);
        }
    }
    const std::set<std::string> sent = SentFiles(folder + "/ENVIAMENTS.txt");
    Mailer mailer(folder, velaIni);
    long already = 0;
    for (IndexEntry& entry : entries) {
        if (entry.address.empty()) continue;
        if (sent.count(entry.file) != 0) {
            ++already;
            continue;
        }
        const std::string mailFate = mailer.Deliver(entry, report.problems);
        const auto cut = entry.fate.find("; ");
        entry.fate = entry.fate.substr(0, cut) + "; " + mailFate;
        // Rewritten after every document, so the index is right whenever the run stops.
        if (!RewriteIndex(indexPath, header, entries)) {
            report.problems.push_back("INDEX.txt cannot be rewritten in " + folder);
        }
    }
    report.line = folder + ": " + Count(static_cast<long>(entries.size()), "DOCUMENTS") + ", " +
                  Count(already, "JA ENVIATS") + MailCounts(mailer);
    if (!report.problems.empty()) report.status = 1;
    return report;
}

}  // namespace vela
