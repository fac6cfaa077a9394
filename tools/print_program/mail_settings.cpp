#include "tools/print_program/mail_settings.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "datenum/text_utils.hpp"
#include "env/ini_file.hpp"
#include "platform/code_page_850.hpp"
#include "platform/host_path.hpp"
#include "tools/print_program/mail_message.hpp"

namespace vela {
namespace {

int Number(const std::string& text, int fallback, int low, int high) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(t.c_str(), &end, 10);
    if (*end != '\0' || value < low || value > high) return -1;
    return static_cast<int>(value);
}

}  // namespace

MailSettings ReadMailSettings(const std::string& velaIni) {
    MailSettings s;
    const auto key = [&](const char* name) { return TrimBlanks(IniRead(velaIni, "Correu", name)); };
    const std::string transport = AsciiUpper(key("Enviament"));
    if (transport == "SMTP") {
        s.transport = MailTransportKind::Smtp;
    } else if (transport == "SENDMAIL") {
        s.transport = MailTransportKind::Sendmail;
    } else if (transport.empty() || transport == "CARPETA") {
        s.transport = MailTransportKind::Folder;
    } else {
        s.problem = "[Correu] Enviament " + transport + " is not SMTP, SENDMAIL or CARPETA";
    }
    const std::string security = AsciiUpper(key("Seguretat"));
    if (security == "TLS") {
        s.security = MailSecurity::Tls;
        s.port = 465;
    } else if (security == "CAP") {
        s.security = MailSecurity::None;
    } else if (!security.empty() && security != "STARTTLS" && s.problem.empty()) {
        s.problem = "[Correu] Seguretat " + security + " is not TLS, STARTTLS or CAP";
    }
    s.server = key("Servidor");
    s.port = Number(key("Port"), s.port, 1, 65535);
    if (s.port < 0 && s.problem.empty()) s.problem = "[Correu] Port is not a port number";
    s.user = Utf8FromCp850(key("Usuari"));
    const std::string keyFile = key("FitxerClau");
    if (!keyFile.empty()) s.keyFile = ResolveHostPath(keyFile);
    const std::string caFile = key("CertificatCA");
    if (!caFile.empty()) s.caFile = ResolveHostPath(caFile);
    s.sender = Utf8FromCp850(key("Remitent"));
    s.senderName = Utf8FromCp850(key("NomRemitent"));
    if (s.senderName.empty())
        s.senderName = Utf8FromCp850(TrimBlanks(IniRead(velaIni, "Oficina", "Nom")));
    s.blindCopy = Utf8FromCp850(key("Copia"));
    s.maxPerMinute = Number(key("MaxPerMinut"), 30, 1, 100000);
    if (s.maxPerMinute < 0) {
        s.maxPerMinute = 30;
        if (s.problem.empty()) s.problem = "[Correu] MaxPerMinut is not a number from 1 on";
    }
    if (!s.problem.empty()) return s;
    if (s.transport != MailTransportKind::Folder || !s.sender.empty()) {
        const std::string reason = RefusalReason(s.sender, s.senderName);
        if (reason != "") s.problem = "[Correu] Remitent / NomRemitent: " + reason;
    }
    if (s.problem.empty() && !s.blindCopy.empty() && RefusalReason(s.blindCopy, "") != "") {
        s.problem = "[Correu] Copia: " + RefusalReason(s.blindCopy, "");
    }
    if (s.problem.empty() && s.transport == MailTransportKind::Smtp && s.server.empty()) {
        s.problem = "[Correu] Servidor is empty";
    }
    if (s.problem.empty() && s.transport == MailTransportKind::Smtp &&
        s.security == MailSecurity::None && s.server != "127.0.0.1" && s.server != "localhost" &&
        s.server != "::1") {
        s.problem = "[Correu] Seguretat CAP is only for a server on this machine, not " + s.server;
    }
    if (s.problem.empty() && HasControlCharacter(s.server + s.user)) {
        s.problem = "[Correu] Servidor or Usuari holds a control character";
    }
    return s;
}

bool ReadKeyFile(const std::string& hostPath, std::string& password, std::string& error) {
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open the key file " + hostPath;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "the key file " + hostPath + " is not a regular file";
        return false;
    }
    if ((st.st_mode & 077) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        error = "the key file " + hostPath + " may be read by others than its owner (chmod 600 it)";
        return false;
    }
    std::string contents;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && contents.size() < 4096) {
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (got < 0) {
        error = "cannot read the key file " + hostPath;
        return false;
    }
    const auto end = contents.find_first_of("\r\n");
    password = contents.substr(0, end);
    return true;
}

}  // namespace vela
