// The e-mail settings of the installation: "Vela.ini" [Correu] (how to
// send, the server, the login, the sender, the blind copy, the rate) with
// [Oficina] Nom as the sender's name when none is given, and the password
// read from the key file, which must be readable by its owner alone.
#pragma once

#include <string>

namespace vela {

enum class MailTransportKind { Folder, Smtp, Sendmail };
enum class MailSecurity { StartTls, Tls, None };

struct MailSettings {
    MailTransportKind transport = MailTransportKind::Folder;
    std::string server;
    int port = 587;
    MailSecurity security = MailSecurity::StartTls;
    std::string user;
    std::string keyFile;             // host path, "" for none
    std::string caFile;              // [Correu] CertificatCA: trusted CA certificates, "" system's
    std::string sender, senderName;  // UTF-8
    std::string blindCopy;
    int maxPerMinute = 30;
    std::string problem;  // why nothing can be sent with these settings ("" when fine)
};

// Reads the settings from the installation's Vela.ini (an INI path as
// IniRead takes it).
MailSettings ReadMailSettings(const std::string& velaIni);

// The password of the key file: its first line. False with the reason when
// the file is missing, unreadable, not a regular file, or readable or
// writable by anyone but its owner (mode 0600 or stricter only).
bool ReadKeyFile(const std::string& hostPath, std::string& password, std::string& error);

}  // namespace vela
